// The driver profile against files of an independent Python struct script,
// the driving-aid flags and the user table.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/local.h"
#include "core/services.h"
#include "support/temp_folder.h"

namespace {

// Runs tests/core/profile_reference.py with the arguments; its exit code.
int RunProfileReference(const std::string& arguments)
{
    std::string command = std::string(QV_PYTHON) + " " + QV_SOURCE_DIR +
                          "/tests/core/profile_reference.py " + arguments;
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        folder.WriteFile("data/misc/placeholder", "");
        std::strcpy(MutableSettings.plyName, "Driver");
        SetProfileDefaults();
    }
    void TearDown() override { ResetCoreTables(); }

    // Writes the reference profile of the Python script as "data/misc/<name>.ply".
    void WriteReference(int version, int cars = 20, const std::string& name = "Driver")
    {
        ASSERT_EQ(RunProfileReference("write " + std::to_string(version) + " data/misc/" + name + ".ply " +
                                      std::to_string(cars)),
                  0);
    }

    TempFolder folder;
};

// The reference values of profile_reference.py.
void ExpectReferenceOptions(const PlayerProfileRecord& p)
{
    EXPECT_EQ(p.reserved, 0x12345678);
    EXPECT_EQ(p.driverFigure, 7);
    EXPECT_EQ(p.horn, 3);
    EXPECT_EQ(p.driverPosition, 1);
    EXPECT_EQ(p.gearShiftMode, 2);
    EXPECT_EQ(p.autoGearShift, 0);
    EXPECT_EQ(p.brakeHelpKeyboard, 0);
    EXPECT_EQ(p.brakeHelpController, 1);
    EXPECT_EQ(p.speedDisplay, 1);
    EXPECT_EQ(p.pressureDisplay, 0);
    EXPECT_STREQ(p.helmetSkin, "HelmetSkin_1");
    EXPECT_EQ(std::string(p.numberPlate, 8), "AB-12CDE");
}

uint8_t ReferenceLesson(int i) { return static_cast<uint8_t>((i * 7 + 1) % 256); }

TEST_F(ProfileTest, ReferenceFilesOfEveryVersionLoad)
{
    struct Case {
        int version;
        int cars;
        bool engineNames;   // kept from the file
        bool lessons;       // kept from the file
        int clutch[3];      // the three auto-clutch options after loading
    };
    const Case cases[] = {
        {7, 20, true, true, {0, 0, 1}},
        {6, 20, true, true, {1, 1, 0}},
        {5, 20, false, false, {1, 1, 0}},
        {7, 25, true, true, {0, 0, 1}},   // only the first 20 records are kept
        {7, 3, true, true, {0, 0, 1}},    // records beyond the file keep their values
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version) + ", cars " + std::to_string(c.cars));
        SetProfileDefaults();
        std::strcpy(MutablePlayerProfile.cars[10].engineName, "Before");
        WriteReference(c.version, c.cars);
        ASSERT_EQ(LoadProfile(true), 1);
        const PlayerProfileRecord& p = PlayerProfile;
        ExpectReferenceOptions(p);
        EXPECT_EQ(p.autoClutchSequential, c.clutch[0]);
        EXPECT_EQ(p.autoClutchHPatternSequential, c.clutch[1]);
        EXPECT_EQ(p.autoClutchHPatternShifter, c.clutch[2]);
        for (int i = 0; i < LessonProgressSize; ++i)
            ASSERT_EQ(p.lessonProgress[i], c.lessons ? ReferenceLesson(i) : 0) << i;
        for (int i = 0; i < CarCount; ++i) {
            SCOPED_TRACE("car " + std::to_string(i));
            const CarSettings& car = p.cars[i];
            if (i >= c.cars) {
                EXPECT_EQ(car.colourChoice, i >= 18 ? -1 : 0);
                EXPECT_STREQ(car.engineName, i == 10 ? "Before" : "");
                continue;
            }
            EXPECT_EQ(car.colourChoice, i - 5);
            EXPECT_EQ(std::string(car.skinName), "Skin" + std::to_string(i));
            char engine[16];
            std::snprintf(engine, sizeof engine, "Engine_%02d", i);
            EXPECT_STREQ(car.engineName, c.engineNames ? engine : "");
        }
    }
}

TEST_F(ProfileTest, SavedProfileDecodesWithTheReferenceScript)
{
    WriteReference(7);
    ASSERT_EQ(LoadProfile(true), 1);
    std::strcpy(MutableSettings.plyName, "Saved");
    ASSERT_EQ(SaveProfile(), 1);
    EXPECT_EQ(RunProfileReference("check data/misc/Saved.ply"), 0);
    // Loading the saved file gives the same profile back.
    PlayerProfileRecord saved = PlayerProfile;
    MutablePlayerProfile = {};
    ASSERT_EQ(LoadProfile(false), 1);
    EXPECT_EQ(std::memcmp(&saved.lessonProgress, &PlayerProfile.lessonProgress, LessonProgressSize), 0);
    ExpectReferenceOptions(PlayerProfile);
    EXPECT_EQ(MutablePlayerProfile.autoClutchHPatternShifter, 1);
    EXPECT_STREQ(MutablePlayerProfile.cars[19].engineName, "Engine_19");
}

TEST_F(ProfileTest, ProfilesThatCannotBeReadLeaveDefaultsOrTheProfile)
{
    WriteReference(7, 20, "Good");
    std::string good = folder.ReadFile("data/misc/Good.ply");
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file
    };
    std::string version4 = good;
    version4[7] = 4;
    std::string version8 = good;
    version8[7] = 8;
    std::string foreign = good;
    foreign[5] = 'X';
    const Case cases[] = {
        {"missing", ""},
        {"version 4", version4},
        {"version 8", version8},
        {"foreign magic", foreign},
        {"ends inside the car records", good.substr(0, 1000)},
        {"ends inside the options", good.substr(0, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove("data/misc/Driver.ply");
        if (!c.bytes.empty())
            folder.WriteFile("data/misc/Driver.ply", c.bytes);

        SetProfileDefaults();
        MutablePlayerProfile.driverFigure = 5;
        MutablePlayerProfile.autoGearShift = 0;
        EXPECT_EQ(LoadProfile(false), 0);
        EXPECT_EQ(MutablePlayerProfile.driverFigure, 5);

        EXPECT_EQ(LoadProfile(true), 0);
        EXPECT_EQ(MutablePlayerProfile.driverFigure, 32);
        EXPECT_STREQ(MutablePlayerProfile.helmetSkin, "NQ1_NH");
        EXPECT_EQ(MutablePlayerProfile.cars[18].colourChoice, -1);
        EXPECT_STREQ(MutablePlayerProfile.cars[18].skinName, "Mavrek_NH");
        EXPECT_STREQ(MutablePlayerProfile.cars[19].skinName, "TVK");
        EXPECT_EQ(MutablePlayerProfile.autoGearShift, 0);  // not a default of a new driver
    }
}

// Driver names become file names: a name that is not one plain file name
// in the profile folder is neither loaded nor saved.
TEST_F(ProfileTest, DriverNamesThatLeaveTheFolderAreRefused)
{
    WriteReference(7, 20, "Good");
    for (const char* name : {"../misc/Good", "..\\misc\\Good", "a:b", ""}) {
        SCOPED_TRACE(name);
        std::strcpy(MutableSettings.plyName, name);
        EXPECT_EQ(LoadProfile(true), 0);
        EXPECT_EQ(SaveProfile(), 0);
    }
    std::strcpy(MutableSettings.plyName, "good");  // names match without regard to case
    EXPECT_EQ(LoadProfile(true), 1);
}

TEST_F(ProfileTest, CarRecordsByChosenCarAndByCode)
{
    std::strcpy(MutableSettings.selectedCar, "formula kt02");
    ASSERT_EQ(GetCurrentCarSettings(), &PlayerProfile.cars[19]);
    EXPECT_EQ(GetCarSettings("wqg"), &PlayerProfile.cars[0]);
    EXPECT_EQ(GetCarSettings("XXX"), nullptr);
    std::strcpy(MutableSettings.selectedCar, "NO SUCH CAR");
    EXPECT_EQ(GetCurrentCarSettings(), nullptr);

    CarSettings& car = MutablePlayerProfile.cars[19];
    std::strcpy(car.engineName, "loud");
    ClearCarColourChoice(car);
    EXPECT_EQ(car.colourChoice, 0);
    EXPECT_STREQ(car.skinName, "");
    EXPECT_STREQ(car.engineName, "loud");
    ClearCarEngineName(car);
    EXPECT_STREQ(car.engineName, "");
}

TEST_F(ProfileTest, RegionalDefaultsFollowTheUserLanguage)
{
    for (int id : {0x409, 0x809, 0x407, 0x411}) {
        SCOPED_TRACE(id);
        OverrideUserLanguageId(id);
        SetRegionalDefaults();
        int expected = (id & 0x3FF) == 9 ? 0 : 1;
        EXPECT_EQ(MutablePlayerProfile.driverPosition, expected);
        EXPECT_EQ(MutablePlayerProfile.speedDisplay, expected);
        EXPECT_EQ(MutablePlayerProfile.pressureDisplay, expected);
    }
    OverrideUserLanguageId(-1);
}

TEST_F(ProfileTest, AssistFlagsFromProfileAndControls)
{
    struct Case {
        int gearbox;
        int controlType;
        int gearShiftMode;
        int autoGearShift;
        int clutch[3];       // sequential, H-pattern sequential, H-pattern shifter
        int brakeHelp[2];    // keyboard, controller
        int driverPosView;
        int clutchMode;      // 0 clutch on an axis
        int expected;
    };
    const Case cases[] = {
        // Keyboard: automatic gears take the automatic clutch.
        {1, 0, 1, 1, {0, 0, 0}, {0, 0}, 0, 0, 0x208},
        {1, 0, 1, 1, {0, 0, 0}, {1, 0}, 1, 0, 0x2248},
        // H-pattern driven sequentially: its own clutch aid.
        {1, 0, 1, 0, {0, 1, 0}, {0, 0}, 0, 0, 0x200},
        {1, 0, 1, 0, {1, 0, 1}, {0, 0}, 0, 0, 0x0},
        // Controller with a shifter on an H-pattern gearbox.
        {1, 1, 2, 1, {0, 0, 0}, {0, 0}, 0, 0, 0x90},
        {1, 1, 2, 1, {0, 0, 1}, {0, 1}, 0, 0, 0x250},
        {1, 1, 2, 1, {0, 0, 0}, {0, 0}, 0, 1, 0x10},
        // Controller in automatic mode; sequential gearboxes.
        {3, 1, 0, 0, {0, 0, 0}, {0, 0}, 0, 0, 0x208},
        {2, 1, 1, 1, {1, 0, 0}, {0, 0}, 0, 0, 0x200},
        {4, 1, 1, 1, {0, 1, 1}, {0, 0}, 0, 0, 0x80},
        // Paddle shift always has the automatic clutch.
        {5, 0, 1, 0, {0, 0, 0}, {0, 0}, 0, 0, 0x200},
        {5, 0, 1, 0, {0, 0, 0}, {1, 0}, 1, 0, 0x2240},
    };
    // The controls' clutch setting as the devices would report it.
    static int ClutchMode = 1;
    SettingsHooks hooks;
    hooks.clutchControlMode = [] { return ClutchMode; };
    SetSettingsHooks(hooks);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "gearbox " << c.gearbox << " control " << c.controlType
                                          << " expected 0x" << std::hex << c.expected);
        MutableSettings.controlType = c.controlType;
        MutableSettings.driverPosView = c.driverPosView;
        ClutchMode = c.clutchMode;
        MutablePlayerProfile.gearShiftMode = c.gearShiftMode;
        MutablePlayerProfile.autoGearShift = c.autoGearShift;
        MutablePlayerProfile.autoClutchSequential = c.clutch[0];
        MutablePlayerProfile.autoClutchHPatternSequential = c.clutch[1];
        MutablePlayerProfile.autoClutchHPatternShifter = c.clutch[2];
        MutablePlayerProfile.brakeHelpKeyboard = c.brakeHelp[0];
        MutablePlayerProfile.brakeHelpController = c.brakeHelp[1];
        EXPECT_EQ(GetAssistFlags(c.gearbox), c.expected);
    }
    ResetCoreHooks();
}

std::vector<int32_t> UserIds()
{
    std::vector<int32_t> ids;
    for (const UserRecord& record : UserTable.records)
        ids.push_back(record.userId);
    return ids;
}

// The user table file: header, count, 0, then 32-byte records.
std::string UserTableFile(int32_t count, const std::vector<std::pair<int32_t, std::string>>& users)
{
    std::string bytes = std::string("QVNUSR") + '\0' + '\0';
    auto put = [&](int32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    };
    put(count);
    put(0);
    for (const auto& [id, name] : users) {
        put(id);
        put(0);
        std::string field = name;
        field.resize(24, '\0');
        bytes += field;
    }
    return bytes;
}

TEST_F(ProfileTest, UserTableKeepsIdOrderAndSavesOnlyWhenChanged)
{
    LoadUserTable();
    EXPECT_TRUE(UserTable.records.empty());
    EXPECT_EQ(UserTable.capacity, 64);
    EXPECT_EQ(SaveUserTable(), 0);  // nothing to save

    for (int32_t id : {5, 3, 9, -7, 5, INT32_MIN, INT32_MAX})
        AddUser(id, ("user" + std::to_string(id)).c_str());
    EXPECT_EQ(UserIds(), (std::vector<int32_t>{INT32_MIN, -7, 3, 5, 5, 9, INT32_MAX}));
    EXPECT_EQ(FindUser(4), nullptr);
    ASSERT_NE(FindUser(-7), nullptr);
    EXPECT_STREQ(FindUser(-7)->name, "user-7");
    // A later equal id goes after the earlier one.
    EXPECT_STREQ(UserTable.records[3].name, "user5");
    EXPECT_STREQ(UserTable.records[4].name, "user5");

    ASSERT_EQ(SaveUserTable(), 1);
    std::string expected = UserTableFile(7, {{INT32_MIN, "user-2147483648"}, {-7, "user-7"}, {3, "user3"},
                                             {5, "user5"}, {5, "user5"}, {9, "user9"},
                                             {INT32_MAX, "user2147483647"}});
    EXPECT_EQ(folder.ReadFile("data/misc/usr.bin"), expected);
    EXPECT_EQ(SaveUserTable(), 0);  // unchanged since

    LoadUserTable();
    EXPECT_EQ(UserIds(), (std::vector<int32_t>{INT32_MIN, -7, 3, 5, 5, 9, INT32_MAX}));
    EXPECT_EQ(UserTable.capacity, 7 + 64);
}

// The count in the file is checked against the records the file holds.
TEST_F(ProfileTest, UserTableRefusesCountsTheFileDoesNotHold)
{
    std::vector<std::pair<int32_t, std::string>> two = {{1, "one"}, {2, "two"}};
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<int32_t> ids;
    };
    const Case cases[] = {
        {"count matches", UserTableFile(2, two), {1, 2}},
        {"fewer than stored", UserTableFile(1, two), {1}},
        {"more than stored", UserTableFile(3, two), {}},
        {"negative", UserTableFile(-1, two), {}},
        {"huge", UserTableFile(0x7FFFFFFF, two), {}},
        {"cut inside the header", UserTableFile(2, two).substr(0, 12), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.WriteFile("data/misc/usr.bin", c.bytes);
        LoadUserTable();
        EXPECT_EQ(UserIds(), c.ids);
        EXPECT_EQ(UserTable.capacity, static_cast<int>(c.ids.size()) + 64);
    }
}

// Filling the table saves it; a save that fails keeps every name.
TEST_F(ProfileTest, UserTableGrowsWithoutLosingNamesWhenTheSaveFails)
{
    LoadUserTable();
    // A folder in place of the file makes every save fail.
    folder.WriteFile("data/misc/usr.bin/blocked", "");
    for (int id = 0; id < 200; ++id)
        AddUser(id * 3 % 200, "name");
    EXPECT_EQ(UserTable.records.size(), 200u);
    for (int id = 0; id < 200; ++id)
        ASSERT_NE(FindUser(id), nullptr) << id;
    EXPECT_TRUE(UserTable.changed);

    // With the file writable again, reaching the capacity saves the table.
    std::remove("data/misc/usr.bin/blocked");
    std::remove("data/misc/usr.bin");
    int capacity = UserTable.capacity;
    for (int id = 200; static_cast<int>(UserTable.records.size()) < capacity; ++id)
        AddUser(id, "more");
    EXPECT_FALSE(UserTable.changed);
    LoadUserTable();
    EXPECT_EQ(static_cast<int>(UserTable.records.size()), capacity);
}

} // namespace
