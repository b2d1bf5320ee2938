// A small form of edits with their up/down buttons and a hint, the way the
// main window's scan parameters use them, drawn into a picture.
//   widgets_demo [picture.png]
// Run it under xvfb-run (or QT_QPA_PLATFORM=offscreen) and look at the PNG.

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <cstdio>

#include "Doubleedit.h"
#include "Intedit.h"
#include "Panelhint.h"

namespace {

template <typename Edit>
Edit* addRow(QGridLayout* grid, int row, const char* caption, int width)
{
    grid->addWidget(new QLabel(QString::fromLatin1(caption)), row, 0);
    auto* edit = new Edit;
    // A width of 0 leaves the size to the layout and the edit's size hint.
    if (width > 0) edit->setFixedSize(width, 25);
    grid->addWidget(edit, row, 1, Qt::AlignLeft);
    return edit;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString picture = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("widgets-demo.png");

    QWidget form;
    form.setWindowTitle(QStringLiteral("Edit widgets"));
    auto* layout = new QVBoxLayout(&form);
    auto* group = new QGroupBox(QStringLiteral("Scan Parameters"));
    auto* grid = new QGridLayout(group);
    layout->addWidget(group);

    auto* start = addRow<TDoubleEdit>(grid, 0, "Start (nm):", 0);
    start->SetIncrement(0.1);
    start->SetRange(1240.0, 1675.0);
    start->SetValue(1528.0);
    auto* stop = addRow<TDoubleEdit>(grid, 1, "Stop (nm): ", 0);
    stop->SetIncrement(0.1);
    stop->SetRange(1245.0, 1680.0);
    stop->SetValue(1568.0);
    auto* resolution = addRow<TIntEdit>(grid, 2, "Res. (pm): ", 60);
    resolution->SetRange(1, 250);
    resolution->SetValue(5);
    auto* threshold = addRow<TDoubleEdit>(grid, 3, "Threshold : ", 60);
    threshold->SetIncrement(0.01);
    threshold->SetRange(-80.0, 10.0);
    threshold->SetValue(-3.0);
    auto* count = addRow<TIntEdit>(grid, 4, "Number of scans between each reset", 70);
    count->SetRange(1, 10000);
    count->SetValue(10000);
    auto* low = addRow<TDoubleEdit>(grid, 5, "Low wav.", 70);
    low->SetIncrement(0.1);
    low->SetRange(1440.0, 1640.0);
    low->SetValue(1640.0);
    auto* plain = addRow<TDoubleEdit>(grid, 6, "Without buttons", 0);
    plain->SetShowUpDown(false);
    plain->SetPrecision(3);
    plain->SetRange(1200.0, 1680.0);
    plain->SetValue(1550.123);
    auto* disabled = addRow<TDoubleEdit>(grid, 7, "Disabled", 60);
    disabled->SetIncrement(0.5);
    disabled->SetValue(10.0);
    disabled->SetEnabled(false);
    grid->setColumnStretch(2, 1);

    form.resize(720, 330);
    auto* hint = new TPanelHint(&form);
    hint->SetText(QStringLiteral(" The minimum scan range is 5nm. \n The Stop Wavelength parameter has been updated "));
    form.show();
    hint->move(start->mapTo(&form, QPoint(start->width() + 12, 0)));
    hint->show();
    hint->raise();
    form.activateWindow();
    threshold->setFocus();  // the look of the edit being typed in
    QApplication::processEvents();

    const QImage image = form.grab().toImage();
    if (image.isNull() || !image.save(picture)) {
        std::fprintf(stderr, "widgets_demo: cannot write %s\n", qPrintable(picture));
        return 1;
    }
    std::printf("%s\n", qPrintable(picture));
    return 0;
}
