#pragma once

// The small pair of up/down buttons at the right edge of a numeric edit. It
// places itself on its owner whenever the owner is resized. A press on a
// button makes one step at once; while the button stays down a
// TThreadScroll repeats the step faster and faster, until the button is
// released, pressed again or disabled.

#include <QWidget>
#include <functional>
#include <memory>

#include "Threadscroll.h"

class QEvent;
class QHideEvent;
class QToolButton;

class TButtonUpDown : public QWidget {
    Q_OBJECT

public:
    // Parented to the owner and placed on it at once.
    explicit TButtonUpDown(QWidget* owner);
    ~TButtonUpDown() override;

    // The step each button makes on a press and on every repeat; it runs on
    // the user-interface thread. The control it acts on is whatever the
    // function captures.
    void SetUpClickNotifier(std::function<void()> notifier);
    void SetDownClickNotifier(std::function<void()> notifier);

    // Both buttons; disabling also ends a running repeat.
    void SetEnabled(bool on);

    // A repeat thread exists and has not ended.
    bool repeating() const;

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startRepeat(QToolButton* button, const std::function<void()>& notifier);
    void stopRepeat();
    void placeOnOwner();

    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    std::function<void()> upNotifier_;
    std::function<void()> downNotifier_;
    std::unique_ptr<TThreadScroll> repeat_;
};
