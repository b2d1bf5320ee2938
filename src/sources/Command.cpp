#include "Command.h"

#include <algorithm>
#include <cstring>

namespace {

template <std::size_t N>
void store(std::array<char, N>& buffer, std::string_view text)
{
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(buffer.data(), text.data(), length);
    buffer[length] = '\0';
}

}  // namespace

std::optional<std::string> Command::problemWith(std::string_view text, const TemplateSignature& signature)
{
    if (text.size() > maxLength) return "longer than 30 characters";
    if (text.find('\0') != std::string_view::npos) return "contains a NUL character";
    return templateProblem(text, signature);
}

Command::Command(const char* text, const TemplateSignature& signature) : signature_(signature)
{
    store(defaultText_, text);
    store(currentText_, text);
}

bool Command::SetText(const char* text)
{
    if (text == nullptr || problemWith(text, signature_)) return false;
    store(currentText_, text);
    return true;
}
