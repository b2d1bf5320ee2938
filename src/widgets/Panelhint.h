#pragma once

// A one-line (or few-line) hint in a pale yellow box, shown by its owner
// next to the control it explains, for example after an automatic
// correction of a range. It takes the size of its text; the owner places,
// shows and hides it.

#include <QFrame>
#include <QString>

class QLabel;

class TPanelHint : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString text READ Text WRITE SetText)

public:
    // The background: a pale yellow (0xE1FFFF when written blue-green-red).
    static constexpr unsigned BackgroundRgb = 0xFFFFE1;

    // Parented to the owner, hidden until the owner shows it.
    explicit TPanelHint(QWidget* owner);

    // The caption, left-aligned, as plain text ("\n" starts a new line); the
    // panel takes the size of the text.
    void SetText(const QString& text);
    QString Text() const;

    QLabel* label() const { return label_; }

private:
    QLabel* label_ = nullptr;
};
