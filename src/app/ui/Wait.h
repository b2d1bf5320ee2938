#pragma once

// The wait window: a borderless box in the middle of its owner with one
// line of text, shown while the unit is busy with a long operation (the
// firmware upgrade).

#include <QDialog>

class QLabel;

class TFormWait : public QDialog {
    Q_OBJECT

public:
    explicit TFormWait(QWidget* owner);

    // Sets the caption and the text, shows the window over its owner and
    // lets it paint before the caller blocks.
    void showWith(const QString& caption, const QString& text);
    QString text() const;

private:
    QLabel* label_ = nullptr;
};
