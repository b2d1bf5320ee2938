#pragma once

// The scan store: every trace of the application in creation order and the
// selected one. Callers always get a trace: with none selected (or an index
// outside the list) they get an empty trace owned by the store.

#include <memory>
#include <vector>

#include "ScanTrace.h"

class ScanManager {
public:
    // form, chart and the live configuration may be null (no window).
    ScanManager(ScanForm* form, ScanChart* chart, const SourceConfigurationView* liveConfiguration);
    ~ScanManager();
    ScanManager(const ScanManager&) = delete;
    ScanManager& operator=(const ScanManager&) = delete;

    // A new trace taking its copy of the given configuration, appended and selected.
    ScanTrace& NewTrace(const SourceConfigurationView* configuration);
    // Selects the trace at index (-1 selects none); an index outside the list
    // changes nothing. Returns the current trace.
    ScanTrace& Select(int index);
    ScanTrace& Current();
    const ScanTrace& Current() const;
    ScanTrace& Get(int index);
    const ScanTrace& Get(int index) const;
    int CurrentIndex() const { return current_; }
    int Count() const { return static_cast<int>(traces_.size()); }
    // Deletes the selected trace; the first remaining one becomes selected.
    void DeleteCurrent();
    void RedrawAll() const;

private:
    std::vector<std::unique_ptr<ScanTrace>> traces_;
    int current_ = -1;
    ScanForm* form_;
    ScanChart* chart_;
    std::unique_ptr<ScanTrace> emptyTrace_;
};
