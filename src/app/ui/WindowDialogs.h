#pragma once

// The questions and file choices of the main window and its pages, as
// functions so that tests answer them instead of a user.

#include <QString>
#include <functional>

class QWidget;

// The questions and file choices of the window, replaceable by tests.
struct WindowDialogs {
    // Yes/No question (warning icon); true for Yes.
    std::function<bool(const QString& caption, const QString& text)> askYesNo;
    // OK/Cancel question; true for OK.
    std::function<bool(const QString& caption, const QString& text)> askOkCancel;
    // 0 information, 1 warning, 2 error.
    std::function<void(int severity, const QString& caption, const QString& text)> message;
    // Empty when cancelled.
    std::function<QString(const QString& folder, const QString& filter, const QString& suffix)> saveFileName;
    std::function<QString(const QString& folder, const QString& filter)> openFileName;
    // The same with a title of its own (empty: openFileName is asked).
    std::function<QString(const QString& title, const QString& folder, const QString& filter)> openFileTitled;
    std::function<QString(const QString& folder)> folder;

    static WindowDialogs standard(QWidget* parent);
};
