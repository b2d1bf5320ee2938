#pragma once

// Where a calibration table learns which unit it belongs to: the connected
// unit's identity record, read over the link. The tables also work offline
// (a loaded scan, a test, the command-line tool) from a record passed in.

#include "IdentityRecord.h"

class UnitIdentitySource {
public:
    virtual ~UnitIdentitySource() = default;
    // The unit's identity record; all zero when no unit answers.
    virtual IdentityRecord ReadIdentity() = 0;
};
