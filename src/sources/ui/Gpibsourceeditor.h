#pragma once

// The command dialog of a generic IEEE 488.2 source: the five command
// templates the user defines for it (power on, power off, power, wavelength,
// speed), edited as texts of at most 30 characters.
//
// The dialog is bound to a source record, not to a driver: the record's
// driver is replaced whenever its type changes, so the templates are looked
// up each time the dialog is filled or accepted. Nothing here talks to the
// instrument.

#include <QDialog>
#include <array>

#include "Command.h"

class QLabel;
class QLineEdit;
class QPushButton;
class SourceConfig;

class TGpibSourceEditor : public QDialog {
    Q_OBJECT

public:
    static constexpr int fieldCount = 5;
    // The templates of the fields, in field order.
    static constexpr std::array<tCommand, fieldCount> templateKeys{CMD_POWER_ON, CMD_POWER_OFF, CMD_POWER,
                                                                   CMD_WAVELENGTH, CMD_SPEED};

    TGpibSourceEditor(SourceConfig& record, QWidget* parent);

    // Fills the fields with the templates' current texts and shows the
    // dialog, modal, without waiting for it to close.
    void Edit();

    // Each field to its template's current text, if every field fits its
    // template; otherwise the dialog stays open, names the first field that
    // does not fit and why, and no template changes.
    void ButtonOkClick();
    // The fields back to the current texts, then closed (Escape and the
    // window's close button do the same).
    void ButtonCancelClick();
    // The fields to the templates' default texts; the dialog stays open and
    // "Ok" makes them current.
    void ButtonDefaultClick();

    QLineEdit* field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* defaultButton() const { return default_; }
    // The reason "Ok" was refused, empty while there is none.
    QString Problem() const;

    void reject() override;

private:
    // The fields from the current (or default) texts; a template the driver
    // lacks leaves its field empty and disabled.
    void fill(bool defaults);
    Command* commandOf(int index) const;

    SourceConfig& record_;
    std::array<QLineEdit*, fieldCount> fields_{};
    QLabel* problem_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* default_ = nullptr;
};
