#include "ScpiError.h"

namespace {

const char* standardText(int code)
{
    switch (code) {
    case ScpiCode::noError: return "No error";
    case ScpiCode::commandError: return "Command error";
    case ScpiCode::invalidCharacter: return "Invalid character";
    case ScpiCode::syntaxError: return "Syntax error";
    case ScpiCode::dataTypeError: return "Data type error";
    case ScpiCode::parameterNotAllowed: return "Parameter not allowed";
    case ScpiCode::missingParameter: return "Missing parameter";
    case ScpiCode::undefinedHeader: return "Undefined header";
    case ScpiCode::numericDataError: return "Numeric data error";
    case ScpiCode::invalidSuffix: return "Invalid suffix";
    case ScpiCode::stringDataError: return "String data error";
    case ScpiCode::executionError: return "Execution error";
    case ScpiCode::commandProtected: return "Command protected";
    case ScpiCode::initIgnored: return "Init ignored";
    case ScpiCode::settingsConflict: return "Settings conflict";
    case ScpiCode::dataOutOfRange: return "Data out of range";
    case ScpiCode::tooMuchData: return "Too much data";
    case ScpiCode::illegalParameterValue: return "Illegal parameter value";
    case ScpiCode::dataStale: return "Data corrupt or stale";
    case ScpiCode::hardwareMissing: return "Hardware missing";
    case ScpiCode::massStorageError: return "Mass storage error";
    case ScpiCode::fileNameError: return "File name error";
    case ScpiCode::systemError: return "System error";
    case ScpiCode::queueOverflow: return "Queue overflow";
    case ScpiCode::queryInterrupted: return "Query INTERRUPTED";
    default: return "";
    }
}

}  // namespace

ScpiError ScpiError::make(int code, const std::string& detail)
{
    std::string text = standardText(code);
    if (!detail.empty()) text += text.empty() ? detail : ";" + detail;
    return {code, std::move(text)};
}

std::uint8_t EventStatus::bitOf(int code)
{
    if (code <= -100 && code > -200) return commandError;
    if (code <= -200 && code > -300) return executionError;
    if (code <= -300 && code > -400) return deviceError;
    if (code <= -400 && code > -500) return queryError;
    if (code > 0) return deviceError;
    return 0;
}

void ErrorQueue::push(ScpiError error)
{
    eventStatus_ |= EventStatus::bitOf(error.code);
    if (entries_.size() >= capacity) {
        entries_.back() = ScpiError::make(ScpiCode::queueOverflow);
        return;
    }
    entries_.push_back(std::move(error));
}

ScpiError ErrorQueue::pop()
{
    if (entries_.empty()) return ScpiError::make(ScpiCode::noError);
    ScpiError e = std::move(entries_.front());
    entries_.pop_front();
    return e;
}

std::uint8_t ErrorQueue::takeEventStatus()
{
    const std::uint8_t value = eventStatus_;
    eventStatus_ = 0;
    return value;
}
