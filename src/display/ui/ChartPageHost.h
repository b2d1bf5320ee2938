#pragma once

// What the "Transfer functions" page asks of the window around it. The
// window's factory (WindowStart.cpp) answers it from TFormZovEZO; the tests
// answer it from a session of their own. The page calls it on user commands
// and on the window's own calls only, never while it is being built: the
// window makes its measurement session after the page, because the scan
// store draws on the page's chart.

#include <string>

class MeasurementSession;
class TiXmlDocument;

class ChartPageHost {
public:
    virtual ~ChartPageHost() = default;

    // The settings, the live sources and the scan store.
    virtual MeasurementSession& session() = 0;
    // The scan the page shows changed (loaded, chosen in the list, cleared,
    // or shown in the other unit): the passband page and the pages fed by
    // the last scan follow.
    virtual void displayedScanChanged() = 0;
    // The configuration part of a scan file, as the window would write its
    // configuration file now (its controls taken first): the frame with the
    // Sources, Application and Passband sections. False (error set) when it
    // cannot be made.
    virtual bool configurationFrame(TiXmlDocument& document, std::string* error) = 0;
    // "Load" reads the scan file as a configuration file: settings, sources
    // and passband parameters.
    virtual void loadConfiguration(const std::string& fileName) = 0;
    // After that load: the window shows the settings read and the sources
    // take the scan range again.
    virtual void configurationLoaded() = 0;
};
