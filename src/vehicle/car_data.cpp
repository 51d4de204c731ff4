// Car data files "data\veh\<code>.veh": the car's class, drive, gearbox,
// engine description, built-in setups and colours, positions, structure,
// wheels, axles, body model and aero points, read into a car object with
// its setup and colours chosen. Every count is checked against its table
// and the bytes left before anything is allocated.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "vehicle/local.h"

namespace {

// A count read from the file: within 0..max and, at minBytes each, within
// the bytes left.
bool CountFits(const DataFile& reader, int count, int max, long minBytes)
{
    return count <= max && !reader.Overran() && DataFileHolds(reader, count, minBytes);
}

int Refuse(const char* what, const char* carName)
{
    LogPrintf("ReadCarData : %s : %s", what, carName ? carName : "");
    return 0;
}

Vec3 ReadVector(DataFile& reader)
{
    Vec3 v;
    v.x = ReadFloat(reader);
    v.y = ReadFloat(reader);
    v.z = ReadFloat(reader);
    return v;
}

const uint8_t DefaultDashboard[DashboardLayoutSize] = {
    0,   0,   0,  0,  100, 115, 27, 18, 133, 109, 96, 90, 100, 10, 0,  0,
    150, 130, 6,  0,  140, 140, 6,  0,  160, 130, 6,  0,  150, 140, 6,  0,
    170, 130, 6,  0,  130, 130, 6,  0,  180, 130, 6,  0,  160, 140, 6,  0,
    140, 130, 6,  0,  0,   0,   0,  0,  0,   0,   0,  0,  0,   0,   0,  0,
    64,  33,  30, 45, 156, 42,  22, 33, 100, 75,  8,  12, 156, 98,  16, 24,
};

// The car's collision shell: the contact points and faces of its body
// model's lowest level of detail, the hull the data builds round the whole
// body, for the parts that the setup's body option shows. A model without a
// usable lowest level leaves the car without a shell, and says why.
void BuildBodyShell(CarObject& car)
{
    FreeBody(car);
    if (!car.data.bodyModel)
        return;
    uint32_t parts = AllBodyParts;
    if (car.data.setup && car.data.setup->bodyOption < car.data.optionCount)
        parts = static_cast<uint32_t>(car.data.options[car.data.setup->bodyOption].value);
    GetCarModelHooks().buildBodyShell(*car.data.bodyModel, car, parts);
}

} // namespace

void SetDefaultDashboard(CarObject& car)
{
    std::memset(car.data.dashboardLayout, 0, sizeof car.data.dashboardLayout);
    if (car.data.dashboardType == 3)
        std::memcpy(car.data.dashboardLayout, DefaultDashboard, sizeof DefaultDashboard);
}

int ReadCarStructure(CarObject& car, DataFile& reader, int /*version*/)
{
    delete[] car.data.structurePoints;
    delete[] car.data.structureBars;
    car.data.structurePoints = nullptr;
    car.data.structureBars = nullptr;
    car.data.structurePointCount = car.data.structureBarCount = 0;
    int points = ReadInt(reader);
    if (!CountFits(reader, points, MaxStructurePoints, 20))
        return Refuse("bad structure point count", car.data.shortCode);
    car.data.structurePoints = new StructurePoint[points > 0 ? points : 1];
    for (int i = 0; i < points; i++)
        ReadStructurePoint(car.data.structurePoints[i], reader);
    car.data.structurePointCount = points;
    int bars = ReadInt(reader);
    if (!CountFits(reader, bars, MaxStructureBars, 12))
        return Refuse("bad structure bar count", car.data.shortCode);
    car.data.structureBars = new StructureBar[bars > 0 ? bars : 1];
    int kept = 0;
    for (int i = 0; i < bars; i++) {
        StructureBar& bar = car.data.structureBars[kept];
        ReadStructureBar(bar, reader);
        if (bar.pointA < 0 && bar.pointB < 0)
            continue;  // a bar between two markers is dropped
        if (bar.pointA >= points || bar.pointB >= points)
            return Refuse("structure bar names a missing point", car.data.shortCode);
        ++kept;
    }
    car.data.structureBarCount = kept;
    return reader.Overran() ? Refuse("structure ends early", car.data.shortCode) : 1;
}

namespace {

// The car's flags, class, gearbox, drive and engine description.
int ReadCarIdentity(CarObject& car, DataFile& reader, int version, const char* carName)
{
    car.data.dataFlags = ReadInt(reader);
    int carClass = ReadInt(reader);
    if (carClass < 0 || carClass >= CarClassCount)
        return Refuse("bad car class", carName);
    int gearbox = ReadInt(reader);
    if (gearbox < 1 || gearbox > 5)
        return Refuse("bad gearbox kind", carName);
    car.data.carClass = carClass;
    car.data.gearboxKind = gearbox;
    car.tuning.driveAxles = static_cast<uint8_t>(ReadByte(reader) & 3);
    for (int i = 0; i < 3; i++)
        ReadByte(reader);
    ReadInt(reader);
    if (!ReadEngine(car.engine, reader, version, car.engine, 1))
        return Refuse("bad engine", carName);
    return 1;
}

// The built-in setups and colour configurations.
int ReadCarSetupsAndColours(CarObject& car, DataFile& reader, int version, const char* carName)
{
    int setups = ReadInt(reader);
    if (!CountFits(reader, setups, MaxCarSetups, SetupNameLength + 4))
        return Refuse("bad setup count", carName);
    delete[] car.data.setups;
    car.data.setups = new NamedSetup[setups > 0 ? setups : 1];
    car.data.setupCount = setups;
    for (int i = 0; i < setups; i++)
        if (!ReadNamedSetup(car.data.setups[i], reader, version))
            return Refuse("bad built-in setup", carName);

    int colours = ReadInt(reader);
    if (!CountFits(reader, colours, MaxCarColours, sizeof(ColourConfig)))
        return Refuse("bad colour count", carName);
    delete[] car.data.colours;
    car.data.colours = new ColourConfig[colours > 0 ? colours : 1];
    car.data.colourCount = colours;
    for (int i = 0; i < colours; i++)
        ReadColourConfig(car.data.colours[i], reader);
    return 1;
}

// The body options, where the masses and seats sit, the steering, the fuel
// capacity, the gear-change durations and the traction control word.
int ReadCarLayout(CarObject& car, DataFile& reader, const char* carName)
{
    ReadInt(reader);
    int options = ReadInt(reader);
    if (!CountFits(reader, options, MaxBodyOptions, 16))
        return Refuse("bad body option count", carName);
    car.data.optionCount = options;
    for (int i = 0; i < options; i++) {
        ReadBlock(reader, car.data.options[i].name, 12);
        car.data.options[i].name[11] = 0;
        car.data.options[i].value = ReadInt(reader);
    }
    car.data.enginePosition = ReadVector(reader);
    car.data.driverSeat = ReadVector(reader);
    car.data.rearSeat = (car.data.dataFlags & CarDataRearSeats) ? ReadVector(reader) : Vec3{};
    car.data.fuelTankPosition = ReadVector(reader);
    car.data.extraMassPosition = ReadVector(reader);
    car.data.extraMass = ReadFloat(reader);
    car.data.spareWheelPosition = ReadVector(reader);
    car.data.spareWheelAngle = ReadFloat(reader);
    car.data.steeringRatio = ReadFloat(reader);
    car.data.steeringValues[0] = ReadFloat(reader);
    car.data.steeringValues[1] = ReadFloat(reader);
    car.data.frontHubLead = (car.data.dataFlags & CarDataFrontHubLead) ? ReadFloat(reader) : 0;
    if (car.data.dataFlags & CarDataFuelCapacity)
        car.data.fuelCapacity = ReadFloat(reader);
    for (float& timing : car.data.gearTimings)
        timing = ReadFloat(reader);
    car.data.tractionControl = ReadInt(reader);
    if (car.data.tractionControl) {
        ReadInt(reader);
        ReadInt(reader);
    }
    return 1;
}

// The dashboard (a default one when the data has none), the short code and
// the wing limits.
int ReadCarDashboard(CarObject& car, DataFile& reader, const char* carName)
{
    car.data.dashboardType = static_cast<uint8_t>(ReadByte(reader));
    car.data.dashboardLength = static_cast<uint8_t>(ReadByte(reader));
    car.data.dashboardBytes[0] = static_cast<uint8_t>(ReadByte(reader));
    car.data.dashboardBytes[1] = static_cast<uint8_t>(ReadByte(reader));
    if (car.data.dashboardLength > DashboardLayoutSize)
        return Refuse("dashboard layout longer than 80 bytes", carName);
    std::memset(car.data.dashboardLayout, 0, sizeof car.data.dashboardLayout);
    if (car.data.dashboardLength == 0) {
        SetDefaultDashboard(car);
    } else {
        ReadBlock(reader, car.data.dashboardLayout, car.data.dashboardLength);
        if (car.data.dashboardType == 3 && car.data.dashboardLayout[78] == 0) {
            car.data.dashboardLayout[76] = 100;
            car.data.dashboardLayout[77] = 53;
            car.data.dashboardLayout[78] = 16;
            car.data.dashboardLayout[79] = 24;
        }
    }
    ReadInt(reader);
    ReadInt(reader);
    ReadBlock(reader, car.data.shortCode, 4);
    car.data.shortCode[3] = 0;
    for (int8_t& limit : car.data.wingLimits)
        limit = static_cast<int8_t>(ReadByte(reader));
    if (reader.Overran())
        return Refuse("car data ends early", carName);
    return 1;
}

// The gear count and reverse ratio, the driver's movement name, the
// gear-change durations of the gearbox kind and the lamp colours.
int ReadCarGearsAndLamps(CarObject& car, DataFile& reader, int version, const char* carName)
{
    car.data.gearCount = ReadInt(reader);
    if (car.data.gearCount < 2 || car.data.gearCount > 9)
        return Refuse("bad gear count", carName);
    car.tuning.gearRatios[0] = ReadFloat(reader);
    ReadBlock(reader, car.data.driverMovement, 8);
    car.data.driverMovement[7] = 0;
    // The gearbox kind decides the gear-change durations.
    SetShiftTimings(car);
    ReadCarLightColours(car, reader, version);
    return 1;
}

// The setup and colours in use: a built-in entry (the first when the index
// is out of range) or the caller's record.
int ChooseSetupAndColours(CarObject& car, const char* carName, int setupIndex, CarSetup* externalSetup,
                          int colourIndex, ColourConfig* externalColours, void* owner)
{
    if (setupIndex == -1) {
        if (!externalSetup)
            return Refuse("no setup given", carName);
        car.data.setup = externalSetup;
    } else {
        if (car.data.setupCount == 0)
            return Refuse("no built-in setup", carName);
        if (setupIndex < 0 || setupIndex >= car.data.setupCount) {
            GetCarMessageHooks().printError(GetText(TX_3a_defsetup));
            setupIndex = 0;
        }
        car.data.setup = &car.data.setups[setupIndex].setup;
    }
    car.data.setupIndex = setupIndex;
    car.data.ownerRecord = owner;
    if (colourIndex == -1) {
        car.data.colour = externalColours;
    } else if (car.data.colourCount > 0) {
        if (colourIndex < 0 || colourIndex >= car.data.colourCount) {
            GetCarMessageHooks().printError(GetText(TX_3a_defcolor));
            colourIndex = 0;
        }
        car.data.colour = &car.data.colours[colourIndex];
    }
    car.data.colourIndex = colourIndex;
    return 1;
}

// The body family: its flag, its shared body model's parts, and the skins.
void ReadCarFamily(CarObject& car, DataFile& reader)
{
    ReadBlock(reader, car.data.familyCode, 4);
    car.data.familyCode[3] = 0;
    const char* family = car.data.familyCode;
    if (std::strcmp(family, "SN") && std::strcmp(family, "DY") && std::strcmp(family, "ZE") &&
        std::strcmp(family, "YA"))
        car.data.dataFlags |= CarDataFamilyParts;
    ObjectModel* familyModel = GetCarBodyObject(family);
    if (familyModel && std::strcmp(family, "SN") && std::strcmp(family, "ZE"))
        GetCarModelHooks().placeFamilyParts(*familyModel);
    GetCarDrawHooks().loadCarSkins(car, familyModel);
}

// The wheels' positions and the two axle blocks; a tyre no taller than its
// rim holds no air and is refused.
int ReadCarWheels(CarObject& car, DataFile& reader, const char* carName)
{
    int wheels = ReadInt(reader);
    if (!CountFits(reader, wheels, MaxCarWheels, 12) || wheels < 1)
        return Refuse("bad wheel count", carName);
    delete[] car.wheels;
    car.wheels = new Wheel[wheels];
    car.wheelCount = wheels;
    for (int i = 0; i < wheels; i++) {
        InitWheel(car.wheels[i]);
        ReadWheelPosition(car.wheels[i], reader);
        car.wheels[i].mountPosition = car.wheels[i].dataPosition;
    }
    for (Axle& axle : car.axles) {
        ReadCarDataAxle(axle, reader);
        axle.tyreModels[0] = axle.tyreModels[1] = nullptr;
    }
    for (const Axle& axle : car.axles) {
        // A tyre no taller than its rim holds no air.
        if (axle.suspensionType < 0 || axle.suspensionType > 5 ||
            !(axle.tyreWidth > 0 && axle.sidewallRatio > 0 && axle.rimRadius > 0 && axle.tyreWidth < 10 &&
              axle.sidewallRatio < 10 && axle.rimRadius < 10))
            return Refuse("bad axle", carName);
    }
    return 1;
}

// The body model, the tables that follow it and the aero points.
int ReadCarBodyModel(CarObject& car, DataFile& reader, int version, const char* carName)
{
    car.data.modelFlags = ReadInt(reader);
    if (reader.Overran())
        return Refuse("car data ends early", carName);
    const CarModelHooks& model = GetCarModelHooks();
    model.freeBodyModel(car.data.bodyModel);
    car.data.bodyModel = model.readBodyModel(reader, version, car.data.shortCode);
    if (!car.data.bodyModel)
        return Refuse("bad body model", carName);
    model.freeModelTables(car.data.modelTables);
    car.data.modelTables = model.readModelTables(reader, version);
    if (!car.data.modelTables)
        return Refuse("bad car model tables", carName);
    for (AeroPoint& point : car.aero) {
        point = {};
        point.liftFactor = ReadFloat(reader);
        point.dragFactor = ReadFloat(reader);
        point.sideDrag = ReadFloat(reader);
        if (!std::isfinite(point.liftFactor) || !std::isfinite(point.dragFactor) || !std::isfinite(point.sideDrag))
            return Refuse("bad aero point", carName);
    }
    if (reader.Overran())
        return Refuse("car data ends early", carName);
    return 1;
}

} // namespace

int ReadCarData(CarObject& car, DataFile& reader, int version, const char* carName, int mirrorDriver,
                int driverAnimation, int setupIndex, CarSetup* externalSetup, int colourIndex,
                ColourConfig* externalColours, void* owner, const char* plateText, int headerOnly)
{
    if (!headerOnly) {
        if (plateText) {
            std::memcpy(car.data.plateText, plateText, strnlen(plateText, sizeof car.data.plateText));
            car.drawing.plateIndex = GetCarDrawHooks().numberPlate(car.data.plateText);
        }
        car.data.mirrorDriver = static_cast<uint8_t>(mirrorDriver & 1);
        car.data.driverAnimation = driverAnimation;
    }
    if (!ReadCarIdentity(car, reader, version, carName) || !ReadCarSetupsAndColours(car, reader, version, carName) ||
        !ReadCarLayout(car, reader, carName) || !ReadCarDashboard(car, reader, carName))
        return 0;
    // A driver sitting in the middle has no mirrored side.
    if (std::fabs(car.data.driverSeat.x) <= 0.2f)
        car.data.mirrorDriver = 0;
    if (headerOnly)
        return 1;
    LoadEngineFile(car.engine, car.data.shortCode);
    if (!ReadCarGearsAndLamps(car, reader, version, carName) ||
        !ChooseSetupAndColours(car, carName, setupIndex, externalSetup, colourIndex, externalColours, owner))
        return 0;
    ReadCarFamily(car, reader);
    if (!ReadCarStructure(car, reader, version) || !ReadCarWheels(car, reader, carName) ||
        !ReadCarBodyModel(car, reader, version, carName))
        return 0;
    BuildBodyShell(car);
    ApplySetup(car, 0);
    ResetCar(car, 0, 0, 1);
    return 1;
}

int LoadCarData(CarObject& car, const char* carCode, int driverAnimation, int setupIndex,
                CarSetup* externalSetup, int colourIndex, ColourConfig* externalColours)
{
    char path[64];
    std::snprintf(path, sizeof path, "data\\veh\\%s.veh", carCode);
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes) || bytes.size() < 8) {
        LogPrintf("LoadCarData : Could not open file : %s", path);
        return 0;
    }
    for (int i = 0; i < 6; i++)
        if (bytes[i] != 0) {
            LogPrintf("LoadCarData : File failed header check : %s", path);
            return 0;
        }
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, bytes.data(), bytes.size(), version);
    if (version > CarDataVersion) {
        LogPrintf("LoadCarData : File was created by a later version : %s", path);
        return 0;
    }
    int ok = ReadCarData(car, reader, version, carCode, 0, driverAnimation, setupIndex, externalSetup,
                         colourIndex, externalColours, nullptr, nullptr, 0);
    CloseDataFile(reader);
    return ok;
}

CarObject* CreateCarFromVeh(const char* carCode)
{
    auto* car = new CarObject;
    ConstructCar(*car);
    char path[64];
    std::snprintf(path, sizeof path, "data\\veh\\%s.veh", carCode);
    std::vector<uint8_t> bytes;
    int ok = 0;
    if (platform::ReadWholeFile(path, bytes) && bytes.size() >= 8) {
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, bytes.data(), bytes.size(), version);
        ok = version <= CarDataVersion &&
             ReadCarData(*car, reader, version, carCode, 0, -1, 0, nullptr, 0, nullptr, nullptr, nullptr, 1);
        CloseDataFile(reader);
    }
    if (!ok) {
        DestroyCar(*car);
        delete car;
        return nullptr;
    }
    return car;
}
