// The main window's exports of the selected scan and of the factory charts:
// "Save Wavelength Sync File", "Save Power Sync File" and the "Save" of
// "Sweeping velocity", "Mode Hopping" and "Output power". Each asks for a
// file in the data folder; the folder of the chosen file becomes the data
// folder (the scan dialogs start there too).

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include <string>

#include "Applicationconfig.h"
#include "ChartPageFiles.h"
#include "MeasurementSession.h"
#include "ScanInfoCharts.h"
#include "ScanTrace.h"
#include "Scanmanager.h"
#include "SynchronisationFiles.h"
#include "Zovezo.h"

namespace {

const QString syncFilter = QStringLiteral("Sync files (*.txt)");
const QString syncSuffix = QStringLiteral("txt");
const QString pngFilter = QStringLiteral("PNG files (*.png)");
const QString pngSuffix = QStringLiteral("png");

}  // namespace

void TFormZovEZO::connectExports()
{
    connect(wavelengthSyncButton_, &QPushButton::clicked, this, &TFormZovEZO::Button6Click);
    connect(powerSyncButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonOutPowSyncFileClick);
    connect(syncOn_, &QRadioButton::toggled, this, [this] { syncFileButtonsEnabling(idle()); });
    for (int chart = 0; chart < static_cast<int>(chartSaveButtons_.size()); ++chart)
        connect(chartSaveButtons_[chart], &QPushButton::clicked, this, [this, chart] { saveInfoChart(chart); });
}

void TFormZovEZO::syncFileButtonsEnabling(bool idle)
{
    // The files describe an externally synchronised acquisition: they are
    // offered only while that is on, and never while a measurement runs.
    const bool on = idle && syncOn_->isEnabled() && syncOn_->isChecked();
    wavelengthSyncButton_->setEnabled(on);
    powerSyncButton_->setEnabled(on);
}

QString TFormZovEZO::askExportFileName(const QString& filter, const QString& suffix)
{
    const std::string dataFolder = settings().dataFolder;
    createFolderTree(dataFolder);
    return dialogs_.saveFileName(QString::fromStdString(dataFolder), filter, suffix);
}

void TFormZovEZO::exportWritten(const QString& fileName, bool written, const std::string& why)
{
    if (!written) {
        // Said, unlike a silent failure: the operator would otherwise take
        // the missing file for a written one.
        dialogs_.message(2, "Save", QString("Can't save the file %1\n%2").arg(fileName, QString::fromStdString(why)));
        return;
    }
    settings().dataFolder = folderOf(fileName.toStdString());
}

void TFormZovEZO::Button6Click()
{
    // The trace selected when the button is pressed (the empty trace when
    // none is: the file then has no lines).
    const ScanTrace& trace = scans().Current();
    const QString fileName = askExportFileName(syncFilter, syncSuffix);
    if (fileName.isEmpty()) return;
    const std::string path = fileName.toStdString();
    exportWritten(fileName, WriteWavelengthSyncFile(path, trace.result()) == 0, fileWriteProblem(path, {}));
}

void TFormZovEZO::ButtonOutPowSyncFileClick()
{
    const QString fileName = askExportFileName(syncFilter, syncSuffix);
    if (fileName.isEmpty()) return;
    const std::string path = fileName.toStdString();
    const bool bnc = settings().scanParameters.bncEnable != 0;
    exportWritten(fileName, WritePowerSyncFile(path, scans().Current().result(), bnc) == 0,
                  fileWriteProblem(path, {}));
}

void TFormZovEZO::saveInfoChart(int chart)
{
    const QString fileName = askExportFileName(pngFilter, pngSuffix);
    if (fileName.isEmpty()) return;
    std::string why;
    const bool saved =
        scanInfoCharts_->savePng(static_cast<TScanInfoCharts::Chart>(chart), fileName.toStdString(), &why);
    exportWritten(fileName, saved, why);
}
