#pragma once

// A long operation on the unit (firmware upload, flash programming, reading
// the calibration file, a reboot with its waits) run off the window's
// thread, with the wait window shown, so the window keeps painting. Its end
// (or the exception it raised) comes back on the window's thread. One
// operation at a time in the whole program: the unit's link is not shared,
// so while one runs no other starts, and the window neither detects the
// unit nor starts a measurement.

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <thread>

class MaintenanceHost;

class UnitOperation : public QObject {
public:
    using Work = std::function<void()>;
    // On the window's thread; error is null when the work returned.
    using Done = std::function<void(std::exception_ptr error)>;

    explicit UnitOperation(MaintenanceHost& host, QObject* parent = nullptr);
    // Waits for a running operation (its end is then not reported).
    ~UnitOperation() override;
    UnitOperation(const UnitOperation&) = delete;
    UnitOperation& operator=(const UnitOperation&) = delete;

    // Shows the wait window with caption and text and runs work on a thread
    // of its own. False, and nothing started, while any operation runs.
    bool start(const QString& caption, const QString& text, Work work, Done done);
    bool running() const { return worker_.joinable(); }
    // Some operation runs somewhere in the program.
    static bool anyRunning();

    // The text of an operation's exception, for its message box.
    static QString messageOf(std::exception_ptr error);

    // Processes the window's events until the operation ended and its end
    // was reported; false after timeoutMs (tests).
    bool waitForEnd(int timeoutMs);

private:
    void finished(std::exception_ptr error);

    MaintenanceHost& host_;
    std::thread worker_;
    Done done_;
};
