#pragma once

// The source panel of the "Parameters" page: a header line and one row per
// source of a source configuration (the live one, in the main window), each
// row editing its record directly.
//
// The main window creates it in its " Sources Parameters " group:
//
//     auto* sources = new TPanelSourceEditor(group, ConfLaser::live());
//     sources->SetSourcesChangedHandler([this] { followSourcesRange(); });
//
// and then calls RefreshAll from settingsToControls (and after switching
// precise mode on), ApplyAll from controlsToSettings, SetEnabled and
// SetRowEnabled from enableControls, and SetFibreBand after each device
// detection. The panel runs the registered handler whenever the user's
// edits (or ApplyAll) change which sources are enabled or their ranges;
// never from RefreshAll, whose callers follow the range themselves.

#include <QWidget>
#include <array>
#include <functional>

#include "SourceEditorRules.h"

class ConfLaser;
class QLabel;
class TComponentSourceEditor;

class TPanelSourceEditor : public QWidget {
    Q_OBJECT

public:
    using SourcesChangedHandler = std::function<void()>;

    static constexpr int rowCount = SourceEditorRules::rowCount;
    static constexpr int headerHeight = 16;

    // Four rows bound to sources.sources[0..3], shown from the records at
    // once (which gives every record its driver, Refresh's type rule).
    // `sources` must outlive the panel.
    TPanelSourceEditor(QWidget* parent, ConfLaser& sources);
    ~TPanelSourceEditor() override;

    // Every row's controls from its record, then each row's type rule.
    void RefreshAll();
    // Every row's controls to its record; the speed goes to a source only
    // when it changed. Runs the sources-changed handler when an enable flag
    // or a range changed.
    void ApplyAll();
    // All rows and the header together; a row's own controls stay disabled
    // while its source is not enabled.
    void SetEnabled(bool enabled);
    // Row `index` on its own (the unit has no laser input for it); a row is
    // usable only while both it and the panel are enabled.
    void SetRowEnabled(int index, bool enabled);
    // The fibre band code of the instrument's identity (0 without one):
    // the limits of every wavelength edit.
    void SetFibreBand(int fibreBand);
    // Run after the enable chain and the wavelength rule have updated the
    // records, and by ApplyAll when it changed them. Replaces any previous
    // handler; an empty one turns it off.
    void SetSourcesChangedHandler(SourcesChangedHandler handler);

    TComponentSourceEditor* row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    ConfLaser& Sources() const { return sources_; }
    // "TLS ", "Addr.", "Low wav.", "High wav.", "Source Type", "Speed".
    const std::array<QLabel*, 6>& headerLabels() const { return header_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    void CheckBoxEnableClick(int index, bool checked);
    void sourcesChanged();
    void updateAvailability();

    ConfLaser& sources_;
    std::array<TComponentSourceEditor*, rowCount> rows_{};
    std::array<QLabel*, 6> header_{};
    std::array<bool, rowCount> rowEnabled_{true, true, true, true};
    bool enabled_ = true;
    SourcesChangedHandler sourcesChangedHandler_;
};
