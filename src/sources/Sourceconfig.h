#pragma once

// The source configuration: one record per tunable source (SourceConfig) and
// the set of four records with the common scan power and range (ConfLaser).
//
// Source operations return 0, or NotPresent (-1), PowerRefused (-2),
// WavelengthRefused (-3), SpeedRefused (-4).
//
// One ConfLaser is live for the whole process (ConfLaser::live()): the one the
// source editors, the main window and the measurement use. Each scan trace
// keeps its own copy.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "C_Laser.h"

class ConfLaser;
class TiXmlElement;

class SourceConfig {
public:
    static constexpr int Ok = 0;
    static constexpr int NotPresent = -1;
    static constexpr int PowerRefused = -2;
    static constexpr int WavelengthRefused = -3;
    static constexpr int SpeedRefused = -4;

    SourceConfig();
    // A record with the other's name, then assigned from it (see operator=).
    SourceConfig(const SourceConfig& other);
    // Takes the other record's type, enable, address, range, speed, start and
    // stop, and copies of its driver's current templates. The driver is
    // rebuilt and told the address; nothing goes on the bus (the device opens
    // at the first operation). The name, startShift, power and rangeValid
    // stay.
    SourceConfig& operator=(const SourceConfig& other);
    ~SourceConfig();

    std::string name = "0";
    std::unique_ptr<C_Laser> laser;
    bool enable = false;
    bool rangeValid = false;
    std::int32_t address = 0;
    double lambdaMin = 1240.0;  // nm
    double lambdaMax = 1680.0;  // nm
    double start = 0.0;         // nm, the part of the current scan this source covers
    double stop = 0.0;          // nm
    double startShift = 0.0;    // GHz
    double power = 1.0;         // mW
    std::int32_t type = 8;
    std::int32_t speed = 99;    // nm/s

    // Creates the driver of the type (unless one of that type exists) at
    // address; its device opens at the first operation. Codes outside 0 to
    // 10 give no driver.
    void SetType(int code);
    // Creates the driver first when there is none; with a new address the
    // next operation opens the device there.
    void SetAddress(int value);
    void SetLambdaMin(double value);
    void SetLambdaMax(double value);
    void SetScanRange(double scanStart, double scanStop);
    void SetStart(double value);
    void SetPowerValue(double value) { power = value; }

    // Each first tests that the record takes part (enabled) and that its
    // instrument answers; a record without a driver is not present. An
    // instrument that stops answering during the operation is not present
    // either (rather than refusing the value).
    int ApplyPower(float powerMw);
    int ApplyCurrent(float current);
    int SwitchOutput(bool on);
    int MoveToStart();
    int MoveToStop();
    int StartMoveToStart();
    int ApplySpeed(int speedNmPerS);

    // The record's part of the Sources section: reads the first "Source"
    // child named like the record (nothing changes without one) and writes
    // one "Source" element.
    void Load(const TiXmlElement& sourcesNode);
    void Save(TiXmlElement& sourcesNode) const;

    // After type or address were read from a file: a driver of another type
    // is rebuilt and a driver at another address is re-addressed.
    void AlignDriver();

    // Reads the "Address" attribute of a Source element into address: a
    // missing one gives 1, a malformed one or one outside the bus (0 to 30)
    // leaves address unchanged, the latter with a warning naming the record.
    static void ReadAddress(const TiXmlElement& element, const std::string& recordName, std::int32_t& address);

private:
    friend class ConfLaser;

    // Enabled, with a driver whose instrument answers.
    bool Answers();
    // code, or NotPresent when the driver lost its instrument.
    int Refused(int code) const;

    void createDriver();
    // The record's element of the section with its fields read, or nullptr.
    const TiXmlElement* readFields(const TiXmlElement& sourcesNode);
    // Each template of the driver from its attribute, or its default text.
    void readTemplates(const TiXmlElement& element);

    // The type the current driver was built for.
    int driverType_ = -1;
};

class ConfLaser {
public:
    static constexpr int sourceCount = 4;
    static constexpr std::size_t messageSize = 256;

    // The process-wide configuration.
    static ConfLaser& live();

    ConfLaser();
    ConfLaser(const ConfLaser& other);
    // Each record assigned from its twin, then power, the scan range (with
    // SetScanStart and SetScanStop) and speed.
    ConfLaser& operator=(const ConfLaser& other);
    ~ConfLaser();

    std::array<char, messageSize> message{};
    double power = 1.0;        // mW
    double lambdaMin = 1240.0;  // nm, scan start
    double lambdaMax = 1680.0;  // nm, scan stop
    // Common speed: when positive, Init gives it to every participating source.
    std::int32_t speed = 0;
    std::int32_t count = sourceCount;
    std::array<SourceConfig, sourceCount> sources;
    std::int32_t firstActive = sourceCount;
    std::int32_t endActive = sourceCount;

    void SetScanStart(double value);
    void SetScanStop(double value);
    void ApplyScanRange();
    int UpdateActiveRange();

    // Sets every enabled, in-range source to the common power and moves it to
    // its start wavelength, all sources in parallel. Returns the message of
    // the failure of the lowest source index, or nullptr when all are ready.
    const char* Init();

    // "Off": every enabled record whose instrument answers switches its
    // output off. Returns the number of records that did.
    int SwitchOutputsOff();

    // Over the enabled records; the largest finite double and the smallest
    // positive normal double when none is enabled.
    double LowestLambdaMin() const;
    double HighestLambdaMax() const;

    // The Sources section. Load with nullptr (no file or no section) only
    // enables TLS_0. Drivers are brought in line with loaded types and addresses.
    void Load(const TiXmlElement* node);
    void Save(TiXmlElement& node) const;

private:
    void nameRecords();
};
