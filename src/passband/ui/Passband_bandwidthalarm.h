#pragma once

// The alarm limits of one bandwidth level: "Min" edit box, unit, the level
// ("< -1.0 dB bandwidth < "), "Max" edit box, unit. The row keeps itself
// consistent: the units and the largest maximum follow the grid, the
// minimum bounds the maximum's edit box from below and the maximum bounds
// the minimum's from above.

#include <QFrame>
#include <memory>

#include "Observable.h"

class DoubleEditable;
class Passband;
class QLabel;
class TDoubleEdit;
template <typename T>
class Editable;

class Passband_BandwidthAlarm : public QFrame {
    Q_OBJECT

public:
    // level: 1, 2 or 3, the bandwidth whose limits the row edits.
    Passband_BandwidthAlarm(Passband& passband, int level, QWidget* parent = nullptr);
    ~Passband_BandwidthAlarm() override;

    TDoubleEdit* minEdit() const { return minEdit_; }
    TDoubleEdit* maxEdit() const { return maxEdit_; }
    QLabel* minUnitLabel() const { return minUnit_; }
    QLabel* maxUnitLabel() const { return maxUnit_; }
    QLabel* centreLabel() const { return centre_; }

    // The row's bandwidth level changed: the centre label.
    class BandwidthObserver : public Observer {
    public:
        explicit BandwidthObserver(Passband_BandwidthAlarm& row) : row_(row) {}
        void update() override;

    private:
        Passband_BandwidthAlarm& row_;
    };
    // The grid changed: units, and the largest maximum is twice the spacing.
    class UnitObserver : public Observer {
    public:
        explicit UnitObserver(Passband_BandwidthAlarm& row) : row_(row) {}
        void update() override;

    private:
        Passband_BandwidthAlarm& row_;
    };
    // The minimum changed: the least maximum.
    class MinObserver : public Observer {
    public:
        explicit MinObserver(Passband_BandwidthAlarm& row) : row_(row) {}
        void update() override;

    private:
        Passband_BandwidthAlarm& row_;
    };
    // The maximum changed: the largest minimum.
    class MaxObserver : public Observer {
    public:
        explicit MaxObserver(Passband_BandwidthAlarm& row) : row_(row) {}
        void update() override;

    private:
        Passband_BandwidthAlarm& row_;
    };

private:
    Passband& passband_;
    Editable<float>& level_;
    Editable<float>& min_;
    Editable<float>& max_;

    QLabel* minCaption_ = nullptr;
    TDoubleEdit* minEdit_ = nullptr;
    QLabel* minUnit_ = nullptr;
    QLabel* centre_ = nullptr;
    QLabel* maxCaption_ = nullptr;
    TDoubleEdit* maxEdit_ = nullptr;
    QLabel* maxUnit_ = nullptr;

    BandwidthObserver bandwidthObserver_{*this};
    UnitObserver unitObserver_{*this};
    MinObserver minObserver_{*this};
    MaxObserver maxObserver_{*this};
    std::unique_ptr<DoubleEditable> minBinder_;
    std::unique_ptr<DoubleEditable> maxBinder_;
};
