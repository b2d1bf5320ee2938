#pragma once

// One command template of a laser driver: the text given at creation (its
// default) and the text the operations format and send. A template holds at
// most 30 characters and must fit the values its command receives; a text
// that does not is refused and the template keeps its previous text.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "CommandTemplate.h"

// The key of a command template.
enum tCommand : int {
    CMD_POWER_ON = 0,
    CMD_POWER_OFF = 1,
    CMD_POWER = 2,
    CMD_WAVELENGTH = 3,
    CMD_SWEEP_START = 4,
    CMD_SWEEP_STOP = 5,
    CMD_WAVELENGTH_SCPI = 6,
    CMD_SWEEP_RUN = 7,
    CMD_SWEEP_QUERY = 8,
    CMD_SPEED = 9,
};

class Command {
public:
    static constexpr std::size_t maxLength = 30;

    // Why text cannot be a template of this signature, or nothing.
    static std::optional<std::string> problemWith(std::string_view text, const TemplateSignature& signature);

    // text must be acceptable (see problemWith); C_Laser checks before creating.
    Command(const char* text, const TemplateSignature& signature);
    virtual ~Command() = default;

    // Replaces the current text; false, and the text unchanged, when refused.
    bool SetText(const char* text);
    const char* GetText() const { return currentText_.data(); }
    const char* GetDefaultText() const { return defaultText_.data(); }
    const TemplateSignature& Signature() const { return signature_; }

private:
    std::array<char, maxLength + 1> defaultText_{};
    std::array<char, maxLength + 1> currentText_{};
    TemplateSignature signature_;
};
