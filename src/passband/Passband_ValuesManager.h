#pragma once

// The passband results of every curve name, in name order. Observers hear
// of new results after each analysed curve and after a clear or a load.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Observable.h"
#include "Passband_Values.h"

class Passband_ValuesManager : public Observable {
public:
    using Traces = std::map<std::string, std::unique_ptr<Passband_Values>>;

    // Drops every trace's results (does not notify).
    void clear() { traces_.clear(); }
    // Drops the records of the latest analysis; min, max, flags and channels stay.
    void beginAnalysis();
    void add(const std::string& name, int channel, const Passband_Value& record);
    void fold();
    // Stores a trace's results as read from a file, replacing any held under the name.
    void replace(const std::string& name, std::unique_ptr<Passband_Values> values);

    std::set<int> allChannels() const;

    // The (channel, trace) pairs shown as rows of the results: for every
    // channel, ascending, each trace (in name order) that has a minimum
    // record for it.
    struct Row {
        int channel;
        const std::string* name;
        const Passband_Values* values;
    };
    std::vector<Row> rows() const;
    const Traces& traces() const { return traces_; }
    // nullptr when no results are held under the name.
    const Passband_Values* trace(const std::string& name) const;

private:
    Traces traces_;
};
