// The main window's construction: its pages and controls, the order in
// which it builds its parts and loads the settings, and its destruction.

#include "Zovezo.h"

#include <tinyxml.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleValidator>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "Applicationconfig.h"
#include "ConfigurationFile.h"
#include "Doubleedit.h"
#include "Intedit.h"
#include "MeasurementSession.h"
#include "Panelhint.h"
#include "ScanInfoCharts.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "StartButtonPictures.h"
#include "StatusPanel.h"
#include "UsbHotplugMonitor.h"
#include "UserMessages.h"
#include "Wait.h"
#include "ZovezoSessionView.h"

namespace {

constexpr int windowWidth = 1024;
constexpr int windowHeight = 768;
constexpr int minimumWindowHeight = 734;
constexpr int startButtonSize = 44;

// The page captions, in page order.
constexpr std::array<const char*, TFormZovEZO::PageCount> pageCaptions = {
    "Parameters",    "Continuous scans", "Transfer functions", "Band-pass filter analysis",
    "Sweeping velocity", "Output power",  "Mode Hopping",      "Line detection",
    "Control/Calibration", "Factory",     "Cust.",             "About",
};

QLabel* label(const QString& text, QWidget* parent, const char* name = nullptr)
{
    auto* l = new QLabel(text, parent);
    if (name != nullptr) l->setObjectName(name);
    return l;
}

TDoubleEdit* doubleEdit(QWidget* parent, const char* name, double min, double max, double increment, int width)
{
    auto* e = new TDoubleEdit(parent);
    e->setObjectName(name);
    e->SetRange(min, max);
    e->SetIncrement(increment);
    e->setFixedWidth(width);
    return e;
}

TIntEdit* intEdit(QWidget* parent, const char* name, int min, int max, int width)
{
    auto* e = new TIntEdit(parent);
    e->setObjectName(name);
    e->SetRange(min, max);
    e->SetIncrement(1);
    e->setFixedWidth(width);
    return e;
}

// Message boxes of the core (flash, firmware, calibration file).
int severityOf(UserMessages::Severity severity)
{
    switch (severity) {
    case UserMessages::Severity::Information: return 0;
    case UserMessages::Severity::Warning: return 1;
    case UserMessages::Severity::Error: return 2;
    }
    return 0;
}

// The Passband section as it stands in the file, kept while no passband
// page is there to read it, so a load and save cycle does not lose it.
class PassbandSectionKeeper : public ConfigurationSection {
public:
    void writeSection(TiXmlElement& element) const override
    {
        if (!kept_) return;
        for (const TiXmlNode* child = kept_->FirstChild(); child != nullptr; child = child->NextSibling())
            element.InsertEndChild(*child);
        for (const TiXmlAttribute* a = kept_->FirstAttribute(); a != nullptr; a = a->Next())
            element.SetAttribute(a->Name(), a->Value());
    }
    void readSection(const TiXmlElement* element) override
    {
        if (element != nullptr) kept_ = std::make_unique<TiXmlElement>(*element);
    }

private:
    std::unique_ptr<TiXmlElement> kept_;
};

}  // namespace

WindowDialogs WindowDialogs::standard(QWidget* parent)
{
    WindowDialogs d;
    d.askYesNo = [parent](const QString& caption, const QString& text) {
        return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    };
    d.askOkCancel = [parent](const QString& caption, const QString& text) {
        return QMessageBox::question(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                     QMessageBox::Ok) == QMessageBox::Ok;
    };
    d.message = [parent](int severity, const QString& caption, const QString& text) {
        if (severity >= 2)
            QMessageBox::critical(parent, caption, text);
        else if (severity == 1)
            QMessageBox::warning(parent, caption, text);
        else
            QMessageBox::information(parent, caption, text);
    };
    d.saveFileName = [parent](const QString& folder, const QString& filter, const QString& suffix) {
        QFileDialog dialog(parent, QString(), folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(suffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                          : QString();
    };
    d.openFileName = [parent](const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
    };
    d.openFileTitled = [parent](const QString& title, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    };
    d.folder = [parent](const QString& folder) {
        // The chooser can make a new folder (it asks for its name first).
        return QFileDialog::getExistingDirectory(parent, QString(), folder, QFileDialog::ShowDirsOnly);
    };
    return d;
}

TFormZovEZO::TFormZovEZO(WindowOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)), factory_(options_.commandLine.factory())
{
    setObjectName("FormZovEZO");
    dialogs_ = WindowDialogs::standard(this);
    const auto presenter = [this](UserMessages::Severity severity, const std::string& caption,
                                  const std::string& text) {
        if (dialogs_.message)
            dialogs_.message(severityOf(severity), QString::fromStdString(caption), QString::fromStdString(text));
    };
    UserMessages::setPresenter(presenter);

    // The pages and controls; the chart's place exists before the session.
    auto* central = new QWidget(this);
    central->setObjectName("Central");
    central->setMouseTracking(true);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    topPanel_ = buildTopPanel();
    layout->addWidget(topPanel_);
    pages_ = new QTabWidget(central);
    pages_->setObjectName("PageControl");
    // Twelve pages with the factory switch: tabs a little narrower than
    // the style's, so that they all fit in the window's width.
    pages_->setStyleSheet("QTabBar::tab { padding: 4px 3px; }");
    QFont tabFont = pages_->tabBar()->font();
    tabFont.setPointSizeF(tabFont.pointSizeF() - 1.0);
    pages_->tabBar()->setFont(tabFont);
    layout->addWidget(pages_, 1);
    statusPanel_ = new TStatusPanel(central);
    layout->addWidget(statusPanel_);
    setCentralWidget(central);

    QWidget* chartPlace = nullptr;
    pages_->addTab(buildParametersPage(), pageCaptions[PageParameters]);
    pages_->addTab(buildContinuousPage(), pageCaptions[PageContinuous]);
    pages_->addTab(buildChartPage(chartPlace), pageCaptions[PageTransfer]);
    if (options_.parts.transferChart) chart_ = options_.parts.transferChart(*chartPlace, *this);

    // 1. and 2. The session: the settings (folders and initial values) and
    // the scan store bound to the chart and the live source configuration.
    SessionSetup setup;
    if (!options_.documentsFolder.empty()) setup.documentsFolder = options_.documentsFolder;
    setup.form = this;
    setup.chart = chart_ ? chart_->scanChart() : nullptr;
    session_ = std::make_unique<MeasurementSession>(setup);
    view_ = std::make_unique<SessionView>(*this);

    // 3. The caption (and the simulation mark).
    updateTitle();

    // 4. The wait window.
    wait_ = new TFormWait(this);

    // 5. The passband page at index 3.
    QWidget* passBandPage = emptyPage("PassBandPage");
    pages_->addTab(passBandPage, pageCaptions[PagePassBand]);
    if (options_.parts.passBand) passBand_ = options_.parts.passBand(*passBandPage, settings(), scans());
    if (!passBand_) passbandKeeper_ = std::make_unique<PassbandSectionKeeper>();

    // The pages fed by each scan, and the others.
    QWidget* velocityPage = emptyPage("VelocityPage");
    QWidget* powerPage = emptyPage("PowerPage");
    QWidget* modeHopPage = emptyPage("ModeHopPage");
    scanInfoCharts_ = std::make_unique<TScanInfoCharts>(*velocityPage, *powerPage, *modeHopPage);
    // Each page's "Save" writes its chart as a picture.
    const auto chartPage = [](QWidget* page, QWidget* chart, const char* saveName, QWidget* left) {
        auto* l = new QVBoxLayout(page);
        auto* row = new QHBoxLayout;
        if (left != nullptr) row->addWidget(left);
        row->addStretch(1);
        auto* save = new QPushButton("Save", page);
        save->setObjectName(saveName);
        row->addWidget(save);
        l->addLayout(row);
        l->addWidget(chart, 1);
        return save;
    };
    keepModeHopBox_ = new QCheckBox("Keep Mode Hop Points", modeHopPage);
    keepModeHopBox_->setObjectName("KeepModeHop");
    chartSaveButtons_[TScanInfoCharts::Velocity] =
        chartPage(velocityPage, scanInfoCharts_->velocityChart(), "Button1", nullptr);
    chartSaveButtons_[TScanInfoCharts::ModeHop] =
        chartPage(modeHopPage, scanInfoCharts_->modeHopChart(), "Button2", keepModeHopBox_);
    chartSaveButtons_[TScanInfoCharts::Power] = chartPage(powerPage, scanInfoCharts_->powerChart(), "Button3", nullptr);
    pages_->addTab(velocityPage, pageCaptions[PageVelocity]);
    pages_->addTab(powerPage, pageCaptions[PagePower]);
    pages_->addTab(modeHopPage, pageCaptions[PageModeHop]);
    pages_->addTab(buildLinesPage(), pageCaptions[PageLines]);
    QWidget* calibrationPage = emptyPage("CalibrationPlace");
    pages_->addTab(calibrationPage, pageCaptions[PageCalibration]);
    QWidget* factoryPage = emptyPage("FactoryPage");
    pages_->addTab(factoryPage, pageCaptions[PageFactory]);
    pages_->addTab(emptyPage("CustomerPage"), pageCaptions[PageCustomer]);
    pages_->addTab(buildAboutPage(), pageCaptions[PageAbout]);

    // 6. The default configuration; the BNC input always starts off.
    sourcesSection_ = std::make_unique<SourcesSection>(session_->sources());
    // What the reader has to say of the default file (a damaged file kept
    // aside, values refused) goes to the status bar: nobody asked for it, so
    // no box stops the start.
    {
        std::string notes;
        UserMessages::setPresenter([&notes](UserMessages::Severity, const std::string&, const std::string& text) {
            notes += (notes.empty() ? "" : "; ") + text;
        });
        const std::string damaged = ConfigurationFile::loadDefaultConfiguration(
            defaultConfigurationPath(), settings(),
            ConfigurationSections::of(sourcesSection_.get(), passbandSection()));
        if (!damaged.empty()) notes = damaged + (notes.empty() ? "" : "; ") + notes;
        settings().scanParameters.bncEnable = 0;
        createSourceDrivers();
        UserMessages::setPresenter(presenter);
        if (!notes.empty()) configurationProblem(notes);
    }
    placeSimulatedInstruments();

    // 7. The source editor in the " Sources Parameters " group.
    if (options_.parts.sourceEditor) sourceEditor_ = options_.parts.sourceEditor(*sourceEditorPlace_, *this);

    // The maintenance pages, on the session as it now stands.
    if (options_.parts.calibration) calibrationPage_ = options_.parts.calibration(*calibrationPage, *this);
    if (options_.parts.factory) factoryPage_ = options_.parts.factory(*factoryPage, *this);

    // 8. Charts and cursors belong to the chart page; 9. the hint panel.
    hint_ = new TPanelHint(central);
    hint_->setObjectName("RangeHint");
    hint_->hide();

    // 10. The external switch: address 1, start channel 1, port offset 2.
    switchAddress_->SetValue(1);
    switchStartChannel_->SetValue(1);
    switchPortOffset_->SetValue(2);

    // 11. Controls from the settings, axes, the range of the sources, no
    // trace controls yet.
    connectControls();
    connectExports();
    settingsToControls();
    resetChartAxes();
    SourcesRangeChanged();
    if (chart_) chart_->setTraceControlsEnabled(false);
    refreshAbout();
    // Until the first detection no unit is known.
    noInstrumentLabel_->setVisible(!options_.commandLine.forceConnected());
    startButton_->setEnabled(options_.commandLine.forceConnected());

    blinkTimer_ = new QTimer(this);
    blinkTimer_->setInterval(750);
    connect(blinkTimer_, &QTimer::timeout, this, &TFormZovEZO::TimerBlinkTimer);
    delayTimer_ = new QTimer(this);
    delayTimer_->setSingleShot(true);
    connect(delayTimer_, &QTimer::timeout, this, &TFormZovEZO::TimerDelayBetweenScansTimer);
    detectionTimer_ = new QTimer(this);
    detectionTimer_->setSingleShot(true);
    detectionTimer_->setInterval(600);
    connect(detectionTimer_, &QTimer::timeout, this, &TFormZovEZO::detectNow);

    // 13. Size, centred on the screen; the range edits' handlers.
    setMinimumSize(windowWidth, minimumWindowHeight);
    resize(windowWidth, windowHeight);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(windowWidth / 2, windowHeight / 2));
    }
    connect(startEdit_, &TDoubleEdit::changed, this, &TFormZovEZO::StartEditChange);
    connect(stopEdit_, &TDoubleEdit::changed, this, &TFormZovEZO::StopEditChange);
}

TFormZovEZO::~TFormZovEZO()
{
    // A measurement still running ends (its thread joined) before anything
    // it uses goes; what it had still to say is dropped.
    session_->abort();
    saveConfiguration(defaultConfigurationPath());
    UserMessages::setPresenter({});
    // The parts that read the store go before it, the chart after it (the
    // store's curves leave the chart as they go). A maintenance page ends
    // its unit operation first.
    factoryPage_.reset();
    calibrationPage_.reset();
    sourceEditor_.reset();
    passBand_.reset();
    view_.reset();
    session_.reset();
    chart_.reset();
}

void TFormZovEZO::setDialogs(WindowDialogs dialogs) { dialogs_ = std::move(dialogs); }

ApplicationConfig& TFormZovEZO::settings() { return session_->settings(); }

const ApplicationConfig& TFormZovEZO::settings() const { return session_->settings(); }

ScanManager& TFormZovEZO::scans() { return session_->scans(); }

const IdentityRecord& TFormZovEZO::identity() const { return session_->identity(); }

bool TFormZovEZO::measurementRunning() const { return session_ && session_->running(); }

std::string TFormZovEZO::defaultConfigurationPath() const
{
    return session_->settings().configFolder + ConfigurationFile::defaultFileName;
}

void TFormZovEZO::configurationProblem(const std::string& text)
{
    statusPanel_->showStatus(1, QString::fromStdString(text));
}

void TFormZovEZO::showWait(const QString& caption, const QString& text)
{
    // While the unit is worked on nothing else may use it: the pages and
    // the start button wait with the rest of the window.
    centralWidget()->setEnabled(false);
    wait_->showWith(caption, text);
}

void TFormZovEZO::hideWait()
{
    wait_->hide();
    centralWidget()->setEnabled(true);
}

void TFormZovEZO::uncheckEtalonDetectors()
{
    for (QCheckBox* box : {detectorBoxes_[1], detectorBoxes_[2], detectorBoxes_[3], extBox_, orlBox_})
        box->setChecked(false);
    controlsToSettings();
}

void TFormZovEZO::unitOperationEnded()
{
    // A detection asked for while the unit was busy runs now.
    if (detectionDeferred_) {
        detectionDeferred_ = false;
        deviceDetection();
    }
}

void TFormZovEZO::updateTitle()
{
    QString title = caption;
    if (options_.commandLine.simulate()) title += QStringLiteral("  -  ") + simulatedSuffix;
    setWindowTitle(title);
}

void TFormZovEZO::createSourceDrivers()
{
    // What the source rows do once the settings are read: every record gets
    // the driver of its type at its address, then the file's command
    // templates are read into the drivers (a record has none before).
    for (SourceConfig& source : session_->sources().sources) source.SetType(source.type);
    TiXmlDocument doc;
    if (!ConfigurationFile::parseFile(defaultConfigurationPath(), doc)) return;
    const TiXmlElement* root = ConfigurationFile::findRoot(doc);
    const TiXmlElement* configuration = root != nullptr ? root->FirstChildElement("Configuration") : nullptr;
    if (const TiXmlElement* sources = configuration != nullptr ? configuration->FirstChildElement("Sources") : nullptr)
        sourcesSection_->readSection(sources);
}

void TFormZovEZO::placeSimulatedInstruments()
{
    // The simulated GPIB bus stands as the source records say (nothing
    // without the simulator); a laser that stays keeps its state.
    if (!measurementRunning()) session_->placeSimulatedInstruments();
}

QWidget* TFormZovEZO::emptyPage(const char* name)
{
    auto* page = new QWidget(pages_);
    page->setObjectName(name);
    return page;
}

QWidget* TFormZovEZO::buildTopPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName("TopPanel");
    panel->setMouseTracking(true);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(10);

    noInstrumentLabel_ = label(noInstrumentText, panel, "NoInstrument");
    QFont bold = noInstrumentLabel_->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 1);
    noInstrumentLabel_->setFont(bold);
    noInstrumentLabel_->setStyleSheet("QLabel { color: white; background: #c00000; padding: 3px; }");
    row->addWidget(noInstrumentLabel_);
    row->addStretch(1);

    auto* modeGroup = new QButtonGroup(panel);
    singleButton_ = new QRadioButton("Single", panel);
    singleButton_->setObjectName("Single");
    continuousButton_ = new QRadioButton("Continuous", panel);
    continuousButton_->setObjectName("Continuous");
    modeGroup->addButton(singleButton_);
    modeGroup->addButton(continuousButton_);
    singleButton_->setChecked(true);
    row->addWidget(singleButton_);
    row->addWidget(continuousButton_);

    counterPanel_ = new QWidget(panel);
    counterPanel_->setObjectName("CounterPanel");
    auto* counter = new QHBoxLayout(counterPanel_);
    counter->setContentsMargins(0, 0, 0, 0);
    counter->setSpacing(4);
    counterLabel_ = label("0", counterPanel_, "ScanCounter");
    QFont counterFont = counterLabel_->font();
    counterFont.setBold(true);
    counterFont.setPointSize(counterFont.pointSize() + 2);
    counterLabel_->setFont(counterFont);
    counterLabel_->setMinimumWidth(40);
    counterLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    counterSlash_ = label("/", counterPanel_, "CounterSlash");
    counterSlash_->setFont(counterFont);
    countEdit_ = intEdit(counterPanel_, "ScanCount", 1, 100000, 80);
    counter->addWidget(counterLabel_);
    counter->addWidget(counterSlash_);
    counter->addWidget(countEdit_);
    row->addWidget(counterPanel_);

    progressLabel_ = label(WindowRules::inProgressLabel, panel, "Progress");
    QFont progressFont = progressLabel_->font();
    progressFont.setBold(true);
    progressFont.setPointSize(progressFont.pointSize() + 2);
    progressLabel_->setFont(progressFont);
    progressLabel_->setStyleSheet("QLabel { color: #004080; }");
    progressLabel_->setMinimumWidth(QFontMetrics(progressFont).horizontalAdvance(" In Progress ") + 8);
    QSizePolicy keep = progressLabel_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    progressLabel_->setSizePolicy(keep);
    progressLabel_->hide();
    row->addWidget(progressLabel_);

    startButton_ = new QToolButton(panel);
    startButton_->setObjectName("StartButton");
    startButton_->setCheckable(true);
    startButton_->setFixedSize(startButtonSize + 6, startButtonSize + 6);
    startButton_->setIconSize(QSize(startButtonSize, startButtonSize));
    startButton_->setIcon(startButtonPicture(WindowRules::StartState::Idle, startButtonSize));
    startButton_->setToolTip("Start / stop the measurement");
    row->addWidget(startButton_);
    return panel;
}

QWidget* TFormZovEZO::buildParametersPage()
{
    auto* page = new QWidget(pages_);
    page->setObjectName("ParametersPage");
    // The source rows take the page's whole width (they are wider than a
    // column); the scan parameters and detectors below them on the left,
    // the modes, the switch and the files on the right.
    auto* rows = new QVBoxLayout(page);
    rows->setSpacing(10);
    sourcesGroup_ = new QGroupBox(" Sources Parameters ", page);
    sourcesGroup_->setObjectName("SourcesGroup");
    auto* sourcesLayout = new QHBoxLayout(sourcesGroup_);
    // The source editor's place: its four rows are created here (step 7).
    sourceEditorPlace_ = new QWidget(sourcesGroup_);
    sourceEditorPlace_->setObjectName("SourceEditorPlace");
    sourcesLayout->addWidget(sourceEditorPlace_);
    sourcesLayout->addStretch(1);
    rows->addWidget(sourcesGroup_);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(10);
    rows->addLayout(columns, 1);

    auto* left = new QVBoxLayout;

    scanParametersGroup_ = new QGroupBox("Scan Parameters", page);
    scanParametersGroup_->setObjectName("ScanParameters");
    scanParametersGroup_->setMouseTracking(true);
    auto* grid = new QGridLayout(scanParametersGroup_);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    startEdit_ = doubleEdit(scanParametersGroup_, "StartEdit", 1240.0, 1675.0, 0.1, 90);
    stopEdit_ = doubleEdit(scanParametersGroup_, "StopEdit", 1245.0, 1680.0, 0.1, 90);
    resolutionEdit_ = intEdit(scanParametersGroup_, "ResolutionEdit", 1, 250, 70);
    powerLabel_ = label("Output Power (mW)", scanParametersGroup_, "PowerLabel");
    powerEdit_ = doubleEdit(scanParametersGroup_, "PowerEdit", 1.0, 20.0, 0.1, 70);
    graphLimitsButton_ = new QPushButton("Graph Limits", scanParametersGroup_);
    graphLimitsButton_->setObjectName("GraphLimits");
    fullScanButton_ = new QPushButton("Full Scan", scanParametersGroup_);
    fullScanButton_->setObjectName("FullScan");
    preciseModeBox_ = new QCheckBox("Precise Mode", scanParametersGroup_);
    preciseModeBox_->setObjectName("PreciseMode");
    preciseNote_ = label("Resolution set to 1pm and speed of laser to 10 nm/s", scanParametersGroup_, "PreciseNote");
    preciseNote_->setStyleSheet("QLabel { color: #a00000; }");

    grid->addWidget(label("Start (nm):", scanParametersGroup_), 0, 0);
    grid->addWidget(startEdit_, 0, 1);
    grid->addWidget(label("Stop (nm): ", scanParametersGroup_), 0, 2);
    grid->addWidget(stopEdit_, 0, 3);
    grid->addWidget(graphLimitsButton_, 0, 5);
    grid->addWidget(label("Res. (pm): ", scanParametersGroup_), 1, 0);
    grid->addWidget(resolutionEdit_, 1, 1);
    grid->addWidget(powerLabel_, 1, 2);
    grid->addWidget(powerEdit_, 1, 3);
    grid->addWidget(fullScanButton_, 1, 5);
    grid->addWidget(preciseModeBox_, 2, 0, 1, 2);
    grid->addWidget(preciseNote_, 2, 2, 1, 4);
    grid->setColumnStretch(4, 1);
    left->addWidget(scanParametersGroup_);

    auto* right = new QVBoxLayout;
    auto onOff = [page](const char* title, const char* name, QRadioButton*& on, QRadioButton*& off) {
        auto* group = new QGroupBox(title, page);
        group->setObjectName(name);
        auto* column = new QVBoxLayout(group);
        auto* row = new QHBoxLayout;
        column->addLayout(row);
        on = new QRadioButton("On", group);
        on->setObjectName(QString(name) + "On");
        off = new QRadioButton("Off", group);
        off->setObjectName(QString(name) + "Off");
        off->setChecked(true);
        row->addWidget(on);
        row->addWidget(off);
        row->addStretch(1);
        return group;
    };
    triggerGroup_ = onOff(" Trigger ", "Trigger", triggerOn_, triggerOff_);
    syncGroup_ = onOff(" External Synchronization", "ExternalSync", syncOn_, syncOff_);
    {
        auto* files = new QHBoxLayout;
        wavelengthSyncButton_ = new QPushButton("Save Wavelength Sync File", syncGroup_);
        wavelengthSyncButton_->setObjectName("Button6");
        powerSyncButton_ = new QPushButton("Save Power Sync File", syncGroup_);
        powerSyncButton_->setObjectName("ButtonOutPowSyncFile");
        files->addWidget(wavelengthSyncButton_);
        files->addWidget(powerSyncButton_);
        files->addStretch(1);
        static_cast<QVBoxLayout*>(syncGroup_->layout())->addLayout(files);
    }
    right->addWidget(triggerGroup_);
    right->addWidget(syncGroup_);

    detectorGroup_ = new QGroupBox(" Detector Array ", page);
    detectorGroup_->setObjectName("DetectorArray");
    auto* detectors = new QHBoxLayout(detectorGroup_);
    for (int i = 0; i < 4; ++i) {
        detectorBoxes_[i] = new QCheckBox(QString::number(i + 1), detectorGroup_);
        detectorBoxes_[i]->setObjectName(QString("Detector%1").arg(i + 1));
        detectors->addWidget(detectorBoxes_[i]);
    }
    // Detector 1 always takes part.
    detectorBoxes_[0]->setChecked(true);
    detectorBoxes_[0]->setEnabled(false);
    extBox_ = new QCheckBox("EXT", detectorGroup_);
    extBox_->setObjectName("DetectorExt");
    orlBox_ = new QCheckBox("ORL", detectorGroup_);
    orlBox_->setObjectName("DetectorOrl");
    detectors->addWidget(extBox_);
    detectors->addWidget(orlBox_);
    detectors->addStretch(1);
    left->addWidget(detectorGroup_);
    left->addStretch(1);
    columns->addLayout(left, 1);

    switchGroup_ = new QGroupBox("External Switch", page);
    switchGroup_->setObjectName("ExternalSwitch");
    auto* sw = new QGridLayout(switchGroup_);
    switchActive_ = new QCheckBox("Activate", switchGroup_);
    switchActive_->setObjectName("SwitchActive");
    switchAddress_ = intEdit(switchGroup_, "SwitchAddress", 0, 30, 60);
    switchStartChannel_ = intEdit(switchGroup_, "SwitchStartChannel", 0, 99, 60);
    switchPortOffset_ = intEdit(switchGroup_, "SwitchPortOffset", 0, 30, 60);
    sw->addWidget(switchActive_, 0, 0, 1, 2);
    sw->addWidget(label("Addr.", switchGroup_), 1, 0);
    sw->addWidget(switchAddress_, 1, 1);
    sw->addWidget(label("Start chan.", switchGroup_), 2, 0);
    sw->addWidget(switchStartChannel_, 2, 1);
    sw->addWidget(label("Port Offset", switchGroup_), 3, 0);
    sw->addWidget(switchPortOffset_, 3, 1);
    sw->setColumnStretch(2, 1);
    right->addWidget(switchGroup_);

    auto* files = new QGroupBox(page);
    files->setObjectName("ConfigurationFiles");
    auto* filesRow = new QHBoxLayout(files);
    loadButton_ = new QPushButton("&Load", files);
    loadButton_->setObjectName("LoadConfiguration");
    saveAsButton_ = new QPushButton("Save &As...", files);
    saveAsButton_->setObjectName("SaveConfigurationAs");
    filesRow->addWidget(loadButton_);
    filesRow->addWidget(saveAsButton_);
    right->addWidget(files);
    right->addStretch(1);
    columns->addLayout(right);
    return page;
}

QWidget* TFormZovEZO::buildContinuousPage()
{
    auto* page = new QWidget(pages_);
    page->setObjectName("ContinuousPage");
    auto* column = new QVBoxLayout(page);
    column->setSpacing(10);

    auto* limits = new QGroupBox(page);
    auto* limitsGrid = new QGridLayout(limits);
    scanLimitBox_ = new QCheckBox("Enable number of scans limitation", limits);
    scanLimitBox_->setObjectName("ScanLimit");
    delayLabel_ = label("Delay between two consecutive scans (seconds)", limits, "DelayLabel");
    delayEdit_ = intEdit(limits, "DelayEdit", 0, 3600, 80);
    limitsGrid->addWidget(scanLimitBox_, 0, 0, 1, 2);
    limitsGrid->addWidget(delayLabel_, 1, 0);
    limitsGrid->addWidget(delayEdit_, 1, 1);
    limitsGrid->setColumnStretch(2, 1);
    column->addWidget(limits);

    auto* reset = new QGroupBox(page);
    auto* resetGrid = new QGridLayout(reset);
    minMaxResetBox_ = new QCheckBox("Automatic reset of Min/Max curves", reset);
    minMaxResetBox_->setObjectName("MinMaxReset");
    resetModuloLabel_ = label("Number of scans between each reset", reset, "ResetModuloLabel");
    resetModuloEdit_ = intEdit(reset, "ResetModuloEdit", 1, 10000, 80);
    resetGrid->addWidget(minMaxResetBox_, 0, 0, 1, 2);
    resetGrid->addWidget(resetModuloLabel_, 1, 0);
    resetGrid->addWidget(resetModuloEdit_, 1, 1);
    resetGrid->setColumnStretch(2, 1);
    column->addWidget(reset);

    auto* saving = new QGroupBox(page);
    auto* savingGrid = new QGridLayout(saving);
    autoSaveBox_ = new QCheckBox("Automatic saving in continuous mode", saving);
    autoSaveBox_->setObjectName("AutoSave");
    browseButton_ = new QPushButton("Browse Directory", saving);
    browseButton_->setObjectName("BrowseDirectory");
    folderLabel_ = label("<..>", saving, "FolderLabel");
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    fileTypeLabel_ = label("File type :", saving, "FileTypeLabel");
    auto* types = new QHBoxLayout;
    auto* typeGroup = new QButtonGroup(saving);
    const std::array<const char*, 5> typeNames = {"XML", "Text", "Bitmap", "PNG", "CSV"};
    for (int i = 0; i < 5; ++i) {
        fileTypeButtons_[i] = new QRadioButton(typeNames[i], saving);
        fileTypeButtons_[i]->setObjectName(QString("FileType") + typeNames[i]);
        typeGroup->addButton(fileTypeButtons_[i]);
        types->addWidget(fileTypeButtons_[i]);
    }
    types->addStretch(1);
    savingGrid->addWidget(autoSaveBox_, 0, 0, 1, 3);
    savingGrid->addWidget(browseButton_, 1, 0);
    savingGrid->addWidget(folderLabel_, 1, 1, 1, 2);
    savingGrid->addWidget(fileTypeLabel_, 2, 0);
    savingGrid->addLayout(types, 2, 1, 1, 2);
    savingGrid->setColumnStretch(2, 1);
    column->addWidget(saving);
    column->addStretch(1);
    return page;
}

QWidget* TFormZovEZO::buildChartPage(QWidget*& chartPlace)
{
    auto* page = new QWidget(pages_);
    page->setObjectName("TransferPage");
    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(0, 0, 0, 0);
    // The chart page (`TransfertChart` and its controls) is created here.
    chartPlace = new QWidget(page);
    chartPlace->setObjectName("TransferChartPlace");
    l->addWidget(chartPlace);
    return page;
}

QWidget* TFormZovEZO::buildLinesPage()
{
    auto* page = new QWidget(pages_);
    page->setObjectName("LinesPage");
    auto* l = new QVBoxLayout(page);
    linesText_ = new QPlainTextEdit(page);
    linesText_->setObjectName("LineDetection");
    linesText_->setReadOnly(true);
    linesText_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    l->addWidget(linesText_);
    return page;
}

QWidget* TFormZovEZO::buildAboutPage()
{
    auto* page = new QWidget(pages_);
    page->setObjectName("AboutPage");
    auto* outer = new QVBoxLayout(page);
    auto* box = new QGroupBox(page);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    const std::array<const char*, 12> captions = {
        "Software: ", "DSP........:", "SN : ", "VEMAR Type :", "TLS1 : ", "TLS2 : ", "TLS3 : ", "TLS4 : ",
        "Detector Array 1 : ", "Detector Array 2 : ", "Detector Array 3 : ", "Detector Array 4 : ",
    };
    QFont bold = box->font();
    bold.setBold(true);
    for (int i = 0; i < 12; ++i) {
        grid->addWidget(label(captions[i], box), i, 0);
        aboutValues_[i] = label("", box);
        aboutValues_[i]->setObjectName(QString("About%1").arg(i));
        aboutValues_[i]->setFont(bold);
        grid->addWidget(aboutValues_[i], i, 1);
    }
    grid->setColumnStretch(2, 1);
    outer->addWidget(box);
    outer->addStretch(1);
    return page;
}
