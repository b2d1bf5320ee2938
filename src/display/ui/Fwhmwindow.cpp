#include "Fwhmwindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ChartDialogRules.h"
#include "ChartDialogWidgets.h"
#include "Doubleedit.h"

TFormFWHMWindow::TFormFWHMWindow(const CurveLevels& levels, QWidget* parent) : QDialog(parent)
{
    setObjectName("FormFWHMWindow");
    setWindowTitle("Spectral Width");
    const WidthDialogValues values = widthDialogValues(levels);
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    threshold_ = ChartDialogWidgets::numberEdit(this, "DoubleEditThreshold", widthThresholdEdit, values.threshold);
    belowMaximum_ =
        ChartDialogWidgets::numberEdit(this, "DoubleEditFWHMPower", widthLevelEdit, values.belowMaximum);
    grid->addWidget(new QLabel("Threshold : ", this), 0, 0);
    grid->addWidget(threshold_, 0, 1);
    grid->addWidget(new QLabel("dB", this), 0, 2);
    grid->addWidget(new QLabel("FWHM at max -  ", this), 1, 0);
    grid->addWidget(belowMaximum_, 1, 1);
    grid->addWidget(new QLabel("dB", this), 1, 2);
    column->addLayout(grid);
    QPushButton* ok = ChartDialogWidgets::addButtons(*this, *column);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

CurveLevels TFormFWHMWindow::accepted(const CurveLevels& levels) const
{
    return acceptWidthDialog(levels, {threshold_->GetValue(), belowMaximum_->GetValue()});
}
