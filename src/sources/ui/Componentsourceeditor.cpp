#include "Componentsourceeditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVariant>
#include <algorithm>

#include "Doubleedit.h"
#include "Gpibsourceeditor.h"
#include "Intedit.h"
#include "Panelhint.h"
#include "SourceTypes.h"
#include "Sourceconfig.h"

using SourceEditorRules::RangeHint;

const QString TComponentSourceEditor::highUpdatedHint =
    QStringLiteral(" The minimum scan range for each source is 5nm. \n The High Wavelength parameter has been updated ");
const QString TComponentSourceEditor::lowUpdatedHint =
    QStringLiteral(" The minimum scan range for each source is 5nm. \n The Low Wavelength parameter has been updated ");

namespace {

constexpr int addressMin = 1;
constexpr int addressMax = 30;
constexpr int defaultAddress = 1;
constexpr double wavelengthIncrementNm = 0.1;
// A wavelength such as "1640.0" with the up/down pair beside it.
constexpr int wavelengthEditMinWidth = 70;
constexpr int addressEditMinWidth = 50;

// Restores a flag on leaving the scope, so that nested fills keep the outer one.
class FillingScope {
public:
    explicit FillingScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~FillingScope() { flag_ = previous_; }
    FillingScope(const FillingScope&) = delete;
    FillingScope& operator=(const FillingScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

}  // namespace

TComponentSourceEditor::TComponentSourceEditor(SourceConfig& record, int index, QWidget* parent)
    : QWidget(parent), record_(record), index_(index), limits_(SourceEditorRules::wavelengthLimits(0))
{
    FillingScope filling(filling_);

    enable_ = new QCheckBox(this);
    enable_->setObjectName(QStringLiteral("enable"));
    number_ = new QLabel(QString::number(index + 1), this);
    number_->setAlignment(Qt::AlignCenter);

    address_ = new TIntEdit(this);
    address_->setObjectName(QStringLiteral("address"));
    address_->SetIncrement(1);
    address_->SetWrap(false);
    address_->SetRange(addressMin, addressMax);
    address_->SetValue(defaultAddress);

    auto wavelengthEdit = [this](const char* name) {
        auto* edit = new TDoubleEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->SetIncrement(wavelengthIncrementNm);
        edit->SetWrap(false);
        edit->SetRange(limits_.min, limits_.max);
        return edit;
    };
    low_ = wavelengthEdit("lowWavelength");
    high_ = wavelengthEdit("highWavelength");
    low_->SetValue(limits_.min);
    high_->SetValue(limits_.max);
    shownLow_ = low_->GetValue();
    shownHigh_ = high_->GetValue();

    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("type"));
    for (int code : SourceTypes::editorTypes()) type_->addItem(QString::fromLatin1(SourceTypes::editorText(code)), code);
    // No entry until the record is shown: a type the list lacks shows none.
    type_->setCurrentIndex(-1);

    speed_ = new QComboBox(this);
    speed_->setObjectName(QStringLiteral("speed"));
    for (int speed : SourceTypes::editorSpeeds()) speed_->addItem(QString::number(speed), speed);
    speed_->setCurrentIndex(-1);

    edit_ = new QPushButton(QStringLiteral("Edit"), this);
    edit_->setObjectName(QStringLiteral("edit"));
    edit_->setAutoDefault(false);

    dialog_ = new TGpibSourceEditor(record_, this);

    connect(enable_, &QCheckBox::clicked, this, [this](bool checked) { emit enableClicked(index_, checked); });
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int) { TypeListChange(); });
    connect(low_, &TDoubleEdit::changed, this, &TComponentSourceEditor::LowEditChange);
    connect(high_, &TDoubleEdit::changed, this, &TComponentSourceEditor::HighEditChange);
    connect(edit_, &QPushButton::clicked, this, &TComponentSourceEditor::ButtonEditClick);

    placeControls();
    updateControls();
}

TComponentSourceEditor::~TComponentSourceEditor() { delete hint_.data(); }

void TComponentSourceEditor::placeControls()
{
    const int numberWidth = QFontMetrics(number_->font()).horizontalAdvance(QStringLiteral("4")) + 4;
    const std::array<std::pair<QWidget*, int>, columnCount> controls{{
        {enable_, enable_->sizeHint().width()},
        {number_, numberWidth},
        {address_, std::max(address_->sizeHint().width(), addressEditMinWidth)},
        {low_, std::max(low_->sizeHint().width(), wavelengthEditMinWidth)},
        {high_, std::max(high_->sizeHint().width(), wavelengthEditMinWidth)},
        {type_, typeListWidth},
        {speed_, speedListWidth},
        {edit_, edit_->sizeHint().width()},
    }};
    int x = 0;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const auto [control, width] = controls[i];
        control->setGeometry(x, topMargin, width, controlHeight);
        columns_[i] = {x, width};
        x += width + controlGap;
    }
    setFixedSize(sizeHint());
}

QSize TComponentSourceEditor::sizeHint() const
{
    const auto [x, width] = columns_[ColumnEdit];
    return {x + width, rowHeight};
}

std::pair<int, int> TComponentSourceEditor::ColumnSpan(Column column) const
{
    return columns_[static_cast<std::size_t>(column)];
}

void TComponentSourceEditor::Refresh()
{
    {
        FillingScope filling(filling_);
        enable_->setChecked(record_.enable);
        address_->SetValue(record_.address);
        const auto shown = SourceEditorRules::rangeWithinLimits(record_.lambdaMin, record_.lambdaMax, limits_);
        showRange(shown.low, shown.high);
        type_->setCurrentIndex(type_->findData(record_.type));
        speed_->setCurrentIndex(speed_->findData(record_.speed));
    }
    HideHint();
    applyType();
}

bool TComponentSourceEditor::Apply()
{
    const bool before = record_.enable;
    const double lowBefore = record_.lambdaMin;
    const double highBefore = record_.lambdaMax;

    record_.enable = enable_->isChecked();
    record_.SetAddress(address_->GetValue());
    record_.SetLambdaMin(shownLow_);
    record_.SetLambdaMax(shownHigh_);
    // Only a new speed goes to the source: asking an instrument for the
    // speed it already has would cost a bus round trip per source, and an
    // absent one nothing but time.
    if (const QVariant speed = speed_->currentData(); speed.isValid() && speed.toInt() != record_.speed)
        record_.ApplySpeed(speed.toInt());
    if (const QVariant type = type_->currentData(); type.isValid()) record_.SetType(type.toInt());
    updateControls();
    return record_.enable != before || record_.lambdaMin != lowBefore || record_.lambdaMax != highBefore;
}

void TComponentSourceEditor::SetSourceEnabled(bool on)
{
    {
        const QSignalBlocker quiet(enable_);
        enable_->setChecked(on);
    }
    record_.enable = on;
    updateControls();
}

void TComponentSourceEditor::SetAvailable(bool on)
{
    available_ = on;
    updateControls();
}

void TComponentSourceEditor::SetLimits(SourceEditorRules::WavelengthLimits limits)
{
    limits_ = limits;
    FillingScope filling(filling_);
    low_->SetRange(limits.min, limits.max);
    high_->SetRange(limits.min, limits.max);
    // From the record, not from what the edits showed under the old limits:
    // limits that narrow and widen again give the record's range back.
    const auto shown = SourceEditorRules::rangeWithinLimits(record_.lambdaMin, record_.lambdaMax, limits_);
    showRange(shown.low, shown.high);
}

void TComponentSourceEditor::showRange(double low, double high)
{
    FillingScope filling(filling_);
    if (low_->GetValue() != low) low_->SetValue(low);
    if (high_->GetValue() != high) high_->SetValue(high);
    shownLow_ = low_->GetValue();
    shownHigh_ = high_->GetValue();
}

void TComponentSourceEditor::TypeListChange()
{
    if (filling_) return;
    applyType();
}

void TComponentSourceEditor::applyType()
{
    // With no entry chosen (a type the list lacks) the record keeps its own
    // type, and gets its driver if it has none yet.
    const QVariant selected = type_->currentData();
    record_.SetType(selected.isValid() ? selected.toInt() : record_.type);
    updateControls();
}

void TComponentSourceEditor::LowEditChange(double value)
{
    // Applying a text announces the value twice; only a new one is an edit.
    if (filling_ || value == shownLow_) return;
    rangeEdited(value, shownHigh_, true);
}

void TComponentSourceEditor::HighEditChange(double value)
{
    if (filling_ || value == shownHigh_) return;
    rangeEdited(shownLow_, value, false);
}

void TComponentSourceEditor::rangeEdited(double low, double high, bool lowChanged)
{
    HideHint();
    const auto range = lowChanged ? SourceEditorRules::lowWavelengthChanged(low, high, limits_)
                                  : SourceEditorRules::highWavelengthChanged(low, high, limits_);
    showRange(range.low, range.high);
    record_.SetLambdaMin(shownLow_);
    record_.SetLambdaMax(shownHigh_);
    if (range.hint == RangeHint::HighUpdated)
        showHint(highUpdatedHint);
    else if (range.hint == RangeHint::LowUpdated)
        showHint(lowUpdatedHint);
    emit rangeChanged(index_);
}

void TComponentSourceEditor::ButtonEditClick() { dialog_->Edit(); }

void TComponentSourceEditor::updateControls()
{
    const auto controls = SourceEditorRules::rowControls(available_, record_.enable, record_.type);
    enable_->setEnabled(controls.checkBox);
    number_->setEnabled(controls.checkBox);
    address_->SetEnabled(controls.fields);
    low_->SetEnabled(controls.fields);
    high_->SetEnabled(controls.fields);
    type_->setEnabled(controls.fields);
    speed_->setEnabled(controls.fields);
    edit_->setEnabled(controls.edit);
    if (!controls.fields) HideHint();
}

void TComponentSourceEditor::showHint(const QString& text)
{
    QWidget* top = window();
    if (!hint_) {
        hint_ = new TPanelHint(top);
        hint_->setObjectName(QStringLiteral("sourceHint%1").arg(index_));
        hint_->installEventFilter(this);
        hint_->label()->installEventFilter(this);
    } else if (hint_->parentWidget() != top) {
        hint_->setParent(top);
    }
    hint_->SetText(text);
    // Beside the lists, right of the row, level with its controls (so that
    // it reaches down over the next row, not up over the previous one);
    // moved left as far as needed to stay inside the window.
    QPoint at = edit_->mapTo(top, QPoint(edit_->width() + controlGap, 0));
    at.setX(std::max(0, std::min(at.x(), top->width() - hint_->width() - 2)));
    at.setY(std::max(0, std::min(at.y(), top->height() - hint_->height())));
    hint_->move(at);
    hint_->show();
    hint_->raise();
}

TPanelHint* TComponentSourceEditor::hint() const { return hint_.data(); }

bool TComponentSourceEditor::HintShown() const { return hint_ && !hint_->isHidden(); }

void TComponentSourceEditor::HideHint()
{
    if (hint_) hint_->hide();
}

bool TComponentSourceEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && hint_ && (watched == hint_ || watched == hint_->label()))
        HideHint();
    return QWidget::eventFilter(watched, event);
}

void TComponentSourceEditor::hideEvent(QHideEvent* event)
{
    HideHint();
    QWidget::hideEvent(event);
}
