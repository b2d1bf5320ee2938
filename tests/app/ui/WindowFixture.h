#pragma once

// A main window on a documents folder of its own, with the questions and
// file choices answered by the test, and helpers to find its controls by
// name and to wait for its signals.

#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Doubleedit.h"
#include "Intedit.h"
#include "TempDir.h"
#include "Zovezo.h"

struct RecordedDialog {
    QString kind;  // "yesno", "okcancel", "message"
    int severity = 0;
    QString caption;
    QString text;
};

class WindowFixture {
public:
    explicit WindowFixture(std::vector<std::string> switches = {}, const std::string& configuration = {},
                           bool watchUsb = false)
    {
        if (!configuration.empty()) writeDefaultConfiguration(configuration);
        WindowOptions options;
        options.commandLine = CommandLine(std::move(switches));
        options.documentsFolder = documents.str();
        options.programFolder = program.str() + "/";
        options.watchUsb = watchUsb;
        window = std::make_unique<TFormZovEZO>(std::move(options));
        WindowDialogs d;
        d.askYesNo = [this](const QString& caption, const QString& text) {
            dialogs.push_back({"yesno", 1, caption, text});
            return answerYes;
        };
        d.askOkCancel = [this](const QString& caption, const QString& text) {
            dialogs.push_back({"okcancel", 1, caption, text});
            return answerYes;
        };
        d.message = [this](int severity, const QString& caption, const QString& text) {
            dialogs.push_back({"message", severity, caption, text});
        };
        d.saveFileName = [this](const QString&, const QString&, const QString&) { return chosenFile; };
        d.openFileName = [this](const QString&, const QString&) { return chosenFile; };
        d.folder = [this](const QString&) { return chosenFile; };
        window->setDialogs(std::move(d));
    }

    std::string configFolder() const { return documents.str() + "/Zelmora Optics/VEMAR/Config/"; }

    void writeDefaultConfiguration(const std::string& text)
    {
        std::filesystem::create_directories(configFolder());
        std::ofstream(configFolder() + "VEMAR.config.xml") << text;
    }

    template <typename T>
    T* find(const char* name) const
    {
        return window->findChild<T*>(name);
    }

    // Runs the event loop until the signal fired (count more times) or the time is up.
    template <typename Signal>
    bool waitFor(Signal signal, int timeoutMs, int count = 1)
    {
        QSignalSpy spy(window.get(), signal);
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (spy.count() >= count) loop.quit();
        });
        timer.start(timeoutMs);
        poll.start(5);
        loop.exec();
        return spy.count() >= count;
    }

    TempDir documents;
    TempDir program;
    std::vector<RecordedDialog> dialogs;
    bool answerYes = false;
    QString chosenFile;
    std::unique_ptr<TFormZovEZO> window;
};

// The demonstration settings: one Agilent-type laser at address 2 (the
// three other records off, generic sources at addresses 3 to 5), four
// detectors, 1528 to 1568 nm at 5 pm.
inline const char* dwdmConfiguration =
    "<VEMAR><Configuration><Sources>"
    "<Common Power=\"1.000000\" Lambda_Min=\"1528.000000\" Lambda_Max=\"1568.000000\" />"
    "<Source Name=\"TLS_0\" Enable=\"True\" Address=\"2\" Lambda_Min=\"1500.000000\" Lambda_Max=\"1630.000000\" "
    "Speed=\"40\" Type=\"Agilent\" />"
    "<Source Name=\"TLS_1\" Enable=\"False\" Address=\"3\" Lambda_Min=\"1240.000000\" Lambda_Max=\"1680.000000\" "
    "Speed=\"20\" Type=\"Manual\" />"
    "<Source Name=\"TLS_2\" Enable=\"False\" Address=\"4\" Lambda_Min=\"1240.000000\" Lambda_Max=\"1680.000000\" "
    "Speed=\"20\" Type=\"Manual\" />"
    "<Source Name=\"TLS_3\" Enable=\"False\" Address=\"5\" Lambda_Min=\"1240.000000\" Lambda_Max=\"1680.000000\" "
    "Speed=\"20\" Type=\"Manual\" />"
    "</Sources><Application><Sampling_Step Value=\"5\" />"
    "<Detector_Array Enable2=\"True\" Enable3=\"True\" Enable4=\"True\" EnableExt=\"False\" EnableOrl=\"False\" />"
    "</Application></Configuration></VEMAR>";
