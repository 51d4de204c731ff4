// The scenery object base: the stored record header, the factory that turns
// a type byte into an object, and the trackside camera.
#include "world/local.h"

// Header bytes: type, flags, contact radius, one more; then the mask (with
// its flag) and the position (every type but the surface).
namespace {

constexpr int HeaderBytes = 4;
// Version 250 headers: the configuration word applies forwards and reversed.
constexpr uint8_t OldHeaderForwards = 0x01;
constexpr uint8_t OldHeaderReversed = 0x02;
constexpr uint8_t OldHeaderRadius = 0x80;

bool HasPosition(int type) { return type != ObjectTypeSurface; }

} // namespace

void WorldObject::GetPosition(FixedVector& point, float& heading) const
{
    GetPlainPosition(*this, point, heading);
    if (const float* own = HeadingField())
        heading = *own;
}

void WorldObject::SetPosition(const FixedVector& point, float heading)
{
    x = point.x;
    y = point.y;
    if (float* own = HeadingField())
        *own = heading;
}

void GetPlainPosition(const WorldObject& object, FixedVector& point, float& heading)
{
    point = {object.x, object.y, Fixed(0)};
    heading = 0;
}

void SetBoxToPoint(WorldObject& object)
{
    object.boxMinX = object.boxMaxX = object.x.raw;
    object.boxMinY = object.boxMaxY = object.y.raw;
}

void SetPointBounds(WorldObject& object, int32_t z)
{
    object.flags |= ObjectFlagKept;
    SetBoxToPoint(object);
    object.radius = 0;
    object.centre = MakeFixedVector(object.x.raw, object.y.raw, z);
}

WorldObject* NewWorldObject(int type)
{
    switch (type) {
    case ObjectTypeSolid: return new SolidObject;
    case ObjectTypeInstance: return new InstanceObject;
    case ObjectTypeFigure: return new FigureObject;
    case ObjectTypeSpeedZone: return new SpeedZoneObject;
    case ObjectTypeProfile: return new StripObject;
    case ObjectTypeSurface: return new CurvedSurfaceObject;
    case ObjectTypeCamera: return new CameraObject;
    case ObjectTypeTree: return new TreeObject;
    case ObjectTypeCrowd: return new CrowdObject;
    case ObjectTypeFlag: return new FlagObject;
    case ObjectTypeStartGrid: return new StartGridObject;
    default: return nullptr;
    }
}

WorldObject* CreateWorldObject(RecordReading& in)
{
    DataFile& reader = in.reader;
    if (!in.Fits(1, HeaderBytes))
        return nullptr;
    const int type = ReadByte(reader);
    const int headerFlags = ReadByte(reader);
    uint32_t mask = 0xFFFFFFFFu;
    int radius = 0;
    if (in.version >= 251) {
        radius = ReadByte(reader);
        ReadByte(reader);
        if (headerFlags & ObjectHeaderHasMask)
            mask = static_cast<uint32_t>(ReadInt(reader)) | ConfigZeroBits;
    } else {
        const uint32_t word = static_cast<uint16_t>(ReadShort(reader));
        mask = ConfigZeroBits;
        if (headerFlags & OldHeaderForwards)
            mask |= word;
        if (headerFlags & OldHeaderReversed)
            mask |= word << 16;
        if (headerFlags & OldHeaderRadius) {
            radius = ReadByte(reader);
            for (int i = 0; i < 3; i++)
                ReadByte(reader);
        }
    }
    WorldObject* object = NewWorldObject(type);
    if (!object) {
        in.Fail("an object's type has no class");
        return nullptr;
    }
    if (HasPosition(type)) {
        object->x = Fixed(ReadInt(reader));
        object->y = Fixed(ReadInt(reader));
    }
    object->contactRadius = static_cast<uint8_t>(radius);
    object->configMask = mask;
    object->flags = static_cast<uint8_t>(headerFlags & ObjectFlagKept);
    object->spare[0] = object->spare[1] = 0;
    if (reader.Overran())
        in.Fail("an object header runs past the end of the file");
    if (!in.error && !object->Load(in) && !in.error)
        in.Fail("an object record holds a bad value");
    if (!in.error && reader.Overran())
        in.Fail("an object record runs past the end of the file");
    if (in.error) {
        delete object;
        return nullptr;
    }
    return object;
}

void WriteWorldObject(const WorldObject& object, DataFile& writer)
{
    const int type = object.GetType();
    const bool withMask = object.configMask != 0xFFFFFFFFu;
    WriteByte(writer, type);
    WriteByte(writer, (object.flags & ObjectFlagKept) | (withMask ? ObjectHeaderHasMask : 0));
    WriteByte(writer, object.contactRadius);
    WriteByte(writer, 0);
    if (withMask)
        WriteInt(writer, static_cast<int32_t>(object.configMask));
    if (HasPosition(type)) {
        WriteInt(writer, object.x.raw);
        WriteInt(writer, object.y.raw);
    }
    object.Save(writer);
}

// ---------------------------------------------------------------------------
// Cameras.

bool CameraObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    cameraFlags = ReadInt(r);
    height = ReadFloat(r);
    heading = ReadFloat(r);
    pitch = ReadFloat(r);
    farZoom = ReadFloat(r);
    if (cameraFlags & CameraFlagZooms) {
        farDistance = ReadFloat(r);
        nearZoom = ReadFloat(r);
        nearDistance = ReadFloat(r);
    }
    return true;
}

void CameraObject::Save(DataFile& writer) const
{
    WriteInt(writer, cameraFlags);
    WriteFloat(writer, height);
    WriteFloat(writer, heading);
    WriteFloat(writer, pitch);
    WriteFloat(writer, farZoom);
    if (cameraFlags & CameraFlagZooms) {
        WriteFloat(writer, farDistance);
        WriteFloat(writer, nearZoom);
        WriteFloat(writer, nearDistance);
    }
}

void CameraObject::Init()
{
    SetPointBounds(*this);
}
