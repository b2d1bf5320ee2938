#include <gtest/gtest.h>

#include <chrono>

#include "Dsp.h"
#include "Hsotstdusb.h"

namespace {

// The real backend on this machine (no unit, no simulator): the unit is
// absent, and asking for it costs no waiting.
TEST(NoUnitTest, TheUnitIsAbsentAndNothingBlocks)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(UsbIsPresent(DSP_PRODUCT_ID, ""));
    {
        Dsp dsp;
        EXPECT_FALSE(dsp.IsOpen());
        bool flash = false;
        int release = 0, third = 0;
        EXPECT_EQ(dsp.GetStatus(flash, release, third), DspResult::WriteFailed);
        EXPECT_EQ(dsp.RxCount(), 0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
