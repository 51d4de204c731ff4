// The local driver's profile "data\misc\<driver name>.ply" and the
// driving-aid flags derived from it.
#include "core/local.h"
#include "core/services.h"

#include <cstdio>
#include <cstring>
#include <string>

// Lives for the whole run; reset by ResetCoreTables.
PlayerProfileRecord MutablePlayerProfile;
const PlayerProfileRecord& PlayerProfile = MutablePlayerProfile;

namespace {

constexpr const char* ProfileMagic = "QVNPLY";
constexpr int ProfileVersion = 7;
constexpr int OldestProfileVersion = 5;
// Validity flags of the file: engine names and lesson progress were
// written by a version that keeps them.
constexpr int ProfileEngineNamesValid = 0x1;
constexpr int ProfileLessonsValid = 0x2;
// English is primary language 9 of the Windows language ids.
constexpr int EnglishPrimaryLanguage = 9;

// The profile file of the driver; empty when no driver name is set or the
// name cannot be a file name.
std::string ProfilePath()
{
    const char* name = Settings.plyName;
    if (!name[0])
        return {};
    for (const char* c = name; *c; ++c)
        if (CharToEscapeLetter(*c))
            return {};
    return std::string("data\\misc\\") + name + ".ply";
}

void SetDefaultCarSettings(CarSettings (&cars)[CarCount])
{
    for (CarSettings& car : cars)
        car = {};
    cars[18].colourChoice = -1;
    CopyFixedString(cars[18].skinName, "Mavrek_NH", sizeof cars[18].skinName);
    cars[19].colourChoice = -1;
    CopyFixedString(cars[19].skinName, "TVK", sizeof cars[19].skinName);
}

// Reads a fixed string of a file into a field and terminates it.
void ReadFixedString(DataFile& reader, char* field, int n)
{
    ReadBlock(reader, field, n);
    field[n - 1] = 0;
}

} // namespace

void SetProfileDefaults()
{
    MutablePlayerProfile.reserved = 0;
    MutablePlayerProfile.driverFigure = 32;
    MutablePlayerProfile.horn = 0;
    std::memset(MutablePlayerProfile.lessonProgress, 0, sizeof MutablePlayerProfile.lessonProgress);
    CopyFixedString(MutablePlayerProfile.helmetSkin, "NQ1_NH", sizeof MutablePlayerProfile.helmetSkin);
    SetDefaultCarSettings(MutablePlayerProfile.cars);
    std::memset(MutablePlayerProfile.numberPlate, 0, sizeof MutablePlayerProfile.numberPlate);
}

void SetRegionalDefaults()
{
    int regional = (GetUserDefaultLanguageId() & 0x3FF) != EnglishPrimaryLanguage ? 1 : 0;
    MutablePlayerProfile.driverPosition = regional;
    MutablePlayerProfile.speedDisplay = regional;
    MutablePlayerProfile.pressureDisplay = regional;
}

int LoadProfile(bool useDefaults)
{
    std::string path = ProfilePath();
    DataFile reader;
    int version = 0;
    if (!path.empty())
        LoadDataFile(reader, nullptr, path, ProfileMagic, version, ProfileVersion, false);
    if (reader.IsOpen() && version < OldestProfileVersion)
        CloseDataFile(reader);
    if (!reader.IsOpen()) {
        if (useDefaults)
            SetProfileDefaults();
        return 0;
    }

    // Read into a copy, so a short file leaves the profile as it was.
    PlayerProfileRecord profile = MutablePlayerProfile;
    profile.reserved = ReadInt(reader);
    profile.driverFigure = ReadInt(reader);
    profile.horn = ReadByte(reader);
    profile.driverPosition = ReadByte(reader);
    profile.gearShiftMode = ReadByte(reader);
    profile.autoGearShift = ReadByte(reader);
    profile.autoClutchSequential = ReadByte(reader);
    profile.autoClutchHPatternSequential = ReadByte(reader);
    profile.autoClutchHPatternShifter = ReadByte(reader);
    for (int i = 0; i < 5; ++i)
        ReadByte(reader);
    if (version < 7) {
        // Older versions kept these options differently; they restart from
        // their usual values.
        profile.autoClutchSequential = 1;
        profile.autoClutchHPatternSequential = 1;
        profile.autoClutchHPatternShifter = 0;
    }
    profile.brakeHelpKeyboard = ReadByte(reader);
    profile.brakeHelpController = ReadByte(reader);
    profile.speedDisplay = ReadByte(reader);
    profile.pressureDisplay = ReadByte(reader);
    ReadBlock(reader, profile.lessonProgress, LessonProgressSize);
    int flags = ReadInt(reader);
    if (version < 6)
        flags = 0;
    if (!(flags & ProfileLessonsValid))
        std::memset(profile.lessonProgress, 0, sizeof profile.lessonProgress);
    ReadFixedString(reader, profile.helmetSkin, sizeof profile.helmetSkin);
    ReadBlock(reader, profile.numberPlate, sizeof profile.numberPlate);

    int count = ReadByte(reader);
    for (int i = 0; i < 3; ++i)
        ReadByte(reader);
    for (int i = 0; i < count && !reader.Overran(); ++i) {
        CarSettings car;
        car.colourChoice = ReadInt(reader);
        ReadFixedString(reader, car.skinName, sizeof car.skinName);
        if (version >= 6)
            ReadFixedString(reader, car.engineName, sizeof car.engineName);
        if (!(flags & ProfileEngineNamesValid))
            ClearCarEngineName(car);
        if (i < CarCount)
            profile.cars[i] = car;
    }
    bool complete = !reader.Overran();
    CloseDataFile(reader);
    if (!complete) {
        LogPrintf("LoadProfile : file ends early : %s", path.c_str());
        if (useDefaults)
            SetProfileDefaults();
        return 0;
    }
    MutablePlayerProfile = profile;
    return 1;
}

int SaveProfile()
{
    std::string path = ProfilePath();
    if (path.empty())
        return 0;
    DataFile writer;
    CreateDataFile(writer, nullptr, path, ProfileMagic, ProfileVersion);
    if (!writer.IsOpen())
        return 0;
    const PlayerProfileRecord& profile = MutablePlayerProfile;
    WriteInt(writer, profile.reserved);
    WriteInt(writer, profile.driverFigure);
    WriteByte(writer, profile.horn);
    WriteByte(writer, profile.driverPosition);
    WriteByte(writer, profile.gearShiftMode);
    WriteByte(writer, profile.autoGearShift);
    WriteByte(writer, profile.autoClutchSequential);
    WriteByte(writer, profile.autoClutchHPatternSequential);
    WriteByte(writer, profile.autoClutchHPatternShifter);
    for (int i = 0; i < 5; ++i)
        WriteByte(writer, 0);
    WriteByte(writer, profile.brakeHelpKeyboard);
    WriteByte(writer, profile.brakeHelpController);
    WriteByte(writer, profile.speedDisplay);
    WriteByte(writer, profile.pressureDisplay);
    WriteBlock(writer, profile.lessonProgress, LessonProgressSize);
    WriteInt(writer, ProfileEngineNamesValid | ProfileLessonsValid);
    WriteFixedString(writer, profile.helmetSkin, sizeof profile.helmetSkin);
    WriteBlock(writer, profile.numberPlate, sizeof profile.numberPlate);
    WriteByte(writer, CarCount);
    for (int i = 0; i < 3; ++i)
        WriteByte(writer, 0);
    for (const CarSettings& car : profile.cars) {
        WriteInt(writer, car.colourChoice);
        WriteFixedString(writer, car.skinName, sizeof car.skinName);
        WriteFixedString(writer, car.engineName, sizeof car.engineName);
    }
    return CloseDataFile(writer);
}

const CarSettings* GetCurrentCarSettings()
{
    int car = FindCarByName(Settings.selectedCar);
    return car >= 0 ? &MutablePlayerProfile.cars[car] : nullptr;
}

const CarSettings* GetCarSettings(const char* shortCode)
{
    int car = FindCarByCode(shortCode);
    return car >= 0 ? &MutablePlayerProfile.cars[car] : nullptr;
}

void ClearCarColourChoice(CarSettings& record)
{
    record.colourChoice = 0;
    std::memset(record.skinName, 0, sizeof record.skinName);
}

void ClearCarEngineName(CarSettings& record) { std::memset(record.engineName, 0, sizeof record.engineName); }

void ClearCarEngineChoice(const char* shortCode)
{
    int car = FindCarByCode(shortCode);
    if (car >= 0)
        ClearCarEngineName(MutablePlayerProfile.cars[car]);
}

void SetPlayerProfile(const PlayerProfileRecord& profile) { MutablePlayerProfile = profile; }

int GetAssistFlags(int gearboxKind)
{
    const PlayerProfileRecord& profile = MutablePlayerProfile;
    int flags = Settings.driverPosView ? AssistDriverPosView : 0;
    bool controller = Settings.controlType == 1;
    bool autoGears = controller ? profile.gearShiftMode == 0 : profile.autoGearShift != 0;
    int clutchAid = 0;
    if (autoGears) {
        flags |= AssistAutoClutch | AssistAutoGears;
    } else if (gearboxKind == 1) {
        if (controller && profile.gearShiftMode > 1) {
            flags |= AssistHShifter;
            clutchAid = profile.autoClutchHPatternShifter;
        } else {
            clutchAid = profile.autoClutchHPatternSequential;
        }
    } else if (gearboxKind >= 2 && gearboxKind <= 4) {
        clutchAid = profile.autoClutchSequential;
    } else {
        flags |= AssistAutoClutch;
    }
    if (clutchAid)
        flags |= AssistAutoClutch;
    if (!(flags & AssistAutoClutch) && Settings.controlType != 0 && GetSettingsHooks().clutchControlMode() == 0)
        flags |= AssistClutchAxis;
    int brakeHelp = Settings.controlType == 0 ? profile.brakeHelpKeyboard : profile.brakeHelpController;
    if (brakeHelp)
        flags |= AssistBrakeHelp;
    return flags;
}
