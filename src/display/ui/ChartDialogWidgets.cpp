#include "ChartDialogWidgets.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

#include "Doubleedit.h"

namespace ChartDialogWidgets {

TDoubleEdit* numberEdit(QWidget* parent, const char* name, const EditBounds& bounds, double value)
{
    auto* edit = new TDoubleEdit(parent);
    edit->setObjectName(name);
    edit->SetRange(bounds.minimum, bounds.maximum);
    edit->SetIncrement(bounds.increment);
    edit->SetPrecision(bounds.decimals);
    edit->SetValue(value);
    edit->setMinimumWidth(100);
    return edit;
}

QPushButton* addButtons(QDialog& dialog, QBoxLayout& layout)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName("ButtonOk");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", &dialog);
    cancel->setObjectName("ButtonCancel");
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout.addLayout(row);
    return ok;
}

}  // namespace ChartDialogWidgets
