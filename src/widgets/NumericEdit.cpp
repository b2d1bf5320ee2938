#include "NumericEdit.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QResizeEvent>
#include <QSizePolicy>
#include <QStyle>

#include "Buttonupdown.h"
#include "NumericRules.h"
#include "UpDownGeometry.h"

namespace {

bool isEditingShortcut(const QKeyEvent* event)
{
    static constexpr QKeySequence::StandardKey editing[] = {
        QKeySequence::Copy,          QKeySequence::Cut,           QKeySequence::Paste,
        QKeySequence::SelectAll,     QKeySequence::Undo,          QKeySequence::Redo,
        QKeySequence::Delete,        QKeySequence::Backspace,     QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine,
    };
    for (auto key : editing)
        if (event->matches(key)) return true;
    return false;
}

}  // namespace

TNumericEditBox::TNumericEditBox(bool decimalPoint, QWidget* parent) : QLineEdit(parent), decimalPoint_(decimalPoint)
{
}

void TNumericEditBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        emit applyRequested();
        // The line edit passes Enter on, so a dialog's default button still
        // sees it after the value has been applied.
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Escape stays with the dialog; keys that type nothing move the cursor
    // or delete; the editing shortcuts are not typed characters.
    if (key == Qt::Key_Escape || event->text().isEmpty() || isEditingShortcut(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    for (char32_t c : event->text().toUcs4()) {
        if (NumericRules::classifyKey(c, decimalPoint_) == NumericRules::KeyAction::Reject) {
            QApplication::beep();
            event->accept();
            emit keyRejected();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TNumericEditBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Switching to another window or opening a context menu does not leave
    // the control: the user comes back to the same text.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    emit applyRequested();
}

TNumericEdit::TNumericEdit(bool decimalPoint, QWidget* parent) : QFrame(parent)
{
    box_ = new TNumericEditBox(decimalPoint, this);
    box_->setObjectName(QStringLiteral("editBox"));
    // The text is only ever a plain number; the input method must not
    // compose other characters into it.
    box_->setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusProxy(box_);
    // One line high like any edit box; as wide as its numbers need.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFocusPolicy(box_->focusPolicy());

    connect(box_, &TNumericEditBox::applyRequested, this, [this] { ApplyText(); });
    connect(box_, &TNumericEditBox::keyRejected, this, &TNumericEdit::keyRejected);
    SetShowUpDown(true);
}

TNumericEdit::~TNumericEdit()
{
    // Destroying a focused control moves the focus out of the edit box once
    // more; by then the subclass that would apply the text is gone.
    disconnect(box_, nullptr, this, nullptr);
}

void TNumericEdit::SetShowUpDown(bool on)
{
    if (on == GetShowUpDown()) return;
    if (on) {
        buttons_ = new TButtonUpDown(this);
        buttons_->SetUpClickNotifier([this] {
            StepUp();
            box_->update();
        });
        buttons_->SetDownClickNotifier([this] {
            StepDown();
            box_->update();
        });
        buttons_->setEnabled(isEnabled());
        if (isVisible()) buttons_->show();
    } else {
        // Deferred: the pair may be the caller, from inside one of its steps.
        buttons_->hide();
        buttons_->deleteLater();
        buttons_ = nullptr;
    }
    placeEditBox();
}

QSize TNumericEdit::sizeHint() const
{
    // Room for the longer bound or the current text, but no more than a
    // dozen digits (a bound may span the whole double range).
    const QFontMetrics metrics(box_->font());
    int textWidth = metrics.horizontalAdvance(box_->text());
    for (const auto& bound : boundTexts())
        textWidth = qMax(textWidth, metrics.horizontalAdvance(QString::fromStdString(bound)));
    textWidth = qMin(textWidth, metrics.horizontalAdvance(QStringLiteral("000000000000")));
    // A few pixels beyond the text for the cursor and some air.
    const int width = textWidth + 2 * (frameWidth() + 2) + 4 +
                      UpDownGeometry::textRightMargin(GetShowUpDown(), frameWidth());
    // The windows set their edits 25 pixels high; edits sized by a layout
    // take the same height (more only for a large font), so that rows of
    // both kinds line up. A line edit's own hint would be taller.
    const int height = qMax(25, metrics.height() + 2 * frameWidth() + 6);
    return {width, height};
}

QSize TNumericEdit::minimumSizeHint() const
{
    // Two digits and the pair; the height of the size hint, which a line
    // edit's own minimum would exceed.
    const QFontMetrics metrics(box_->font());
    const int width = metrics.horizontalAdvance(QStringLiteral("00")) + 2 * (frameWidth() + 2) +
                      UpDownGeometry::textRightMargin(GetShowUpDown(), frameWidth());
    return {width, sizeHint().height()};
}

int TNumericEdit::frameWidth() const { return box_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box_); }

std::string TNumericEdit::text() const { return box_->text().toStdString(); }

void TNumericEdit::setText(const std::string& text) { box_->setText(QString::fromStdString(text)); }

void TNumericEdit::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    placeEditBox();
}

void TNumericEdit::enterEvent(QEnterEvent* event)
{
    QFrame::enterEvent(event);
    emit entered();
}

void TNumericEdit::placeEditBox()
{
    box_->setGeometry(0, 0, width(), height());
    box_->setTextMargins(0, 0, UpDownGeometry::textRightMargin(GetShowUpDown(), frameWidth()), 0);
    if (buttons_ != nullptr) buttons_->raise();
}
