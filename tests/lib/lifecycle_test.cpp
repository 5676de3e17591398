#include <gtest/gtest.h>

#include <cstring>

#include "lib/hw/driver.h"
#include "platform/services.h"
#include "tests/support/test_driver.h"
#include "zelkora/sysinfo.h"

namespace zelkora::hw {
namespace {

class LifecycleTest : public ::testing::Test {
  protected:
    void install(bool opens) {
        UninitializeSysInfoLib();
        driver_ = std::make_shared<testing::TestDriver>();
        driver_->refuseOpen = !opens;
        driver_->shutdownResult = 0x1234;
        setDriver(driver_);
    }
    void TearDown() override {
        UninitializeSysInfoLib();
        setDriver(nullptr);
    }
    std::shared_ptr<testing::TestDriver> driver_;
};

TEST_F(LifecycleTest, OpensOnceAndClosesWithTheDriversResult) {
    install(true);
    EXPECT_EQ(UninitializeSysInfoLib(), 0) << "closing before opening";
    EXPECT_EQ(driver_->calls.shutdown, 0);

    EXPECT_EQ(InitializeSysInfoLib(), 1);
    EXPECT_EQ(InitializeSysInfoLib(), 1) << "a second open while open";
    EXPECT_EQ(driver_->calls.initialize, 1);

    EXPECT_EQ(UninitializeSysInfoLib(), 0x1234);
    EXPECT_EQ(UninitializeSysInfoLib(), 0);
    EXPECT_EQ(driver_->calls.shutdown, 1);

    EXPECT_EQ(InitializeSysInfoLib(), 1) << "it may be opened again";
    EXPECT_EQ(driver_->calls.initialize, 2);
}

TEST_F(LifecycleTest, FailedOpenLeavesAccessClosed) {
    install(false);
    EXPECT_EQ(InitializeSysInfoLib(), 0);
    EXPECT_EQ(InitializeSysInfoLib(), 0);
    EXPECT_EQ(driver_->calls.initialize, 2) << "every open call asks the driver while closed";
    EXPECT_EQ(GetFirstIDEDevicePos(), nullptr);
    EXPECT_EQ(GetFirstPCIDevicePos(), nullptr);
    EXPECT_EQ(GetFirstSuperIOPos(), nullptr);
    ProcessorInfo processor{};
    processor.CPUFamily = 0x77;
    EXPECT_EQ(GetProcessorInfo(&processor), 0);
    EXPECT_EQ(processor.CPUFamily, 0x77) << "the record is not touched";
    // The motherboard record gets its first seven defaults; the chipset texts stay as they were.
    MotherBoardInfo board;
    std::memset(&board, 0x5A, sizeof board);
    EXPECT_EQ(GetMotherBoardInfo(&board), 0);
    EXPECT_EQ(board.BIOSRomSize, 0);
    for (const char* text : {board.Manufacture, board.ModelName, board.RevisionVer,
                             board.ReleaseDate, board.BIOSVendor, board.BIOSRevision}) {
        EXPECT_STREQ(text, "Unknown");
    }
    EXPECT_EQ(board.ChipsetDriverProvider[0], 0x5A);
    EXPECT_EQ(UninitializeSysInfoLib(), 0);
    EXPECT_EQ(driver_->calls.shutdown, 0);
    // Port calls pass straight through, open or not.
    uint32_t value = 0;
    EXPECT_EQ(GetPortVal(0x2E, &value, 1), 0);
    EXPECT_EQ(value, 0xFFu);
    EXPECT_EQ(driver_->calls.portReads, 1);
}

TEST(DriverBinding, AnUnbindableDriverMakesTheOpenFail) {
    UninitializeSysInfoLib();
    setenv("ZELKORA_WINIO", "/nonexistent/libwinio.so", 1);
    setDriver(nullptr);
    EXPECT_EQ(InitializeSysInfoLib(), 0);
    uint32_t value = 0;
    EXPECT_EQ(GetPortVal(0x80, &value, 1), 0);
    unsetenv("ZELKORA_WINIO");
    setDriver(nullptr);
}

}  // namespace
}  // namespace zelkora::hw
