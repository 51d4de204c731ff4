// Setup streams and setup files: the current form, the older forms still
// read, and the loading of the setup the player has chosen.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "vehicle/local.h"

namespace {

// The nearest whole number (ties to even) held to a byte; anything that is
// not a number gives 0.
uint8_t RoundToByte(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= 255)
        return 255;
    return static_cast<uint8_t>(std::nearbyint(value));
}

uint16_t RoundToWord(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= 65535)
        return 65535;
    return static_cast<uint16_t>(std::nearbyint(value));
}

uint8_t NextByte(DataFile& reader)
{
    return static_cast<uint8_t>(ReadByte(reader));
}

uint16_t NextWord(DataFile& reader)
{
    return static_cast<uint16_t>(ReadShort(reader));
}

void ReadSetupAxle(SetupAxle& a, DataFile& reader, int version, int subVersion)
{
    a.rideHeightReduction = ReadFloat(reader);
    a.spring = ReadFloat(reader);
    a.bumpDamping = ReadFloat(reader);
    a.reboundDamping = ReadFloat(reader);
    a.antiRoll = ReadFloat(reader);
    a.spare = ReadFloat(reader);
    if (subVersion >= 1) {
        a.toe = NextByte(reader);
        a.caster = NextByte(reader);
        a.tyreType = NextByte(reader);
        a.zero27 = NextByte(reader);
    } else {
        // Toe in radians; a step of the byte is 0.005 pi / 9.
        double toe = ReadFloat(reader);
        a.toe = RoundToByte((toe + 0.005 * std::numbers::pi) * 9 / (0.005 * std::numbers::pi));
        a.caster = 0;
        a.zero27 = 0;
    }
    if (subVersion >= 2) {
        a.camberLeft = NextByte(reader);
        a.camberRight = NextByte(reader);
        a.zero30 = NextByte(reader);
        a.preload = NextByte(reader);
    } else {
        double camber = ReadFloat(reader);
        a.camberLeft = a.camberRight = RoundToByte((camber + 0.025 * std::numbers::pi) * 45 / (0.025 * std::numbers::pi));
    }
    if (version >= 250) {
        a.diffType = NextByte(reader);
        a.viscousTorque = NextByte(reader);
        a.powerLocking = NextByte(reader);
        a.coastLocking = NextByte(reader);
    } else {
        // Older cars had a viscous differential only.
        a.viscousTorque = RoundToByte(ReadFloat(reader));
        a.diffType = 2;
        a.powerLocking = a.coastLocking = 25;
    }
    if (subVersion == 0) {
        int tyre = ReadInt(reader);
        a.tyreType = static_cast<uint8_t>(tyre < 0 || tyre > 255 ? 255 : tyre);
    }
    if (subVersion >= 2) {
        a.pressureLeft = NextWord(reader);
        a.pressureRight = NextWord(reader);
    } else {
        // Pascals then, kPa now.
        a.pressureLeft = a.pressureRight = RoundToWord(ReadFloat(reader) * 0.001);
    }
}

void WriteSetupAxle(const SetupAxle& a, DataFile& writer)
{
    WriteFloat(writer, a.rideHeightReduction);
    WriteFloat(writer, a.spring);
    WriteFloat(writer, a.bumpDamping);
    WriteFloat(writer, a.reboundDamping);
    WriteFloat(writer, a.antiRoll);
    WriteFloat(writer, 0);
    const uint8_t bytes[12] = {a.toe,      a.caster,      a.tyreType, a.zero27,
                               a.camberLeft, a.camberRight, a.zero30,  a.preload,
                               a.diffType, a.viscousTorque, a.powerLocking, a.coastLocking};
    WriteBlock(writer, bytes, sizeof bytes);
    WriteShort(writer, a.pressureLeft);
    WriteShort(writer, a.pressureRight);
}

// A name that becomes part of a file name: no folder parts.
bool IsPlainFileName(const char* name)
{
    return name[0] && !std::strpbrk(name, "/\\:") && !std::strstr(name, "..");
}

} // namespace

int ReadSetup(CarSetup& s, DataFile& reader, int version)
{
    int subVersion = 0;
    if (version >= 250) {
        subVersion = ReadByte(reader);
        if (subVersion < 0 || subVersion > SetupSubVersion) {
            LogPrintf("ReadSetup : unknown setup sub-version %d", subVersion);
            return 0;
        }
        for (int i = 0; i < 3; i++)
            ReadByte(reader);
        s.flags = NextByte(reader);
        s.carried1 = NextByte(reader);
        s.addedMassPosition = NextByte(reader);
        s.carried3 = NextByte(reader);
    } else {
        s.flags = s.carried1 = s.addedMassPosition = s.carried3 = 0;
    }
    s.maxBrakeTorque = ReadFloat(reader);
    if (subVersion >= 2) {
        s.rearWing = NextByte(reader);
        s.frontWing = NextByte(reader);
        s.addedMass = NextByte(reader);
        s.intakeRestriction = NextByte(reader);
    } else {
        // Percentages and angles as 16-bit fractions then.
        ReadFloat(reader);
        s.brakeBalance = static_cast<uint8_t>(NextWord(reader) / 655);
        NextWord(reader);
        s.rearWing = static_cast<uint8_t>(NextWord(reader) / 655);
        s.frontWing = static_cast<uint8_t>(NextWord(reader) / 655);
    }
    if (version >= 250) {
        s.maxLock = NextByte(reader);
        s.parallelSteer = NextByte(reader);
        if (subVersion >= 2)
            s.brakeBalance = NextByte(reader);
        else
            ReadByte(reader);
        s.engineBrakeReduction = NextByte(reader);
        s.centreDiff = NextByte(reader);
        s.centreViscous = NextByte(reader);
        s.zero18 = NextByte(reader);
        s.frontTorqueSplit = NextByte(reader);
        s.gears[6] = NextWord(reader);
    } else {
        double lock = ReadFloat(reader);  // radians
        s.maxLock = RoundToByte(lock * 180 / std::numbers::pi);
        s.parallelSteer = RoundToByte(ReadFloat(reader) * 100.0);
        s.centreDiff = 1;
        s.centreViscous = RoundToByte(ReadFloat(reader));
        s.zero18 = 0;
        s.frontTorqueSplit = RoundToByte(ReadShort(reader) * 0.0015259255);
    }
    s.finalDrive = NextWord(reader);
    for (int gear = 0; gear < 6; gear++)
        s.gears[gear] = NextWord(reader);
    s.passengers = NextByte(reader);
    s.bodyOption = NextByte(reader);
    s.tcSlip = NextByte(reader);
    s.tcMinSpeed = NextByte(reader);
    for (SetupAxle& axle : s.axles) {
        ReadSetupAxle(axle, reader, version, subVersion);
        if (!(s.flags & SetupCurrentForm))
            axle.preload = static_cast<uint8_t>((axle.powerLocking + axle.coastLocking) >> 3);
    }
    if (!(s.flags & SetupCurrentForm)) {
        s.addedMassPosition = 50;
        s.flags = static_cast<uint8_t>((s.flags & 3) | SetupCurrentForm);
    }
    ClampSetup(s);
    if (reader.Overran()) {
        LogLine("ReadSetup : setup ends early");
        return 0;
    }
    return 1;
}

int ReadNamedSetup(NamedSetup& named, DataFile& reader, int version)
{
    ReadBlock(reader, named.name, SetupNameLength);
    named.name[SetupNameLength - 1] = 0;
    return ReadSetup(named.setup, reader, version);
}

void WriteSetup(const CarSetup& s, DataFile& writer)
{
    WriteByte(writer, SetupSubVersion);
    const uint8_t zero[3] = {};
    WriteBlock(writer, zero, 3);
    const uint8_t head[4] = {s.flags, s.carried1, s.addedMassPosition, s.carried3};
    WriteBlock(writer, head, 4);
    WriteFloat(writer, s.maxBrakeTorque);
    const uint8_t middle[12] = {s.rearWing,     s.frontWing,     s.addedMass,   s.intakeRestriction,
                                s.maxLock,      s.parallelSteer, s.brakeBalance, s.engineBrakeReduction,
                                s.centreDiff,   s.centreViscous, s.zero18,       s.frontTorqueSplit};
    WriteBlock(writer, middle, sizeof middle);
    WriteShort(writer, s.gears[6]);
    WriteShort(writer, s.finalDrive);
    for (int gear = 0; gear < 6; gear++)
        WriteShort(writer, s.gears[gear]);
    const uint8_t tail[4] = {s.passengers, s.bodyOption, s.tcSlip, s.tcMinSpeed};
    WriteBlock(writer, tail, 4);
    for (const SetupAxle& axle : s.axles)
        WriteSetupAxle(axle, writer);
}

void WriteNamedSetup(const NamedSetup& named, DataFile& writer)
{
    WriteFixedString(writer, named.name, SetupNameLength);
    WriteSetup(named.setup, writer);
}

int SaveSetup(const CarSetup& setup, const char* path)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, path, SetupFileMagic, SetupFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteSetup(setup, writer);
    return CloseDataFile(writer);
}

int LoadSetup(CarSetup& setup, const char* path)
{
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, path, SetupFileMagic, version, SetupFileVersion, false);
    if (!reader.IsOpen())
        return 0;
    if (version < OldestSetupFileVersion) {
        LogPrintf("LoadSetup : version %d too old : %s", version, path);
        GetCarMessageHooks().printLoadError(path);
        return 0;
    }
    // Read into a copy so that a bad file leaves the record as it was.
    CarSetup loaded = setup;
    if (!ReadSetup(loaded, reader, version)) {
        GetCarMessageHooks().printLoadError(path);
        return 0;
    }
    setup = loaded;
    return 1;
}

int LoadCarSetupFile(CarSetup& setup, const char* carCode)
{
    if (MutableChosenSetup.index != -1) {
        setup = {};
        MutableChosenSetup.name[0] = 0;
        return 0;
    }
    if (!carCode) {
        MutableChosenSetup.index = 0;
        MutableChosenSetup.name[0] = 0;
        setup = {};
        return 0;
    }
    char path[96];
    MutableChosenSetup.name[sizeof MutableChosenSetup.name - 1] = 0;
    bool named = IsPlainFileName(MutableChosenSetup.name) && IsPlainFileName(carCode);
    if (named)
        std::snprintf(path, sizeof path, "data\\setups\\%s_%s.set", carCode, MutableChosenSetup.name);
    if (!named || !LoadSetup(setup, path)) {
        if (!named)
            LogPrintf("LoadCarSetupFile : bad setup name : %s", MutableChosenSetup.name);
        MutableChosenSetup.index = 0;
        MutableChosenSetup.name[0] = 0;
        setup = {};
        return 1;
    }
    return 0;
}
