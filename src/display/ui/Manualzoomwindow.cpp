#include "Manualzoomwindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ChartDialogRules.h"
#include "ChartDialogWidgets.h"
#include "Doubleedit.h"

TFormManualZoomWindow::TFormManualZoomWindow(const ChartRanges& current, QWidget* parent) : QDialog(parent)
{
    setObjectName("FormManualZoomWindow");
    setWindowTitle("Scale");
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    using ChartDialogWidgets::numberEdit;
    xMin_ = numberEdit(this, "DoubleEditXMin", scaleXEdit, current.bottom.minimum);
    xMax_ = numberEdit(this, "DoubleEditXMax", scaleXEdit, current.bottom.maximum);
    yMin_ = numberEdit(this, "DoubleEditYMin", scaleYEdit, current.left.minimum);
    yMax_ = numberEdit(this, "DoubleEditYMax", scaleYEdit, current.left.maximum);
    grid->addWidget(new QLabel("X min", this), 0, 0);
    grid->addWidget(xMin_, 0, 1);
    grid->addWidget(new QLabel("X max", this), 0, 2);
    grid->addWidget(xMax_, 0, 3);
    grid->addWidget(new QLabel("Y min", this), 1, 0);
    grid->addWidget(yMin_, 1, 1);
    grid->addWidget(new QLabel("Y max", this), 1, 2);
    grid->addWidget(yMax_, 1, 3);
    column->addLayout(grid);
    error_ = new QLabel(noErrorText, this);
    error_->setObjectName("LabelError");
    error_->setStyleSheet("QLabel { color: #c00000; }");
    column->addWidget(error_);
    QPushButton* ok = ChartDialogWidgets::addButtons(*this, *column);
    connect(ok, &QPushButton::clicked, this, &TFormManualZoomWindow::ButtonOkClick);
}

ChartRanges TFormManualZoomWindow::ranges() const
{
    return {{xMin_->GetValue(), xMax_->GetValue()}, {yMin_->GetValue(), yMax_->GetValue()}};
}

QString TFormManualZoomWindow::errorText() const { return error_->text(); }

void TFormManualZoomWindow::ButtonOkClick()
{
    const ChartRanges r = ranges();
    const std::string error = scaleDialogError(r.bottom.minimum, r.bottom.maximum, r.left.minimum, r.left.maximum);
    if (!error.empty()) {
        error_->setText(QString::fromStdString(error));
        return;
    }
    accept();
}
