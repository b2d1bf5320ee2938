#include "CommandLine.h"

#include <cctype>
#include <charconv>

namespace {
std::string upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::optional<std::uint64_t> parseSeed(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}
}  // namespace

CommandLine::CommandLine(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) arguments_.emplace_back(argv[i] != nullptr ? argv[i] : "");
    parse();
}

CommandLine::CommandLine(std::vector<std::string> arguments) : arguments_(std::move(arguments)) { parse(); }

bool CommandLine::hasSwitch(std::string_view name) const
{
    for (const std::string& argument : arguments_)
        if (upper(argument) == name) return true;
    return false;
}

void CommandLine::parse()
{
    for (std::size_t i = 0; i < arguments_.size(); ++i) {
        const std::string& a = arguments_[i];
        const std::string u = upper(a);
        if (a == "--simulate") {
            simulate_ = true;
        } else if (a.rfind("--simulate=", 0) == 0) {
            simulate_ = true;
            preset_ = a.substr(11);
        } else if (a == "--seed" && i + 1 < arguments_.size()) {
            seed_ = parseSeed(arguments_[++i]);
        } else if (a.rfind("--seed=", 0) == 0) {
            seed_ = parseSeed(std::string_view(a).substr(7));
        } else if (a == "--port" && i + 1 < arguments_.size()) {
            port_ = arguments_[++i];
        } else if (a.rfind("--port=", 0) == 0) {
            port_ = a.substr(7);
        } else if (a == "--help" || a == "-h") {
            help_ = true;
        } else if (u != "LOGGER" && u != "QZRT" && u != "XWEP") {
            others_.push_back(a);
        }
    }
}
