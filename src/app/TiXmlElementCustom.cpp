#include "TiXmlElementCustom.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "NumberFormat.h"

void TiXmlElementCustom::setBool(const char* name, bool value)
{
    element_->SetAttribute(name, value ? "True" : "False");
}

void TiXmlElementCustom::setInt(const char* name, int value)
{
    element_->SetAttribute(name, cformat("%d", value));
}

void TiXmlElementCustom::setDouble(const char* name, double value)
{
    element_->SetAttribute(name, formatDouble(value));
}

void TiXmlElementCustom::setText(const char* name, const std::string& value)
{
    element_->SetAttribute(name, value);
}

void TiXmlElementCustom::setKeyword(const char* name, int value, std::span<const char* const> keywords)
{
    const bool known = value >= 0 && static_cast<std::size_t>(value) < keywords.size();
    element_->SetAttribute(name, known ? keywords[static_cast<std::size_t>(value)] : "");
}

bool TiXmlElementCustom::getBool(const char* name, bool defaultValue) const
{
    const char* text = element_->Attribute(name);
    if (text == nullptr) return defaultValue;
    return std::string_view(text) == "True";
}

void TiXmlElementCustom::readInt(const char* name, int& field, int defaultValue) const
{
    const char* text = element_->Attribute(name);
    if (text == nullptr) {
        field = defaultValue;
        return;
    }
    if (const auto value = parseInt(text)) field = *value;
}

void TiXmlElementCustom::readDouble(const char* name, double& field, double defaultValue) const
{
    const char* text = element_->Attribute(name);
    if (text == nullptr) {
        field = defaultValue;
        return;
    }
    if (const auto value = parseDouble(text)) field = *value;
}

std::string TiXmlElementCustom::getText(const char* name, const std::string& defaultValue) const
{
    const char* text = element_->Attribute(name);
    return text == nullptr ? defaultValue : std::string(text);
}

int TiXmlElementCustom::getKeyword(const char* name, std::span<const char* const> keywords,
                                   int defaultValue) const
{
    const char* text = element_->Attribute(name);
    if (text == nullptr) return defaultValue;
    for (std::size_t i = 0; i < keywords.size(); ++i)
        if (std::string_view(text) == keywords[i]) return static_cast<int>(i);
    return defaultValue;
}

std::string TiXmlElementCustom::formatDouble(double value)
{
    return std::fabs(value) >= 0.0001 ? cformat("%f", value) : cformat("%E", value);
}

std::string TiXmlElementCustom::formatDoubleList(std::span<const double> values)
{
    std::string text = cformat("%d ", static_cast<int>(values.size()));
    text.reserve(text.size() + values.size() * 10);
    for (double v : values) {
        text += cformat("%.3f", v);
        text += ' ';
    }
    return text;
}

std::vector<double> TiXmlElementCustom::parseDoubleList(std::string_view text)
{
    std::vector<double> values;
    auto nextToken = [&text]() -> std::string_view {
        std::size_t i = 0;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        std::size_t j = i;
        while (j < text.size() && !std::isspace(static_cast<unsigned char>(text[j]))) ++j;
        const std::string_view token = text.substr(i, j - i);
        text.remove_prefix(j);
        return token;
    };
    const auto count = parseInt(nextToken());
    if (!count || *count <= 0) return values;
    // Never reserve more than the text can hold (each value takes two characters at least).
    values.reserve(std::min<std::size_t>(static_cast<std::size_t>(*count), text.size() / 2 + 1));
    for (int i = 0; i < *count; ++i) {
        const std::string_view token = nextToken();
        if (token.empty()) break;
        float value = 0.0f;
        const char* first = token.data();
        if (*first == '+') ++first;
        const auto [end, ec] = std::from_chars(first, token.data() + token.size(), value);
        if (end == first) break;
        if (ec == std::errc::result_out_of_range)
            value = static_cast<float>(parseDouble(token).value_or(0.0));
        values.push_back(static_cast<double>(value));
    }
    return values;
}

TiXmlElement* TiXmlElementCustom::child(TiXmlNode* parent, const char* name, bool create)
{
    if (parent == nullptr) return nullptr;
    TiXmlElement* found = parent->FirstChildElement(name);
    if (found == nullptr && create) found = parent->LinkEndChild(new TiXmlElement(name))->ToElement();
    return found;
}

const TiXmlElement* TiXmlElementCustom::child(const TiXmlNode* parent, const char* name)
{
    return parent == nullptr ? nullptr : parent->FirstChildElement(name);
}

const TiXmlElement* TiXmlElementCustom::childWithAttribute(const TiXmlNode* parent, const char* name,
                                                           const char* attr, const std::string& value)
{
    if (parent == nullptr) return nullptr;
    for (const TiXmlElement* e = parent->FirstChildElement(name); e != nullptr;
         e = e->NextSiblingElement(name)) {
        const char* text = e->Attribute(attr);
        if (text != nullptr && value == text) return e;
    }
    return nullptr;
}

TiXmlElement* TiXmlElementCustom::childWithAttribute(TiXmlNode* parent, const char* name, const char* attr,
                                                     const std::string& value)
{
    return const_cast<TiXmlElement*>(
        childWithAttribute(static_cast<const TiXmlNode*>(parent), name, attr, value));
}
