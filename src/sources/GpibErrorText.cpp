#include "GpibErrorText.h"

#include <array>
#include <utility>

const char* gpibErrorFormat(int iberr)
{
    static constexpr std::array<std::pair<int, const char*>, 17> table{{
        {0, "%s : iberr = EDVR (System error)."},
        {1, "%s : iberr = ECIC (Function requires GPIB board to be CIC)."},
        {2, "%s : iberr = ENOL (Write function detected no Listeners)."},
        {3, "%s : iberr = EADR (Interface board not addressed correctly)."},
        {4, "%s : iberr = EARG (Invalid argument to function call)."},
        {5, "%s : iberr = ESAC (Function requires GPIB board to be SAC)."},
        {6, "%s : iberr = EABO (I/O operation aborted (Timout))."},
        {7, "%s : iberr = ENEB (Non-existent interface board)."},
        {8, "%s : iberr = EDMA (Error performing DMA)."},
        {10, "%s : iberr = EOIP  (I/O operation started before previous)."},
        {11, "%s : iberr = ECAP (No capability for intended operation)."},
        {12, "%s : iberr = EFSO (File system operation error)."},
        {14, "%s : iberr = EBUS (Command error during device call)."},
        {15, "%s : iberr = ESTB (Serial poll status byte lost)."},
        {16, "%s : iberr = ESRQ (SRQ remains asserted)."},
        {20, "%s : iberr = ETAB (The return buffer is full)."},
        {21, "%s : iberr = ELCK (Address or board is locked)."},
    }};
    for (const auto& [code, text] : table)
        if (code == iberr) return text;
    return nullptr;
}
