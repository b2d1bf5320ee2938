#include "SimKeyValueLaser.h"

#include "SimCommandText.h"

namespace vemarsim {
namespace {

//                                wavelength aux  prefixed speed  index  units  opc    invalid unknown
constexpr KeyValueDialect plus{"L", "LS", false, true, false, true, false, 0x04, 0x02};
constexpr KeyValueDialect jdsu{"LS", nullptr, false, true, true, true, false, 0x04, 0x02};
constexpr KeyValueDialect ecl{"L", nullptr, true, false, false, false, false, 0x02, 0x04};
constexpr KeyValueDialect generic{"L", nullptr, false, true, false, false, true, 0x00, 0x00};

constexpr std::uint8_t readyBit = 0x01;
constexpr int eclChannel = 1;

}  // namespace

const KeyValueDialect* keyValueDialect(int type)
{
    switch (type) {
    case 0:  // Plus
    case 1:  // Purity
    case 9:  // R720S
        return &plus;
    case 6:
        return &jdsu;
    case 7:
        return &ecl;
    case 2:  // Reference
    case 8:  // generic IEEE 488.2
    case 10: // R720R
        return &generic;
    default:
        return nullptr;
    }
}

SimKeyValueLaser::SimKeyValueLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps,
                                   const KeyValueDialect& dialect)
    : SimLaser(setup, sweeps, Limits{}), dialect_(dialect), powerInMw_(!dialect.hasUnitCommands)
{
}

std::uint8_t SimKeyValueLaser::statusByteLocked(SimClockPoint now) const
{
    if (dialect_.opcHandshake) return SimLaser::statusByteLocked(now);
    std::uint8_t status = readyAt(now) ? readyBit : 0;
    if (lastError() == CommandError::InvalidValue) status |= dialect_.invalidValueBit;
    if (lastError() == CommandError::UnknownCommand) status |= dialect_.unknownCommandBit;
    return status;
}

void SimKeyValueLaser::handleCommand(std::string_view command)
{
    command = trim(command);
    bool prefixed = false;
    if (dialect_.channelPrefixed && startsWithNoCase(command, "CH")) {
        const std::size_t colon = command.find(':');
        if (colon == std::string_view::npos) return unknownCommand();
        const auto channel = parseInteger(command.substr(2, colon - 2));
        if (!channel) return unknownCommand();
        if (*channel != eclChannel) return invalidValue();
        command = trim(command.substr(colon + 1));
        prefixed = true;
    }
    // On the ECL the channel goes with everything but the current.
    auto prefixOk = [this, prefixed](bool channelCommand) {
        return !dialect_.channelPrefixed || prefixed == channelCommand;
    };

    if (equalsNoCase(command, "Enable") && prefixOk(true)) return setOutput(true);
    if (equalsNoCase(command, "Disable") && prefixOk(true)) return setOutput(false);
    if (dialect_.hasUnitCommands && equalsNoCase(command, "MW")) {
        powerInMw_ = true;
        return;
    }
    if (dialect_.hasUnitCommands && equalsNoCase(command, "DBM")) {
        powerInMw_ = false;
        return;
    }
    if (dialect_.opcHandshake && equalsNoCase(command, "*OPC?")) return answerWhenIdle("1");
    if (const auto pair = splitKeyValue(command)) {
        const bool channelCommand = equalsNoCase(pair->key, "P") || equalsNoCase(pair->key, dialect_.wavelengthKey);
        if (prefixOk(channelCommand) && handleKeyValue(pair->key, pair->value)) return;
    }
    unknownCommand();
}

bool SimKeyValueLaser::handleKeyValue(std::string_view key, std::string_view value)
{
    auto number = [this, value](auto&& apply) {
        if (const auto v = parseNumber(value))
            apply(*v);
        else
            invalidValue();
        return true;
    };
    if (equalsNoCase(key, "P"))
        return number([this](double v) { powerInMw_ ? setPowerMw(v) : setPowerDbm(v); });
    if (equalsNoCase(key, dialect_.wavelengthKey)) return number([this](double v) { moveTo(v); });
    if (dialect_.auxKey != nullptr && equalsNoCase(key, dialect_.auxKey))
        return number([this](double v) { setAuxWavelength(v); });
    if (equalsNoCase(key, "I")) return number([this](double v) { setCurrent(v); });
    if (dialect_.hasSpeed && equalsNoCase(key, "MOTOR_SPEED")) {
        const auto n = parseInteger(value);
        if (!n) {
            invalidValue();
        } else if (dialect_.speedIsIndex) {
            if (*n >= 1 && *n <= 19)
                setSpeed(200.0 / static_cast<double>(*n + 1));
            else
                invalidValue();
        } else {
            setSpeed(static_cast<double>(*n));
        }
        return true;
    }
    return false;
}

}  // namespace vemarsim
