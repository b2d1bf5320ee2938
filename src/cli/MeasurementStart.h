#pragma once

// What the window's start button does before the measurement thread runs:
// the per-measurement fields of the scan parameter block and the "Last
// Scan" trace with one curve per measured input.

class ApplicationConfig;
class ConfLaser;
class ScanManager;
class ScanTrace;
class SourceConfigurationView;

// The fields the window fills at each start. The tool has no factory
// switch, so precise mode and the factory acquisition modes are off.
// CliError when no enabled source covers the scan range.
void fillMeasurementFields(ApplicationConfig& settings, ConfLaser& sources);

// The first trace named "Last Scan" (a new one when there is none), made
// current, with curves "1" to "4", "Ext" and "Orl" for the enabled inputs
// (envelopes in continuous mode) and none for the others.
ScanTrace& lastScanTrace(ScanManager& scans, const SourceConfigurationView& liveConfiguration,
                         const ApplicationConfig& settings);

inline constexpr const char* lastScanName = "Last Scan";
