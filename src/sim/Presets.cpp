#include <array>

#include "SimState.h"

namespace vemarsim {

bool isKnownPreset(std::string_view name)
{
    static constexpr std::array<std::string_view, 4> known{"dwdm", "cwdm", "patchcord", "etalon"};
    for (std::string_view k : known)
        if (k == name) return true;
    return false;
}

}  // namespace vemarsim
