#include "C_Laser.h"

#include <cmath>
#include <cstring>

#include "DriverPause.h"
#include "Log.h"
#include "NumberFormat.h"

C_Laser::~C_Laser() { ClearCommands(); }

bool C_Laser::SetCommand(tCommand key, const char* text)
{
    const TemplateSignature signature = SignatureOf(key);
    if (text == nullptr) return false;
    if (const auto problem = Command::problemWith(text, signature)) {
        Log::warn("Command template \"%s\" refused: %s\n", text, problem->c_str());
        return false;
    }
    commands_[key] = std::make_unique<Command>(text, signature);
    return true;
}

Command* C_Laser::GetCommand(tCommand key) const
{
    const auto found = commands_.find(key);
    return found == commands_.end() ? nullptr : found->second.get();
}

void C_Laser::CopyCommands(const CommandMap& other)
{
    if (&other == &commands_) return;
    CommandMap copies;
    for (const auto& [key, command] : other) {
        const TemplateSignature signature = SignatureOf(key);
        if (!Command::problemWith(command->GetText(), signature)) {
            copies[key] = std::make_unique<Command>(command->GetText(), signature);
        } else if (auto own = commands_.find(key); own != commands_.end()) {
            // Another model's text that this one cannot format: keep ours.
            copies[key] = std::move(own->second);
        }
    }
    commands_ = std::move(copies);
}

void C_Laser::ClearCommands() { commands_.clear(); }

TemplateSignature C_Laser::SignatureOf(tCommand key) const
{
    switch (key) {
    case CMD_POWER_ON:
    case CMD_POWER_OFF:
        return TemplateSignature::literal();
    case CMD_POWER:
    case CMD_WAVELENGTH:
    case CMD_SWEEP_START:
    case CMD_SWEEP_STOP:
    case CMD_WAVELENGTH_SCPI:
        return TemplateSignature::of({TemplateArgument::Double});
    case CMD_SPEED:
        return TemplateSignature::of({TemplateArgument::Int});
    case CMD_SWEEP_RUN:
    case CMD_SWEEP_QUERY:
        break;
    }
    return TemplateSignature::of({});
}

const char* C_Laser::SetErrorText(const char* text)
{
    std::snprintf(errorText.data(), errorText.size(), "%s", text);
    return errorText.data();
}

bool C_Laser::SendTemplate(tCommand key, std::initializer_list<TemplateValue> values)
{
    const Command* command = GetCommand(key);
    if (command == nullptr) {
        SetErrorText(cformat("No command template %d for this source.", static_cast<int>(key)).c_str());
        return false;
    }
    if (command->Signature().isLiteral()) {
        Send(command->GetText());
        return true;
    }
    const auto text = formatTemplate(command->GetText(), values);
    if (!text) {
        SetErrorText(cformat("Command template '%s' does not fit its values.", command->GetText()).c_str());
        return false;
    }
    Send(text->c_str());
    return true;
}

const char* C_Laser::Failure(const char* waitResult)
{
    return waitResult != nullptr && waitResult[0] != '\0' ? waitResult : nullptr;
}

const char* C_Laser::SendAndWait(const char* text)
{
    Send(text);
    return Failure(WaitReady(false));
}

const char* C_Laser::SendTemplateAndWait(tCommand key, std::initializer_list<TemplateValue> values)
{
    if (!SendTemplate(key, values)) return errorText.data();
    return Failure(WaitReady(false));
}

const char* C_Laser::WriteAndPause(const char* text, int pauseMs)
{
    Write(text);
    DriverPause::pauseMs(pauseMs);
    return nullptr;
}

const char* C_Laser::SetPowerInLinearUnit(float powerMw)
{
    if (const char* failure = SendAndWait(":SOUR:POW:UNIT 1")) return failure;
    return SendTemplateAndWait(CMD_POWER, {static_cast<double>(powerMw)});
}

const char* C_Laser::SendAndWaitEach(std::initializer_list<const char*> texts)
{
    for (const char* text : texts)
        if (const char* failure = SendAndWait(text)) return failure;
    return nullptr;
}

const char* C_Laser::CurrentWithoutCommand(float value, const char* command)
{
    const float magnitude = std::fabs(value);
    if (magnitude <= magnitude * 0.00001f) {
        PowerOff();
        DriverPause::pauseMs(250);
    } else if (command != nullptr) {
        SendAndWait(cformat(command, static_cast<double>(value)).c_str());
    }
    return noCurrent;
}
