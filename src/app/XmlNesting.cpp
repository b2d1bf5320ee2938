#include "XmlNesting.h"

#include <array>
#include <cstdio>
#include <memory>

#include "Log.h"
#include "RegularFile.h"

namespace {

// Follows the depth through the tags; quoted attribute values may hold '<',
// '>' and "/>" without counting.
class NestingCounter {
public:
    // False once the depth went beyond the limit.
    bool feed(char c, int maxDepth)
    {
        switch (state_) {
        case State::Text:
            if (c == '<') state_ = State::TagOpen;
            break;
        case State::TagOpen:
            if (c == '/') {
                --depth_;
                state_ = State::EndTag;
            } else if (c == '?' || c == '!') {
                state_ = State::Other;
            } else {
                state_ = State::StartTag;
                previous_ = '\0';
                if (++depth_ > maxDepth) return false;
            }
            break;
        case State::StartTag:
            if (quote_ != '\0') {
                if (c == quote_) quote_ = '\0';
            } else if (c == '"' || c == '\'') {
                quote_ = c;
            } else if (c == '>') {
                if (previous_ == '/') --depth_;
                state_ = State::Text;
            }
            previous_ = c;
            break;
        case State::EndTag:
        case State::Other:
            if (c == '>') state_ = State::Text;
            break;
        }
        return true;
    }

private:
    enum class State { Text, TagOpen, StartTag, EndTag, Other };
    State state_ = State::Text;
    int depth_ = 0;
    char quote_ = '\0';
    char previous_ = '\0';
};

}  // namespace

bool xmlNestingWithin(std::FILE* file, int maxDepth)
{
    NestingCounter counter;
    std::array<char, 65536> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
        for (std::size_t i = 0; i < n; ++i) {
            if (!counter.feed(buffer[i], maxDepth)) return false;
        }
    }
    return true;
}

bool xmlNestingWithin(const std::string& path, int maxDepth)
{
    // Only a regular file is read: a FIFO or a device would never end.
    const FileHandle file = openRegularFile(path);
    if (!file) return true;
    if (!xmlNestingWithin(file.get(), maxDepth)) {
        Log::warn("%s nests its elements more than %d deep: refused\n", path.c_str(), maxDepth);
        return false;
    }
    return true;
}
