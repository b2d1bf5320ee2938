#pragma once

// The passband analysis engine of the "Band-pass filter analysis" page. For
// every curve of the selected trace it finds the channels above a detection
// threshold and computes, per channel, the ten figures of Passband_Value;
// results accumulate per curve name as the latest value plus a running
// minimum and maximum until the next clear.
//
// Runs on the window's thread. Every accepted change of one of the six
// analysis parameters clears the results and analyses again.

#include <memory>
#include <string>

#include "Bandwidth.h"
#include "CentralWavelength.h"
#include "Editable.h"
#include "Observable.h"
#include "Passband_Alarms.h"
#include "Passband_Grid.h"
#include "Passband_ValuesManager.h"

class ScanManager;
class SelectedTraceCurves;
class TiXmlElement;

class Passband : public Observer {
public:
    // Analyses the selected trace of the scan store.
    explicit Passband(const ScanManager& scans);
    // Analyses whatever the given view shows (tests feed synthetic curves).
    explicit Passband(const SelectedTraceCurves& scans);
    virtual ~Passband();
    Passband(const Passband&) = delete;
    Passband& operator=(const Passband&) = delete;

    // Analyses the selected trace with the current parameters.
    void analyse();
    // A parameter changed: clear the results, tell their observers, analyse.
    void update() override;
    // Clears the results and tells their observers, without analysing (at
    // the start of a measurement).
    void clearResults();

    // Freezes (or frees) every parameter and alarm limit during a measurement.
    void lockParameters();
    void unlockParameters();

    // The "Configuration" and "Alarms" elements of a passband section.
    void saveConfiguration(TiXmlElement& parent) const;
    // parent may be nullptr (no section in the file): nothing changes.
    void loadConfiguration(const TiXmlElement* parent);

    // Result files: the parameters, then the results.
    void save(TiXmlElement& parent) const;
    void load(const TiXmlElement& parent);
    // The text result file's contents.
    std::string writeText() const;

    const Grid* currentGrid() const { return grid.getCurrent(); }
    const Passband_ValuesManager& results() const { return results_; }
    Passband_ValuesManager& results() { return results_; }

    Editable<float> threshold{-30.0f};
    Passband_Grid grid;
    Editable<float> bandwidth1{-1.0f};
    Editable<float> bandwidth2{-3.0f};
    Editable<float> bandwidth3{-20.0f};
    Editable<float> owr{10.0f};
    Passband_Alarms alarms{100.0f};

private:
    explicit Passband(std::unique_ptr<SelectedTraceCurves> view);
    void observeParameters();
    // The six analysis parameters in the order of registration and locking.
    template <typename F>
    void forEachParameter(F f)
    {
        f(threshold);
        f(grid.gridType);
        f(bandwidth1);
        f(bandwidth2);
        f(bandwidth3);
        f(owr);
    }
    void analyseCurve(const std::string& name, const double* wavelengthNm, const double* levelDb,
                      std::size_t count, const Grid& grid, float first, float last);

    std::unique_ptr<SelectedTraceCurves> ownView_;
    const SelectedTraceCurves& scans_;
    CentralWavelength centralWavelength_;
    Bandwidth bandwidth_;
    Passband_ValuesManager results_;
};
