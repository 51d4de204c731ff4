// The session's reset: the race it owns is freed, and every record and
// table it keeps is back at its start-up state, whatever they held before.
#include <gtest/gtest.h>

#include <cstring>

#include "session/local.h"
#include "support/dirty_record.h"

namespace {

TEST(SessionResetTest, ResetFreesTheRaceAndGivesBackEveryRecordAtItsDefaults)
{
    ResetSessionTables();
    DirtyRecord(MutableSession);
    DirtyRecord(MutableSessionCars);
    // The race is owned: the reset frees it with its players.
    DirtyRecord(MutableSessionFrame);
    // The race and the session are owned: the reset frees them.
    MutableSession.session = new InRaceSession{};
    MutableSession.race = new Race;
    InitRace(*MutableSession.race);
    std::memset(static_cast<void*>(MutableDriverNameTable), 0x5A, sizeof MutableDriverNameTable);
    std::memset(MutableMessageKeyTable, 0x5A, sizeof MutableMessageKeyTable);
    RaceHooks hooks;
    hooks.queueGamePacket = [](const uint8_t*, int) {};
    hooks.isOnline = [] { return 1; };
    SetRaceHooks(hooks);

    ResetSessionTables();

    EXPECT_EQ(MutableSession, SessionRecord{});
    EXPECT_EQ(MutableSessionCars, SessionCarState{});
    EXPECT_EQ(MutableSessionFrame, SessionFrameRecord{});
    EXPECT_EQ(GameKind, 1);
    EXPECT_EQ(CurrentRace, nullptr);
    EXPECT_EQ(RaceLengthSetting, 5);
    const DriverNameEntry empty{};
    for (const DriverNameEntry& entry : DriverNameTable)
        EXPECT_EQ(std::memcmp(&entry, &empty, sizeof entry), 0);
    const char noText[MessageKeyLength] = {};
    for (const char* text : MessageKeyTable)
        EXPECT_EQ(std::memcmp(text, noText, MessageKeyLength), 0);
    EXPECT_EQ(GetRaceHooks().queueGamePacket, RaceHooks{}.queueGamePacket);
    EXPECT_EQ(GetRaceHooks().isOnline(), 0);
}

} // namespace
