#pragma once

// Typed attribute helpers shared by every XML file of the program
// (configuration, scans, passband parameters and results).
//
// Encodings:
//   bool     "True" / "False"; only the exact text "True" reads as true
//   integer  "%d"; a text that does not parse leaves the field unchanged
//   double   "%f" when |v| >= 0.0001, else "%E" (zero is "0.000000E+00")
//   text     as is
//   keyword  the keyword of the value; anything else reads as the default
//   list     "<count> " then "%.3f " per value
// A missing attribute always reads as the caller's default. Numbers are
// written and read with "." whatever the locale.

#include <tinyxml.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TiXmlElementCustom {
public:
    // A view on an element of a TinyXML tree; the tree owns the element.
    explicit TiXmlElementCustom(TiXmlElement* element) : element_(element) {}
    TiXmlElement* element() const { return element_; }

    void setBool(const char* name, bool value);
    void setInt(const char* name, int value);
    void setDouble(const char* name, double value);
    void setText(const char* name, const std::string& value);
    // Writes keywords[value], or an empty text for a value outside the list.
    void setKeyword(const char* name, int value, std::span<const char* const> keywords);

    bool getBool(const char* name, bool defaultValue) const;
    // Missing attribute: field := default. Present but not a number: field unchanged.
    void readInt(const char* name, int& field, int defaultValue) const;
    void readDouble(const char* name, double& field, double defaultValue) const;
    std::string getText(const char* name, const std::string& defaultValue) const;
    int getKeyword(const char* name, std::span<const char* const> keywords, int defaultValue) const;

    // Number texts used by the attribute helpers, for element texts too.
    static std::string formatDouble(double value);
    static std::string formatDoubleList(std::span<const double> values);
    // Reads "<count> v1 v2 ...": each value parsed in single precision and
    // widened. Reads at most count values and never more than the text holds;
    // a negative or missing count gives an empty list.
    static std::vector<double> parseDoubleList(std::string_view text);

    // First child element named name; with create, an empty one is appended
    // when none exists.
    static TiXmlElement* child(TiXmlNode* parent, const char* name, bool create = false);
    static const TiXmlElement* child(const TiXmlNode* parent, const char* name);
    // First child element named name whose attribute attr equals value.
    static TiXmlElement* childWithAttribute(TiXmlNode* parent, const char* name, const char* attr,
                                            const std::string& value);
    static const TiXmlElement* childWithAttribute(const TiXmlNode* parent, const char* name,
                                                  const char* attr, const std::string& value);

private:
    TiXmlElement* element_;
};

// The same helpers under the name used by the Application section's elements.
using TiXmlElementAppConfig = TiXmlElementCustom;
