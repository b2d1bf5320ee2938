#pragma once

// One source row of the source panel, bound to one live source record:
// enable box, TLS number, GPIB address, low and high wavelength, source
// type, speed, the "Edit" button of the command dialog and a hint.
//
// What takes effect at once: the enable box (through the panel, which keeps
// the enabled sources an unbroken run), the wavelengths (after the 5 nm
// rule) and the type (the driver is rebuilt for another type). The address
// and the speed reach the record only with Apply. Editing sends no command
// to an instrument (a new type only gives the record the driver of that
// type); Apply alone may, to give a source a new speed.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <utility>

#include "SourceEditorRules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class SourceConfig;
class TDoubleEdit;
class TGpibSourceEditor;
class TIntEdit;
class TPanelHint;

class TComponentSourceEditor : public QWidget {
    Q_OBJECT

public:
    // Controls from left to right; the panel's header labels stand over them.
    enum Column { ColumnEnable, ColumnNumber, ColumnAddress, ColumnLow, ColumnHigh, ColumnType, ColumnSpeed,
                  ColumnEdit, columnCount };

    // The gap between two controls and the space above them in the row.
    static constexpr int controlGap = 28;
    static constexpr int topMargin = 6;
    static constexpr int controlHeight = 25;
    static constexpr int typeListWidth = 200;
    static constexpr int speedListWidth = 60;
    static constexpr int rowHeight = topMargin + controlHeight;

    static const QString highUpdatedHint;
    static const QString lowUpdatedHint;

    // Row `index` (0 to 3) of `record`. The controls show the record only
    // after the first Refresh.
    TComponentSourceEditor(SourceConfig& record, int index, QWidget* parent);
    ~TComponentSourceEditor() override;

    // The controls from the record (the wavelengths only where they differ,
    // a type or speed the lists lack shows no entry), then the type rule.
    void Refresh();
    // The controls to the record: enable, address, wavelengths, the speed
    // (sent to the source only when it differs from the record's), the type.
    // True when the enable flag or the range of the record changed.
    bool Apply();

    // The enable box and the record's enable flag, without the chain (the
    // panel runs it); the row's controls follow.
    void SetSourceEnabled(bool on);
    // The panel's and the row's own enabling together; while off, nothing
    // in the row can be used.
    void SetAvailable(bool on);
    bool Available() const { return available_; }
    // The limits of both wavelength edits. The record keeps its values
    // until the next edit or Apply.
    void SetLimits(SourceEditorRules::WavelengthLimits limits);

    int Index() const { return index_; }
    SourceConfig& Record() const { return record_; }
    // Where a column's control stands in the row (x, width).
    std::pair<int, int> ColumnSpan(Column column) const;

    QCheckBox* enableBox() const { return enable_; }
    QLabel* numberLabel() const { return number_; }
    TIntEdit* addressEdit() const { return address_; }
    TDoubleEdit* lowEdit() const { return low_; }
    TDoubleEdit* highEdit() const { return high_; }
    QComboBox* typeList() const { return type_; }
    QComboBox* speedList() const { return speed_; }
    QPushButton* editButton() const { return edit_; }
    TGpibSourceEditor* commandDialog() const { return dialog_; }
    // The row's hint, or nullptr while none was ever shown.
    TPanelHint* hint() const;
    bool HintShown() const;
    void HideHint();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // A click on the hint puts it away.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The hint stands on the window, not on the row: it goes with the row.
    void hideEvent(QHideEvent* event) override;

signals:
    // The user clicked the enable box; the panel runs the enable chain.
    void enableClicked(int index, bool checked);
    // The user changed a wavelength; the record already holds it.
    void rangeChanged(int index);

private:
    void TypeListChange();
    void LowEditChange(double value);
    void HighEditChange(double value);
    void ButtonEditClick();

    void rangeEdited(double low, double high, bool lowChanged);
    // Both edits without running the 5 nm rule.
    void showRange(double low, double high);
    void applyType();
    void updateControls();
    void showHint(const QString& text);
    void placeControls();

    SourceConfig& record_;
    int index_;
    bool available_ = true;
    // Set while the program itself fills the controls: their change
    // signals then carry no user edit.
    bool filling_ = false;
    SourceEditorRules::WavelengthLimits limits_;
    // The values the wavelength edits show, to tell a new value from the
    // second announcement of the same one.
    double shownLow_ = 0.0;
    double shownHigh_ = 0.0;

    QCheckBox* enable_ = nullptr;
    QLabel* number_ = nullptr;
    TIntEdit* address_ = nullptr;
    TDoubleEdit* low_ = nullptr;
    TDoubleEdit* high_ = nullptr;
    QComboBox* type_ = nullptr;
    QComboBox* speed_ = nullptr;
    QPushButton* edit_ = nullptr;
    TGpibSourceEditor* dialog_ = nullptr;
    // A child of the top-level window, so that it may stand beyond the
    // row's own edges; this row deletes it.
    QPointer<TPanelHint> hint_;
    std::array<std::pair<int, int>, columnCount> columns_{};
};
