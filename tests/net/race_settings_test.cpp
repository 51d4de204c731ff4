// The race-settings block against a CRC of its own in Python, the host's
// comparison of the guests' blocks, the state check's timing, and the
// track codes and race descriptions.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "devices/services.h"
#include "net_fixture.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t count)
{
    std::string text;
    char pair[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The block the Python reference computes from the dumped fields.
std::string ReferenceBlock(const RaceSettingsFields& f, uint32_t seed, const std::string& folder)
{
    const std::string path = folder + "/fields.txt";
    std::ofstream out(path);
    out << "seed " << seed << "\nprocessedFrame " << f.processedFrame << "\nreplayBaseFrame " << f.replayBaseFrame
        << "\ndecidedVote " << f.decidedVote << "\nraceStartDelay " << f.raceStartDelay << "\nvoteCountdown "
        << f.voteCountdown << "\nsystem " << Hex(f.systemBytes, sizeof f.systemBytes) << "\n";
    for (int i = 0; i < f.connectionCount; ++i) {
        const RaceSettingsFields::ConnectionFields& c = f.connections[i];
        out << "connection " << int(c.ucid) << " " << int(c.admin) << " " << int(c.gameVote) << " "
            << int(c.entryVote) << " " << Hex(reinterpret_cast<const uint8_t*>(c.name), std::strlen(c.name)) << "\n";
    }
    out << "playerCount " << f.playerCount << "\ngravity " << Bits(f.gravity) << "\ntimeScale " << Bits(f.timeScale)
        << "\nsurfaces " << Hex(f.surfaceTable, SurfaceTableBytes) << "\nlateral "
        << Hex(f.lateralCurves, TyreCurvePairBytes) << "\nlongitudinal " << Hex(f.longitudinalCurves, TyreCurvePairBytes)
        << "\nracing " << f.racing << "\nwindStrength " << Bits(f.windStrength) << "\nwindDirection "
        << Bits(f.windDirection) << "\nplayers " << f.playersValue << "\ncolours " << f.coloursValue << "\nsetups "
        << f.setupsValue << "\nlayoutObjects " << f.layoutObjects << "\ncars " << f.carsValue << "\nwheels "
        << f.wheelsValue << "\nengines " << f.enginesValue << "\nraceState " << f.raceStateValue << "\n";
    out.close();
    const std::string command = std::string(QV_PYTHON) + " " + QV_SOURCE_DIR +
                                "/tests/net/race_settings_reference.py " + path;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "";
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = pclose(pipe);
    if (!read || status != 0)
        return "";
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

class RaceSettingsTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        StartSession(3);
        // A name with characters above 0x7F: they go into the register as
        // signed bytes.
        std::strcpy(MutableConnectionTable.connections[1].name, "Gu\xe9st^1\xff");
        MutableConnectionTable.connections[1].admin = 1;
        MutableConnectionTable.connections[2].gameVote = 2;
        MutableConnectionTable.connections[1].entryVote = 1;
        MutableConnectionTable.connections[2].entryVote = 1;
        MutableFrameClock.processedFrame = 123456;
        MutableSessionVotes.decidedVote = 3;
        MutableSessionVotes.countdown = 250;
        MutableSessionFlags.trackChanging = 1;
        Race& race = StartRace({0, 1, 2});
        race.configuration = 2;
        race.reversed = 1;
        race.lighting = 3;
        race.qualifyMinutes = 10;
        race.raceLength = 191;
        race.wind = 2;
        race.startCountdown = 5;
        std::strcpy(race.players[1].carBlock.carName, "Some Car");
        race.players[2].carBlock.setup.rearWing = 9;
    }
};

} // namespace

TEST_F(RaceSettingsTest, TheBlockMatchesAnIndependentCrcOfItsFields)
{
    for (int racing : {0, 1}) {
        SCOPED_TRACE(racing);
        SetGameKind(racing ? 2 : 1);
        RaceSettingsFields fields;
        GatherRaceSettingsFields(fields);
        EXPECT_EQ(fields.connectionCount, 3);
        EXPECT_EQ(fields.racing, racing);
        EXPECT_EQ(fields.playerCount, 3u);
        EXPECT_NE(fields.playersValue, 0u);
        EXPECT_EQ(fields.gravity, -9.81f);
        // The car and wind values come from parts built later; any values
        // show how they fold in.
        fields.windStrength = 4.5f;
        fields.windDirection = -1.25f;
        fields.carsValue = 0x11223344;
        fields.wheelsValue = 0x55667788;
        fields.enginesValue = 0x99AABBCC;
        fields.raceStateValue = 0xDDEEFF01;
        fields.layoutObjects = 300;
        uint8_t block[RaceSettingsBlockSize];
        const uint32_t seed = 0x1234ABCD;
        ComputeRaceSettingsBlock(fields, seed, block);
        EXPECT_EQ(Hex(block, sizeof block), ReferenceBlock(fields, seed, folder.Path()));
        if (!racing) {
            for (int offset : {RsWind, RsCars, RsWheels, RsEngines, RsRaceState})
                EXPECT_EQ(block[offset], 0) << offset;
        }
        EXPECT_EQ(block[RsObjects], 300 & 0xFF);
        EXPECT_EQ(block[0], GpStateReport);
    }
}

TEST_F(RaceSettingsTest, ADriverNameShowsInConnectionsAndMain)
{
    uint8_t before[RaceSettingsBlockSize], after[RaceSettingsBlockSize];
    RaceSettingsFields fields;
    GatherRaceSettingsFields(fields);
    ComputeRaceSettingsBlock(fields, 77, before);
    std::strcpy(MutableConnectionTable.connections[2].name, "Renamed");
    GatherRaceSettingsFields(fields);
    ComputeRaceSettingsBlock(fields, 77, after);
    char list[128];
    EXPECT_EQ(ListRaceSettingsMismatches(before, after, list, sizeof list), 1);
    EXPECT_STREQ(list, " CONNS");
    EXPECT_NE(std::memcmp(before + RsMain, after + RsMain, 4), 0);
}

TEST_F(RaceSettingsTest, MismatchWords)
{
    uint8_t ours[RaceSettingsBlockSize] = {GpStateReport, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1, 2, 3, 4};
    struct Case {
        std::vector<int> changed;
        const char* words;
    } cases[] = {
        {{}, ""},
        {{17}, " MAIN"},
        {{RsRaceState, 16}, " RES"},
        {{RsFrame, RsSystem, RsVotes, RsReady, RsRace, RsPlayers, RsColours, RsSetups, RsWind, RsObjects, RsCars,
          RsWheels, RsEngines, RsRaceState, RsConnections, 19},
         " COUNT MPSYS CONNS VOTE READY RACE PLY COL SET WIND OBJS CAR WHL ENG RES"},
    };
    for (const Case& c : cases) {
        uint8_t theirs[RaceSettingsBlockSize];
        std::memcpy(theirs, ours, sizeof theirs);
        for (int offset : c.changed)
            theirs[offset] ^= 0x40;
        char list[128];
        ListRaceSettingsMismatches(ours, theirs, list, sizeof list);
        EXPECT_STREQ(list, c.words);
    }
}

// The host compares a guest's report with its own block: a match marks the
// guest in sync; a guest never in sync whose race states alone differ gets
// them again five times before it is dropped; any other difference drops it.
TEST_F(RaceSettingsTest, TheHostComparesReportsWithItsOwnBlock)
{
    SetGameKind(2);
    MutableFrameClock.processedFrame = 5000;
    BuildRaceSettings(42);
    uint8_t report[RaceSettingsBlockSize];
    std::memcpy(report, StateCheck.ownBlock, sizeof report);
    Connection& guest = MutableConnectionTable.connections[2];
    auto deliver = [&](const uint8_t* block) {
        guest.checkPending = 1;
        HandleGamePacket(2, block, RaceSettingsBlockSize);
    };
    deliver(report);
    EXPECT_TRUE(guest.inSync);
    EXPECT_EQ(guest.kickState, KickNone);

    guest.inSync = 0;
    report[RsRaceState] ^= 1;
    report[RsMain] ^= 1;
    for (int i = 1; i <= 5; ++i) {
        deliver(report);
        EXPECT_EQ(guest.resyncCount, i);
        EXPECT_EQ(guest.kickState, KickNone);
    }
    TakeLog();
    deliver(report);
    EXPECT_EQ(guest.kickState, KickSyncLate);
    EXPECT_TRUE(Shown("Guest2 : JOOS - RES"));

    // An unexpected report is only reported.
    guest.kickState = KickNone;
    HandleGamePacket(2, report, RaceSettingsBlockSize);
    EXPECT_TRUE(Shown("Guest2 - Unexpected Sync Reply"));
    EXPECT_EQ(guest.kickState, KickNone);
}

TEST_F(RaceSettingsTest, AGuestSendsItsBlockAndTheHostKeepsIt)
{
    StartSession(3, 1);
    const uint8_t request[8] = {GpStateCheck, 0, 0, 0, 7, 0, 7, 0};
    HandleGamePacket(0, request, 8);
    ASSERT_EQ(GameBundle.bytes[0], GameBundleHeaderSize + 1 + RaceSettingsBlockSize);
    EXPECT_EQ(GameBundle.bytes[GameBundleHeaderSize], RaceSettingsBlockSize);
    EXPECT_EQ(GameBundle.bytes[GameBundleHeaderSize + 1], GpStateReport);
    EXPECT_EQ(StateCheck.ownBlock[0], 0);
}

// Every change postpones the check to 200 frames after the processed frame,
// earlier or later than before; the next check frame is left alone.
TEST_F(RaceSettingsTest, PostponingMovesTheCheckTimerEitherWay)
{
    MutableStateCheck.nextCheck = 9000;
    for (uint32_t frame : {1000u, 400u, 5000u}) {
        MutableFrameClock.processedFrame = frame;
        PostponeStateCheck();
        EXPECT_EQ(StateCheck.checkTimer, frame + 200);
        EXPECT_EQ(StateCheck.nextCheck, 9000u);
    }
}

TEST_F(RaceSettingsTest, TrackCodes)
{
    struct Case {
        const char* name;
        int configuration, reversed;
        const char* code;
    } cases[] = {
        {"Hollowmere", 1, 1, "HO1R"},
        {"quayside", 3, 0, "QU3"},
        {"X", 2, 0, "XX2"},
        {"", 1, 1, "XX1R"},
        {"4x4 Park", 12, 0, "4X12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditSettings([&c](SettingsRecord& settings) {
            std::strcpy(settings.mapName, c.name);
            settings.config = c.configuration;
            settings.flip = c.reversed;
        });
        char code[TrackCodeSize];
        FormatTrackCode(code);
        EXPECT_STREQ(code, c.code);
        uint8_t packet[36] = {GpTrack};
        WriteTrackFields(packet);
        FormatTrackCodeOfPacket(code, packet);
        EXPECT_STREQ(code, c.code);
    }
}

TEST_F(RaceSettingsTest, RaceDescriptions)
{
    struct Case {
        int code;
        const char* text;
    } lengths[] = {
        {0, "practice"}, {1, "race 1 lap"},   {100, "race 100 laps"}, {101, "race 110 laps"},
        {190, "race 1000 laps"}, {191, "race 1 hour"}, {238, "race 48 hours"}, {239, "practice"},
    };
    char text[RaceDescriptionSize];
    for (const Case& c : lengths) {
        FormatRaceLength(text, c.code);
        EXPECT_STREQ(text, c.text) << c.code;
    }
    const Case qualify[] = {{0, "no qualify"}, {1, "qual 1 min"}, {45, "qual 45 mins"}};
    for (const Case& c : qualify) {
        FormatQualifyLength(text, c.code);
        EXPECT_STREQ(text, c.text) << c.code;
    }
    const Case wind[] = {{0, "no wind"}, {1, "low wind"}, {2, "high wind"}, {7, "high wind"}};
    for (const Case& c : wind) {
        FormatWind(text, c.code);
        EXPECT_STREQ(text, c.text) << c.code;
    }
}
