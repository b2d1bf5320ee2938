#include "NumericEdit.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QResizeEvent>

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
    // Room for about ten digits, the usual height of an edit box.
    const QSize box = box_->sizeHint();
    const int digits = QFontMetrics(box_->font()).horizontalAdvance(QStringLiteral("0000000000"));
    const int width = qMax(box.width() / 2, digits / 2 + 12);
    return {width + (GetShowUpDown() ? UpDownGeometry::PairWidth + 2 : 0), box.height()};
}

QSize TNumericEdit::minimumSizeHint() const
{
    const QSize box = box_->minimumSizeHint();
    return {box.width() + (GetShowUpDown() ? UpDownGeometry::PairWidth + 2 : 0), box.height()};
}

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
    const auto box = UpDownGeometry::editBoxOn(width(), height(), GetShowUpDown());
    box_->setGeometry(box.x, box.y, box.width, box.height);
}
