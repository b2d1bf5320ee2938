// The presence check and a source initialisation against the GPIB library
// installed on this machine (linux-gpib's libgpib.so.0), when there is one.
// Typical of a development machine: the library without a board, where no
// device opens. With a board and instruments the test only checks what holds
// whatever answers at the address it uses.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <string>

#include "C_device.h"
#include "C_varnelpurity.h"
#include "GpibBinding.h"
#include "Sourceconfig.h"

namespace {

constexpr int address = 30;  // the last address of the bus, the least likely to be taken
const std::string notConnected =
    "Can't connect to TLS1 (GPIB Address=30). Please check the GPIB connection";

class InstalledGpibLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        void* library = ::dlopen("libgpib.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* why = ::dlerror();
            GTEST_SKIP() << "no libgpib.so.0 on this machine (" << (why != nullptr ? why : "not found")
                         << "): nothing to check against the real library";
        }
        ::dlclose(library);
        Gpib::setCandidateLibraries({"libgpib.so.0"});
    }
    void TearDown() override { Gpib::setCandidateLibraries({}); }
};

TEST_F(InstalledGpibLibraryTest, PresenceAndInitialisation)
{
    ASSERT_TRUE(Gpib::libraryAvailable()) << "libgpib.so.0 exports no GPIB status variables";

    C_Device generic;
    generic.SetAddress(address);
    const bool genericPresent = generic.IsPresent();
    C_VarnelPurity purity;
    purity.SetAddress(address);
    const bool purityPresent = purity.IsPresent();

    ConfLaser conf;
    SourceConfig& source = conf.sources[0];
    source.enable = true;
    source.SetType(1);  // VarnelPurity: present as soon as its device opens
    source.SetAddress(address);
    conf.SetScanStart(1500.0);
    conf.SetScanStop(1600.0);
    const char* message = conf.Init();

    if (purity.OpenFailed()) {
        // No board (or no access to it): nothing opens, and the text says why.
        EXPECT_FALSE(genericPresent);
        EXPECT_FALSE(purityPresent);
        EXPECT_TRUE(generic.OpenFailed());
        EXPECT_EQ(std::string(purity.GpibErrorText(false)).rfind("<GetDevice> : iberr = ", 0), 0u)
            << purity.GpibErrorText(false);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message, notConnected);
        ASSERT_NE(source.laser, nullptr);
        EXPECT_TRUE(source.laser->OpenFailed());
    } else {
        // A board: an instrument that does not answer is not connected, never
        // "Invalid power".
        EXPECT_TRUE(purityPresent);
        if (message != nullptr) EXPECT_EQ(message, notConnected);
        RecordProperty("listener_at_30", genericPresent ? "yes" : "no");
    }
}

}  // namespace
