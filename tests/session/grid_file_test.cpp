// Grid files and player entries: a saved grid decodes with an independent
// Python struct script and loads back; old versions load; bad files are
// refused and leave the race as it was; the join record's set-up key.
#include "race_fixture.h"

#include <cstdlib>
#include <cstring>
#include <sys/wait.h>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace {

// A grid file image built byte by byte from its layout, not by the code
// under test.
struct GridImage {
    std::vector<uint8_t> bytes;

    GridImage(int version, int count, int layout)
    {
        bytes = {'Q', 'V', 'N', 'G', 'S', 'C', uint8_t(version >> 8), uint8_t(version)};
        const uint8_t options[8] = {3, 4, 0, 0, 7, 2, 0, 1};
        bytes.insert(bytes.end(), options, options + 8);
        Text("Stored Track", 32);
        const uint8_t track[8] = {9, 9, 9, uint8_t(count), 0, 0, 0, uint8_t(layout)};
        bytes.insert(bytes.end(), track, track + 8);
    }
    void Text(const char* text, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            bytes.push_back(i < std::strlen(text) ? uint8_t(text[i]) : 0);
    }
    void Entry(const char* name, int type, int id, const char* car)
    {
        Text(name, 24);
        Text("PLT", 8);
        const uint8_t fields[8] = {0, uint8_t(type), 0x00, 0x02, 1, uint8_t(id), 5, 0};
        bytes.insert(bytes.end(), fields, fields + 8);
        Text("Helm", 16);
        const uint8_t strategy[4] = {60, 20, 40, 2};
        bytes.insert(bytes.end(), strategy, strategy + 4);
        Text(car, 32);
        for (int i = 0; i < 120; ++i)
            bytes.push_back(uint8_t(i == 8 ? 17 : 0));  // rear wing 17
        Text("Red", 16);
        for (int i = 0; i < 32; ++i)
            bytes.push_back(uint8_t(i));
    }
};

class GridFileTest : public RaceTest {
protected:
    void SetUp() override
    {
        RaceTest::SetUp();
        EditSettings([](SettingsRecord& settings) {
            CopyFixedString(settings.plyName, "Me", sizeof settings.plyName);
            settings.config = 2;
            settings.flip = 1;
            settings.lighting = 3;
        });
    }
    // Reads an image into the race for a track called "Loaded Track".
    int ReadImage(const std::vector<uint8_t>& bytes, int readOptions)
    {
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, bytes.data(), bytes.size(), version);
        const int result = ReadGridForTrack(race, reader, version, nullptr, readOptions, "Loaded Track");
        CloseDataFile(reader);
        return result;
    }
    // The three players race_files_reference.py expects.
    void FillReferenceRace()
    {
        race.qualifyMinutes = 10;
        race.startCountdown = 6;
        race.raceLength = 150;
        race.aiSkill = 3;
        race.wind = 2;
        race.hotLapOption = 1;
        CopyFixedString(race.trackName, "Hollowmere", TrackNameSize);
        race.configuration = 2;
        race.reversed = 1;
        race.lighting = 3;

        RacePlayer& ann = AddPlayer("^1Ann", PlayerLocal, 0, 7);
        std::memcpy(ann.descriptor.plate, "ANN1", 4);
        ann.descriptor.flags = 0x208;
        ann.descriptor.figure = 5;
        ann.descriptor.helmetExists = 1;  // not stored
        CopyFixedString(ann.descriptor.helmetSkin, "HelmA", HelmetSkinSize);
        const uint8_t strategy[4] = {50, 30, 30, 1};
        std::memcpy(ann.descriptor.pitStrategy, strategy, 4);
        CopyFixedString(ann.carBlock.carName, "VO GT TURBO", CarFullNameSize);
        ann.carBlock.skinFlag = 1;  // not stored
        CarSetup& s = ann.carBlock.setup;
        s.flags = 0x80;
        s.maxBrakeTorque = 1500.5f;
        s.rearWing = 12;
        s.frontWing = 4;
        const uint16_t gears[7] = {40000, 30000, 22000, 17000, 14000, 12000, 0};
        std::memcpy(s.gears, gears, sizeof gears);
        s.finalDrive = 30000;
        s.axles[0].pressureLeft = 200;
        s.axles[0].pressureRight = 201;
        CopyFixedString(ann.carBlock.colours.name, "Blue", 16);
        ann.carBlock.colours.colours[0] = {10, 20, 30, 0};
        ann.carBlock.colours.colours[7] = {200, 100, 50, 1};

        RacePlayer& robot = AddPlayer("Robot", PlayerAi, 0, 8);
        std::memcpy(robot.descriptor.plate, "AI 2", 4);
        robot.descriptor.flags = 0x200;
        robot.descriptor.startPosition = 1;
        robot.descriptor.pitStart = 1;
        CopyFixedString(robot.carBlock.carName, "SN4", CarFullNameSize);
        CopyFixedString(robot.carBlock.colours.name, "DEFAULT", 16);

        RacePlayer& guest = AddPlayer("Guest", PlayerRemote, 3, 9);
        guest.descriptor.startPosition = 2;
        CopyFixedString(guest.descriptor.helmetSkin, "FIFTEEN_LETTERS", HelmetSkinSize);
        CopyFixedString(guest.carBlock.carName, "FORMULA KT02", CarFullNameSize);
        CopyFixedString(guest.carBlock.colours.name, "DEFAULT", 16);
    }

    TempFolder folder;
};

int RunReference(const std::string& kind, const std::string& file)
{
    const std::string command = std::string(QV_PYTHON) + " " + QV_SOURCE_DIR +
                                "/tests/session/race_files_reference.py " + kind + " " + file;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(GridFileTest, SavedGridDecodesIndependentlyAndLoadsBack)
{
    platform::MakeFolder("data");
    platform::MakeFolder("data/grids");
    FillReferenceRace();
    ASSERT_EQ(SaveGrid(race, "three"), 1);
    EXPECT_EQ(RunReference("grid", folder.Path() + "/data/grids/three.rac"), 0)
        << "race_files_reference.py rejected the grid";

    const std::string file = folder.ReadFile("data/grids/three.rac");
    const std::vector<uint8_t> bytes(file.begin(), file.end());
    Race saved = race;
    for (RacePlayer& slot : saved.players)
        slot.car = nullptr;
    RemoveAllPlayers(race);
    InitRace(race);
    ASSERT_EQ(ReadImage(bytes, 1), 1);

    ASSERT_EQ(race.playerCount, 3);
    EXPECT_STREQ(race.trackName, "Loaded Track");
    EXPECT_EQ(race.configuration, 2);
    EXPECT_EQ(race.reversed, 1);
    EXPECT_EQ(race.lighting, 3);
    EXPECT_EQ(race.raceLength, 150);
    EXPECT_EQ(race.qualifyMinutes, 10);
    EXPECT_EQ(race.wind, 2);
    EXPECT_EQ(race.hotLapOption, 1);
    EXPECT_EQ(race.fromGrid, 1);
    EXPECT_EQ(race.selectedSlot, -1);
    EXPECT_EQ(race.selectionTimer, 0);
    for (int i = 0; i < 3; ++i) {
        const RacePlayer& a = saved.players[i];
        const RacePlayer& b = race.players[i];
        EXPECT_STREQ(b.carBlock.carName, a.carBlock.carName);
        EXPECT_EQ(SetupsDiffer(b.carBlock.setup, a.carBlock.setup), 0) << i;
        EXPECT_EQ(std::memcmp(&b.carBlock.colours, &a.carBlock.colours, sizeof(ColourConfig)), 0) << i;
        EXPECT_EQ(b.descriptor.playerId, a.descriptor.playerId);
        EXPECT_EQ(b.carBlock.skinFlag, 0);  // not stored
    }
    // The local entry becomes the local driver, keeping its player id.
    EXPECT_STREQ(race.players[0].descriptor.name, "Me");
    EXPECT_EQ(race.players[0].descriptor.type, PlayerLocal);
    for (int i = 1; i < 3; ++i) {
        const PlayerDescriptor& a = saved.players[i].descriptor;
        const PlayerDescriptor& b = race.players[i].descriptor;
        EXPECT_STREQ(b.name, a.name);
        EXPECT_EQ(std::memcmp(b.plate, a.plate, NumberPlateSize), 0);
        EXPECT_EQ(b.connection, a.connection);
        EXPECT_EQ(b.type, a.type);
        EXPECT_EQ(b.flags, a.flags);
        EXPECT_EQ(b.startPosition, a.startPosition);
        EXPECT_EQ(b.pitStart, a.pitStart);
        EXPECT_STREQ(b.helmetSkin, a.helmetSkin);
    }

    // Without its options a grid leaves the race's own.
    race.raceLength = 3;
    ASSERT_EQ(ReadImage(bytes, 0), 1);
    EXPECT_EQ(race.raceLength, 3);
}

TEST_F(GridFileTest, EntriesOfUnknownCarsAndAiEntriesWithTheDriversNameAreDropped)
{
    GridImage image(251, 4, 13);
    image.Entry("Kept AI", PlayerAi, 20, "SN6");
    image.Entry("me", PlayerAi, 21, "SN6");  // the local driver's name, case ignored
    image.Entry("Ghost", PlayerAi, 22, "NO SUCH CAR");
    image.Entry("Old Me", PlayerLocal, 23, "YAS5");
    ASSERT_EQ(ReadImage(image.bytes, 1), 1);
    ASSERT_EQ(race.playerCount, 2);
    EXPECT_STREQ(race.players[0].descriptor.name, "Kept AI");
    EXPECT_STREQ(race.players[1].descriptor.name, "Me");
    EXPECT_EQ(race.players[1].descriptor.playerId, 23);
    EXPECT_STREQ(race.players[1].carBlock.carName, "YAS5");
    EXPECT_EQ(race.players[2].descriptor.name[0], 0);
}

TEST_F(GridFileTest, OlderVersionsLoad)
{
    for (int version : {250, 251}) {
        for (int layout : {12, 13}) {
            GridImage image(version, 1, layout);
            image.Entry("Old Entry Name That Is Too Long", PlayerAi, 4, "DY 1000");
            RemoveAllPlayers(race);
            InitRace(race);
            ASSERT_EQ(ReadImage(image.bytes, 1), 1) << version << " " << layout;
            ASSERT_EQ(race.playerCount, 1);
            const RacePlayer& slot = race.players[0];
            EXPECT_STREQ(slot.descriptor.name, "Old Entry Name That Is ");  // ends inside its field
            EXPECT_EQ(slot.descriptor.flags, 0x200);
            EXPECT_EQ(slot.descriptor.startPosition, 5);
            EXPECT_STREQ(slot.descriptor.helmetSkin, "Helm");
            EXPECT_EQ(slot.descriptor.pitStrategy[2], 40);
            EXPECT_EQ(slot.carBlock.setup.rearWing, 17);
            EXPECT_STREQ(slot.carBlock.colours.name, "Red");
            EXPECT_EQ(slot.carBlock.colours.colours[7].extra, 31);
            EXPECT_EQ(race.raceLength, 7);
            EXPECT_EQ(race.hotLapOption, 1);
        }
    }
}

TEST_F(GridFileTest, BadGridsAreRefusedAndLeaveTheRaceAsItWas)
{
    struct Case {
        const char* what;
        int version, count, layout, entries;
        size_t cut;  // bytes kept, 0 all
        const char* message;
    };
    const Case cases[] = {
        {"version 249", 249, 1, 13, 1, 0, "Race load : wrong version"},
        {"entry layout 11", 251, 1, 11, 1, 0, "Race load : wrong version"},
        {"40 players", 251, 40, 13, 40, 0, "Race load : bad player count"},
        {"a count the file cannot hold", 251, 3, 13, 2, 0, "Race load : bad player count"},
        {"a file that ends inside its options", 251, 1, 13, 1, 20, "Race load : wrong version"},
    };
    AddPlayer("Before", PlayerAi, 0, 1);
    GiveCar(0);
    race.raceLength = 9;
    for (const Case& c : cases) {
        GridImage image(c.version, c.count, c.layout);
        for (int i = 0; i < c.entries; ++i)
            image.Entry("Entry", PlayerAi, 30 + i, "SN6");
        if (c.cut)
            image.bytes.resize(c.cut);
        HookLog().boxes.clear();
        EXPECT_EQ(ReadImage(image.bytes, 1), 0) << c.what;
        EXPECT_EQ(HookLog().boxes, std::vector<std::string>{c.message}) << c.what;
        EXPECT_EQ(race.playerCount, 1) << c.what;
        EXPECT_STREQ(race.players[0].descriptor.name, "Before");
        EXPECT_NE(race.players[0].car, nullptr);
        EXPECT_EQ(race.raceLength, 9) << c.what;
    }
}

TEST_F(GridFileTest, LoadingNeedsAWorldAndAPlainName)
{
    platform::MakeFolder("data");
    platform::MakeFolder("data/grids");
    AddPlayer("A", PlayerAi);
    CopyFixedString(race.players[0].carBlock.carName, "SN4", CarFullNameSize);
    ASSERT_EQ(SaveGrid(race, "one"), 1);
    EXPECT_EQ(LoadGrid(race, "one", nullptr, 1), 0);
    EXPECT_EQ(HookLog().boxes, std::vector<std::string>{"Race load : no track"});
    EXPECT_EQ(LoadGrid(race, "missing", nullptr, 1), 0);
    EXPECT_EQ(LoadGrid(race, "..\\cfg", nullptr, 1), 0);
    EXPECT_EQ(HookLog().boxes.back(), "Race load : bad grid name");
    for (const char* name : {"", "a/b", "..", "x:y"})
        EXPECT_EQ(SaveGrid(race, name), 0) << name;
}

TEST_F(GridFileTest, JoinRecordSetUpTravelsUnderTheDriversKey)
{
    RacePlayer& sender = AddPlayer("Sixteen letters!and more", PlayerLocal, 0, 12);
    sender.descriptor.flags = 0x48;
    sender.descriptor.figure = 3;
    CopyFixedString(sender.carBlock.carName, "ZEBALOR", CarFullNameSize);
    for (int i = 0; i < 120; ++i)
        reinterpret_cast<uint8_t*>(&sender.carBlock.setup)[i] = uint8_t(i * 7 + 1);
    JoinRecord record;
    record.bytes[0] = 5;
    record.bytes[4] = 0x5A;  // the record's key word
    FillJoinRecordBlock(sender, record);
    EXPECT_EQ(record.bytes[1], 12);
    EXPECT_EQ(std::memcmp(record.bytes + 8, &sender.carBlock, 84), 0);  // all but the set-up plain
    EXPECT_NE(std::memcmp(record.bytes + 92, &sender.carBlock.setup, 120), 0);

    struct Case {
        const char* what;
        void (*change)(PlayerDescriptor&);
        bool same;
    };
    const Case cases[] = {
        {"the sender's own descriptor", [](PlayerDescriptor&) {}, true},
        {"a name that differs after its 16th byte", [](PlayerDescriptor& d) { d.name[16] = 'X'; }, true},
        {"a name that differs in its first 16 bytes", [](PlayerDescriptor& d) { d.name[15] = 'X'; }, false},
        {"other flags", [](PlayerDescriptor& d) { d.flags ^= 1; }, false},
        {"another player id", [](PlayerDescriptor& d) { d.playerId = 13; }, false},
        {"another figure", [](PlayerDescriptor& d) { d.figure = 4; }, false},
        {"another plate", [](PlayerDescriptor& d) { d.plate[0] = 'Q'; }, true},
    };
    for (const Case& c : cases) {
        RacePlayer receiver;
        receiver.descriptor = sender.descriptor;
        c.change(receiver.descriptor);
        receiver.state = 3;
        JoinRecord copy = record;
        SetPlayerFromJoinRecord(receiver, copy);
        EXPECT_EQ(SetupsDiffer(receiver.carBlock.setup, sender.carBlock.setup) == 0, c.same) << c.what;
        EXPECT_STREQ(receiver.carBlock.carName, "ZEBALOR");
        EXPECT_EQ(receiver.state, 2);
    }
    JoinRecord otherWord = record;
    otherWord.bytes[4] = 0x5B;
    RacePlayer receiver;
    receiver.descriptor = sender.descriptor;
    SetPlayerFromJoinRecord(receiver, otherWord);
    EXPECT_NE(SetupsDiffer(receiver.carBlock.setup, sender.carBlock.setup), 0);

    // A car name without its terminator ends inside its field.
    JoinRecord unterminated = record;
    std::memset(unterminated.bytes + 12, 'z', CarFullNameSize);
    SetPlayerFromJoinRecord(receiver, unterminated);
    EXPECT_EQ(std::strlen(receiver.carBlock.carName), 31u);
}

TEST_F(GridFileTest, ReplayHeaderWritesKeepTheSetUpForTheFinalWrite)
{
    RacePlayer& slot = AddPlayer("Recorder", PlayerLocal, 0, 2);
    CopyFixedString(slot.carBlock.carName, "QP50", CarFullNameSize);
    slot.carBlock.setup.rearWing = 23;
    slot.carBlock.setup.finalDrive = 4321;
    CopyFixedString(slot.carBlock.colours.name, "Green", 16);
    uint32_t key[4];
    MakePlayerBlockKey(slot.descriptor, 77, key);

    platform::MakeFolder("data");
    platform::MakeFolder("data/spr");
    DataFile first;
    CreateDataFile(first, nullptr, "data\\spr\\first.bin", "QVNSPR", 251);
    WritePlayerRecord(slot, first, PlayerRecordReplayFirst, nullptr);
    ASSERT_EQ(CloseDataFile(first), 1);
    EXPECT_EQ(SetupsDiffer(slot.savedSetup, slot.carBlock.setup), 0);
    slot.carBlock.setup.rearWing = 1;  // changed after the first write: the kept one is written

    DataFile final;
    CreateDataFile(final, nullptr, "data\\spr\\final.bin", "QVNSPR", 251);
    WritePlayerRecord(slot, final, PlayerRecordReplayFinal, key);
    ASSERT_EQ(CloseDataFile(final), 1);

    const std::string firstBytes = folder.ReadFile("data/spr/first.bin");
    const std::string finalBytes = folder.ReadFile("data/spr/final.bin");
    ASSERT_EQ(firstBytes.size(), 8u + PlayerEntrySize);
    ASSERT_EQ(finalBytes.size(), 8u + PlayerEntrySize - PlayerEntrySetupOffset);
    EXPECT_EQ(firstBytes.substr(8 + 92, 120), std::string(120, '\0'));

    // The final header: the first write's first 92 bytes, then the final write.
    std::string header = firstBytes.substr(0, 8 + PlayerEntrySetupOffset) + finalBytes.substr(8);
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, reinterpret_cast<const uint8_t*>(header.data()), header.size(), version);
    RacePlayer read;
    ReadPlayerRecord(read, reader, version, GridEntryLayout, 1, key);
    EXPECT_FALSE(reader.Overran());
    EXPECT_EQ(read.carBlock.setup.rearWing, 23);
    EXPECT_EQ(read.carBlock.setup.finalDrive, 4321);
    EXPECT_STREQ(read.carBlock.colours.name, "Green");
    EXPECT_STREQ(read.descriptor.name, "Recorder");
}

} // namespace
