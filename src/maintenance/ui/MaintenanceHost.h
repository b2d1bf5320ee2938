#pragma once

// What the maintenance pages ("Control/Calibration", "Factory") ask of the
// window around them. The window (TFormZovEZO) answers it itself; the tests
// answer it from a session of their own. The pages call it on user
// commands and timer ticks only, never while they are being built.

#include <QString>
#include <string>

#include "WindowDialogs.h"

class MeasurementSession;

class MaintenanceHost {
public:
    virtual ~MaintenanceHost() = default;

    // The settings, the live sources, the scan store and the window's copy
    // of the unit's identity.
    virtual MeasurementSession& session() = 0;
    virtual const WindowDialogs& dialogs() const = 0;
    // A usable unit was found by the last detection (or forced present).
    virtual bool instrumentPresent() const = 0;
    // No measurement runs nor is being started.
    virtual bool idle() const = 0;
    // The program was started with the factory switch.
    virtual bool factory() const = 0;
    // The folder of the program file, ending with "/".
    virtual std::string programFolder() const = 0;
    // The wait window over the window, while the unit is busy.
    virtual void showWait(const QString& caption, const QString& text) = 0;
    virtual void hideWait() = 0;
    // The etalon sits on port 1: the detector boxes "2", "3", "4", "EXT"
    // and "ORL" of the measurement settings are unchecked.
    virtual void uncheckEtalonDetectors() = 0;
    // A unit operation of a page ended: the window may use the unit again
    // (a device detection that waited for it runs now).
    virtual void unitOperationEnded() = 0;
};
