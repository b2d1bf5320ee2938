#include "CalibrationPage.h"

#include <qcustomplot.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "Applicationconfig.h"
#include "CalibrationTools.h"
#include "Doubleedit.h"
#include "FlashControl.h"
#include "MaintenanceHost.h"
#include "MeasurementSession.h"
#include "NumberFormat.h"
#include "PowerControl.h"
#include "Scanmanager.h"
#include "TabCalib.h"
#include "UnitOperation.h"
#include "WindowDialogs.h"

namespace {

using Control = WindowRules::Control;

const char* startCaption = "Start Power Control";
const char* stopCaption = "Stop Power Control";

QColor colourOf(PowerControl::Colour colour)
{
    switch (colour) {
    case PowerControl::Colour::Red: return Qt::red;
    case PowerControl::Colour::Green: return Qt::green;
    case PowerControl::Colour::Blue: return Qt::blue;
    }
    return Qt::green;
}

QLabel* label(const QString& text, QWidget* parent)
{
    return new QLabel(text, parent);
}

QString numberText(double value) { return QString::fromStdString(cformat("%g", value)); }

// Items "1" ... count of a selection list, in count columns; the last
// items go or new ones come, the others (and their captions) stay.
void setItems(QGroupBox& group, QButtonGroup& buttons, int count)
{
    auto* grid = static_cast<QGridLayout*>(group.layout());
    QList<QAbstractButton*> items = buttons.buttons();
    while (items.size() > count) {
        QAbstractButton* last = items.takeLast();
        buttons.removeButton(last);
        delete last;
    }
    while (items.size() < count) {
        auto* item = new QRadioButton(QString::asprintf("%d", static_cast<int>(items.size()) + 1), &group);
        item->setObjectName(group.objectName() + QString::number(items.size() + 1));
        buttons.addButton(item, static_cast<int>(items.size()));
        grid->addWidget(item, 0, static_cast<int>(items.size()));
        items.push_back(item);
    }
    if (buttons.checkedButton() == nullptr && !items.isEmpty()) items.front()->setChecked(true);
}

QGroupBox* selectionList(const char* caption, const char* name, QWidget* parent, QButtonGroup*& buttons)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    buttons = new QButtonGroup(group);
    new QGridLayout(group);
    setItems(*group, *buttons, 4);
    return group;
}

TDoubleEdit* wavelengthEdit(QWidget* parent, const char* name)
{
    auto* e = new TDoubleEdit(parent);
    e->setObjectName(name);
    e->SetPrecision(3);
    e->SetRange(CalibrationTools::wavelengthEditMinimumNm, CalibrationTools::wavelengthEditMaximumNm);
    e->SetIncrement(0.001);
    e->SetValue(CalibrationTools::wavelengthEditMinimumNm);
    e->setFixedWidth(110);
    return e;
}

}  // namespace

TCalibrationPage::TCalibrationPage(QWidget& place, MaintenanceHost& host)
    : host_(host), resetOperation_(std::make_unique<UnitOperation>(host))
{
    auto* outer = new QVBoxLayout(&place);
    outer->setContentsMargins(0, 0, 0, 0);
    page_ = new QWidget(&place);
    page_->setObjectName("CalibrationPage");
    outer->addWidget(page_);

    auto* columns = new QHBoxLayout(page_);
    columns->setSpacing(12);
    columns->addWidget(buildPowerControl(page_), 3);

    auto* right = new QVBoxLayout;
    right->setSpacing(10);
    calibrationModeBox_ = new QCheckBox("Enter calibration mode", page_);
    calibrationModeBox_->setObjectName("CheckBoxCalibrationMode");
    right->addWidget(calibrationModeBox_);
    right->addWidget(buildTfCalibration(page_));
    right->addWidget(buildBncInput(page_));
    right->addWidget(buildWavelengthReferencing(page_));
    resetButton_ = new QPushButton("Reset Calibration", page_);
    resetButton_->setObjectName("ButtonResetCalibration");
    auto* resetRow = new QHBoxLayout;
    resetRow->addWidget(resetButton_);
    resetRow->addStretch(1);
    right->addLayout(resetRow);
    right->addStretch(1);
    columns->addLayout(right, 2);

    timer4_ = new QTimer(this);
    timer4_->setInterval(PowerControl::tickMs);

    connect(startButton_, &QPushButton::clicked, this, &TCalibrationPage::ButtonStartPowerControlClick);
    connect(timer4_, &QTimer::timeout, this, &TCalibrationPage::Timer4Timer);
    connect(calibrationModeBox_, &QCheckBox::clicked, this, &TCalibrationPage::CheckBoxCalibrationModeClick);
    connect(opticalBox_, &QCheckBox::clicked, this, &TCalibrationPage::CBOpticalClick);
    connect(detectorButtons_, &QButtonGroup::idClicked, this, &TCalibrationPage::RadioGroup1Click);
    connect(updateCalibration_, &QPushButton::clicked, this, &TCalibrationPage::ButtonUpdateCalibrationClick);
    connect(updateCalibration2_, &QPushButton::clicked, this, &TCalibrationPage::ButtonUpdateCalibration2Click);
    connect(resetButton_, &QPushButton::clicked, this, &TCalibrationPage::ButtonResetCalibrationClick);
    reapplyEnabling();
}

TCalibrationPage::~TCalibrationPage()
{
    stopPowerControl();
    // The reset's thread ends before the widgets it reports to go.
    resetOperation_.reset();
    delete page_.data();
}

// ---- Building -----------------------------------------------------------------

QWidget* TCalibrationPage::buildPowerControl(QWidget* parent)
{
    auto* group = new QGroupBox(" Power Control  ", parent);
    group->setObjectName("PowerControl");
    auto* column = new QVBoxLayout(group);
    auto* row = new QHBoxLayout;
    startButton_ = new QPushButton(startCaption, group);
    startButton_->setObjectName("ButtonStartPowerControl");
    startButton_->setMinimumWidth(150);
    inputSelection_ = selectionList(" Input Source Selection ", "InputSourceSelection", group, inputButtons_);
    row->addWidget(startButton_);
    row->addWidget(inputSelection_);
    row->addStretch(1);
    column->addLayout(row);
    column->addWidget(buildChart(group), 1);
    return group;
}

QWidget* TCalibrationPage::buildChart(QWidget* parent)
{
    chart2_ = new QCustomPlot(parent);
    chart2_->setObjectName("Chart2");
    chart2_->setMinimumSize(420, 320);
    chart2_->setBufferDevicePixelRatio(1.0);
    chart2_->yAxis->setLabel("Power (dBm)");
    chart2_->yAxis->setRange(-70.0, 10.0);
    chart2_->yAxis2->setVisible(true);
    chart2_->yAxis2->setLabel("Voltage (V)");
    chart2_->yAxis2->setRange(0.0, 2.8);
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    for (int i = 0; i < PowerControl::barCount; ++i)
        ticker->addTick(i + 1.0, PowerControl::barNames[static_cast<std::size_t>(i)]);
    chart2_->xAxis->setTicker(ticker);
    // Six captions side by side under a chart of half the page.
    QFont ticks = chart2_->xAxis->tickLabelFont();
    ticks.setPointSizeF(ticks.pointSizeF() * 0.85);
    chart2_->xAxis->setTickLabelFont(ticks);
    // Bar X at left + X * width / 7: where the value labels are placed.
    chart2_->xAxis->setRange(0.0, 7.0);
    chart2_->xAxis->grid()->setVisible(false);
    // One bar object per bar, so that each takes its own colour; the five
    // on the power axis make the series "Power", the sixth "Voltage".
    for (int i = 0; i < PowerControl::barCount; ++i) {
        const bool voltage = i == PowerControl::barCount - 1;
        auto* bars = new QCPBars(chart2_->xAxis, voltage ? chart2_->yAxis2 : chart2_->yAxis);
        bars->setName(voltage ? "Voltage" : "Power");
        bars->setWidth(0.6);
        bars->setBaseValue(voltage ? 0.0 : -70.0);
        bars->setPen(QPen(Qt::black));
        bars->setBrush(voltage ? Qt::blue : Qt::green);
        bars_[static_cast<std::size_t>(i)] = bars;

        const char* names[] = {"LabelPowerOut", "LabelPower1", "LabelPower2",
                               "LabelPower3",   "LabelPower4", "LabelVoltExt"};
        auto* value = new QLabel(chart2_);
        value->setObjectName(names[i]);
        value->setAlignment(Qt::AlignCenter);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        value->setAttribute(Qt::WA_TransparentForMouseEvents);
        // Readable over a red, green or blue bar alike.
        value->setStyleSheet("QLabel { background: rgba(255, 255, 255, 200); padding: 0px 3px; }");
        valueLabels_[static_cast<std::size_t>(i)] = value;
    }
    connect(chart2_, &QCustomPlot::beforeReplot, this, &TCalibrationPage::placeLabels);
    return chart2_;
}

QWidget* TCalibrationPage::buildTfCalibration(QWidget* parent)
{
    tfGroup_ = new QGroupBox(" TF Calibration ", parent);
    tfGroup_->setObjectName("TfCalibration");
    auto* row = new QHBoxLayout(tfGroup_);
    detectorSelection_ = selectionList(" Detector  selection  ", "DetectorSelection", tfGroup_, detectorButtons_);
    updateCalibration_ = new QPushButton("Update calibration ", tfGroup_);
    updateCalibration_->setObjectName("ButtonUpdateCalibration");
    row->addWidget(detectorSelection_);
    row->addWidget(updateCalibration_, 0, Qt::AlignBottom);
    row->addStretch(1);
    return tfGroup_;
}

QWidget* TCalibrationPage::buildBncInput(QWidget* parent)
{
    bncGroup_ = new QGroupBox(" BNC input ", parent);
    bncGroup_->setObjectName("BncInput");
    auto* bnc = new QVBoxLayout(bncGroup_);
    opticalBox_ = new QCheckBox("Optical", bncGroup_);
    opticalBox_->setObjectName("Optical");
    bnc->addWidget(opticalBox_);
    bncRow_ = new QWidget(bncGroup_);
    bncRow_->setObjectName("BncRow");
    auto* row = new QHBoxLayout(bncRow_);
    row->setContentsMargins(0, 0, 0, 0);
    auto* validator = new QDoubleValidator(bncRow_);
    validator->setLocale(QLocale::c());
    validator->setNotation(QDoubleValidator::ScientificNotation);
    bncAlpha_ = new QLineEdit("0", bncRow_);
    bncAlpha_->setObjectName("BNCAlpha");
    bncAlpha_->setValidator(validator);
    bncAlpha_->setFixedWidth(70);
    bncBeta_ = new QLineEdit("1", bncRow_);
    bncBeta_->setObjectName("BNCBeta");
    bncBeta_->setValidator(validator);
    bncBeta_->setFixedWidth(70);
    bncMw_ = new QRadioButton("mW", bncRow_);
    bncMw_->setObjectName("BncMw");
    bncDbm_ = new QRadioButton("dBm", bncRow_);
    bncDbm_->setObjectName("BncDbm");
    bncMw_->setChecked(true);
    row->addWidget(label("P = ", bncRow_));
    row->addWidget(bncAlpha_);
    row->addWidget(label("+", bncRow_));
    row->addWidget(bncBeta_);
    row->addWidget(label("x V", bncRow_));
    row->addSpacing(8);
    row->addWidget(bncMw_);
    row->addWidget(bncDbm_);
    row->addStretch(1);
    bnc->addWidget(bncRow_);
    return bncGroup_;
}

QWidget* TCalibrationPage::buildWavelengthReferencing(QWidget* parent)
{
    auto* group = new QGroupBox(" Wavelength referencing ", parent);
    group->setObjectName("WavelengthReferencing");
    auto* grid = new QGridLayout(group);
    measured_ = wavelengthEdit(group, "EditMeasured");
    expected_ = wavelengthEdit(group, "DoubleEditExpected");
    averageBox_ = new QCheckBox("Average", group);
    averageBox_->setObjectName("CheckBoxAverage");
    updateCalibration2_ = new QPushButton("Update calibration", group);
    updateCalibration2_->setObjectName("ButtonUpdateCalibration2");
    grid->addWidget(label("Measured", group), 0, 0);
    grid->addWidget(measured_, 0, 1);
    grid->addWidget(averageBox_, 0, 2);
    grid->addWidget(label("Expected", group), 1, 0);
    grid->addWidget(expected_, 1, 1);
    grid->addWidget(updateCalibration2_, 1, 2);
    grid->setColumnStretch(3, 1);
    return group;
}

// ---- The window's calls ---------------------------------------------------------

void TCalibrationPage::applyEnabling(const WindowRules::EnableState& state)
{
    state_ = state;
    reapplyEnabling();
}

void TCalibrationPage::reapplyEnabling()
{
    WindowRules::EnableState state = state_;
    state.calibrationMode = calibrationModeBox_->isChecked();
    state.opticalChecked = opticalBox_->isChecked();
    const auto on = [&state](Control c) { return WindowRules::enabled(c, state); };
    calibrationModeBox_->setEnabled(on(Control::CalibrationModeBox));
    const bool calibration = on(Control::CalibrationControls);
    // "Reset Calibration" also waits for its own reading of the unit.
    for (QWidget* w : std::initializer_list<QWidget*>{updateCalibration_, opticalBox_, averageBox_, measured_, expected_,
                                                      detectorSelection_, updateCalibration2_})
        w->setEnabled(calibration);
    resetButton_->setEnabled(calibration && !resetOperation_->running());
    bncRow_->setEnabled(on(Control::BncControls));
    const bool power = on(Control::PowerControl);
    startButton_->setEnabled(power || powerControlRunning());
    inputSelection_->setEnabled(power);
}

void TCalibrationPage::measurementStarts() { stopPowerControl(); }

void TCalibrationPage::unitAdapted(int laserInputs, int detectors)
{
    if (laserInputs != 0) setItems(*inputSelection_, *inputButtons_, laserInputs);
    if (detectors != 0) {
        detectors_ = detectors;
        setDetectorItems();
    }
}

void TCalibrationPage::lineFound(double line0Nm, bool singleMode, int scanCount)
{
    rememberedLineNm_ =
        WindowRules::rememberedLineWavelength(rememberedLineNm_, line0Nm, averageBox_->isChecked(), singleMode, scanCount);
    measured_->SetValue(rememberedLineNm_);
    expected_->SetValue(rememberedLineNm_);
}

void TCalibrationPage::settingsToControls(const ApplicationConfig& settings)
{
    const ScanParameterBlock& block = settings.scanParameters;
    opticalBox_->setChecked(block.bncEnable != 0);
    bncAlpha_->setText(numberText(block.bncAlpha));
    bncBeta_->setText(numberText(block.bncBeta));
    (block.bncUnit == 1 ? bncDbm_ : bncMw_)->setChecked(true);
    setDetectorItems();
    reapplyEnabling();
}

void TCalibrationPage::controlsToSettings(ApplicationConfig& settings) const
{
    ScanParameterBlock& block = settings.scanParameters;
    block.bncEnable = opticalBox_->isChecked() ? 1 : 0;
    if (opticalBox_->isChecked()) {
        block.bncAlpha = parseDouble(bncAlpha_->text().toStdString()).value_or(0.0);
        block.bncBeta = parseDouble(bncBeta_->text().toStdString()).value_or(0.0);
        block.bncUnit = bncDbm_->isChecked() ? 1 : 0;
    }
}

// ---- Lists ------------------------------------------------------------------------

void TCalibrationPage::setDetectorItems()
{
    // The BNC item stands after the detectors and answers to its own id,
    // whatever the number of detectors.
    if (QAbstractButton* bnc = detectorButtons_->button(CalibrationTools::bncItem)) {
        detectorButtons_->removeButton(bnc);
        delete bnc;
    }
    setItems(*detectorSelection_, *detectorButtons_, detectors_);
    if (opticalBox_->isChecked()) {
        auto* bnc = new QRadioButton("BNC", detectorSelection_);
        bnc->setObjectName(detectorSelection_->objectName() + QString::number(detectors_ + 1));
        detectorButtons_->addButton(bnc, CalibrationTools::bncItem);
        static_cast<QGridLayout*>(detectorSelection_->layout())->addWidget(bnc, 0, detectors_);
    }
    if (detectorButtons_->checkedButton() == nullptr) detectorButtons_->button(0)->setChecked(true);
}

int TCalibrationPage::selectedDetector() const { return std::max(detectorButtons_->checkedId(), 0); }

int TCalibrationPage::selectedInput() const { return std::max(inputButtons_->checkedId(), 0); }

// ---- Power control ------------------------------------------------------------------

void TCalibrationPage::ButtonStartPowerControlClick()
{
    if (powerControlRunning())
        stopPowerControl();
    else
        startPowerControl();
}

void TCalibrationPage::startPowerControl()
{
    // The unit serves one user at a time: not while a measurement or a long
    // unit operation has it.
    if (!host_.idle() || UnitOperation::anyRunning()) return;
    try {
        MeasurementSession& session = host_.session();
        powerControl_ = std::make_unique<PowerControl::Run>(session.settings().calibFolder, session.identity(),
                                                            selectedInput());
    } catch (const std::exception& error) {
        powerControl_.reset();
        host_.dialogs().message(2, "Error", QString::fromUtf8(error.what()));
        return;
    }
    startButton_->setText(stopCaption);
    timer4_->start();
    reapplyEnabling();
}

void TCalibrationPage::stopPowerControl()
{
    timer4_->stop();
    startButton_->setText(startCaption);
    powerControl_.reset();
    reapplyEnabling();
}

void TCalibrationPage::Timer4Timer()
{
    if (!powerControl_) return;
    if (!page_->isVisible()) {
        stopPowerControl();
        return;
    }
    if (UnitOperation::anyRunning()) return;
    try {
        showReading(powerControl_->tick(selectedInput()));
    } catch (const std::exception& error) {
        // A link that fails (an acknowledgement that never comes) ends the
        // power control with its text rather than at every tick.
        stopPowerControl();
        host_.dialogs().message(2, "Error", QString::fromUtf8(error.what()));
    }
}

void TCalibrationPage::showReading(const PowerControl::Reading& reading)
{
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        const PowerControl::Bar& bar = reading.bars[i];
        bars_[i]->data()->clear();
        // A bar's value is its height above the bar's base.
        bars_[i]->addData(bar.x, bar.value - bars_[i]->baseValue());
        const QColor colour = colourOf(bar.colour);
        bars_[i]->setBrush(colour);
        valueLabels_[i]->setText(QString::fromStdString(bar.label));
        valueLabels_[i]->adjustSize();
    }
    chart2_->replot();
}

void TCalibrationPage::placeLabels()
{
    const QRect r = chart2_->axisRect()->rect();
    const PowerControl::PlotArea plot{r.left(), r.top(), r.width(), r.height()};
    int height = 0;
    for (const QLabel* l : valueLabels_) height = std::max(height, l->sizeHint().height());
    const PowerControl::LabelPlacement p = PowerControl::placeLabels(plot, height);
    for (std::size_t i = 0; i < valueLabels_.size(); ++i) {
        QLabel* l = valueLabels_[i];
        const int width = l->sizeHint().width();
        l->setGeometry(p.centreX[i] - width / 2, p.top, width, height);
    }
}

double TCalibrationPage::barTop(int bar) const
{
    const QCPBars& bars = *bars_.at(static_cast<std::size_t>(bar));
    return bars.data()->isEmpty() ? bars.baseValue() : bars.baseValue() + bars.data()->constBegin()->value;
}

QColor TCalibrationPage::barColour(int bar) const
{
    return bars_.at(static_cast<std::size_t>(bar))->brush().color();
}

// ---- Calibration mode, the BNC input, the detector list ----------------------------

void TCalibrationPage::CheckBoxCalibrationModeClick()
{
    if (calibrationModeBox_->isChecked()) {
        // The calibration tools read and write what the power control
        // reads the unit with: it stops first.
        stopPowerControl();
        if (QAbstractButton* first = detectorButtons_->button(0)) first->setChecked(true);
    } else {
        const QList<QAbstractButton*> items = detectorButtons_->buttons();
        for (int i = 0; i < std::min<int>(detectors_, static_cast<int>(items.size())); ++i)
            items[i]->setText(QString::asprintf("%d", i + 1));
    }
    reapplyEnabling();
}

void TCalibrationPage::CBOpticalClick()
{
    setDetectorItems();
    reapplyEnabling();
}

void TCalibrationPage::RadioGroup1Click(int item)
{
    MeasurementSession& session = host_.session();
    if (host_.instrumentPresent()) {
        try {
            FlashControl unit;
            const WindowDialogs& dialogs = host_.dialogs();
            unit.CheckCalibrationFile(session.settings().calibFolder, false,
                                      [&dialogs](const std::string& caption, const std::string& text) {
                                          return dialogs.askOkCancel(QString::fromStdString(caption),
                                                                     QString::fromStdString(text));
                                      });
            if (unit.IsValid()) session.setIdentity(unit.identity());
        } catch (const std::exception& error) {
            host_.dialogs().message(2, "Error", QString::fromUtf8(error.what()));
        }
    }
    const int kept = CalibrationTools::keptDetectorItem(item, session.settings().scanParameters);
    if (QAbstractButton* b = detectorButtons_->button(kept)) b->setChecked(true);
}

// ---- Calibration updates ------------------------------------------------------------

void TCalibrationPage::warn(const char* text)
{
    host_.dialogs().message(1, CalibrationTools::warningCaption, text);
}

void TCalibrationPage::ButtonUpdateCalibrationClick()
{
    using namespace CalibrationTools;
    MeasurementSession& session = host_.session();
    const int item = selectedDetector();
    const std::optional<CurvePoints> curve = calibrationCurve(session.scans().Current(), item);
    if (!curve) return warn(noScanDataText);
    const std::string& folder = session.settings().calibFolder;
    if (item == bncItem) {
        if (writeBncCorrection(folder, *curve) == BncWrite::Failed)
            host_.dialogs().message(2, "Error",
                                    QString::fromStdString(bncCorrectionPath(folder) + " could not be written"));
        return;
    }
    CalibrationEdit edit = loadForEditing(folder, session.identity());
    if (!edit.tables) return warn(edit.problem.c_str());
    edit.tables->AddResponse(item, curve->wavelengths, curve->values);
    if (!host_.dialogs().askOkCancel(calibrationFileCaption, replaceQuestion)) return;
    if (edit.tables->Save(edit.identity) != 0) {
        host_.dialogs().message(2, "Error",
                                QString::fromStdString(folder + calibrationFileName(edit.identity) +
                                                       " could not be written: the calibration file is unchanged"));
        return;
    }
    if (QAbstractButton* b = detectorButtons_->button(item))
        b->setText(QString::fromStdString(doneCaption(b->text().toStdString())));
}

void TCalibrationPage::ButtonUpdateCalibration2Click()
{
    using namespace CalibrationTools;
    MeasurementSession& session = host_.session();
    const WavelengthCheck check = checkWavelengths(measured_->GetValue(), expected_->GetValue());
    if (check.warning != nullptr) return warn(check.warning);
    const std::string& folder = session.settings().calibFolder;
    CalibrationEdit edit = loadForEditing(folder, session.identity());
    if (!edit.tables) return warn(edit.problem.c_str());
    edit.tables->ScaleLineTables(check.factor);
    if (!lineTablesFitTheFile(*edit.tables)) return warn(lineTablesDoNotFitText);
    if (!host_.dialogs().askOkCancel(calibrationFileCaption, replaceQuestion)) return;
    if (edit.tables->Save(edit.identity) != 0)
        host_.dialogs().message(2, "Error",
                                QString::fromStdString(folder + calibrationFileName(edit.identity) +
                                                       " could not be written: the calibration file is unchanged"));
}

void TCalibrationPage::ButtonResetCalibrationClick()
{
    using namespace CalibrationTools;
    const std::string folder = host_.session().settings().calibFolder;
    const auto dropBncCorrection = [folder] {
        std::error_code ignored;  // no file is what is wanted
        std::filesystem::remove(bncCorrectionPath(folder), ignored);
    };
    if (!host_.dialogs().askOkCancel(calibrationFileCaption, resetQuestion)) {
        dropBncCorrection();
        return;
    }
    const bool started = resetOperation_->start(
        "Calibration file", "Reading the calibration file of the unit...",
        [folder] {
            FlashControl unit;
            unit.CheckCalibrationFile(folder, true);
        },
        [this, dropBncCorrection](std::exception_ptr error) {
            dropBncCorrection();
            if (error) host_.dialogs().message(2, "Error", UnitOperation::messageOf(error));
            reapplyEnabling();
        });
    if (started) reapplyEnabling();
}
