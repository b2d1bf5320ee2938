#include <gtest/gtest.h>

#include <string>

#include "FileUtil.h"
#include "TempDir.h"
#include "XmlNesting.h"

namespace {

TEST(XmlNesting, CountsElementDepthThroughQuotesAndSelfClosingTags)
{
    TempDir folder;
    auto repeat = [](const std::string& text, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += text;
        return out;
    };
    const std::pair<std::string, bool> cases[] = {
        {"<VEMAR><About><Release Value=\"v 3.8.0\" /></About></VEMAR>", true},
        {repeat("<a>", 256) + repeat("</a>", 256), true},
        {repeat("<a>", 257) + repeat("</a>", 257), false},
        {"<r>" + repeat("<a/><b x='1' />", 100000) + "</r>", true},
        // A quoted "/>" or ">" closes nothing.
        {repeat("<a x=\"/>\" y='>'>", 300), false},
        {"<?xml version=\"1.0\"?><!-- <<< --><r>" + repeat("<a></a>", 1000) + "</r>", true},
    };
    for (const auto& [text, accepted] : cases) {
        writeWholeFile(folder.file("x.xml"), text);
        EXPECT_EQ(xmlNestingWithin(folder.file("x.xml")), accepted) << text.substr(0, 60);
    }
    EXPECT_TRUE(xmlNestingWithin(folder.file("missing.xml")));
}

}  // namespace
