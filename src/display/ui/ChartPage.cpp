#include "ChartPage.h"

#include <tinyxml.h>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "About.h"
#include "Applicationconfig.h"
#include "Ccursors.h"
#include "ChartDialogRules.h"
#include "ChartPageFiles.h"
#include "ChartPicture.h"
#include "ChartPictureRenderer.h"
#include "CurveInformation.h"
#include "Doubleedit.h"
#include "Frequency.h"
#include "Fwhmwindow.h"
#include "Manualzoomwindow.h"
#include "MeasurementSession.h"
#include "ScanFile.h"
#include "Scanmanager.h"
#include "Sidefrontwindow.h"
#include "TransfertChart.h"

namespace {

// The curves the boxes show, in box order.
constexpr std::array<const char*, 6> curveNames = {"1", "2", "3", "4", "Ext", "Orl"};
constexpr std::array<const char*, 6> curveBoxNames = {"F1CheckBox",  "F2CheckBox",  "F3CheckBox",
                                                      "F4CheckBox",  "ExtCheckBox", "OrlCheckBox"};
// "Show All" and "Clear All" act on "1" to "4" and "Ext".
constexpr std::size_t showAllBoxes = 5;

int curveIndex(const ScanTrace& trace, const char* name)
{
    for (int i = 0; i < trace.CurveCount(); ++i)
        if (trace.CurveAt(i)->name() == name) return i;
    return -1;
}

QStringList dialogFilters(const char* filter)
{
    QStringList filters;
    for (const std::string& description : filterDescriptions(filter)) filters << QString::fromStdString(description);
    return filters;
}

QPushButton* button(const char* text, QWidget* parent, const char* name)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QRadioButton* radio(const char* text, QWidget* parent, const char* name)
{
    auto* b = new QRadioButton(text, parent);
    b->setObjectName(name);
    return b;
}

QLabel* label(const QString& text, QWidget* parent, const char* name)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QGroupBox* group(const char* title, QWidget* parent, const char* name)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

}  // namespace

ChartPageDialogs ChartPageDialogs::standard(QWidget* parent)
{
    ChartPageDialogs d;
    d.exec = [](QDialog& dialog) { return dialog.exec(); };
    d.message = [parent](int severity, const QString& caption, const QString& text) {
        if (severity >= 2)
            QMessageBox::critical(parent, caption, text);
        else if (severity == 1)
            QMessageBox::warning(parent, caption, text);
        else
            QMessageBox::information(parent, caption, text);
    };
    d.saveFileName = [parent](const QString& folder, const QStringList& filters, int& filterIndex) {
        QFileDialog dialog(parent, QString(), folder);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters);
        if (filterIndex >= 1 && filterIndex <= filters.size()) dialog.selectNameFilter(filters[filterIndex - 1]);
        const int accepted = dialog.exec();
        // The filter is remembered whether or not the dialog was confirmed.
        filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        if (filterIndex < 1) filterIndex = 1;
        return accepted == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                 : QString();
    };
    d.openFileName = [parent](const QString& folder, const QStringList& filters) {
        return QFileDialog::getOpenFileName(parent, QString(), folder, filters.join(";;"));
    };
    return d;
}

TChartPage::TChartPage(ChartPageHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    build();
}

TChartPage::TChartPage(std::unique_ptr<ChartPageHost> host, QWidget* parent)
    : QWidget(parent), ownedHost_(std::move(host)), host_(*ownedHost_)
{
    build();
}

void TChartPage::build()
{
    setObjectName("TransferChartPage");
    dialogs_ = ChartPageDialogs::standard(this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(3);
    chart_ = new TransfertChart(this);
    chart_->setObjectName("TransfertChart");
    chart_->setMessageSink([this](const QString& title, const QString& text) { message(1, title, text); });
    column->addWidget(chart_, 1);
    column->addWidget(buildInformation());

    auto* controls = new QHBoxLayout;
    controls->setSpacing(4);
    controls->addWidget(buildTraces());
    controls->addWidget(buildShifts());
    controls->addWidget(buildZoom());
    controls->addWidget(buildCursors());
    controls->addStretch(1);
    controls->addWidget(buildScans());
    column->addLayout(controls);

    connect(chart_, &TransfertChart::curveSelected, this, &TChartPage::curveSelected);
    connect(chart_, &TransfertChart::shiftIncrementsChanged, this, &TChartPage::shiftIncrementsChanged);
    connect(chart_, &TransfertChart::selectedShiftsChanged, this, &TChartPage::selectedShiftsChanged);
    connect(chart_, &TransfertChart::beforeDrawSeries, this, [this] {
        if (informationShown()) RefreshCurveInformation();
    });
    // A press on the chart may undo the zoom: the scan range is brought up
    // to date first.
    for (QWidget* w : chart_->findChildren<QWidget*>()) w->installEventFilter(this);

    // Pictures of the scan (".bmp", ".png") are this chart as it stands.
    previousPicture_ = ChartPictures::installed();
    picture_ = std::make_shared<TransfertChartPicture>(*chart_);
    ChartPictures::install(picture_);

    applyLevels(chart_->curveLevels(), false);
    applyInformationVisibility();
    updateTraceControls();
}

TChartPage::~TChartPage()
{
    if (ChartPictures::installed() == picture_) ChartPictures::install(previousPicture_);
}

void TChartPage::setDialogs(ChartPageDialogs dialogs) { dialogs_ = std::move(dialogs); }

// ---- Building ------------------------------------------------------------------

QWidget* TChartPage::buildTraces()
{
    tracesGroup_ = group("Traces", this, "TracesGroup");
    auto* grid = new QGridLayout(tracesGroup_);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (std::size_t i = 0; i < curveBoxes_.size(); ++i) {
        auto* box = new QCheckBox(curveNames[i], tracesGroup_);
        box->setObjectName(curveBoxNames[i]);
        box->setChecked(true);
        // Room for " (S)" in bold, so the boxes do not move when it comes.
        QFont bold = box->font();
        bold.setBold(true);
        box->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(QString(curveNames[i]) + " (S)") + 22);
        grid->addWidget(box, static_cast<int>(i / 3), static_cast<int>(i % 3));
        curveBoxes_[i] = box;
        connect(box, &QCheckBox::clicked, this, [this, box] { ChangeDisplayedFunctions(box); });
    }
    showAllButton_ = button("Show All", tracesGroup_, "ButtonShowAll");
    clearAllButton_ = button("Clear All", tracesGroup_, "ButtonClearAll");
    showMinMaxBox_ = new QCheckBox("Show Min Max", tracesGroup_);
    showMinMaxBox_->setObjectName("CheckBoxShowMinMax");
    showMinMaxBox_->setChecked(true);
    grid->addWidget(showAllButton_, 2, 0);
    grid->addWidget(clearAllButton_, 2, 1);
    grid->addWidget(showMinMaxBox_, 3, 0, 1, 3);
    connect(showAllButton_, &QPushButton::clicked, this, &TChartPage::ShowAllCurves);
    connect(clearAllButton_, &QPushButton::clicked, this, &TChartPage::ButtonClearAllClick);
    connect(showMinMaxBox_, &QCheckBox::clicked, this, &TChartPage::CheckBoxShowMinMaxClick);
    return tracesGroup_;
}

QWidget* TChartPage::buildShifts()
{
    shiftGroup_ = group("Shift", this, "ShiftGroup");
    auto* grid = new QGridLayout(shiftGroup_);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    auto newShiftEdit = [this](const char* name) {
        auto* e = new TDoubleEdit(shiftGroup_);
        e->setObjectName(name);
        e->SetRange(::shiftEdit.minimum, ::shiftEdit.maximum);
        e->SetIncrement(::shiftEdit.increment);
        e->SetPrecision(::shiftEdit.decimals);
        e->SetValue(0.0);
        e->setFixedWidth(86);
        return e;
    };
    xShiftEdit_ = newShiftEdit("EditXShift");
    yShiftEdit_ = newShiftEdit("EditYShift");
    grid->addWidget(new QLabel("X (nm)", shiftGroup_), 0, 0);
    grid->addWidget(xShiftEdit_, 0, 1);
    grid->addWidget(new QLabel("Y (dB)", shiftGroup_), 1, 0);
    grid->addWidget(yShiftEdit_, 1, 1);
    resetShiftButton_ = button("Reset", shiftGroup_, "ButtonResetShift");
    grid->addWidget(resetShiftButton_, 2, 1);
    grid->setRowStretch(3, 1);
    connect(xShiftEdit_, &TDoubleEdit::changed, this, &TChartPage::EditXDeltaChange);
    connect(yShiftEdit_, &TDoubleEdit::changed, this, &TChartPage::EditYDeltaChange);
    connect(resetShiftButton_, &QPushButton::clicked, this, &TChartPage::ButtonResetShiftClick);
    return shiftGroup_;
}

QWidget* TChartPage::buildZoom()
{
    QGroupBox* g = group("Zoom", this, "ZoomGroup");
    auto* grid = new QGridLayout(g);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    zoomWavelengthButton_ = radio("Wavelength limits", g, "RadioButtonZoomWaveLength");
    zoomStaticButton_ = radio("Static", g, "RadioButtonZoomStatic");
    zoomStaticButton_->setChecked(true);
    scaleButton_ = button("Scale", g, "ButtonZoomManual");
    unitButton_ = button(displayUnitCaption(SpectralUnit::Nm), g, "ButtonDisplayUnit");
    peakButton_ = button("On Peak", g, "ButtonPeakCenter");
    grid->addWidget(zoomWavelengthButton_, 0, 0, 1, 2);
    grid->addWidget(zoomStaticButton_, 1, 0, 1, 2);
    grid->addWidget(scaleButton_, 2, 0);
    grid->addWidget(unitButton_, 2, 1);
    grid->addWidget(peakButton_, 3, 0, 1, 2);
    connect(zoomWavelengthButton_, &QRadioButton::clicked, this, &TChartPage::RadioButtonZoomClick);
    connect(zoomStaticButton_, &QRadioButton::clicked, this, &TChartPage::RadioButtonZoomClick);
    connect(scaleButton_, &QPushButton::clicked, this, &TChartPage::ButtonZoomManualClick);
    connect(unitButton_, &QPushButton::clicked, this, &TChartPage::ButtonDisplayUnitClick);
    connect(peakButton_, &QPushButton::clicked, this, &TChartPage::ButtonPeakCenterClick);
    return g;
}

QWidget* TChartPage::buildCursors()
{
    QGroupBox* g = group("Cursors", this, "CursorsGroup");
    auto* grid = new QGridLayout(g);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    showCursorsButton_ = button(cursorButtonCaption(false), g, "ButtonShowCursors");
    cursorButton_ = radio("Cursor", g, "RadioButtonCursor");
    markerButton_ = radio("Marker", g, "RadioButtonMarker");
    cursorButton_->setChecked(true);
    resetCursorsButton_ = button("Reset", g, "ButtonReset");
    grid->addWidget(showCursorsButton_, 0, 0);
    grid->addWidget(cursorButton_, 1, 0);
    grid->addWidget(markerButton_, 2, 0);
    grid->addWidget(resetCursorsButton_, 3, 0);
    connect(showCursorsButton_, &QPushButton::clicked, this, &TChartPage::TRCClick);
    connect(cursorButton_, &QRadioButton::clicked, this, &TChartPage::RadioButtonCursorsClick);
    connect(markerButton_, &QRadioButton::clicked, this, &TChartPage::RadioButtonCursorsClick);
    connect(resetCursorsButton_, &QPushButton::clicked, this, &TChartPage::ButtonResetClick);
    return g;
}

QWidget* TChartPage::buildInformation()
{
    // Under the chart, two lines across the page: the centre and width on
    // the left, the slopes on the right.
    QGroupBox* g = group("Information", this, "InformationGroup");
    auto* row = new QHBoxLayout(g);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(12);
    showInformationBox_ = new QCheckBox("Show Information", g);
    showInformationBox_->setObjectName("CheckBoxShowInformation");
    row->addWidget(showInformationBox_, 0, Qt::AlignTop);
    informationBlock_ = new QWidget(g);
    informationBlock_->setObjectName("InformationBlock");
    auto* grid = new QGridLayout(informationBlock_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    centreCaption_ = label("", informationBlock_, "CentralLambdaLabel");
    widthCaption_ = label("", informationBlock_, "FWHM3dBLabel");
    leftCaption_ = label("", informationBlock_, "LeftFrontLabel");
    rightCaption_ = label("", informationBlock_, "RightFrontLabel");
    centreValue_ = label("", informationBlock_, "CentralLambdaValue");
    widthValue_ = label("", informationBlock_, "FWHM3dBValue");
    leftValue_ = label("", informationBlock_, "LeftFrontValue");
    rightValue_ = label("", informationBlock_, "RightFrontValue");
    const std::array<std::array<QLabel*, 3>, 4> cells = {{{centreCaption_, centreValue_, nullptr},
                                                          {widthCaption_, widthValue_, nullptr},
                                                          {leftCaption_, leftValue_, nullptr},
                                                          {rightCaption_, rightValue_, nullptr}}};
    for (int i = 0; i < 4; ++i) {
        QLabel* caption = cells[static_cast<std::size_t>(i)][0];
        QLabel* value = cells[static_cast<std::size_t>(i)][1];
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        // Room for the longest figures, so that the block does not move.
        value->setMinimumWidth(QFontMetrics(bold).horizontalAdvance("-1234.56 dB/Thz"));
        grid->addWidget(caption, i % 2, (i / 2) * 2);
        grid->addWidget(value, i % 2, (i / 2) * 2 + 1);
    }
    grid->setColumnMinimumWidth(2, QFontMetrics(font()).horizontalAdvance("Right Slope [-80.00, -80.00 dB] :"));
    grid->setColumnStretch(4, 1);
    for (QLabel* caption : {widthCaption_, leftCaption_, rightCaption_}) {
        caption->setCursor(Qt::PointingHandCursor);
        caption->installEventFilter(this);
    }
    widthCaption_->setToolTip("Click to set the spectral width level");
    leftCaption_->setToolTip("Click to set the slope levels");
    rightCaption_->setToolTip("Click to set the slope levels");
    row->addWidget(informationBlock_, 1);
    connect(showInformationBox_, &QCheckBox::clicked, this, &TChartPage::CheckBoxShowInformationClick);
    return g;
}

QWidget* TChartPage::buildScans()
{
    QGroupBox* g = group("Scan", this, "ScanGroup");
    auto* grid = new QGridLayout(g);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    loadButton_ = button("&Load", g, "ButtonLoadScan");
    saveButton_ = button("&Save", g, "ButtonSaveScan");
    scanList_ = new QComboBox(g);
    scanList_->setObjectName("ComboBoxScan");
    scanList_->setMinimumWidth(150);
    scanList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    clearCurrentButton_ = button("Clear &Current Scan", g, "ButtonClearCurrentScan");
    clearAllScansButton_ = button("Clear &All Scan", g, "ButtonClearAllScan");
    grid->addWidget(loadButton_, 0, 0);
    grid->addWidget(saveButton_, 0, 1);
    grid->addWidget(scanList_, 1, 0, 1, 2);
    grid->addWidget(clearCurrentButton_, 2, 0, 1, 2);
    grid->addWidget(clearAllScansButton_, 3, 0, 1, 2);
    connect(loadButton_, &QPushButton::clicked, this, &TChartPage::ButtonLoadScanClick);
    connect(saveButton_, &QPushButton::clicked, this, &TChartPage::ButtonSaveScanClick);
    connect(scanList_, &QComboBox::activated, this, &TChartPage::ComboBoxScanChange);
    connect(clearCurrentButton_, &QPushButton::clicked, this, &TChartPage::ButtonClearCurrentScanClick);
    connect(clearAllScansButton_, &QPushButton::clicked, this, &TChartPage::ButtonClearAllScanClick);
    return g;
}

// ---- The store ----------------------------------------------------------------------

ScanManager& TChartPage::scans()
{
    ScanManager& store = host_.session().scans();
    if (!storeBound_) {
        storeBound_ = true;
        chart_->setScanManager(&store);
    }
    return store;
}

ScanTrace& TChartPage::currentTrace() { return scans().Current(); }

void TChartPage::followScanRange()
{
    MeasurementSession& session = host_.session();
    if (session.running()) return;
    const SourceConfigurationView& live = session.liveConfiguration();
    const double start = live.scanStart();
    const double stop = live.scanStop();
    if (!(stop > start)) return;
    const AxisRange range = chart_->scanRange();
    // Only a new range: the same one would reset a zoom in "Wavelength limits".
    if (range.minimum != start || range.maximum != stop) chart_->setScanRange(start, stop);
}

void TChartPage::showEvent(QShowEvent* event)
{
    // Shown means the window is built, its session with it.
    scans();
    QWidget::showEvent(event);
}

bool TChartPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == widthCaption_) FWHM3dBLabelClick();
        if (watched == leftCaption_ || watched == rightCaption_) SideFrontConfig();
    }
    if (event->type() == QEvent::MouseButtonPress && watched != widthCaption_ && watched != leftCaption_
        && watched != rightCaption_) {
        scans();
        followScanRange();
    }
    return QWidget::eventFilter(watched, event);
}

void TChartPage::message(int severity, const QString& caption, const QString& text)
{
    if (dialogs_.message) dialogs_.message(severity, caption, text);
}

// ---- TransferChartPage ------------------------------------------------------------

ScanChart* TChartPage::scanChart() { return chart_; }

void TChartPage::resetAxesToScanRange(double startNm, double stopNm)
{
    chart_->setScanRange(startNm, stopNm);
    chart_->resetAxes();
}

void TChartPage::refreshAfterScan()
{
    ScanManager& store = scans();
    ChangeDisplayedFunctions(nullptr);
    store.RedrawAll();
    showCurrentTrace();
}

void TChartPage::setTraceControlsEnabled(bool enabled)
{
    traceControlsEnabled_ = enabled;
    if (enabled) {
        // A measurement starts with its trace in the store: the list, the
        // volt axis of the Ext input (unless it is read as optical) and the
        // boxes follow that trace.
        const MeasurementSession& session = host_.session();
        chart_->setExtOnVoltAxis(session.settings().scanParameters.bncEnable == 0);
        refillScanList();
        showCurrentTrace();
        return;
    }
    updateTraceControls();
}

void TChartPage::setScanCommandsEnabled(bool enabled)
{
    for (QPushButton* b : {loadButton_, saveButton_, clearCurrentButton_, clearAllScansButton_}) b->setEnabled(enabled);
}

void TChartPage::setScanListEnabled(bool enabled) { scanList_->setEnabled(enabled); }

void TChartPage::scanAdded(const std::string& name)
{
    const QSignalBlocker blocker(scanList_);
    scanList_->addItem(QString::fromStdString(name));
    scanList_->setCurrentIndex(scans().CurrentIndex());
}

void TChartPage::refreshDisplayedTraces()
{
    scans();
    ChangeDisplayedFunctions(nullptr);
}

bool TChartPage::frequencyDisplay() const { return chart_->frequencyDisplay(); }

std::pair<double, double> TChartPage::visibleRangeNm() const
{
    const AxisRange bottom = chart_->ranges().bottom;
    if (!chart_->frequencyDisplay()) return {bottom.minimum, bottom.maximum};
    const double low = bottom.maximum > 0.0 ? terahertzNm / bottom.maximum : 0.0;
    const double high = bottom.minimum > 0.0 ? terahertzNm / bottom.minimum : 0.0;
    return {low, high};
}

void TChartPage::settingsToControls(const ApplicationConfig& s, bool factory)
{
    factory_ = factory;
    {
        const QSignalBlocker b1(zoomWavelengthButton_), b2(zoomStaticButton_);
        (s.zoomStatus == 0 ? zoomWavelengthButton_ : zoomStaticButton_)->setChecked(true);
    }
    chart_->setZoomMode(s.zoomStatus == 0 ? TransfertChart::ZoomMode::WavelengthLimits
                                          : TransfertChart::ZoomMode::Static);
    const bool cursorMode = s.cursorMode || !s.markerMode;
    {
        const QSignalBlocker b1(cursorButton_), b2(markerButton_);
        (cursorMode ? cursorButton_ : markerButton_)->setChecked(true);
    }
    C_TChartCursorMnger& cursors = chart_->cursors();
    cursors.setMode(cursorMode ? C_TChartCursorMnger::Mode::Cursor : C_TChartCursorMnger::Mode::Marker);
    cursors.setShown(s.cursorVisible);
    showCursorsButton_->setText(cursorButtonCaption(s.cursorVisible));
    resetCursorsButton_->setEnabled(cursors.resetEnabled());
    applyLevels({s.fwhmThreshold, s.fwhmPower, s.slopeTopLevel, s.slopeBottomLevel}, false);
    {
        const QSignalBlocker b(showInformationBox_);
        showInformationBox_->setChecked(factory && s.showInfo);
    }
    applyInformationVisibility();
}

void TChartPage::controlsToSettings(ApplicationConfig& s) const
{
    s.zoomStatus = zoomWavelengthButton_->isChecked() ? 0 : 1;
    s.cursorVisible = chart_->cursors().shown();
    s.cursorMode = cursorButton_->isChecked();
    s.markerMode = markerButton_->isChecked();
    const CurveLevels& levels = chart_->curveLevels();
    s.fwhmThreshold = levels.fwhmThreshold;
    s.fwhmPower = levels.fwhmPower;
    s.slopeTopLevel = levels.slopeTopLevel;
    s.slopeBottomLevel = levels.slopeBottomLevel;
    // Without the factory switch the information stays off.
    s.showInfo = factory_ && showInformationBox_->isChecked();
}

// ---- Traces ---------------------------------------------------------------------------

void TChartPage::updateTraceControls()
{
    const ScanTrace* trace = storeBound_ ? &host_.session().scans().Current() : nullptr;
    for (std::size_t i = 0; i < curveBoxes_.size(); ++i)
        curveBoxes_[i]->setEnabled(traceControlsEnabled_ && trace != nullptr && curveIndex(*trace, curveNames[i]) >= 0);
    for (QWidget* w : {static_cast<QWidget*>(showAllButton_), static_cast<QWidget*>(clearAllButton_),
                       static_cast<QWidget*>(showMinMaxBox_), static_cast<QWidget*>(yShiftEdit_),
                       static_cast<QWidget*>(resetShiftButton_)})
        w->setEnabled(traceControlsEnabled_);
    xShiftEdit_->setEnabled(traceControlsEnabled_ && chart_->xShiftEnabled());
}

void TChartPage::ChangeDisplayedFunctions(QCheckBox* box)
{
    ScanTrace& trace = currentTrace();
    const ApplicationConfig& s = host_.session().settings();
    const bool continuous = s.measurementType == 1;
    for (std::size_t i = 0; i < curveBoxes_.size(); ++i) {
        QCheckBox* b = curveBoxes_[i];
        if (box != nullptr && box != b) continue;
        const int index = curveIndex(trace, curveNames[i]);
        if (index < 0) continue;
        const bool shown = b->isChecked();
        // Only a change: a redraw with the same look rebuilds the curve's series.
        if (trace.CurveAt(index)->visible() != shown) trace.SetCurveVisible(curveNames[i], shown);
        if (!continuous) continue;
        // The envelope of curve "2" follows its box only while detector 2 is enabled.
        if (i == 1 && s.scanParameters.enable2 == 0) continue;
        const bool envelopes = shown && showMinMaxBox_->isChecked();
        if (trace.CurveAt(index)->showMinMax() != envelopes) trace.SetShowMinMax(index, envelopes);
    }
}

void TChartPage::ShowAllCurves()
{
    for (std::size_t i = 0; i < showAllBoxes; ++i)
        if (curveBoxes_[i]->isEnabled()) curveBoxes_[i]->setChecked(true);
    ChangeDisplayedFunctions(nullptr);
}

void TChartPage::ButtonClearAllClick()
{
    for (std::size_t i = 0; i < showAllBoxes; ++i)
        if (curveBoxes_[i]->isEnabled()) curveBoxes_[i]->setChecked(false);
    ChangeDisplayedFunctions(nullptr);
}

void TChartPage::CheckBoxShowMinMaxClick()
{
    ScanTrace& trace = currentTrace();
    for (std::size_t i = 0; i < curveBoxes_.size(); ++i) {
        const int index = curveIndex(trace, curveNames[i]);
        if (index < 0 || !curveBoxes_[i]->isChecked()) continue;
        trace.SetShowMinMax(index, showMinMaxBox_->isChecked());
    }
}

void TChartPage::curveSelected(int index, double xShift, double yShift)
{
    const ScanCurve* curve = storeBound_ ? host_.session().scans().Current().CurveAt(index) : nullptr;
    for (std::size_t i = 0; i < curveBoxes_.size(); ++i) {
        const bool selected = curve != nullptr && curve->name() == curveNames[i];
        curveBoxes_[i]->setText(QString::fromStdString(curveCaption(curveNames[i], selected)));
        QFont f = curveBoxes_[i]->font();
        f.setBold(selected);
        curveBoxes_[i]->setFont(f);
    }
    selectedShiftsChanged(xShift, yShift);
    RefreshCurveInformation();
}

void TChartPage::shiftIncrementsChanged(double xIncrement, double yIncrement)
{
    const QSignalBlocker b1(xShiftEdit_), b2(yShiftEdit_);
    xShiftEdit_->SetIncrement(xIncrement);
    yShiftEdit_->SetIncrement(yIncrement);
}

void TChartPage::selectedShiftsChanged(double xShift, double yShift)
{
    const QSignalBlocker b1(xShiftEdit_), b2(yShiftEdit_);
    xShiftEdit_->SetValue(xShift);
    yShiftEdit_->SetValue(yShift);
}

void TChartPage::EditXDeltaChange()
{
    scans();
    chart_->setSelectedXShift(xShiftEdit_->GetValue());
}

void TChartPage::EditYDeltaChange()
{
    scans();
    chart_->setSelectedYShift(yShiftEdit_->GetValue());
}

void TChartPage::ButtonResetShiftClick()
{
    scans();
    chart_->resetShifts();
}

// ---- Zoom and unit ----------------------------------------------------------------------

void TChartPage::RadioButtonZoomClick()
{
    scans();
    followScanRange();
    const bool follow = zoomWavelengthButton_->isChecked();
    host_.session().settings().zoomStatus = follow ? 0 : 1;
    chart_->setZoomMode(follow ? TransfertChart::ZoomMode::WavelengthLimits : TransfertChart::ZoomMode::Static);
}

void TChartPage::ButtonZoomManualClick()
{
    TFormManualZoomWindow dialog(chart_->ranges(), this);
    if (dialogs_.exec(dialog) != QDialog::Accepted) return;
    chart_->setRanges(dialog.ranges());
}

void TChartPage::ButtonDisplayUnitClick()
{
    scans();
    followScanRange();
    chart_->toggleDisplayUnit();
    unitButton_->setText(displayUnitCaption(chart_->unit()));
    updateTraceControls();
    RefreshCurveInformation();
    host_.displayedScanChanged();
}

void TChartPage::ButtonPeakCenterClick()
{
    scans();
    followScanRange();
    chart_->zoomOnPeak();
}

// ---- Cursors ------------------------------------------------------------------------------

void TChartPage::TRCClick()
{
    scans();
    C_TChartCursorMnger& cursors = chart_->cursors();
    cursors.setShown(!cursors.shown());
    showCursorsButton_->setText(cursorButtonCaption(cursors.shown()));
    host_.session().settings().cursorVisible = cursors.shown();
}

void TChartPage::RadioButtonCursorsClick()
{
    C_TChartCursorMnger& cursors = chart_->cursors();
    const bool cursorMode = cursorButton_->isChecked();
    cursors.setMode(cursorMode ? C_TChartCursorMnger::Mode::Cursor : C_TChartCursorMnger::Mode::Marker);
    resetCursorsButton_->setEnabled(cursors.resetEnabled());
    ApplicationConfig& s = host_.session().settings();
    s.cursorMode = cursorMode;
    s.markerMode = !cursorMode;
}

void TChartPage::ButtonResetClick()
{
    scans();
    C_TChartCursorMnger& cursors = chart_->cursors();
    if (cursors.shown()) cursors.reset();
}

// ---- Information ------------------------------------------------------------------------------

bool TChartPage::informationShown() const { return factory_ && showInformationBox_->isChecked(); }

void TChartPage::applyInformationVisibility()
{
    showInformationBox_->parentWidget()->setVisible(factory_);
    informationBlock_->setVisible(informationShown());
    if (informationShown()) RefreshCurveInformation();
}

void TChartPage::CheckBoxShowInformationClick()
{
    if (factory_) host_.session().settings().showInfo = showInformationBox_->isChecked();
    applyInformationVisibility();
}

void TChartPage::rebuildCaptions()
{
    const CurveInformationTexts texts = curveInformation(nullptr, chart_->curveLevels(), chart_->unit());
    centreCaption_->setText(QString::fromStdString(texts.centreCaption));
    widthCaption_->setText(QString::fromStdString(texts.widthCaption));
    leftCaption_->setText(QString::fromStdString(texts.leftCaption));
    rightCaption_->setText(QString::fromStdString(texts.rightCaption));
}

void TChartPage::RefreshCurveInformation()
{
    const CurveInformationTexts texts = chart_->selectedCurveInformation();
    centreValue_->setText(QString::fromStdString(texts.centre));
    widthValue_->setText(QString::fromStdString(texts.width));
    leftValue_->setText(QString::fromStdString(texts.leftSlope));
    rightValue_->setText(QString::fromStdString(texts.rightSlope));
}

void TChartPage::applyLevels(const CurveLevels& levels, bool toSettings)
{
    chart_->setCurveLevels(levels);
    rebuildCaptions();
    if (toSettings) {
        ApplicationConfig& s = host_.session().settings();
        s.fwhmThreshold = levels.fwhmThreshold;
        s.fwhmPower = levels.fwhmPower;
        s.slopeTopLevel = levels.slopeTopLevel;
        s.slopeBottomLevel = levels.slopeBottomLevel;
    }
    if (informationShown()) RefreshCurveInformation();
}

void TChartPage::FWHM3dBLabelClick()
{
    TFormFWHMWindow dialog(chart_->curveLevels(), this);
    if (dialogs_.exec(dialog) != QDialog::Accepted) return;
    scans();
    applyLevels(dialog.accepted(chart_->curveLevels()), true);
}

void TChartPage::SideFrontConfig()
{
    TFormSideFront dialog(chart_->curveLevels(), this);
    if (dialogs_.exec(dialog) != QDialog::Accepted) return;
    scans();
    applyLevels(dialog.accepted(chart_->curveLevels()), true);
}

// ---- Scans --------------------------------------------------------------------------------

void TChartPage::showCurrentTrace()
{
    ScanTrace& trace = currentTrace();
    updateTraceControls();
    ChangeDisplayedFunctions(nullptr);
    const int selected = trace.CurveAt(chart_->selectedCurve()) != nullptr ? chart_->selectedCurve() : 0;
    chart_->selectCurve(selected);
    RefreshCurveInformation();
    chart_->redrawAllSeries();
}

void TChartPage::refillScanList()
{
    ScanManager& store = scans();
    const QSignalBlocker blocker(scanList_);
    scanList_->clear();
    for (int i = 0; i < store.Count(); ++i) scanList_->addItem(QString::fromStdString(store.Get(i).name()));
    scanList_->setCurrentIndex(store.CurrentIndex());
}

void TChartPage::ComboBoxScanChange(int index)
{
    scans().Select(index);
    showCurrentTrace();
    host_.displayedScanChanged();
}

void TChartPage::ButtonClearCurrentScanClick()
{
    scans().DeleteCurrent();
    refillScanList();
    showCurrentTrace();
    host_.displayedScanChanged();
}

void TChartPage::ButtonClearAllScanClick()
{
    ScanManager& store = scans();
    while (store.Count() > 0) {
        if (store.CurrentIndex() < 0) store.Select(0);
        store.DeleteCurrent();
    }
    refillScanList();
    showCurrentTrace();
    host_.displayedScanChanged();
}

void TChartPage::ButtonLoadScanClick()
{
    ScanManager& store = scans();
    MeasurementSession& session = host_.session();
    const std::string dataFolder = session.settings().dataFolder;
    createFolderTree(dataFolder);
    const QString chosen = dialogs_.openFileName(QString::fromStdString(dataFolder), dialogFilters(scanLoadFilter));
    if (chosen.isEmpty()) return;
    const std::string fileName = chosen.toStdString();

    // Nothing is read into the settings, the sources or the store from a
    // file that cannot be loaded: what is shown stays.
    if (const std::optional<std::string> problem = scanFileReadProblem(fileName)) {
        message(2, "Error", QString("Can't open the file %1\n%2").arg(chosen, QString::fromStdString(*problem)));
        return;
    }
    setScanCommandsEnabled(false);
    host_.loadConfiguration(fileName);
    const int previous = store.CurrentIndex();
    ScanTrace& trace = store.NewTrace(&session.liveConfiguration());
    if (trace.LoadXml(fileName, nullptr) != 0) {
        // Changed since it was checked: the new trace goes, the old one comes back.
        store.DeleteCurrent();
        if (previous >= 0 && previous < store.Count()) store.Select(previous);
        setScanCommandsEnabled(true);
        showCurrentTrace();
        message(2, "Error", QString("Can't open the file %1\n%2").arg(chosen, invalidFormatText));
        return;
    }
    trace.setName(baseNameOf(fileName));
    chart_->setExtOnVoltAxis(true);
    trace.RedrawAll();
    refillScanList();
    host_.configurationLoaded();
    followScanRange();
    chart_->resetAxesIfFollowing();
    traceControlsEnabled_ = true;
    showCurrentTrace();
    host_.displayedScanChanged();
    setScanCommandsEnabled(true);
    if (const std::optional<std::string> problem = sideFileReadProblem(fileName))
        message(1, "Load", QString("The data file %1.dat can't be read (%2): the scan shows no points.")
                               .arg(chosen, QString::fromStdString(*problem)));
}

void TChartPage::ButtonSaveScanClick()
{
    const ScanTrace& trace = currentTrace();
    MeasurementSession& session = host_.session();
    const std::string dataFolder = session.settings().dataFolder;
    createFolderTree(dataFolder);
    const QString chosen =
        dialogs_.saveFileName(QString::fromStdString(dataFolder), dialogFilters(scanSaveFilter), saveFilterIndex_);
    if (chosen.isEmpty()) return;
    const std::string fileName = withFilterExtension(chosen.toStdString(), scanSaveFilter, saveFilterIndex_);

    // The frame takes the window's controls into the settings, as every save does.
    TiXmlDocument frame;
    std::string error;
    bool saved = host_.configurationFrame(frame, &error);
    if (saved) {
        if (static_cast<ScanSaveForm>(saveFilterIndex_) == ScanSaveForm::ScanXml) {
            saved = trace.SaveXml(fileName, frame, &error);
        } else {
            const About about(session.identity().summary(), 0);
            saved = saveFromChartPage(fileName, saveFilterIndex_, trace, ScanFileFrame{about, session.settings(), {}},
                                      &error);
        }
    }
    if (!saved) {
        message(2, "Save", QString("Can't save the file %1\n%2")
                               .arg(QString::fromStdString(fileName),
                                    QString::fromStdString(fileWriteProblem(fileName, error))));
        return;
    }
    session.settings().dataFolder = folderOf(fileName);
}

std::unique_ptr<TChartPage> makeChartPage(QWidget& place, std::unique_ptr<ChartPageHost> host)
{
    auto page = std::make_unique<TChartPage>(std::move(host), &place);
    auto* layout = new QVBoxLayout(&place);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page.get());
    return page;
}
