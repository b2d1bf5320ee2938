#include "SourceTypes.h"

#include <array>

#include "C_agilent.h"
#include "C_device.h"
#include "C_ecl.h"
#include "C_jdsusws.h"
#include "C_mg9541a.h"
#include "C_santec.h"
#include "C_varnelplus.h"
#include "C_varnelpurity.h"
#include "C_varnelref.h"

namespace SourceTypes {
namespace {

constexpr std::array<const char*, count> names{"VarnelPlus", "VarnelPurity", "VarnelReference", "MG9541A",
                                               "Santec",     "Agilent",      "JDSU SWS",        "Ecl",
                                               "Manual",     "VarnelR720S",  "VarnelR720R"};

constexpr std::array<const char*, count> listTexts{
    "VARNEL PLUS", "VARNEL PURITY", "VARNEL REFERENCE", nullptr, nullptr, "AGILENT", "JDSU SWS", nullptr,
    "Other (IEEE 488.2)", "VARNEL R720S(-HP)", "VARNEL R720R"};

constexpr std::array<int, 8> listOrder{VarnelPlus,  VarnelPurity, VarnelReference, VarnelR720S,
                                       VarnelR720R, JdsuSws,      Agilent,         Manual};

constexpr std::array<int, 17> speeds{10, 11, 12, 13, 14, 15, 17, 18, 20, 22, 25, 29, 33, 40, 50, 67, 100};

bool known(int code) { return code >= 0 && code < count; }

}  // namespace

std::span<const char* const> configurationNames() { return names; }

const char* configurationName(int code) { return known(code) ? names[static_cast<std::size_t>(code)] : ""; }

int codeOfConfigurationName(std::string_view name)
{
    for (int code = 0; code < count; ++code)
        if (name == names[static_cast<std::size_t>(code)]) return code;
    return Manual;
}

std::span<const int> editorTypes() { return listOrder; }

const char* editorText(int code) { return known(code) ? listTexts[static_cast<std::size_t>(code)] : nullptr; }

std::span<const int> editorSpeeds() { return speeds; }

std::unique_ptr<C_Laser> createDriver(int code)
{
    switch (code) {
    case VarnelPlus:
    case VarnelR720S:
        return std::make_unique<C_VarnelPlus>();
    case VarnelPurity:
        return std::make_unique<C_VarnelPurity>();
    case VarnelReference:
    case VarnelR720R:
        return std::make_unique<C_VarnelRef>();
    case MG9541A:
        return std::make_unique<C_MG9541A>();
    case Santec:
        return std::make_unique<C_Santec>();
    case Agilent:
        return std::make_unique<C_Agilent>();
    case JdsuSws:
        return std::make_unique<C_JdsuSws>();
    case Ecl:
        return std::make_unique<C_Ecl>();
    case Manual:
        return std::make_unique<C_Device>();
    default:
        return nullptr;
    }
}

}  // namespace SourceTypes
