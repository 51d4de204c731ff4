// The car data writer: the items of a car data file in the order its reader
// (car_data.cpp) takes them. The file begins with six zero bytes where other
// data files carry their kind's name, then the version.
#include <cstdio>
#include <string_view>

#include "vehicle/car_data_file.h"
#include "vehicle/local.h"

namespace {

// The car data header's six zero bytes.
constexpr std::string_view CarDataMagic("\0\0\0\0\0\0", 6);

int RefuseSave(const char* what, const char* path)
{
    LogPrintf("SaveCarData : %s : %s", what, path);
    return 0;
}

// Why the reader would refuse the contents, or nullptr when it accepts
// them.
const char* CheckCounts(const CarDataContents& c)
{
    if (c.setups.size() > size_t(MaxCarSetups))
        return "too many setups";
    if (c.colours.size() > size_t(MaxCarColours))
        return "too many colour configurations";
    if (c.options.size() > size_t(MaxBodyOptions))
        return "too many body options";
    if (c.dashboardLayout.size() > size_t(DashboardLayoutSize))
        return "dashboard layout longer than 80 bytes";
    if (c.structurePoints.size() > size_t(MaxStructurePoints) || c.structureBars.size() > size_t(MaxStructureBars))
        return "too large a structure";
    if (c.wheelPositions.empty() || c.wheelPositions.size() > size_t(MaxCarWheels))
        return "bad wheel count";
    if (!c.writeBodyModel)
        return "no body model";
    return nullptr;
}

void WriteVec3(DataFile& w, const Vec3& v)
{
    WriteFloat(w, v.x);
    WriteFloat(w, v.y);
    WriteFloat(w, v.z);
}

void WriteCount(DataFile& w, size_t count)
{
    WriteInt(w, static_cast<int>(count));
}

// Class, drive, gearbox, engine, built-in setups and colours, body options,
// positions, steering, fuel, gear timings, traction control, dashboard, the
// car's code and its wing limits: what a header-only read takes.
void WriteCarDataHead(DataFile& w, const CarDataContents& c)
{
    WriteInt(w, c.flags);
    WriteInt(w, c.carClass);
    WriteInt(w, c.gearboxKind);
    WriteByte(w, c.driveAxles);
    const uint8_t reserved[7] = {};
    WriteBlock(w, reserved, sizeof reserved);
    WriteEngineHeader(w, c.engine);
    WriteCount(w, c.setups.size());
    for (const NamedSetup& named : c.setups)
        WriteNamedSetup(named, w);
    WriteCount(w, c.colours.size());
    for (const ColourConfig& colour : c.colours)
        WriteColourConfig(colour, w);
    WriteInt(w, 0);  // reserved
    WriteCount(w, c.options.size());
    for (const BodyOption& option : c.options) {
        WriteFixedString(w, option.name, sizeof option.name);
        WriteInt(w, option.value);
    }
    WriteVec3(w, c.enginePosition);
    WriteVec3(w, c.driverSeat);
    if (c.flags & CarDataRearSeats)
        WriteVec3(w, c.rearSeat);
    WriteVec3(w, c.fuelTankPosition);
    WriteVec3(w, c.extraMassPosition);
    WriteFloat(w, c.extraMass);
    WriteVec3(w, c.spareWheelPosition);
    WriteFloat(w, c.spareWheelAngle);
    WriteFloat(w, c.steeringRatio);
    WriteFloat(w, c.steeringValues[0]);
    WriteFloat(w, c.steeringValues[1]);
    if (c.flags & CarDataFrontHubLead)
        WriteFloat(w, c.frontHubLead);
    if (c.flags & CarDataFuelCapacity)
        WriteFloat(w, c.fuelCapacity);
    for (float timing : c.gearTimings)
        WriteFloat(w, timing);
    WriteInt(w, c.tractionControl);
    if (c.tractionControl) {
        WriteInt(w, c.tractionValues[0]);
        WriteInt(w, c.tractionValues[1]);
    }
    WriteByte(w, c.dashboardType);
    WriteByte(w, static_cast<int>(c.dashboardLayout.size()));
    WriteByte(w, c.dashboardBytes[0]);
    WriteByte(w, c.dashboardBytes[1]);
    WriteBlock(w, c.dashboardLayout.data(), static_cast<int>(c.dashboardLayout.size()));
    WritePadding(w, 8);  // reserved: two zero words
    WriteFixedString(w, c.shortCode, sizeof c.shortCode);
    WriteBlock(w, c.wingLimits, sizeof c.wingLimits);
}

void WriteStructure(DataFile& w, const CarDataContents& c)
{
    WriteCount(w, c.structurePoints.size());
    for (const StructurePoint& p : c.structurePoints) {
        WriteInt(w, p.x);
        WriteInt(w, p.y);
        WriteInt(w, p.z);
        WriteFloat(w, p.value);
        WriteShort(w, p.kind);
        WriteByte(w, p.flagA);
        WriteByte(w, p.flagB);
    }
    WriteCount(w, c.structureBars.size());
    for (const StructureBar& b : c.structureBars) {
        WriteShort(w, b.pointA);
        WriteShort(w, b.pointB);
        WriteFloat(w, (b.flags & StructureBarRawFlag) ? b.rawValue : b.value);
        WriteInt(w, b.flags);
    }
}

// Gears, the driver's movements, the lamps' colours, the family, the
// structure, wheels, axles, body model and aero points.
int WriteCarDataBody(DataFile& w, const CarDataContents& c)
{
    WriteInt(w, c.gearCount);
    WriteFloat(w, c.reverseRatio);
    WriteFixedString(w, c.driverMovement, sizeof c.driverMovement);
    for (const ColourRecord& colour : c.lightColours) {
        WriteByte(w, colour.r);
        WriteByte(w, colour.g);
        WriteByte(w, colour.b);
        WriteByte(w, colour.flags);
    }
    WriteFixedString(w, c.familyCode, sizeof c.familyCode);
    WriteStructure(w, c);
    WriteCount(w, c.wheelPositions.size());
    for (const Vec3& position : c.wheelPositions)
        WriteVec3(w, position);
    WriteCarDataAxle(w, c.axles[0]);
    WriteCarDataAxle(w, c.axles[1]);
    WriteInt(w, c.modelFlags);
    if (!c.writeBodyModel(w))
        return 0;
    for (const CarDataAeroPoint& point : c.aero) {
        WriteFloat(w, point.liftFactor);
        WriteFloat(w, point.dragFactor);
        WriteFloat(w, point.sideDrag);
    }
    return 1;
}

} // namespace

int SaveCarData(const CarDataContents& contents, const char* path)
{
    if (const char* refused = CheckCounts(contents))
        return RefuseSave(refused, path);
    DataFile writer;
    CreateDataFile(writer, nullptr, path, CarDataMagic, CarDataVersion);
    if (!writer.IsOpen())
        return 0;
    WriteCarDataHead(writer, contents);
    if (!WriteCarDataBody(writer, contents)) {
        RefuseSave("the body model could not be written", path);
        return 0;  // the writer closes unsaved: the old file stays
    }
    return CloseDataFile(writer);
}
