#include "FactoryPage.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <exception>
#include <memory>

#include "Applicationconfig.h"
#include "FlashControl.h"
#include "FlashIdentitySource.h"
#include "MaintenanceHost.h"
#include "MeasurementSession.h"
#include "PointSeries.h"
#include "Scanmanager.h"
#include "ScanTrace.h"
#include "Sourceconfig.h"
#include "UnitOperation.h"
#include "WindowDialogs.h"

namespace wc = WavelengthCalibration;

namespace {

const QColor green(0, 160, 0);

QPushButton* newButton(const char* name, const char* caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// The radio buttons only show the DSP's mode: the page sets them, the
// operator does not, and "Reboot DSP" clears both while it runs.
QRadioButton* modeDisplay(const char* name, const char* caption, QWidget* parent)
{
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(name);
    r->setAutoExclusive(false);
    r->setAttribute(Qt::WA_TransparentForMouseEvents);
    r->setFocusPolicy(Qt::NoFocus);
    return r;
}

QCPGraph* pointGraph(QCustomPlot& plot, const QColor& colour) { return addPointSeries(plot, colour, 4); }

int colourIndex(wc::PointColour colour)
{
    switch (colour) {
    case wc::PointColour::Green:
        return 0;
    case wc::PointColour::Blue:
        return 1;
    case wc::PointColour::Red:
        return 2;
    }
    return 0;
}

// The points into the series of their colour (index by colourIndex; a
// colour without a series goes to the first); the axes take the points.
void plotPoints(QCustomPlot& plot, const std::vector<QCPGraph*>& series, const std::vector<wc::PointColour>& colours,
                const std::vector<wc::ChartPoint>& points)
{
    std::vector<QVector<QCPGraphData>> data(series.size());
    for (const wc::ChartPoint& p : points) {
        std::size_t s = 0;
        for (std::size_t i = 0; i < colours.size(); ++i)
            if (colours[i] == p.colour) s = i;
        data[s].append(QCPGraphData(p.x, p.y));
    }
    for (std::size_t i = 0; i < series.size(); ++i) series[i]->data()->set(data[i], false);
    if (!points.empty()) {
        plot.rescaleAxes();
        // A margin, so that the outermost points are not cut by the axes.
        for (QCPAxis* axis : {plot.xAxis, plot.yAxis}) {
            const QCPRange r = axis->range();
            const double margin = r.size() > 0.0 ? r.size() * 0.05 : 1.0;
            axis->setRange(r.lower - margin, r.upper + margin);
        }
    }
    plot.replot();
}

const std::vector<wc::PointColour> testColours{wc::PointColour::Green, wc::PointColour::Blue, wc::PointColour::Red};
const std::vector<wc::PointColour> chart1Colours{wc::PointColour::Blue, wc::PointColour::Red};

}  // namespace

TFactoryPage::TFactoryPage(QWidget& place, MaintenanceHost& host)
    : QWidget(&place), host_(host), operation_(std::make_unique<UnitOperation>(host))
{
    setObjectName("TFactoryPage");
    auto* placeLayout = new QVBoxLayout(&place);
    placeLayout->setContentsMargins(0, 0, 0, 0);
    placeLayout->addWidget(this);

    auto* top = new QHBoxLayout;
    top->addWidget(buildDspGroup());
    top->addWidget(buildCalibrationFileGroup());
    top->addWidget(buildSourcesGroup());
    top->addStretch(1);

    auto* charts = new QHBoxLayout;
    testCurve_ = buildChart("TestCurve", "Wavelength (nm)", "Wavelength detuning (pm)");
    chart1_ = buildChart("Chart1", "Wavelength (nm) / Temp", "Wavelength / TF detuning");
    for (const QColor& c : {green, QColor(Qt::blue), QColor(Qt::red)}) testSeries_.push_back(pointGraph(*testCurve_, c));
    for (const QColor& c : {QColor(Qt::blue), QColor(Qt::red)}) chart1Series_.push_back(pointGraph(*chart1_, c));
    charts->addWidget(testCurve_, 1);
    charts->addWidget(chart1_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buildWavelengthGroups());
    layout->addLayout(charts, 1);

    applyEnabling(true);
}

TFactoryPage::~TFactoryPage() = default;

QWidget* TFactoryPage::buildDspGroup()
{
    auto* group = new QGroupBox("DSP", this);
    group->setObjectName("GroupFactDsp");
    auto* grid = new QGridLayout(group);
    dspVersion_ = new QLineEdit(group);
    dspVersion_->setObjectName("E_FactDspVersion");
    dspVersion_->setReadOnly(true);
    dspVersion_->setMaximumWidth(80);
    siliconRev_ = new QLineEdit(group);
    siliconRev_->setObjectName("E_FactDspSiliconRev");
    siliconRev_->setReadOnly(true);
    siliconRev_->setMaximumWidth(80);
    inUserCode_ = modeDisplay("RB_FactDspInSNS", "VEMAR_DSP", group);
    inFlash_ = modeDisplay("RB_FactDspInRWFlash", "RWFlash", group);
    getVersion_ = newButton("B_FactGetVersion", "DSP Version", group);
    rebootDsp_ = newButton("B_FactRebootDsp", "Reboot DSP", group);
    upgradeDsp_ = newButton("B_FactUgradeDSP", "Upgrade DSP", group);
    grid->addWidget(new QLabel("Release", group), 0, 0);
    grid->addWidget(dspVersion_, 0, 1);
    grid->addWidget(inUserCode_, 0, 2);
    grid->addWidget(new QLabel("Silicon rev.", group), 1, 0);
    grid->addWidget(siliconRev_, 1, 1);
    grid->addWidget(inFlash_, 1, 2);
    grid->addWidget(getVersion_, 2, 0);
    grid->addWidget(rebootDsp_, 2, 1);
    grid->addWidget(upgradeDsp_, 2, 2);
    connect(getVersion_, &QPushButton::clicked, this, &TFactoryPage::B_FactGetVersionClick);
    connect(rebootDsp_, &QPushButton::clicked, this, &TFactoryPage::B_FactRebootDspClick);
    connect(upgradeDsp_, &QPushButton::clicked, this, &TFactoryPage::B_FactUgradeDSPClick);
    return group;
}

QWidget* TFactoryPage::buttonColumn(const char* name, const char* title, std::initializer_list<QPushButton*> buttons)
{
    auto* group = new QGroupBox(title, this);
    group->setObjectName(name);
    auto* l = new QVBoxLayout(group);
    for (QPushButton* b : buttons) l->addWidget(b);
    l->addStretch(1);
    return group;
}

QWidget* TFactoryPage::buildCalibrationFileGroup()
{
    progCalibFile_ = newButton("B_FactProgCalibFile", progCalibCaption, nullptr);
    readCalibFile_ = newButton("B_FactReadCalibFile", "Read Calib File", nullptr);
    connect(progCalibFile_, &QPushButton::clicked, this, &TFactoryPage::B_FactProgCalibFileClick);
    connect(readCalibFile_, &QPushButton::clicked, this, &TFactoryPage::B_FactReadCalibFileClick);
    return buttonColumn("GroupFactCalibFile", "Calibration file", {progCalibFile_, readCalibFile_});
}

QWidget* TFactoryPage::buildSourcesGroup()
{
    tlsOff_ = newButton("B_FactTlsOff", "Off", nullptr);
    connect(tlsOff_, &QPushButton::clicked, this, &TFactoryPage::B_TlsOffClick);
    return buttonColumn("GroupFactTls", "TLS Sources", {tlsOff_});
}

QWidget* TFactoryPage::buildWavelengthGroups()
{
    auto* row = new QWidget(this);
    auto* l = new QHBoxLayout(row);
    l->setContentsMargins(0, 0, 0, 0);

    // A group of a mode box and the button that works on its sweeps.
    auto modeGroup = [row](const char* name, const char* title, QCheckBox*& box, const char* boxName,
                           const char* boxCaption, QPushButton*& button, const char* buttonName,
                           const char* buttonCaption) {
        auto* group = new QGroupBox(title, row);
        group->setObjectName(name);
        auto* gl = new QVBoxLayout(group);
        box = new QCheckBox(boxCaption, group);
        box->setObjectName(boxName);
        button = newButton(buttonName, buttonCaption, group);
        gl->addWidget(box);
        gl->addWidget(button, 0, Qt::AlignLeft);
        return group;
    };
    QGroupBox* calibration =
        modeGroup("GroupWavelengthCalibration", " Wavelength calibration ", checkBox2_, "CheckBox2",
                  "Etalon on port 1 for wavelength  referencing", button4_, "Button4", "Update calibration");
    QGroupBox* tests = modeGroup("GroupFunctionalTests", " Functional tests ", checkBox3_, "CheckBox3",
                                 "Scan on test mode (Etalon on port 1)", button5_, "Button5", "Show results");

    auto* etalon = new QWidget(row);
    auto* el = new QVBoxLayout(etalon);
    el->addWidget(new QLabel("Etalon S/N", etalon));
    edit3_ = new QLineEdit(etalon);
    edit3_->setObjectName("Edit3");
    edit3_->setMaximumWidth(120);
    el->addWidget(edit3_);
    el->addStretch(1);

    l->addWidget(calibration);
    l->addWidget(tests);
    l->addWidget(etalon);
    l->addStretch(1);

    // clicked, not toggled: the page unchecks the boxes itself without
    // running their handlers again.
    connect(checkBox2_, &QCheckBox::clicked, this, &TFactoryPage::CheckBox2Click);
    connect(checkBox3_, &QCheckBox::clicked, this, &TFactoryPage::CheckBox3Click);
    connect(button4_, &QPushButton::clicked, this, &TFactoryPage::Button4Click);
    connect(button5_, &QPushButton::clicked, this, &TFactoryPage::Button5Click);
    return row;
}

QCustomPlot* TFactoryPage::buildChart(const char* name, const char* bottom, const char* left)
{
    auto* plot = new QCustomPlot(this);
    plot->setObjectName(name);
    plot->setMinimumSize(300, 220);
    plot->xAxis->setLabel(bottom);
    plot->yAxis->setLabel(left);
    return plot;
}

// ---- Enabling -------------------------------------------------------------

void TFactoryPage::applyEnabling(bool idle)
{
    idle_ = idle;
    // Nothing touches the unit or the calibration files while a measurement
    // runs or another unit operation is under way.
    const bool free = idle && !UnitOperation::anyRunning();
    for (QWidget* w : {static_cast<QWidget*>(getVersion_), static_cast<QWidget*>(rebootDsp_),
                       static_cast<QWidget*>(upgradeDsp_), static_cast<QWidget*>(progCalibFile_),
                       static_cast<QWidget*>(readCalibFile_), static_cast<QWidget*>(tlsOff_),
                       static_cast<QWidget*>(checkBox2_), static_cast<QWidget*>(checkBox3_),
                       static_cast<QWidget*>(button5_), static_cast<QWidget*>(edit3_)})
        w->setEnabled(free);
    button4_->setEnabled(free && updateAllowed_);
}

int TFactoryPage::acquisitionMode() const
{
    if (checkBox2_->isChecked()) return 2;
    if (checkBox3_->isChecked()) return 3;
    return 0;
}

// ---- The unit -------------------------------------------------------------

void TFactoryPage::runOnUnit(QPushButton* button, const QString& waitCaption, const QString& waitText,
                             const QString& failureCaption, std::function<void()> work, std::function<void()> after)
{
    button->setEnabled(false);
    const bool started = operation_->start(
        waitCaption, waitText, std::move(work),
        [this, failureCaption, after = std::move(after)](std::exception_ptr failure) {
            if (failure) {
                // The link's flash and acknowledgement failures carry the
                // text the operator needs; the page stays usable after them
                // (the button is enabled again, its caption restored).
                if (after) after();
                host_.dialogs().message(2, failureCaption, UnitOperation::messageOf(failure));
            } else if (after) {
                after();
            }
            applyEnabling(host_.idle());
        });
    if (!started) applyEnabling(host_.idle());
}

void TFactoryPage::showStatus(const DspFirmware::Status& status)
{
    const bool answered = status.result == 0;
    dspVersion_->setText(answered ? QString::fromStdString(DspFirmware::formatRelease(status.release)) : QString());
    inUserCode_->setChecked(answered && !status.flashMode);
    inFlash_->setChecked(answered && status.flashMode);
}

void TFactoryPage::showStatusOf(QPushButton* button, const QString& caption, const QString& waitText,
                                std::function<DspFirmware::Status()> read)
{
    auto status = std::make_shared<DspFirmware::Status>();
    runOnUnit(
        button, caption, waitText, caption, [status, read = std::move(read)] { *status = read(); },
        [this, status] { showStatus(*status); });
}

void TFactoryPage::B_FactGetVersionClick()
{
    showStatusOf(getVersion_, "DSP Version", "Reading the DSP status. Please Wait.", DspFirmware::readStatus);
}

void TFactoryPage::B_FactRebootDspClick()
{
    inUserCode_->setChecked(false);
    inFlash_->setChecked(false);
    showStatusOf(rebootDsp_, "Reboot DSP", "DSP reboot in progress. Please Wait.", DspFirmware::factoryReboot);
}

void TFactoryPage::B_FactUgradeDSPClick()
{
    upgradeDsp_->setEnabled(false);
    const WindowDialogs& dialogs = host_.dialogs();
    const QString folder = QString::fromStdString(host_.programFolder());
    const QString file = dialogs.openFileTitled ? dialogs.openFileTitled(upgradeTitle, folder, upgradeFilter)
                                                : dialogs.openFileName(folder, upgradeFilter);
    if (file.isEmpty()) {
        applyEnabling(host_.idle());
        return;
    }
    const std::string path = file.toStdString();
    auto result = std::make_shared<DspFirmware::FactoryUpgrade>();
    runOnUnit(
        upgradeDsp_, DspFirmware::waitCaption, DspFirmware::waitText, DspFirmware::factoryErrorCaption,
        [result, path] { *result = DspFirmware::runFactoryUpgrade(path); },
        [this, result] {
            showStatus(result->shown);
            if (!result->done)
                host_.dialogs().message(2, DspFirmware::factoryErrorCaption, QString::fromStdString(result->text));
        });
}

void TFactoryPage::B_FactProgCalibFileClick()
{
    progCalibFile_->setText(waitCaption);
    progCalibFile_->setEnabled(false);
    if (!host_.dialogs().askOkCancel(calibrationFileCaption, replaceQuestion)) {
        progCalibFile_->setText(progCalibCaption);
        applyEnabling(host_.idle());
        return;
    }
    const std::string folder = calibFolder();
    runOnUnit(
        progCalibFile_, calibrationFileCaption, "Programming the calibration file. Please Wait.",
        calibrationFileCaption,
        [folder] {
            FlashControl flash;
            flash.ProgramCalibrationFile(folder);
        },
        [this] { progCalibFile_->setText(progCalibCaption); });
}

void TFactoryPage::B_FactReadCalibFileClick()
{
    const std::string folder = calibFolder();
    auto path = std::make_shared<std::string>();
    runOnUnit(
        readCalibFile_, readDoneCaption, "Reading the calibration file. Please Wait.", readDoneCaption,
        [folder, path] {
            FlashControl flash;
            *path = flash.ReadFlashCalibFile(folder);
        },
        [this, path, folder] {
            // Nothing read (no file in the unit, or none could be written)
            // is not a success.
            if (path->empty())
                host_.dialogs().message(1, readDoneCaption,
                                        QString::fromStdString("No calibration file could be read from the unit into " +
                                                               folder + ".\n"));
            else
                host_.dialogs().message(0, readDoneCaption, readDoneText);
        });
}

void TFactoryPage::B_TlsOffClick()
{
    // The sources belong to the session, which the window's thread uses:
    // switched off here, each answering source at once.
    host_.session().sources().SwitchOutputsOff();
}

// ---- Wavelength calibration ---------------------------------------------------

std::string TFactoryPage::calibFolder() const { return host_.session().settings().calibFolder; }

std::string TFactoryPage::etalonSerial() const { return edit3_->text().toStdString(); }

void TFactoryPage::showMessage(const wc::Message& message)
{
    if (message.empty()) return;
    host_.dialogs().message(message.caption.empty() ? 0 : 2, QString::fromStdString(message.caption),
                            QString::fromStdString(message.text));
}

void TFactoryPage::CheckBox2Click()
{
    if (!checkBox2_->isChecked()) {
        updateAllowed_ = false;
        applyEnabling(idle_);
        return;
    }
    const wc::EtalonChoice choice = wc::chooseEtalon(calibFolder(), etalonSerial());
    if (!choice.accepted) {
        checkBox2_->setChecked(false);
        updateAllowed_ = false;
        showMessage(choice.message);
    } else {
        updateAllowed_ = true;
        host_.uncheckEtalonDetectors();
    }
    applyEnabling(idle_);
}

void TFactoryPage::CheckBox3Click()
{
    if (!checkBox3_->isChecked()) return;
    const wc::EtalonChoice choice = wc::chooseEtalon(calibFolder(), etalonSerial());
    if (!choice.accepted) {
        checkBox3_->setChecked(false);
        showMessage(choice.message);
        return;
    }
    checkBox2_->setChecked(false);
    updateAllowed_ = false;
    host_.uncheckEtalonDetectors();
    applyEnabling(idle_);
}

void TFactoryPage::archiveSweeps(const wc::Archive& archive)
{
    if (archive.path.empty()) return;
    if (archive.exists &&
        !host_.dialogs().askYesNo(wc::archiveCaption, QString::fromStdString(archive.question)))
        return;
    showMessage(wc::writeArchive(calibFolder(), archive));
}

void TFactoryPage::Button4Click()
{
    FlashIdentitySource unit;
    const wc::CalibrationResult r =
        wc::updateCalibration(calibFolder(), unit, host_.session().identity(), etalonSerial());
    if (!r.error.empty()) {
        showMessage(r.error);
        return;
    }
    plotPoints(*testCurve_, testSeries_, testColours, r.testCurve);
    plotPoints(*chart1_, chart1Series_, chart1Colours, r.chart1);
    archiveSweeps(r.archive);
    updateAllowed_ = false;
    checkBox2_->setChecked(false);
    applyEnabling(idle_);
}

void TFactoryPage::Button5Click()
{
    const wc::TestResult r = wc::showResults(calibFolder(), host_.session().identity(), etalonSerial());
    if (!r.error.empty()) {
        showMessage(r.error);
        return;
    }
    plotPoints(*testCurve_, testSeries_, testColours, r.testCurve);
    archiveSweeps(r.archive);
    checkBox3_->setChecked(false);

    ScanManager& scans = host_.session().scans();
    if (scans.Count() == 0) return;
    const ScanCurve* curve = scans.Current().FindCurve("1");
    if (curve == nullptr) return;
    if (const auto spread = wc::envelopeSpread(curve->data()))
        plotPoints(*chart1_, chart1Series_, chart1Colours, *spread);
}

bool TFactoryPage::waitForOperation(int timeoutMs) { return operation_->waitForEnd(timeoutMs); }

std::unique_ptr<FactoryPagePart> makeFactoryPage(QWidget& place, MaintenanceHost& host)
{
    return std::make_unique<TFactoryPage>(place, host);
}
