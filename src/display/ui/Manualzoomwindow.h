#pragma once

// The "Scale" dialog of the chart page: the four axis limits typed by hand.
// "OK" closes it only when both maxima lie above their minima; otherwise
// the error label says which pair is wrong and the dialog stays.

#include <QDialog>

#include "ChartAxes.h"

class QLabel;
class QPushButton;
class TDoubleEdit;

class TFormManualZoomWindow : public QDialog {
    Q_OBJECT

public:
    // The edits start at the axes' current ranges.
    explicit TFormManualZoomWindow(const ChartRanges& current, QWidget* parent = nullptr);

    // What the edits hold.
    ChartRanges ranges() const;
    QString errorText() const;

    void ButtonOkClick();

private:
    TDoubleEdit* xMin_;
    TDoubleEdit* xMax_;
    TDoubleEdit* yMin_;
    TDoubleEdit* yMax_;
    QLabel* error_;
};
