// The one reset of the core: every field of every record the core owns is
// dirtied, and ResetCoreTables gives back the record of start-up.
#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

#include "core/local.h"
#include "core/services.h"
#include "support/temp_folder.h"

namespace {

// Fills every byte of a plain record with a pattern no default holds.
template <typename Record>
void Dirty(Record& record)
{
    static_assert(std::is_trivially_copyable_v<Record>);
    std::memset(static_cast<void*>(&record), 0xA5, sizeof record);
}

class CoreResetTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
    void TearDown() override { ResetCoreTables(); }
    TempFolder folder;  // the debug log goes here
};

TEST_F(CoreResetTest, EveryRecordOfTheShellsStateComesBackToItsDefault)
{
    Dirty(MutableGameTime);
    Dirty(MutableProgramMode);
    Dirty(MutableDataPaths);
    Dirty(MutableScreenSize);
    Dirty(MutableDisplayPass);
    Dirty(MutableInputState);
    Dirty(MutablePlayerProfile);
    ResetCoreTables();
    EXPECT_EQ(GameTime, GameTimeRecord{});
    EXPECT_EQ(ProgramMode, ProgramModeRecord{});
    EXPECT_EQ(DataPaths, DataPathRecord{});
    EXPECT_EQ(ScreenSize, ScreenSizeRecord{});
    EXPECT_EQ(DisplayPass, DisplayPassRecord{});
    EXPECT_EQ(InputState, InputStateRecord{});
    EXPECT_EQ(PlayerProfile, PlayerProfileRecord{});
}

TEST_F(CoreResetTest, SettingsAndTheirDerivedValuesComeBackToTheKeyTablesDefaults)
{
    // The defaults are the key table's, not zeros: the reference is a
    // record that the reset itself gave from a clean start.
    const SettingsRecord defaults = Settings;
    const DerivedSettingsRecord derivedDefaults = DerivedSettings;
    EXPECT_STREQ(defaults.mapName, "Hollowmere");
    EXPECT_EQ(derivedDefaults.maxTextureSize, 4096);
    Dirty(MutableSettings);
    Dirty(MutableDerivedSettings);
    ResetCoreTables();
    EXPECT_TRUE(Settings == defaults) << "a settings field that no key sets";
    EXPECT_EQ(DerivedSettings, derivedDefaults);
}

TEST_F(CoreResetTest, TablesAndTextsComeBackAsBuilt)
{
    const TrigTableSet* built = &TrigTables;
    const Fixed quarterSine = TrigTables.sine[16384];
    const DegreePair tenDegrees = DegreeTable[10];
    const std::array<int32_t, ClockNudgeCount> nudges = ClockNudgeTable;
    MutableTrigTables.sine[16384] = Fixed(1);
    MutableDegreeTable[10] = {};
    ClockNudgeTable.fill(0);
    OverrideText(TX_3a_exit_btn, "dirty");
    std::memset(MutableSecondLanguageName, 'x', LanguageNameSize);
    MutableUserTable.records.push_back(UserRecord{});
    MutableUserTable.capacity = 5;
    MutableUserTable.changed = true;
    StartDebugLog();

    ResetCoreTables();
    EXPECT_EQ(&TrigTables, built);
    EXPECT_EQ(TrigTables.sine[16384], quarterSine);
    EXPECT_EQ(DegreeTable[10], tenDegrees);
    EXPECT_EQ(ClockNudgeTable, nudges);
    EXPECT_STREQ(GetText(TX_3a_exit_btn), TextTable[TX_3a_exit_btn].english);
    EXPECT_STREQ(SecondLanguageName, "");
    EXPECT_EQ(UserTable, UserList{});
    EXPECT_FALSE(DebugLogging);
    EXPECT_STREQ(DebugLogName(), "deb.log");
}

} // namespace
