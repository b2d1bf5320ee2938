#pragma once

// The parameter panel of the passband page: detection threshold, grid,
// passband half-width and bandwidth levels on the left, the alarm limits on
// the right, and the buttons that save and load result files. Every edit box
// and the grid selector are bound to the engine's properties; while they
// are locked (a measurement runs) the boxes are greyed out.

#include <QFrame>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "Associate.h"
#include "GridType.h"
#include "Observable.h"

class ApplicationConfig;
class DoubleEditable;
class Passband;
class Passband_Alarm;
class Passband_BandwidthAlarm;
class QComboBox;
class QLabel;
class QPushButton;
class TDoubleEdit;
template <typename T>
class ComboBoxEditable;

class TPassBandParameters : public QFrame {
    Q_OBJECT

public:
    // The engine's properties are bound, not owned; settings gives (and a
    // save changes) the data folder of the result files.
    TPassBandParameters(Passband& passband, ApplicationConfig& settings, QWidget* parent = nullptr);
    ~TPassBandParameters() override;

    // The filters of the result file dialogs, in the order of the choices.
    static const QStringList saveFilters;
    static const QStringList loadFilters;

    // "save": a save dialog in the data folder; the first filter writes the
    // "*.passband.xml" file, the other the text file; the file's folder then
    // becomes the data folder.
    void saveClick();
    // "load": an open dialog in the data folder; the file's parameters and
    // results replace the page's.
    void loadClick();
    // What the buttons do once the file is chosen. A file that cannot be
    // written or read is said in a message box and changes nothing; true
    // when it was written or read.
    bool saveResults(const QString& path, bool xml);
    bool loadResults(const QString& path);

    TDoubleEdit* thresholdEdit() const { return thresholdEdit_; }
    QComboBox* gridCombo() const { return cbGrids_; }
    QLabel* startValue() const { return startValue_; }
    QLabel* spacingValue() const { return spacingValue_; }
    QLabel* subdivisionValue() const { return subdivisionValue_; }
    TDoubleEdit* owrEdit() const { return owr_; }
    QLabel* passbandUnit() const { return lPassbandUnit_; }
    TDoubleEdit* bandwidthEdit(int level) const { return bandwidthEdits_.at(static_cast<std::size_t>(level - 1)); }
    Passband_Alarm* centrationRow() const { return centrationRow_; }
    Passband_BandwidthAlarm* bandwidthRow(int level) const
    {
        return bandwidthRows_.at(static_cast<std::size_t>(level - 1));
    }
    Passband_Alarm* insertionLossRow() const { return insertionLossRow_; }
    Passband_Alarm* rippleRow() const { return rippleRow_; }
    Passband_Alarm* adjacentRow() const { return adjacentRow_; }
    Passband_Alarm* nonAdjacentRow() const { return nonAdjacentRow_; }
    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* loadButton() const { return loadButton_; }

    // The grid labels, the passband unit and the bounds that follow the grid.
    class GridObserver : public Observer {
    public:
        explicit GridObserver(TPassBandParameters& panel) : panel_(panel) {}
        void update() override;

    private:
        TPassBandParameters& panel_;
    };

private:
    // Loading results while a measurement runs would mix a file's results
    // with the run's: the button follows the parameters' lock.
    class LoadLockObserver : public Observer {
    public:
        explicit LoadLockObserver(TPassBandParameters& panel) : panel_(panel) {}
        void update() override;

    private:
        TPassBandParameters& panel_;
    };

    QWidget* buildLeftColumn();
    QWidget* buildAlarms();
    // The data folder, created when missing.
    QString dataFolder() const;

    Passband& passband_;
    ApplicationConfig& settings_;
    std::vector<Associate<GridType>> gridAssociates_;

    TDoubleEdit* thresholdEdit_ = nullptr;
    QComboBox* cbGrids_ = nullptr;
    QLabel* startValue_ = nullptr;
    QLabel* spacingValue_ = nullptr;
    QLabel* subdivisionValue_ = nullptr;
    TDoubleEdit* owr_ = nullptr;
    QLabel* lPassbandUnit_ = nullptr;
    std::array<TDoubleEdit*, 3> bandwidthEdits_{};
    QPushButton* saveButton_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    Passband_Alarm* centrationRow_ = nullptr;
    std::array<Passband_BandwidthAlarm*, 3> bandwidthRows_{};
    Passband_Alarm* insertionLossRow_ = nullptr;
    Passband_Alarm* rippleRow_ = nullptr;
    Passband_Alarm* adjacentRow_ = nullptr;
    Passband_Alarm* nonAdjacentRow_ = nullptr;

    std::vector<std::unique_ptr<DoubleEditable>> binders_;
    std::unique_ptr<ComboBoxEditable<GridType>> gridBinder_;
    GridObserver gridObserver_{*this};
    LoadLockObserver loadLockObserver_{*this};
};
