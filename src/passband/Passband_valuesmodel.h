#pragma once

// The rows of the passband results table, rebuilt from the results after
// every analysis; their alarm flags follow the alarm limits at once.

#include <memory>
#include <vector>

#include "Line.h"
#include "Observable.h"

class Passband;

class Passband_ValuesModel {
public:
    explicit Passband_ValuesModel(Passband& passband);
    ~Passband_ValuesModel();
    Passband_ValuesModel(const Passband_ValuesModel&) = delete;
    Passband_ValuesModel& operator=(const Passband_ValuesModel&) = delete;

    void rebuild();
    int rowCount() const { return static_cast<int>(lines_.size()); }
    // nullptr outside 0 ... rowCount - 1.
    const Line* line(int row) const;

    class AlarmsObserver : public Observer {
    public:
        explicit AlarmsObserver(Passband_ValuesModel& model) : model_(model) {}
        void update() override;

    private:
        Passband_ValuesModel& model_;
    };

private:
    Passband& passband_;
    std::vector<std::unique_ptr<Line>> lines_;
    AlarmsObserver alarmsObserver_{*this};
};
