#pragma once

// What TDoubleEdit and TIntEdit share: a panel filled by the edit box, with
// (unless turned off) the up/down button pair over its right end; the key
// filter of the edit box; Enter and leaving the box applying its text.
// The typed value and its signal live in the two subclasses.

#include <QFrame>
#include <QLineEdit>
#include <QString>
#include <array>
#include <string>

class QEnterEvent;
class QFocusEvent;
class QKeyEvent;
class QResizeEvent;
class TButtonUpDown;

// The edit box: takes only the characters a number of its kind can hold
// (NumericRules::classifyKey) and beeps at the others. Keys that type no
// character (arrows, Home, End, Delete) and the usual editing shortcuts
// (copy, cut, paste, select all, undo) work as in any edit box; a pasted
// text that is no number reads as 0 when it is applied.
class TNumericEditBox : public QLineEdit {
    Q_OBJECT

public:
    TNumericEditBox(bool decimalPoint, QWidget* parent);

signals:
    // Enter was pressed, or the focus left the box for another control.
    void applyRequested();
    // A typed character was dropped (after the beep).
    void keyRejected();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool decimalPoint_;
};

class TNumericEdit : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool showUpDown READ GetShowUpDown WRITE SetShowUpDown)
    Q_PROPERTY(bool wrap READ GetWrap WRITE SetWrap)

public:
    ~TNumericEdit() override;

    // Creates the button pair (wired to the up and down actions) or destroys it.
    void SetShowUpDown(bool on);
    bool GetShowUpDown() const { return buttons_ != nullptr; }

    // A value beyond one bound becomes the other bound.
    void SetWrap(bool on) { wrap_ = on; }
    bool GetWrap() const { return wrap_; }

    // The edit box and both buttons follow.
    void SetEnabled(bool on) { setEnabled(on); }

    // The up and down actions: the value moves by one increment.
    virtual void StepUp() = 0;
    virtual void StepDown() = 0;

    QLineEdit* editBox() const { return box_; }
    // The button pair, or nullptr while it is turned off.
    TButtonUpDown* buttons() const { return buttons_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A typed character was refused (the beep has sounded).
    void keyRejected();
    // The pointer entered the control.
    void entered();

protected:
    TNumericEdit(bool decimalPoint, QWidget* parent);

    // Enter, or leaving the edit box: the text becomes the value, then the
    // owner is told once more.
    virtual void ApplyText() = 0;

    std::string text() const;
    void setText(const std::string& text);

    // The texts the edit may show at its bounds; the size hint makes room
    // for the longer one.
    virtual std::array<std::string, 2> boundTexts() const = 0;

    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void placeEditBox();
    int frameWidth() const;

    TNumericEditBox* box_ = nullptr;
    TButtonUpDown* buttons_ = nullptr;
    bool wrap_ = false;
};
