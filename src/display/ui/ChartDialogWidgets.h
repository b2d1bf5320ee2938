#pragma once

// The pieces the chart page's small dialogs share: a numeric edit set up
// from its bounds, and the row of "OK" and "Cancel".

#include "ChartDialogRules.h"

class QBoxLayout;
class QDialog;
class QPushButton;
class QWidget;
class TDoubleEdit;

namespace ChartDialogWidgets {

TDoubleEdit* numberEdit(QWidget* parent, const char* name, const EditBounds& bounds, double value);

// "OK" (the default button) and "Cancel" (rejects); returns "OK", which the
// dialog connects to its own check.
QPushButton* addButtons(QDialog& dialog, QBoxLayout& layout);

}  // namespace ChartDialogWidgets
