#include "FlashIdentitySource.h"

#include <exception>

#include "FlashControl.h"
#include "Log.h"

IdentityRecord FlashIdentitySource::ReadIdentity()
{
    try {
        FlashControl unit;
        unit.ReadIdentity();
        return unit.identity();
    } catch (const std::exception& error) {
        // Only the calibration kind is wanted here; a unit that cannot be
        // read is treated as one without identity, and the measurement that
        // needs the unit reports the link failure itself.
        Log::warn("FlashIdentitySource: identity not read: %s\n", error.what());
        return IdentityRecord();
    }
}
