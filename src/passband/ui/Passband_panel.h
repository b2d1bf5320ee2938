#pragma once

// The "Band-pass filter analysis" page: the passband engine on the scan
// store, its parameter panel and its results table, and the button at the
// bottom that switches between the two (the page opens on the panel).
//
// The main window drives it:
//   measurement start        measurementStarts() (lockParameters(), then
//                            clearResults())
//   each completed scan      analyse()
//   measurement end or stop  measurementStops() (unlockParameters())
//   scan file loaded, displayed scan changed, current or all scans cleared
//                            updateCurves()
//   single / continuous measurement mode chosen (and settings applied)
//                            setContinuous() (useSingleRenderer() /
//                            useContinuousRenderer())
//   configuration file saved / loaded
//                            configurationSection() in the file's sections,
//                            or saveConfiguration() / loadConfiguration()
//                            with the file's Passband element
// Everything runs on the window's thread.

#include <QFrame>
#include <memory>

#include "Observable.h"

class ApplicationConfig;
class ConfigurationSection;
class PassbandSection;
class Passband;
class Passband_ContinousRenderer;
class Passband_Model;
class Passband_TableRenderer;
class QPushButton;
class QWidget;
class ScanManager;
class SelectedTraceCurves;
class TPassBandParameters;
class TTableFrame;
class TiXmlElement;

class TPassBandFrame : public QFrame {
    Q_OBJECT

public:
    // Analyses the trace selected in the scan store. settings gives the data
    // folder of the result files (a save moves it to the file's folder);
    // both must outlive the page.
    TPassBandFrame(ApplicationConfig& settings, const ScanManager& scans, QWidget* parent = nullptr);
    // Analyses whatever the view shows (tests, demonstrations).
    TPassBandFrame(ApplicationConfig& settings, const SelectedTraceCurves& curves, QWidget* parent = nullptr);
    ~TPassBandFrame() override;

    // After a completed scan: analyses the selected trace; the results add
    // to the minima and maxima since the last clear.
    void analyse();
    // The curves changed (a scan loaded, the displayed scan changed, scans
    // cleared): clears the results and analyses the selected trace afresh.
    void updateCurves();
    // Freezes (frees) every parameter and alarm limit: their edit boxes and
    // the grid selector are greyed out and refuse changes, and so does
    // "load"; "save" stays available.
    void lockParameters();
    void unlockParameters();
    // Empties the results (and the table) without analysing.
    void clearResults();
    // The table of a single measurement (rows of 25 pixels, the latest
    // figures) or of a continuous one (rows of 80 pixels, minimum, latest
    // and maximum of each figure). The rows are not rebuilt.
    void useSingleRenderer();
    void useContinuousRenderer();
    // The "Configuration" and "Alarms" elements of the configuration file's
    // Passband element; a load without element changes nothing.
    void saveConfiguration(TiXmlElement& passbandElement) const;
    void loadConfiguration(const TiXmlElement* passbandElement);
    // The same as the Passband section of the configuration file frame.
    ConfigurationSection& configurationSection();

    // The main window's calls in one word each.
    void measurementStarts()
    {
        lockParameters();
        clearResults();
    }
    void measurementStops() { unlockParameters(); }
    void setContinuous(bool continuous)
    {
        if (continuous)
            useContinuousRenderer();
        else
            useSingleRenderer();
    }

    // The button's action: the table or the panel, in turn.
    void selectPanelClick();
    bool tableShown() const;

    Passband& passband() { return *passband_; }
    const Passband& passband() const { return *passband_; }
    TTableFrame* table() const { return table_; }
    TPassBandParameters* parameters() const { return parameters_; }
    QPushButton* selectPanel() const { return selectPanel_; }
    QWidget* buttonPanel() const { return buttonPanel_; }
    Passband_Model& model() const { return *model_; }
    const Passband_TableRenderer& singleRenderer() const { return *singleRenderer_; }
    const Passband_ContinousRenderer& continuousRenderer() const { return *continuousRenderer_; }

private:
    TPassBandFrame(ApplicationConfig& settings, std::unique_ptr<Passband> passband, QWidget* parent);

    // A changed alarm limit recolours the shown rows at once.
    class AlarmsRepaint : public Observer {
    public:
        explicit AlarmsRepaint(TPassBandFrame& page) : page_(page) {}
        void update() override;

    private:
        TPassBandFrame& page_;
    };

    std::unique_ptr<Passband> passband_;
    std::unique_ptr<PassbandSection> section_;
    std::unique_ptr<Passband_ContinousRenderer> continuousRenderer_;
    std::unique_ptr<Passband_TableRenderer> singleRenderer_;
    std::unique_ptr<Passband_Model> model_;
    TTableFrame* table_ = nullptr;
    TPassBandParameters* parameters_ = nullptr;
    QWidget* buttonPanel_ = nullptr;
    QPushButton* selectPanel_ = nullptr;
    bool showTable_ = false;
    AlarmsRepaint alarmsRepaint_{*this};
};
