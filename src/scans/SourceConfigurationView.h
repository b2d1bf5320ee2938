#pragma once

// What a scan trace needs of a source configuration: a copy of it taken when
// the trace is created, and the sources' ranges that show which wavelengths
// no source covered. The application's source configuration plugs in through
// an adapter; the tests use a plain record.

#include <memory>

class SourceConfigurationView {
public:
    virtual ~SourceConfigurationView() = default;
    // An independent copy, kept by a trace.
    virtual std::unique_ptr<SourceConfigurationView> clone() const = 0;
    // Number of source records (4).
    virtual int sourceCount() const = 0;
    virtual bool sourceEnabled(int index) const = 0;
    // Lowest and highest wavelength the source may be set to, nm.
    virtual double sourceLambdaMin(int index) const = 0;
    virtual double sourceLambdaMax(int index) const = 0;
    // The common scan range, nm.
    virtual double scanStart() const = 0;
    virtual double scanStop() const = 0;
};
