#pragma once

// What "vemar-cli scan" is asked to do, read from its options, and how it
// changes the settings for the run (the configuration file stays as it is
// unless --save-config is given).

#include <array>
#include <optional>
#include <string>

class ApplicationConfig;
class ConfLaser;
class IdentityRecord;
class ParsedOptions;

struct ScanFormats {
    bool xml = false;
    bool csv = false;
    bool txt = false;
    bool png = false;
};

// Inputs beside detector 1, which is always measured.
struct DetectorSelection {
    bool detector2 = false;
    bool detector3 = false;
    bool detector4 = false;
    bool ext = false;
    bool orl = false;
};

struct ScanRequest {
    bool continuous = false;
    int scans = 1;
    std::optional<int> delaySeconds;
    std::optional<double> startNm;
    std::optional<double> stopNm;
    std::optional<int> stepPm;
    std::optional<double> powerMw;
    std::optional<DetectorSelection> detectors;
    std::optional<std::string> outBase;
    ScanFormats formats;
    bool analyse = false;
};

// UsageError for anything the options alone show to be wrong.
ScanRequest parseScanRequest(const ParsedOptions& options);

// The request into the settings and the source configuration: single or
// continuous with its limit, delay, range, resolution, power and inputs.
// With --out the settings' automatic saving is off for the run (the files
// go under BASE instead). UsageError when the range leaves what the enabled
// sources cover or is narrower than 5 nm.
void applyScanRequest(const ScanRequest& request, ApplicationConfig& settings, ConfLaser& sources);

// Drops the inputs the unit does not have, as the window unchecks their
// boxes; UsageError when the request named one of them.
void fitDetectorsToUnit(const ScanRequest& request, ApplicationConfig& settings, const IdentityRecord& identity);

// The file names of scan k (1-based) of the run: BASE for a single scan,
// BASE_k (k zero-padded to the digits of the scan count) in a continuous run.
std::string scanBaseName(const ScanRequest& request, int k);
