// The ban list: how long bans last, renewal, the full list, case, expiry,
// and the ban file, whose bytes are built here by hand from its layout.
#include <cstring>
#include <string>

#include "net_fixture.h"
#include "platform/clock.h"

namespace {

// 2020-01-01 00:00:00 UTC: the manual clock's start, as a Unix time and as
// a Windows file time (Python's datetime: (2020-01-01 - 1601-01-01) x 10^7).
constexpr int64_t StartUnix = 1577836800;
constexpr uint64_t StartFileTime = 132223104000000000ull;
constexpr uint32_t HourMs = 3600u * 1000u;

std::string Int32(int32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; i++)
        s[size_t(i)] = char((uint32_t(v) >> (8 * i)) & 0xFF);
    return s;
}

// One 40-byte record: the name zero-padded to 24, the file time low word
// first, the hours and 4 unused bytes.
std::string Entry(const std::string& name, uint64_t time, int32_t hours)
{
    std::string s = name;
    s.resize(24, '\0');
    return s + Int32(int32_t(uint32_t(time))) + Int32(int32_t(uint32_t(time >> 32))) + Int32(hours) + Int32(0);
}

// The header: "QVNBAN", version 246 high byte first.
std::string Header() { return std::string("QVNBAN") + char(0) + char(246); }

class BanListTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        platform::UseManualClock(0, StartUnix);
        folder.WriteFile("data/misc/.keep", "");
    }
    void TearDown() override
    {
        platform::UseRealClock();
        NetTest::TearDown();
    }
    std::string BanFile() const { return folder.ReadFile("data/misc/bans.ban"); }
};

} // namespace

TEST_F(BanListTest, FileTimeCountsFrom1601)
{
    EXPECT_EQ(GetSystemFileTime(), StartFileTime);
    platform::UseManualClock(0, 0);
    EXPECT_EQ(GetSystemFileTime(), 116444736000000000ull) << "the published value of 1970-01-01";
    platform::UseManualClock(0, 1797001207);
    EXPECT_EQ(GetSystemFileTime(), 134414748070000000ull) << "2026-12-11 15:00:07";
}

TEST_F(BanListTest, BansLastTheirHoursAndAreSavedInTheFilesLayout)
{
    AddBan("Alice", 0);
    AddBan("bob", 2);
    ASSERT_EQ(BanList.count, 2);
    EXPECT_EQ(BanList.entries[0].hours, 12) << "0 days: 12 hours";
    EXPECT_EQ(BanList.entries[1].hours, 48);
    EXPECT_EQ(BanFile(), Header() + Int32(0) + Int32(2) + Entry("Alice", StartFileTime, 12) +
                             Entry("bob", StartFileTime, 48));

    // Names match without regard to case; a renewed ban adds no entry.
    EXPECT_EQ(IsBanned("ALICE"), 1);
    EXPECT_EQ(IsBanned("Carol"), 0);
    platform::AdvanceManualClock(HourMs);
    AddBan("BOB", 0);
    ASSERT_EQ(BanList.count, 2);
    EXPECT_EQ(BanList.entries[1].hours, 12);
    EXPECT_EQ(BanList.entries[1].bannedAt, StartFileTime + 36000000000ull);

    // Alice's 12 hours run out; she is gone from the file at the next save.
    platform::AdvanceManualClock(11 * HourMs);
    EXPECT_EQ(IsBanned("alice"), 1) << "exactly 12 hours is not past";
    platform::AdvanceManualClock(1000);
    EXPECT_EQ(IsBanned("alice"), 0);
    EXPECT_EQ(IsBanned("bob"), 1);
    SaveBans();
    EXPECT_EQ(BanFile(), Header() + Int32(0) + Int32(1) + Entry("bob", StartFileTime + 36000000000ull, 12));

    Unban("Bob");
    EXPECT_EQ(IsBanned("bob"), 0);
    EXPECT_EQ(BanFile(), Header() + Int32(0) + Int32(0));
}

TEST_F(BanListTest, TheFourHundredAndFirstBanDropsTheOldest)
{
    for (int i = 0; i < MaxBans + 1; i++)
        AddBan(("user" + std::to_string(i)).c_str(), 1);
    ASSERT_EQ(BanList.count, MaxBans);
    EXPECT_STREQ(BanList.entries[0].userName, "user1");
    EXPECT_STREQ(BanList.entries[MaxBans - 1].userName, "user400");
    RemoveBanAt(0);
    RemoveBanAt(MaxBans);  // past the end: nothing
    EXPECT_EQ(BanList.count, MaxBans - 1);
    EXPECT_STREQ(BanList.entries[0].userName, "user2");
    // A name too long for the record keeps 23 characters and its end.
    AddBan("abcdefghijklmnopqrstuvwxyz", 1);
    EXPECT_STREQ(BanList.entries[size_t(BanList.count - 1)].userName, "abcdefghijklmnopqrstuvw");
}

TEST_F(BanListTest, FilesAreReadOrRefusedAsCorrupted)
{
    std::string many;
    for (int i = 0; i < 450; i++)
        many += Entry("u" + std::to_string(i), StartFileTime, 24);
    const std::string twentyFour(24, 'x');
    struct Case {
        const char* name;
        std::string bytes;
        int count;            // entries after reading; -1 the list as it was
        const char* first;    // the first entry's name
        bool corrupted;
    };
    const Case cases[] = {
        {"two legacy records skipped", Header() + Int32(2) + std::string(32, '\x7f') + Int32(1) +
                                           Entry("Ann", StartFileTime, 24),
         1, "Ann", false},
        {"450 entries give the first 400", Header() + Int32(0) + Int32(450) + many, 400, "u0", false},
        {"a name without its end", Header() + Int32(0) + Int32(1) + Entry(twentyFour, StartFileTime, 24), 1,
         "xxxxxxxxxxxxxxxxxxxxxxx", false},
        {"an expired ban is dropped", Header() + Int32(0) + Int32(2) + Entry("old", StartFileTime - 36000000000ull * 13, 12) +
                                          Entry("new", StartFileTime, 12),
         1, "new", false},
        {"51 legacy records", Header() + Int32(51) + std::string(51 * 16, '\0') + Int32(0), 0, "", true},
        {"a negative count", Header() + Int32(0) + Int32(-1), 0, "", true},
        {"fewer entries than counted", Header() + Int32(0) + Int32(3) + Entry("a", StartFileTime, 12) +
                                           Entry("b", StartFileTime, 12),
         0, "", true},
        {"no count at all", Header() + Int32(0), 0, "", true},
        {"another kind of file", std::string("QVNXXX") + char(0) + char(246) + Int32(0) + Int32(0), 0, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNetTables();
        AddBan("kept", 1);
        folder.WriteFile("data/misc/bans.ban", c.bytes);
        TakeLog();
        LoadBans();
        EXPECT_EQ(BanList.count, c.count);
        if (c.count > 0) {
            EXPECT_STREQ(BanList.entries[0].userName, c.first);
        }
        EXPECT_EQ(Shown("File is corrupted : data\\misc\\bans.ban"), c.corrupted);
    }
    // A missing file leaves the list as it is.
    ResetNetTables();
    AddBan("kept", 1);
    std::remove("data/misc/bans.ban");
    LoadBans();
    ASSERT_EQ(BanList.count, 1);
    EXPECT_STREQ(BanList.entries[0].userName, "kept");
}
