// Object model records: clearing, reading with every count and index
// checked, the read-time fix-ups, and writing.
#include <climits>
#include <cstring>

#include "world/local.h"
#include "world/mesh_nodes.h"

namespace {

// A model record's fixed part before its level distances.
constexpr int RecordHeadBytes = 24;
// What follows the distances up to the cell grid's counts.
constexpr int RecordMiddleBytes = 32;
constexpr int CellBytes = 16;
constexpr int PointBytes = 16;
constexpr int TriangleBytes = 12;
constexpr int TextureBytes = 20;
constexpr int SurfaceBytes = 24;
constexpr int MappingBytes = 44;
// Texture indexes are one byte.
constexpr int MaxModelTextures = 256;
// A record may not hold more surfaces or mappings than a 16-bit count.
constexpr int MaxModelSurfaces = 65535;

using ModelReading = RecordReading;

uint16_t ReadWord(DataFile& reader)
{
    return static_cast<uint16_t>(ReadShort(reader));
}

Fixed ReadFixed(DataFile& reader)
{
    return Fixed(ReadInt(reader));
}

void ReadFixedVector(DataFile& reader, FixedVector& v)
{
    v.x = ReadFixed(reader);
    v.y = ReadFixed(reader);
    v.z = ReadFixed(reader);
}

void ReadTexture(ModelReading& r, ModelTexture& texture)
{
    texture.flags = static_cast<uint8_t>(ReadByte(r.reader));
    for (uint8_t& b : texture.carried)
        b = static_cast<uint8_t>(ReadByte(r.reader));
    char stored[16];
    ReadBlock(r.reader, stored, 16);
    std::memset(texture.name, 0, sizeof texture.name);
    if (texture.flags & 1) {
        std::memcpy(texture.name, MutableWorldRun.modelCarCode, 3);
        texture.name[3] = '_';
        std::memcpy(texture.name + 4, stored, 16);
    } else {
        std::memcpy(texture.name, stored, 16);
    }
}

void ReadSurface(ModelReading& r, ModelSurface& surface)
{
    ReadBlock(r.reader, surface.name, 16);
    surface.flags = static_cast<uint8_t>(ReadByte(r.reader));
    surface.orientation = static_cast<uint8_t>(ReadByte(r.reader));
    surface.texture = static_cast<uint8_t>(ReadByte(r.reader));
    surface.sky = static_cast<uint8_t>(ReadByte(r.reader));
    surface.scaleS = static_cast<uint8_t>(ReadByte(r.reader));
    surface.scaleT = static_cast<uint8_t>(ReadByte(r.reader));
    surface.offsetS = static_cast<uint8_t>(ReadByte(r.reader));
    surface.offsetT = static_cast<uint8_t>(ReadByte(r.reader));
    surface.material = nullptr;
}

void ReadMapping(ModelReading& r, TextureMapping& mapping)
{
    ReadBlock(r.reader, mapping.name, 16);
    mapping.kind = static_cast<uint8_t>(ReadByte(r.reader));
    mapping.carried = static_cast<uint8_t>(ReadByte(r.reader));
    mapping.mark = static_cast<uint8_t>(ReadByte(r.reader));
    mapping.rotation = static_cast<int8_t>(ReadByte(r.reader));
    mapping.sMin = ReadInt(r.reader);
    mapping.sMax = ReadInt(r.reader);
    mapping.tMin = ReadInt(r.reader);
    mapping.tMax = ReadInt(r.reader);
    mapping.surface[0] = ReadInt(r.reader);
    mapping.surface[1] = ReadInt(r.reader);
}

// Every index the drawing and collision builders follow must land inside
// its table: point references, cell columns, the mappings of the cells that
// triangles use, the surfaces of mappings, the textures and orientations of
// surfaces.
bool CheckModelIndexes(ModelReading& r, const ObjectModel& model)
{
    const int pointCount = static_cast<int>(model.points.size());
    const int columns = model.grid.columns;
    std::vector<uint8_t> columnUsed(size_t(columns), 0);
    for (const ModelTriangle& t : model.triangles) {
        for (uint16_t reference : t.points) {
            if ((reference & PointIndexMask) >= pointCount)
                return r.Fail("triangle names a point outside the table");
        }
        if (t.column >= columns || model.grid.rows == 0)
            return r.Fail("triangle names a cell column outside the grid");
        columnUsed[t.column] = 1;
    }
    const int mappingCount = static_cast<int>(model.mappings.size());
    for (int row = 0; row < model.grid.rows; row++) {
        for (int column = 0; column < columns; column++) {
            if (columnUsed[size_t(column)] && model.grid.At(row, column).mapping >= mappingCount)
                return r.Fail("cell names a mapping outside the table");
        }
    }
    const int surfaceCount = static_cast<int>(model.surfaces.size());
    for (const TextureMapping& m : model.mappings) {
        if (m.kind > 6)
            return r.Fail("mapping has an unknown projection");
        if (m.surface[0] < 0 || m.surface[0] >= surfaceCount || m.surface[1] < 0 ||
            m.surface[1] >= surfaceCount)
            return r.Fail("mapping names a surface outside the table");
    }
    const int textureCount = static_cast<int>(model.textures.size());
    for (const ModelSurface& s : model.surfaces) {
        if (s.texture >= textureCount)
            return r.Fail("surface names a texture outside the table");
        if (s.orientation > 7)
            return r.Fail("surface has an unknown orientation");
    }
    return true;
}

// The fix-ups of older files and of kinds whose surfaces never reflect.
void ApplyModelFixUps(ObjectModel& model, int storedKind, int version)
{
    if (storedKind == 1) {
        for (ModelSurface& s : model.surfaces) {
            if (SameNameAscii(s.name, "Disc", 16)) {
                s.scaleS = 64;
                s.scaleT = 64;
                s.offsetS = 0;
                s.offsetT = 0;
            }
        }
        for (ModelSurface& s : model.surfaces)
            s.flags |= 1;
    }
    if (storedKind == 2 && version < 251) {
        for (ModelSurface& s : model.surfaces) {
            if (SameNameAscii(model.textures[s.texture].name, "Cromowheel2", 24) &&
                (SameNameAscii(s.name, "cromo", 16) || SameNameAscii(s.name, "top", 16)))
                s.flags |= 1;
        }
        if (!model.grid.cells.empty()) {
            GridCell& first = model.grid.cells[0];
            if (SameNameAscii(first.code, "clock", 10) && first.mapping < model.mappings.size()) {
                const TextureMapping& m = model.mappings[first.mapping];
                const ModelSurface& s = model.surfaces[size_t(m.surface[0])];
                if (SameNameAscii(m.name, "center", 16) && SameNameAscii(s.name, "clock", 16) &&
                    SameNameAscii(model.textures[s.texture].name, "s_clock_n1", 24)) {
                    first.red = 180;
                    first.green = 180;
                    first.blue = 180;
                }
            }
        }
    }
    if (storedKind == 10) {
        for (ModelSurface& s : model.surfaces)
            s.flags |= 1;
    }
}

// What a model record's head says of the rest of the record.
struct ModelRecordHead {
    int storedKind = 0;  // as stored: 4 reads as 3, and the side rule follows it
    int pointCount = 0, triangleCount = 0, subCount = 0;
};

// The record's head: name, flags, kind and side rule, the level distances,
// the counts, the orientation and offset (a top-level model stands straight
// at its own place) and the colour grid.
bool ReadModelHead(ModelReading& r, ObjectModel& model, int topLevel, ModelRecordHead& head)
{
    DataFile& reader = r.reader;
    if (!r.Fits(1, RecordHeadBytes))
        return false;
    ReadBlock(reader, model.name, 16);
    model.flags = ReadWord(reader);
    const int storedKind = ReadByte(reader);
    const int storedSide = ReadByte(reader);
    const int levels = ReadWord(reader);
    model.groupCount = ReadWord(reader);
    if (levels < 1 || levels > MaxModelLevels)
        return r.Fail("level count is not 1 to 4");
    model.levelCount = static_cast<uint16_t>(levels);
    model.kind = static_cast<uint8_t>(storedKind == 4 ? 3 : storedKind);
    if (storedSide != 0)
        model.sideRule = static_cast<uint8_t>(storedSide);
    else if (storedKind == 2)
        model.sideRule = 3;
    else if (storedKind == 4 || storedKind == 10)
        model.sideRule = 2;
    else
        model.sideRule = 1;
    head.storedKind = storedKind;

    if (!r.Fits(1, 4 * levels + RecordMiddleBytes))
        return false;
    for (int i = 0; i < levels; i++)
        model.levelDistance[i] = static_cast<int32_t>(static_cast<uint32_t>(ReadInt(reader)) & 0xFFFF0000u);
    head.pointCount = ReadWord(reader);
    head.triangleCount = ReadWord(reader);
    head.subCount = ReadWord(reader);
    model.noOwnMesh = static_cast<uint8_t>(ReadShort(reader));
    model.pitch = static_cast<int16_t>(ReadShort(reader));
    model.roll = static_cast<int16_t>(ReadShort(reader));
    model.heading = static_cast<int16_t>(ReadShort(reader));
    model.angle4 = static_cast<int16_t>(ReadShort(reader));
    ReadFixedVector(reader, model.offset);
    if (topLevel) {
        model.noOwnMesh = 0;
        model.pitch = 0;
        model.roll = 0;
        model.heading = 0;
    }
    if (!ReadCellGrid(model.grid, reader))
        return r.Fail("cell grid runs past the end of the file");
    return true;
}

// The points, the triangles and the per-group words (skipped).
bool ReadModelGeometry(ModelReading& r, ObjectModel& model, const ModelRecordHead& head)
{
    DataFile& reader = r.reader;
    if (head.pointCount > MaxModelPoints)
        return r.Fail("more points than references can name");
    if (!r.Fits(head.pointCount, PointBytes))
        return false;
    model.points.resize(size_t(head.pointCount));
    for (ModelPoint& p : model.points) {
        p.flags = static_cast<uint8_t>(ReadByte(reader));
        p.joint = static_cast<uint8_t>(ReadByte(reader));
        ReadByte(reader);
        ReadByte(reader);
        ReadFixedVector(reader, p.position);
    }
    if (!r.Fits(head.triangleCount, TriangleBytes))
        return false;
    model.triangles.resize(size_t(head.triangleCount));
    for (ModelTriangle& t : model.triangles) {
        t.flags = static_cast<uint8_t>(ReadByte(reader));
        t.part = static_cast<uint8_t>(ReadByte(reader));
        t.column = static_cast<uint8_t>(ReadByte(reader));
        t.smoothing = static_cast<uint8_t>(ReadByte(reader));
        t.level = static_cast<int8_t>(ReadByte(reader));
        t.group = static_cast<uint8_t>(ReadByte(reader));
        for (uint16_t& reference : t.points)
            reference = ReadWord(reader);
    }
    if (!(model.flags & ModelFlagNoGroupWords)) {
        if (!r.Fits(model.groupCount, 4))
            return false;
        for (int g = 0; g < model.groupCount; g++)
            ReadInt(reader);
    }
    return true;
}

// One counted table of the record: its count, checked against the most
// the record can name and the bytes left, then each entry.
template <typename Entry, typename ReadEntry>
bool ReadCountedTable(ModelReading& r, std::vector<Entry>& table, int most, const char* tooMany, int entryBytes,
                      ReadEntry readEntry)
{
    if (!r.Fits(1, 4))
        return false;
    const int count = ReadInt(r.reader);
    if (count > most)
        return r.Fail(tooMany);
    if (!r.Fits(count, entryBytes))
        return false;
    table.resize(size_t(count));
    for (Entry& entry : table)
        readEntry(r, entry);
    return true;
}

// The textures, the surfaces and the texture mappings.
bool ReadModelTextureTables(ModelReading& r, ObjectModel& model)
{
    return ReadCountedTable(r, model.textures, MaxModelTextures, "more textures than surfaces can name",
                            TextureBytes, ReadTexture) &&
           ReadCountedTable(r, model.surfaces, MaxModelSurfaces, "too many surfaces", SurfaceBytes, ReadSurface) &&
           ReadCountedTable(r, model.mappings, MaxModelSurfaces, "too many mappings", MappingBytes, ReadMapping);
}

// The 32 part names of a record that carries them (files before version
// 249 name one part, "main").
bool ReadModelPartNames(ModelReading& r, ObjectModel& model)
{
    if (r.version >= 249) {
        if (!r.Fits(1, ModelPartCount * ModelPartNameLength))
            return false;
        ReadBlock(r.reader, model.partNames, ModelPartCount * ModelPartNameLength);
    } else {
        std::memcpy(model.partNames[0], "main", 5);
    }
    return true;
}

bool ReadModelBody(ModelReading& r, ObjectModel& model, int topLevel, int withPartNames, int depth);

// The nested sub-models, each a whole record one level deeper.
bool ReadSubModels(ModelReading& r, ObjectModel& model, int subCount, int depth)
{
    if (subCount > 0 && depth + 1 >= MaxModelDepth)
        return r.Fail("sub-models nest too deep");
    // The smallest record is its head, one distance and the middle part.
    if (!r.Fits(subCount, RecordHeadBytes + 4 + RecordMiddleBytes))
        return false;
    model.subModels.resize(size_t(subCount));
    for (ObjectModel& sub : model.subModels) {
        InitObjectModel(sub);
        if (!ReadModelBody(r, sub, 0, 0, depth + 1))
            return false;
    }
    return true;
}

// One whole record: read, checked, fixed up and sorted, then its
// sub-models.
bool ReadModelBody(ModelReading& r, ObjectModel& model, int topLevel, int withPartNames, int depth)
{
    ModelRecordHead head;
    if (!ReadModelHead(r, model, topLevel, head) || !ReadModelGeometry(r, model, head) ||
        !ReadModelTextureTables(r, model))
        return false;
    if (r.reader.Overran())
        return r.Fail("record runs past the end of the file");
    if (!CheckModelIndexes(r, model))
        return false;
    ApplyModelFixUps(model, head.storedKind, r.version);
    SortModelTables(model);
    if (withPartNames && !ReadModelPartNames(r, model))
        return false;
    if (!ReadSubModels(r, model, head.subCount, depth))
        return false;
    if (r.reader.Overran())
        return r.Fail("record runs past the end of the file");
    return true;
}

void WriteFixedVector(DataFile& writer, const FixedVector& v)
{
    WriteInt(writer, v.x.raw);
    WriteInt(writer, v.y.raw);
    WriteInt(writer, v.z.raw);
}

} // namespace

const TextureOrientation TextureOrientations[8] = {
    {1, 0, 0, 1, 0, 0},   {0, 1, -1, 0, 0, 1}, {-1, 0, 0, -1, 1, 1}, {0, -1, 1, 0, 1, 0},
    {-1, 0, 0, 1, 1, 0},  {0, 1, 1, 0, 0, 0},  {1, 0, 0, -1, 0, 1},  {0, -1, -1, 0, 1, 1},
};

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameAscii(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
        if (a[i] == 0)
            return true;
    }
    return true;
}

bool StartsWithAscii(const char* name, const char* prefix)
{
    for (; *prefix; prefix++, name++) {
        if (LowerAscii(*name) != LowerAscii(*prefix))
            return false;
    }
    return true;
}

bool EndsWithAscii(const char* name, const char* suffix)
{
    size_t n = std::strlen(name), m = std::strlen(suffix);
    return n >= m && SameNameAscii(name + n - m, suffix, m);
}

void SetModelCarCode(const char* code)
{
    std::memset(MutableWorldRun.modelCarCode, 0, sizeof MutableWorldRun.modelCarCode);
    std::strncpy(MutableWorldRun.modelCarCode, code, 3);
}

void InitObjectModel(ObjectModel& model)
{
    model = ObjectModel{};
}

void FreeObjectModel(ObjectModel& model)
{
    model = ObjectModel{};
}

int ReadCellGrid(CellGrid& grid, DataFile& reader)
{
    grid = CellGrid{};
    if (DataFileBytesLeft(reader) < 4)
        return 0;
    int rows = ReadWord(reader);
    int columns = ReadWord(reader);
    int64_t count = int64_t(rows) * columns;
    if (count * CellBytes > DataFileBytesLeft(reader))
        return 0;
    grid.rows = rows;
    grid.columns = columns;
    grid.cells.resize(size_t(count));
    for (GridCell& cell : grid.cells) {
        cell.red = static_cast<uint8_t>(ReadByte(reader));
        cell.green = static_cast<uint8_t>(ReadByte(reader));
        cell.blue = static_cast<uint8_t>(ReadByte(reader));
        cell.flags = static_cast<uint8_t>(ReadByte(reader));
        ReadBlock(reader, cell.code, 10);
        cell.mapping = ReadWord(reader);
    }
    return reader.Overran() ? 0 : 1;
}

void WriteCellGrid(const CellGrid& grid, DataFile& writer)
{
    WriteShort(writer, grid.rows);
    WriteShort(writer, grid.columns);
    for (const GridCell& cell : grid.cells) {
        WriteByte(writer, cell.red);
        WriteByte(writer, cell.green);
        WriteByte(writer, cell.blue);
        WriteByte(writer, cell.flags);
        WriteBlock(writer, cell.code, 10);
        WriteShort(writer, cell.mapping);
    }
}

int ReadObjectModelRecord(ObjectModel& model, DataFile& reader, int version, int topLevel,
                          int withPartNames, int depth, const char*& error)
{
    InitObjectModel(model);
    ModelReading r{reader, version};
    if (!ReadModelBody(r, model, topLevel, withPartNames, depth)) {
        error = r.error ? r.error : "bad record";
        FreeObjectModel(model);
        return 0;
    }
    return 1;
}

int ReadObjectModel(ObjectModel& model, DataFile& reader, int version, int topLevel,
                    int withPartNames)
{
    const char* error = nullptr;
    if (ReadObjectModelRecord(model, reader, version, topLevel, withPartNames, 0, error))
        return 1;
    LogPrintf("ReadObjectModel : %s : model record", error);
    return 0;
}

int LoadObjectModel(ObjectModel& model, Screen* screen, const char* fileName, int topLevel,
                    const char** reason)
{
    InitObjectModel(model);
    DataFile reader;
    int version = 0;
    const char* error = LoadDataFile(reader, screen, fileName, ObjectModelMagic, version, ObjectModelVersion, false);
    if (!reader.IsOpen()) {
        if (reason != nullptr)
            *reason = error;
        return 0;
    }
    int ok = ReadObjectModelRecord(model, reader, version, topLevel, 1, 0, error);
    CloseDataFile(reader);
    if (!ok) {
        LogPrintf("LoadObjectModel : %s : %s", error, DisplayPath(fileName).c_str());
        if (reason != nullptr)
            *reason = error;
        return 0;
    }
    if (topLevel)
        model.flags &= static_cast<uint16_t>(~ModelFlagMirrorTwin);
    return 1;
}

void WriteObjectModel(const ObjectModel& model, DataFile& writer, int withPartNames)
{
    WriteBlock(writer, model.name, 16);
    WriteShort(writer, model.flags);
    WriteByte(writer, model.kind);
    WriteByte(writer, model.sideRule);
    WriteShort(writer, model.levelCount);
    WriteShort(writer, model.groupCount);
    for (int i = 0; i < model.levelCount && i < MaxModelLevels; i++)
        WriteInt(writer, model.levelDistance[i]);
    WriteShort(writer, static_cast<int>(model.points.size()));
    WriteShort(writer, static_cast<int>(model.triangles.size()));
    WriteShort(writer, static_cast<int>(model.subModels.size()));
    WriteShort(writer, model.noOwnMesh);
    WriteShort(writer, model.pitch);
    WriteShort(writer, model.roll);
    WriteShort(writer, model.heading);
    WriteShort(writer, model.angle4);
    WriteFixedVector(writer, model.offset);
    WriteCellGrid(model.grid, writer);
    for (const ModelPoint& p : model.points) {
        WriteByte(writer, p.flags);
        WriteByte(writer, p.joint);
        WriteByte(writer, 0);
        WriteByte(writer, 0);
        WriteFixedVector(writer, p.position);
    }
    for (const ModelTriangle& t : model.triangles) {
        WriteByte(writer, t.flags);
        WriteByte(writer, t.part);
        WriteByte(writer, t.column);
        WriteByte(writer, t.smoothing);
        WriteByte(writer, t.level);
        WriteByte(writer, t.group);
        for (uint16_t reference : t.points)
            WriteShort(writer, reference);
    }
    if (!(model.flags & ModelFlagNoGroupWords)) {
        for (int g = 0; g < model.groupCount; g++)
            WriteInt(writer, 0);
    }
    WriteInt(writer, static_cast<int>(model.textures.size()));
    for (const ModelTexture& t : model.textures) {
        WriteByte(writer, t.flags);
        WriteBlock(writer, t.carried, 3);
        // A car-specific name is stored without its car code and underscore.
        WriteBlock(writer, (t.flags & 1) ? t.name + 4 : t.name, 16);
    }
    WriteInt(writer, static_cast<int>(model.surfaces.size()));
    for (const ModelSurface& s : model.surfaces) {
        WriteBlock(writer, s.name, 16);
        WriteByte(writer, s.flags);
        WriteByte(writer, s.orientation);
        WriteByte(writer, s.texture);
        WriteByte(writer, s.sky);
        WriteByte(writer, s.scaleS);
        WriteByte(writer, s.scaleT);
        WriteByte(writer, s.offsetS);
        WriteByte(writer, s.offsetT);
    }
    WriteInt(writer, static_cast<int>(model.mappings.size()));
    for (const TextureMapping& m : model.mappings) {
        WriteBlock(writer, m.name, 16);
        WriteByte(writer, m.kind);
        WriteByte(writer, m.carried);
        WriteByte(writer, 0);
        WriteByte(writer, m.rotation);
        WriteInt(writer, m.sMin);
        WriteInt(writer, m.sMax);
        WriteInt(writer, m.tMin);
        WriteInt(writer, m.tMax);
        WriteInt(writer, m.surface[0]);
        WriteInt(writer, m.surface[1]);
    }
    if (withPartNames)
        WriteBlock(writer, model.partNames, ModelPartCount * ModelPartNameLength);
    for (const ObjectModel& sub : model.subModels)
        WriteObjectModel(sub, writer, 0);
}

int SaveObjectModel(const ObjectModel& model, const char* fileName)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, fileName, ObjectModelMagic, ObjectModelVersion);
    if (!writer.IsOpen())
        return 0;
    WriteObjectModel(model, writer, 1);
    return CloseDataFile(writer);
}

int ReadSharedModel(SharedModel& record, DataFile& reader, int version)
{
    FreeSharedModel(record);
    if (DataFileBytesLeft(reader) < 28) {
        LogPrintf("ReadSharedModel : record runs past the end of the file : shared model");
        return 0;
    }
    record.kind = static_cast<uint8_t>(ReadByte(reader));
    for (uint8_t& b : record.header)
        b = static_cast<uint8_t>(ReadByte(reader));
    record.scale = ReadFloat(reader);
    for (float& m : record.material)
        m = ReadFloat(reader);
    record.mass = ReadFloat(reader);
    record.objectByte = static_cast<uint8_t>(ReadByte(reader));
    record.collisionKind = static_cast<uint8_t>(ReadByte(reader));
    record.layoutFlag = static_cast<uint8_t>(ReadByte(reader));
    record.garageFlag = static_cast<uint8_t>(ReadByte(reader));
    record.node = nullptr;
    if (record.kind == 0) {
        record.model = new ObjectModel;
        if (!ReadObjectModel(*record.model, reader, version, 1, 1)) {
            FreeSharedModel(record);
            return 0;
        }
    } else if (record.kind == 1) {
        LogPrintf("ReadSharedModel : revolved shapes are not available : shared model");
        return 0;
    }
    return 1;
}

ObjectModel* GetSharedModelObject(SharedModel& record)
{
    return record.kind == 0 ? record.model : nullptr;
}

void FreeSharedModelNode(SharedModel& record)
{
    if (record.node) {
        DestroySceneNodeTree(*record.node);
        delete record.node;
    }
    record.node = nullptr;
}

void FreeSharedModel(SharedModel& record)
{
    FreeSharedModelNode(record);
    delete record.model;
    record.model = nullptr;
}
