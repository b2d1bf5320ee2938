#include "Panelsourceeditor.h"

#include <QLabel>
#include <algorithm>
#include <utility>

#include "Componentsourceeditor.h"
#include "Sourceconfig.h"

namespace {

using Column = TComponentSourceEditor::Column;

struct HeaderLabel {
    const char* text;
    Column first;  // the label stands over these columns
    Column last;
};

constexpr std::array<HeaderLabel, 6> headerTexts{{
    {"TLS ", Column::ColumnEnable, Column::ColumnNumber},
    {"Addr.", Column::ColumnAddress, Column::ColumnAddress},
    {"Low wav.", Column::ColumnLow, Column::ColumnLow},
    {"High wav.", Column::ColumnHigh, Column::ColumnHigh},
    {"Source Type", Column::ColumnType, Column::ColumnType},
    {"Speed", Column::ColumnSpeed, Column::ColumnSpeed},
}};

}  // namespace

TPanelSourceEditor::TPanelSourceEditor(QWidget* parent, ConfLaser& sources) : QWidget(parent), sources_(sources)
{
    for (int i = 0; i < rowCount; ++i) {
        auto* row = new TComponentSourceEditor(sources_.sources[static_cast<std::size_t>(i)], i, this);
        row->move(0, headerHeight + i * TComponentSourceEditor::rowHeight);
        connect(row, &TComponentSourceEditor::enableClicked, this, &TPanelSourceEditor::CheckBoxEnableClick);
        connect(row, &TComponentSourceEditor::rangeChanged, this, [this](int) { sourcesChanged(); });
        rows_[static_cast<std::size_t>(i)] = row;
    }

    // The header labels stand over the first row's controls, left-aligned
    // with them (the two lists have fixed widths, the edits their own).
    const TComponentSourceEditor* first = rows_[0];
    for (std::size_t i = 0; i < headerTexts.size(); ++i) {
        const HeaderLabel& header = headerTexts[i];
        const auto [x, width] = first->ColumnSpan(header.first);
        const auto [lastX, lastWidth] = first->ColumnSpan(header.last);
        auto* label = new QLabel(QString::fromLatin1(header.text), this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        label->setGeometry(x, 0, std::max(lastX + lastWidth - x, label->sizeHint().width()), headerHeight);
        header_[i] = label;
    }

    setFixedSize(sizeHint());
    RefreshAll();
}

TPanelSourceEditor::~TPanelSourceEditor() = default;

QSize TPanelSourceEditor::sizeHint() const
{
    return {rows_[0]->sizeHint().width(), headerHeight + rowCount * TComponentSourceEditor::rowHeight};
}

void TPanelSourceEditor::RefreshAll()
{
    for (TComponentSourceEditor* row : rows_) row->Refresh();
}

void TPanelSourceEditor::ApplyAll()
{
    bool changed = false;
    for (TComponentSourceEditor* row : rows_) changed = row->Apply() || changed;
    if (changed) sourcesChanged();
}

void TPanelSourceEditor::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    for (QLabel* label : header_) label->setEnabled(enabled);
    updateAvailability();
}

void TPanelSourceEditor::SetRowEnabled(int index, bool enabled)
{
    if (index < 0 || index >= rowCount) return;
    rowEnabled_[static_cast<std::size_t>(index)] = enabled;
    updateAvailability();
}

void TPanelSourceEditor::updateAvailability()
{
    for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i]->SetAvailable(enabled_ && rowEnabled_[i]);
}

void TPanelSourceEditor::SetFibreBand(int fibreBand)
{
    const auto limits = SourceEditorRules::wavelengthLimits(fibreBand);
    for (TComponentSourceEditor* row : rows_) row->SetLimits(limits);
}

void TPanelSourceEditor::SetSourcesChangedHandler(SourcesChangedHandler handler)
{
    sourcesChangedHandler_ = std::move(handler);
}

void TPanelSourceEditor::CheckBoxEnableClick(int index, bool checked)
{
    std::array<bool, rowCount> before{};
    for (std::size_t i = 0; i < rows_.size(); ++i) before[i] = rows_[i]->Record().enable;
    const auto after = SourceEditorRules::enableChain(before, index, checked);
    for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i]->SetSourceEnabled(after[i]);
    if (after != before) sourcesChanged();
}

void TPanelSourceEditor::sourcesChanged()
{
    // A copy: the handler may replace itself.
    if (const SourcesChangedHandler handler = sourcesChangedHandler_) handler();
}
