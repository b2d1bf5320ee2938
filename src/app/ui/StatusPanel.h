#pragma once

// The status bar of the main window: one text painted 5 pixels from the
// left edge, centred vertically, font size 10, on the window's face colour
// (normal), yellow (warning) or red (error).

#include <QString>
#include <QWidget>

class QPaintEvent;

class TStatusPanel : public QWidget {
    Q_OBJECT

public:
    explicit TStatusPanel(QWidget* parent);

    // Severity 0, 1 or 2; an empty text clears the bar.
    void showStatus(int severity, const QString& text);
    int severity() const { return severity_; }
    QString text() const { return text_; }
    QColor background() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int severity_ = 0;
    QString text_;
};
