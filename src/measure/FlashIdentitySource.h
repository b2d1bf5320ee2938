#pragma once

// The connected unit's identity record, read from its identity flash zone.

#include "UnitIdentitySource.h"

class FlashIdentitySource : public UnitIdentitySource {
public:
    // A zero record when no unit answers (the tables then take the layout
    // of a unit without calibration kind).
    IdentityRecord ReadIdentity() override;
};
