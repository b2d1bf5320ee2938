#pragma once

// The laser driver interface: every tunable source model is a subclass that
// registers its command templates and implements the operations with its own
// command sequence and completion handshake.
//
// Text results are a NUL-terminated error text (valid until the driver's next
// operation); a null pointer means success. Arguments are passed by pointer to
// a value the caller owns.

#include <initializer_list>
#include <map>
#include <memory>

#include "C_GPIBDevice.h"
#include "Command.h"

class C_Laser : public C_GPIBDevice {
public:
    using CommandMap = std::map<tCommand, std::unique_ptr<Command>>;

    // The answer of SetCurrent on models without a current command.
    static constexpr const char* noCurrent = "NoCurrent";

    C_Laser() = default;
    ~C_Laser() override;

    // Stores a new template for key (its default and current text), replacing
    // any previous one. False, and nothing changed, when the text is longer
    // than 30 characters or does not fit the values the command receives.
    bool SetCommand(tCommand key, const char* text);
    Command* GetCommand(tCommand key) const;
    // Replaces every template by a copy of the other map's current texts. A
    // text that this model could not format keeps this model's own template.
    void CopyCommands(const CommandMap& other);
    void ClearCommands();
    const CommandMap& Commands() const { return commands_; }

    // The values the template of key receives on this model.
    virtual TemplateSignature SignatureOf(tCommand key) const;

    virtual const char* SetPower(float* powerMw) = 0;
    virtual const char* SetCurrent(float* current) = 0;
    virtual const char* SetWavelength(double* wavelengthNm) = 0;
    virtual const char* SetWavelengthNoWait(double* wavelengthNm) = 0;
    virtual const char* SetAuxWavelength(double* wavelengthNm) = 0;
    virtual const char* PowerOn() = 0;
    virtual const char* PowerOff() = 0;
    virtual const char* SetSpeed(int* speedNmPerS) = 0;
    virtual const char* Send(const char* text) = 0;

protected:
    // Sends the template of key formatted with values (literal templates as
    // they stand). False, with an error text, when the model has no such
    // template or it does not fit the values.
    bool SendTemplate(tCommand key, std::initializer_list<TemplateValue> values);
    // Sends text, then WaitReady(false): the error text, or nullptr.
    const char* SendAndWait(const char* text);
    const char* SendTemplateAndWait(tCommand key, std::initializer_list<TemplateValue> values);
    // Writes text, then pauses to pace the instrument.
    const char* WriteAndPause(const char* text, int pauseMs);
    // The SCPI models' power setting: linear unit first, then the power template.
    const char* SetPowerInLinearUnit(float powerMw);
    // Sends each text and waits, stopping at the first failure.
    const char* SendAndWaitEach(std::initializer_list<const char*> texts);
    // The error text when WaitReady returned one, else nullptr.
    static const char* Failure(const char* waitResult);

    // SetCurrent of the models without a current command: a value of exactly
    // zero (or -0) darkens the source instead; anything else sends command,
    // when given. Always "NoCurrent".
    const char* CurrentWithoutCommand(float value, const char* command);

    // The serial-poll handshake shared by the models that signal completion
    // with a ready bit in their status byte.
    struct SerialPollFields {
        std::int32_t& readyTimeoutMs;
        std::int32_t& readyBit;
        std::int32_t& lastStatus;
        bool& isReady;
    };
    // Status bits that carry an instrument error, with their texts (format
    // taking the last command); when both are set the second text wins.
    struct StatusBitTexts {
        int firstBit;
        const char* firstText;
        int secondBit;
        const char* secondText;
    };
    // Polls until the ready bit comes or the time-out passes; a poll that
    // fails ends the wait at once with its GPIB error text.
    const char* SerialPollWaitReady(SerialPollFields fields, bool showMessage);
    // The text of a failed poll (never empty: the operation must fail).
    const char* SerialPollFailure(bool showMessage);
    int SerialPollCheckStatus(SerialPollFields fields, const StatusBitTexts& texts, bool showMessage);

    // The "*OPC?" handshake repeated until the instrument answers 1. An
    // instrument that stops answering (a read time-out gives an empty answer)
    // would keep it going forever, so it gives up after opcMaxQueries queries
    // with an error text naming the command it waited for.
    static constexpr int opcMaxQueries = 6;
    const char* RepeatedOpcWaitReady();

    // Copies text into the error text and returns it.
    const char* SetErrorText(const char* text);

private:
    CommandMap commands_;
};
