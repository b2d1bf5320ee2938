#include "Sidefrontwindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ChartDialogRules.h"
#include "ChartDialogWidgets.h"
#include "Doubleedit.h"

TFormSideFront::TFormSideFront(const CurveLevels& levels, QWidget* parent) : QDialog(parent)
{
    setObjectName("FormSideFront");
    setWindowTitle("Side Front");
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    top_ = ChartDialogWidgets::numberEdit(this, "DoubleEditTopFront", slopeLevelEdit, levels.slopeTopLevel);
    bottom_ =
        ChartDialogWidgets::numberEdit(this, "DoubleEditBottomFront", slopeLevelEdit, levels.slopeBottomLevel);
    grid->addWidget(new QLabel("Top", this), 0, 0);
    grid->addWidget(top_, 0, 1);
    grid->addWidget(new QLabel("dB", this), 0, 2);
    grid->addWidget(new QLabel("Bottom", this), 1, 0);
    grid->addWidget(bottom_, 1, 1);
    grid->addWidget(new QLabel("dB", this), 1, 2);
    column->addLayout(grid);
    error_ = new QLabel(noErrorText, this);
    error_->setObjectName("LabelError");
    error_->setStyleSheet("QLabel { color: #c00000; }");
    column->addWidget(error_);
    QPushButton* ok = ChartDialogWidgets::addButtons(*this, *column);
    connect(ok, &QPushButton::clicked, this, &TFormSideFront::ButtonOkClick);
}

CurveLevels TFormSideFront::accepted(const CurveLevels& levels) const
{
    return acceptSlopeDialog(levels, top_->GetValue(), bottom_->GetValue());
}

QString TFormSideFront::errorText() const { return error_->text(); }

void TFormSideFront::ButtonOkClick()
{
    const std::string error = slopeDialogError(top_->GetValue(), bottom_->GetValue());
    if (!error.empty()) {
        error_->setText(QString::fromStdString(error));
        return;
    }
    accept();
}
