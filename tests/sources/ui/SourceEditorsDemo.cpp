// The source panel and the command dialog drawn into pictures, the way the
// main window's " Sources Parameters " group shows them:
//   source_editors_demo [folder]
// writes source-panel.png (TLS1 enabled, a generic IEEE 488.2 source),
// source-panel-hint.png (two sources, the 5 nm hint after a low wavelength
// came too close) and source-commands.png (the command dialog).
// Run it under xvfb-run (or QT_QPA_PLATFORM=offscreen) and look at them.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "Componentsourceeditor.h"
#include "Doubleedit.h"
#include "GpibBinding.h"
#include "Gpibsourceeditor.h"
#include "Panelsourceeditor.h"
#include "SourceTypes.h"
#include "Sourceconfig.h"

namespace {

bool save(QWidget& widget, const QDir& folder, const char* name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromLatin1(name));
    const QImage image = widget.grab().toImage();
    if (image.isNull() || !image.save(path)) {
        std::fprintf(stderr, "source_editors_demo: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    // Records only: no GPIB library, so nothing can reach a bus.
    Gpib::setCandidateLibraries({});

    ConfLaser sources;
    SourceConfig& first = sources.sources[0];
    first.enable = true;
    first.address = 10;
    first.lambdaMin = 1240.0;
    first.lambdaMax = 1640.0;
    first.speed = 20;
    first.type = SourceTypes::Manual;
    for (int i = 1; i < ConfLaser::sourceCount; ++i) {
        SourceConfig& other = sources.sources[static_cast<std::size_t>(i)];
        other.address = 10 + i;
        other.type = SourceTypes::Agilent;
        other.speed = 40;
        other.lambdaMin = 1440.0;
        other.lambdaMax = 1640.0;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Sources"));
    auto* layout = new QVBoxLayout(&window);
    auto* group = new QGroupBox(QStringLiteral(" Sources Parameters "), &window);
    auto* groupLayout = new QVBoxLayout(group);
    auto* panel = new TPanelSourceEditor(group, sources);
    groupLayout->addWidget(panel);
    layout->addWidget(group);
    layout->addStretch(1);
    window.resize(1024, 230);
    window.show();

    bool ok = save(window, folder, "source-panel.png");

    // A second source, then a low wavelength typed 2 nm under its high one.
    panel->row(1)->enableBox()->click();
    panel->row(1)->lowEdit()->SetValue(1638.0);
    ok = save(window, folder, "source-panel-hint.png") && ok;

    TGpibSourceEditor* dialog = panel->row(0)->commandDialog();
    panel->row(0)->editButton()->click();
    ok = save(*dialog, folder, "source-commands.png") && ok;
    dialog->ButtonCancelClick();
    return ok ? 0 : 1;
}
