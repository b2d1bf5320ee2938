#pragma once

// The spectral-width dialog (a click on the width caption): the threshold
// the curve's peak must reach for any figure, and the width level below the
// peak, typed as a positive number of dB. Only "OK" changes the levels.

#include <QDialog>

#include "CurveAnalysis.h"

class TDoubleEdit;

class TFormFWHMWindow : public QDialog {
    Q_OBJECT

public:
    explicit TFormFWHMWindow(const CurveLevels& levels, QWidget* parent = nullptr);

    // The levels given, with the edits' threshold and width level.
    CurveLevels accepted(const CurveLevels& levels) const;

private:
    TDoubleEdit* threshold_;
    TDoubleEdit* belowMaximum_;
};
