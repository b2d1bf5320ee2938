#pragma once

// The titles of the passband results table; they follow the grid's unit and
// the three bandwidth levels.

#include <array>

#include "Cell.h"
#include "Observable.h"

class Passband;

class Passband_TitleModel : public Observer {
public:
    explicit Passband_TitleModel(Passband& passband);
    ~Passband_TitleModel();
    Passband_TitleModel(const Passband_TitleModel&) = delete;
    Passband_TitleModel& operator=(const Passband_TitleModel&) = delete;

    void update() override;
    const TitleCell& title(int column) const { return titles_.at(static_cast<std::size_t>(column)); }

private:
    Passband& passband_;
    std::array<TitleCell, 10> titles_;
};
