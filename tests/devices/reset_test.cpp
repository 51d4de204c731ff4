// The devices' reset, and the services that are not built yet: the reset
// gives back the start-up record whatever it held, and a set-up or save
// that did nothing answers failure and says so once.
#include <gtest/gtest.h>

#include <string>

#include "devices/local.h"
#include "support/dirty_record.h"
#include "support/temp_folder.h"

namespace {

class DevicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetDevicesTables();
    }
    void TearDown() override
    {
        ResetDevicesTables();
        ResetCoreTables();
    }
    TempFolder folder;  // the debug log goes here
};

TEST_F(DevicesTest, ResetGivesBackTheRecordAtItsDefaults)
{
    DirtyRecord(MutableDevices, 0x01);
    ASSERT_NE(MutableDevices, DevicesRecord{});
    ResetDevicesTables();
    EXPECT_EQ(MutableDevices, DevicesRecord{});
    EXPECT_EQ(ClutchControlMode, 1);
    EXPECT_EQ(ControlsFilePending, 1);
    EXPECT_EQ(HeadTrackerState, 2);
    EXPECT_EQ(IsControlActive(4, 1), 0);
}

TEST_F(DevicesTest, ServicesNotBuiltYetAnswerFailureAndSaySoOnce)
{
    struct Case {
        const char* name;
        int (*call)();
        int failure;
    } cases[] = {
        {"InitDirectInput", InitDirectInput, 1},
        {"InitForceFeedback", InitForceFeedback, 1},
        {"SaveControls", SaveControls, 0},
        {"SaveCalibration", SaveCalibration, 0},
        {"LoadHeadTracker", LoadHeadTracker, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.failure) << c.name;
        EXPECT_EQ(c.call(), c.failure) << c.name;
    }
    EXPECT_EQ(HeadTrackerState, 2);
    const std::string log = folder.ReadFile("deb.log");
    for (const Case& c : cases) {
        const std::string line = std::string(c.name) + " : not available yet";
        const size_t first = log.find(line);
        ASSERT_NE(first, std::string::npos) << line;
        EXPECT_EQ(log.find(line, first + 1), std::string::npos) << line;
    }
}

} // namespace
