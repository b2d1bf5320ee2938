#pragma once

// The slope dialog ("Side Front", a click on either slope caption): the top
// and bottom levels of the flanks, relative to the peak. "OK" closes it only
// when the bottom level lies below the top one.

#include <QDialog>

#include "CurveAnalysis.h"

class QLabel;
class TDoubleEdit;

class TFormSideFront : public QDialog {
    Q_OBJECT

public:
    explicit TFormSideFront(const CurveLevels& levels, QWidget* parent = nullptr);

    CurveLevels accepted(const CurveLevels& levels) const;
    QString errorText() const;

    void ButtonOkClick();

private:
    TDoubleEdit* top_;
    TDoubleEdit* bottom_;
    QLabel* error_;
};
