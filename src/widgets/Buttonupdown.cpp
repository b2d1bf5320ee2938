#include "Buttonupdown.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QToolButton>

#include "UpDownGeometry.h"

namespace {

QToolButton* makeButton(QWidget* parent, Qt::ArrowType arrow, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    // Like the speed buttons they stand for: clicking them must not take the
    // focus from the edit box, whose leaving would apply its text.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(false);
    return button;
}

// A hidden or disabled button gets no release event, and a release can be
// lost to a window that popped up meanwhile, so the button's being down
// alone does not prove that the user still holds it.
bool stillHeld(const QToolButton* button)
{
    return button->isDown() && button->isEnabled() && button->isVisible() &&
           (QGuiApplication::mouseButtons() & Qt::LeftButton);
}

}  // namespace

TButtonUpDown::TButtonUpDown(QWidget* owner) : QWidget(owner)
{
    up_ = makeButton(this, Qt::UpArrow, "UP");
    down_ = makeButton(this, Qt::DownArrow, "DOWN");

    connect(up_, &QToolButton::pressed, this, [this] { startRepeat(up_, upNotifier_); });
    connect(down_, &QToolButton::pressed, this, [this] { startRepeat(down_, downNotifier_); });
    connect(up_, &QToolButton::released, this, &TButtonUpDown::stopRepeat);
    connect(down_, &QToolButton::released, this, &TButtonUpDown::stopRepeat);

    if (owner != nullptr) owner->installEventFilter(this);
    placeOnOwner();
}

TButtonUpDown::~TButtonUpDown()
{
    // Join the repeat before the buttons and this object go away.
    stopRepeat();
}

void TButtonUpDown::SetUpClickNotifier(std::function<void()> notifier) { upNotifier_ = std::move(notifier); }

void TButtonUpDown::SetDownClickNotifier(std::function<void()> notifier) { downNotifier_ = std::move(notifier); }

void TButtonUpDown::SetEnabled(bool on)
{
    up_->setEnabled(on);
    down_->setEnabled(on);
    if (!on) stopRepeat();
}

bool TButtonUpDown::repeating() const { return repeat_ != nullptr && repeat_->running(); }

void TButtonUpDown::startRepeat(QToolButton* button, const std::function<void()>& notifier)
{
    stopRepeat();
    if (!notifier) return;
    // Copied, so that a notifier replaced during the repeat does not change
    // what the held button does.
    auto step = notifier;
    step();
    // The first step may have disabled or hidden the button.
    if (!stillHeld(button)) return;
    repeat_ = std::make_unique<TThreadScroll>(this, [button, step] {
        if (!stillHeld(button)) return false;
        step();
        return true;
    });
}

void TButtonUpDown::stopRepeat() { repeat_.reset(); }

bool TButtonUpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize) placeOnOwner();
    return QWidget::eventFilter(watched, event);
}

void TButtonUpDown::changeEvent(QEvent* event)
{
    // Disabling the owner disables this pair too (and a button whose
    // ancestor is disabled takes no more mouse events, not even the release).
    if (event->type() == QEvent::EnabledChange && !isEnabled()) stopRepeat();
    QWidget::changeEvent(event);
}

void TButtonUpDown::hideEvent(QHideEvent* event)
{
    stopRepeat();
    QWidget::hideEvent(event);
}

void TButtonUpDown::placeOnOwner()
{
    const QWidget* owner = parentWidget();
    if (owner == nullptr) return;
    const auto pair = UpDownGeometry::pairOn(owner->width(), owner->height());
    setGeometry(pair.pair.x, pair.pair.y, pair.pair.width, pair.pair.height);
    up_->setGeometry(pair.up.x, pair.up.y, pair.up.width, pair.up.height);
    down_->setGeometry(pair.down.x, pair.down.y, pair.down.width, pair.down.height);
}
