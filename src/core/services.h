// Application core: the services every other subsystem uses.
//
// The core starts the program and runs its main loop, and owns what every
// subsystem shares: the debug log, binary data files, 16.16 fixed-point and
// float maths, CRC-32 and TEA, text helpers, the car name table, the
// translatable texts, the settings and the player profile. It needs only
// the platform layer.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>
#include <type_traits>

#include "core/display_path.h"
#include "core/exit_codes.h"
#include "core/plain_text.h"

// ---------------------------------------------------------------------------
// Debug log "deb.log": one line per event, never stops the program.

// Sets the logging flag and starts the log empty. The folder's "deb.log"
// belongs to one running copy: when another copy writes it, this copy logs
// to the first free "deb_2.log" .. "deb_9.log" instead. Returns what the
// user should be told about that (empty when this copy has "deb.log").
std::string StartDebugLog();
// Appends one line (colour codes removed, at most 128 characters); returns
// 0 when the log cannot be opened.
int LogLine(const char* text);
// Formats into a 256-character buffer and logs it with LogLine.
int LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Logs "<name> : not available yet" for a service that is not built yet,
// once: noted, the caller's flag, is set after the first line.
void LogNotAvailableOnce(bool& noted, const char* name);
// Logs the version line.
void LogVersion();
// Makes the named file this copy's debug log, started empty (the "log"
// option and text command). Returns the reason when it is refused (empty
// when done): the name must be a plain file name ending in ".log" in the
// program's folder; an existing file must be a debug log of this program
// (a user's file is never emptied); another running copy's log is left alone.
std::string UseDebugLogFile(std::string_view fileName);
// The current log file's name.
const char* DebugLogName();
// When on, every logged line is also written to standard output; turning
// it on first writes the lines logged so far.
void EchoDebugLog(bool on);
// Lets the log go and names "deb.log" again, logging flag and echo off.
void ResetDebugLog();
// Whether StartDebugLog has run. Lives for the whole run.
extern bool DebugLogging;

// The product's short name and version, as the version line shows them.
constexpr const char* ProductShortName = "QVN";
constexpr const char* ProductVersion = "0.5Z";

// ---------------------------------------------------------------------------
// Binary data files (DataFile).
//@@ data-file
//
// Every binary file starts with an 8-byte header: six ASCII characters naming
// the kind of file (six zero bytes in car data), then the format version,
// high byte first. The values after it are little-endian: bytes, signed
// 16-bit and 32-bit integers, 32-bit floats, zero-filled fixed strings and
// raw blocks.
//
// A reader streams from the open file, reads a copy of the whole file that
// it loaded, or reads a complete file image that its caller holds. Reads past
// the end never leave the data: each missing byte reads as 0xFF (ReadByte
// gives -1), and the reader remembers the overrun so that a loader can refuse
// the file. Writers stream to "<name>.tmp"; CloseDataFile renames it into
// place only when every write succeeded, so a failed save keeps the old file.

struct Screen;
struct DataFileWriter;

enum DataFileMode : int {
    DataFileStream = 0,  // reads or writes go to the open file
    DataFileImage = 1,   // reads from a file image held by the caller
    DataFileLoaded = 2,  // reads from a copy of the file that the record owns
};

// One open data file, usually a local of its reader or writer. A record
// that goes out of scope still open is closed; a writer closed that way is
// abandoned (the old file stays).
struct DataFile {
    DataFileMode mode = DataFileStream;
    FILE* file = nullptr;                     // streaming reader
    DataFileWriter* writer = nullptr;         // streaming writer
    const uint8_t* cursor = nullptr;          // next byte, memory modes
    const uint8_t* end = nullptr;             // end of the bytes, memory modes
    uint8_t* image = nullptr;                 // the owned copy, loaded mode
    bool open = false;
    bool overran = false;

    DataFile() = default;
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // Whether an open, load or create succeeded and CloseDataFile has not run.
    bool IsOpen() const { return open; }
    // Whether a read asked for bytes past the end of the file.
    bool Overran() const { return overran; }
};

// Opens a file for streaming reads and checks its header: all six magic
// bytes must match and the version (returned through version) must not be
// above maxVersion. Returns nullptr on success, else the error text; the
// reader is then closed. The screen is not used. Nothing is logged.
const char* OpenDataFile(DataFile& reader, Screen* screen, std::string_view path,
                         const char* magic, int& version, int maxVersion);
// OpenDataFile, then (unless stream is set) reads everything after the
// header into a copy and closes the file. A failure is logged as
// "LoadDataFile : <error text> <path>"; with a screen it is the user's
// message as well. Returns the error text, nullptr on success.
const char* LoadDataFile(DataFile& reader, Screen* screen, std::string_view path, const char* magic,
                         int& version, int maxVersion, bool stream);
// Reads from a complete file image (header included) of size bytes that the
// caller keeps alive; the version comes from image bytes 6 and 7, the magic
// is not checked.
void OpenDataBlock(DataFile& reader, const uint8_t* image, size_t size, int& version);
// Creates the file (through "<path>.tmp") and writes the header; the magic
// must be 6 bytes (car data has six zero bytes there). Failures are logged;
// callers test IsOpen.
void CreateDataFile(DataFile& writer, Screen* screen, std::string_view path, std::string_view magic,
                    int version);
// Closes a reader or writer. For a writer it returns 1 when every write,
// the close and the rename into place succeeded; 0 otherwise, with the old
// file left as it was and a log line. Readers always give 1.
int CloseDataFile(DataFile& file);

// Bytes a reader has left before the end of its file or image; 0 when closed.
int64_t DataFileBytesLeft(const DataFile& reader);
// Whether count records of recordBytes each can still be read: how readers
// check a count taken from the file before they trust it.
inline bool DataFileHolds(const DataFile& reader, int64_t count, int64_t recordBytes)
{
    return count >= 0 && (recordBytes <= 0 || count <= DataFileBytesLeft(reader) / recordBytes);
}

// Out-of-line paths of the readers: streaming, and the end of an image.
int ReadByteSlow(DataFile& reader);
uint32_t ReadBytesLittleEndianSlow(DataFile& reader, int count);

// Next byte, 0..255; -1 past the end of the file.
inline int ReadByte(DataFile& reader)
{
    if (reader.cursor < reader.end)
        return *reader.cursor++;
    return ReadByteSlow(reader);
}
// Next 2 bytes, low first, as a signed 16-bit value.
inline int ReadShort(DataFile& reader)
{
    if (reader.end - reader.cursor >= 2) {
        const uint8_t* p = reader.cursor;
        reader.cursor += 2;
        return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
    }
    return static_cast<int16_t>(ReadBytesLittleEndianSlow(reader, 2));
}
// Next 4 bytes, low first, as a 32-bit integer.
inline int ReadInt(DataFile& reader)
{
    if (reader.end - reader.cursor >= 4) {
        const uint8_t* p = reader.cursor;
        reader.cursor += 4;
        return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                    static_cast<uint32_t>(p[2]) << 16 |
                                    static_cast<uint32_t>(p[3]) << 24);
    }
    return static_cast<int32_t>(ReadBytesLittleEndianSlow(reader, 4));
}
// Next 4 bytes, low first, as a 32-bit float.
inline float ReadFloat(DataFile& reader)
{
    uint32_t bits = static_cast<uint32_t>(ReadInt(reader));
    float value;
    __builtin_memcpy(&value, &bits, sizeof value);
    return value;
}
// ReadFloat limited to min..max; a value that is not a number gives min.
float ReadFloatClamped(DataFile& reader, float min, float max);
// Reads n bytes into the buffer one at a time (missing bytes read as 0xFF).
void ReadBytes(DataFile& reader, void* buffer, int n);
// Reads n bytes into the buffer as one block (missing bytes read as 0xFF).
void ReadBlock(DataFile& reader, void* buffer, int n);

// Writers. Errors are remembered and reported by CloseDataFile.
void WriteByte(DataFile& writer, int value);          // the low 8 bits
void WriteShort(DataFile& writer, int value);         // 2 bytes, low first
void WriteInt(DataFile& writer, int value);           // 4 bytes, low first
void WriteFloat(DataFile& writer, float value);       // its 4 bytes, as WriteInt
void WriteBlock(DataFile& writer, const void* buffer, int n);
// Exactly n bytes: the text's first n-1 characters, then zeros up to n.
void WriteFixedString(DataFile& writer, const char* text, int n);
// The same n bytes as WriteFixedString.
void WritePaddedString(DataFile& writer, const char* text, int n);
// n/4 zero 32-bit words.
void WritePadding(DataFile& writer, int n);
// Exactly n bytes of the text with its colour codes removed (StripColourCodes);
// zero filled, with no terminator when the converted text fills the field.
void WriteColourStringToFile(DataFile& writer, const char* text, int n);

// Whole-file helpers (no header involved).
// Last write time in whole minutes since 1601-01-01 UTC; 0 when absent.
int GetFileTimeMinutes(std::string_view path);
// 1 when the file opens for binary reading, else 0.
int FileExists(std::string_view path);
// Size in bytes; 0 when the file cannot be opened.
int64_t GetFileLength(std::string_view path);
// 1 when the file opens for appending (an empty file is created when none
// existed), else 0.
int CanAppendFile(std::string_view path);
// Copies the source over the destination (through "<destination>.tmp");
// 1 on success, 0 when either file cannot be read or written.
int CopyWholeFile(std::string_view source, std::string_view destination);
// 1 when both files hold the same bytes, 2 when they differ, 0 when either
// cannot be read.
int CompareFiles(std::string_view first, std::string_view second);

// ---------------------------------------------------------------------------
// 16.16 fixed-point and float maths.
//@@ maths
// Positions in the simulation and the world are 16.16 fixed-point numbers
// (65536 = 1 m), orientations are 3x3 matrices of them, and angles are
// 16-bit turns (65536 units per full turn) looked up in tables built once
// at start-up. Products follow one rule everywhere: the signed 64-bit
// product shifted right by 16 (rounding towards minus infinity), low 32 bits
// kept, so overflow wraps and never saturates. A row times a column adds the
// three 64-bit products before the one shift. Everything here is integer
// arithmetic or fixed IEEE operations, so every machine gets the same bits.
#include "core/rounding.h"

// One 16.16 fixed-point value. A type of its own so that a float cannot be
// stored into a position unnoticed: it is made from a raw integer only
// (Fixed(65536) is 1 m) or through FixedFromMetres. Sums and differences
// wrap round like the 32-bit registers they model.
struct Fixed {
    std::int32_t raw = 0;

    constexpr Fixed() = default;
    constexpr explicit Fixed(std::int32_t rawValue) : raw(rawValue) {}
    template <typename F>
        requires std::is_floating_point_v<F>
    Fixed(F) = delete;

    constexpr bool operator==(const Fixed&) const = default;
    constexpr auto operator<=>(const Fixed&) const = default;
    constexpr Fixed operator-() const { return Fixed(std::int32_t(0u - std::uint32_t(raw))); }
    constexpr Fixed& operator+=(Fixed b) { raw = std::int32_t(std::uint32_t(raw) + std::uint32_t(b.raw)); return *this; }
    constexpr Fixed& operator-=(Fixed b) { raw = std::int32_t(std::uint32_t(raw) - std::uint32_t(b.raw)); return *this; }
};
constexpr Fixed operator+(Fixed a, Fixed b) { return a += b; }
constexpr Fixed operator-(Fixed a, Fixed b) { return a -= b; }

// The whole 16.16 values of one metre and half a metre.
constexpr Fixed FixedOne{65536};
constexpr Fixed FixedHalf{32768};

// The 16.16 product a·b: (a × b) >> 16 in 64 bits, low 32 bits kept.
constexpr Fixed FixedMul(Fixed a, Fixed b)
{
    return Fixed(std::int32_t(std::uint32_t(std::uint64_t((std::int64_t(a.raw) * b.raw) >> 16))));
}

// One row times one column: the three 64-bit products summed (wrapping at
// 64 bits), then shifted once.
constexpr Fixed FixedDot3(Fixed a0, Fixed a1, Fixed a2, Fixed b0, Fixed b1, Fixed b2)
{
    std::uint64_t sum = std::uint64_t(std::int64_t(a0.raw) * b0.raw) +
                        std::uint64_t(std::int64_t(a1.raw) * b1.raw) +
                        std::uint64_t(std::int64_t(a2.raw) * b2.raw);
    return Fixed(std::int32_t(std::uint32_t(std::uint64_t(std::int64_t(sum) >> 16))));
}

// Metres to 16.16: metres × 65536 rounded to the nearest integer (ties to
// even), held to the 32-bit range (NaN gives 0).
Fixed FixedFromMetres(double metres);
// 16.16 to metres: raw × 1/65536.
constexpr float FixedToMetres(Fixed value) { return float(value.raw) * (1.0f / 65536.0f); }

// Three 16.16 values (z is up in the world). Stored as 12 bytes x, y, z.
struct FixedVector {
    Fixed x, y, z;

    constexpr bool operator==(const FixedVector&) const = default;
    constexpr Fixed& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
    constexpr Fixed operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
    constexpr FixedVector& operator+=(const FixedVector& b) { x += b.x; y += b.y; z += b.z; return *this; }
    constexpr FixedVector& operator-=(const FixedVector& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
};
constexpr FixedVector operator+(FixedVector a, const FixedVector& b) { return a += b; }
constexpr FixedVector operator-(FixedVector a, const FixedVector& b) { return a -= b; }
constexpr FixedVector operator-(const FixedVector& a) { return {-a.x, -a.y, -a.z}; }
// A vector from three raw 16.16 values.
constexpr FixedVector MakeFixedVector(std::int32_t x, std::int32_t y, std::int32_t z)
{
    return {Fixed(x), Fixed(y), Fixed(z)};
}

// Nine 16.16 values, row-major (m[0] m[1] m[2] is the first row). A
// rotation's columns are the rotated x, y and z axes. Stored as 36 bytes.
struct FixedMatrix {
    Fixed m[9];

    constexpr bool operator==(const FixedMatrix&) const = default;
    constexpr Fixed& At(int row, int column) { return m[row * 3 + column]; }
    constexpr Fixed At(int row, int column) const { return m[row * 3 + column]; }
};

// A rotation followed by a translation. Stored as 48 bytes.
struct FixedTransform {
    FixedMatrix matrix;
    FixedVector translation;

    constexpr bool operator==(const FixedTransform&) const = default;
};

// Nine floats, row-major.
struct FloatMatrix {
    float m[9] = {};

    constexpr bool operator==(const FloatMatrix&) const = default;
};

// Two floats, for flat work (AI, drawing).
struct Vec2 {
    float x = 0, y = 0;

    constexpr bool operator==(const Vec2&) const = default;
};

// Three floats in metres (or a unit direction), for code that works in
// floats: physics within a step, graphics.
struct Vec3 {
    float x = 0, y = 0, z = 0;

    constexpr bool operator==(const Vec3&) const = default;
};

// Sine and cosine of the 16-bit angle i (i/65536 of a turn) in 16.16.
// Built by BuildTrigTables at start-up; lives for the whole run.
struct TrigTableSet {
    static constexpr int Size = 65536;
    Fixed sine[Size];
    Fixed cosine[Size];
};
extern TrigTableSet TrigTables;

// Cosine and sine of a whole-degree angle in 16.16 (entry k holds -k
// degrees for k = 0..90, 256 - k degrees for k = 166..255, zeros between):
// indexing with the byte of a negated angle of -90..90 degrees gives that
// angle's pair. Built by BuildTrigTables; lives for the whole run.
struct DegreePair {
    Fixed cosine, sine;

    constexpr bool operator==(const DegreePair&) const = default;
};
constexpr int DegreeTableSize = 256;
extern DegreePair DegreeTable[DegreeTableSize];

// The sine and cosine of an angle taken modulo 65536.
inline Fixed SineOf(std::int32_t angle) { return TrigTables.sine[angle & 0xFFFF]; }
inline Fixed CosineOf(std::int32_t angle) { return TrigTables.cosine[angle & 0xFFFF]; }

// Shared constants, set by InitMathConstants; live for the whole run.
// ZeroVector is the position of things that have none, AxisZ is up.
extern FixedVector ZeroVector, AxisX, AxisY, AxisZ;
extern FixedMatrix IdentityMatrix;
extern FixedTransform IdentityTransform;

// Sine and cosine of an angle in radians, computed with double arithmetic
// of our own, so the result is the same bits on every machine (the
// machine's library may differ in the last bit). Usable inside the
// simulation step; accurate to about one unit in the last place for
// angles within a few thousand radians. A non-finite angle gives NaN.
void ComputeSinCos(double angle, double& sine, double& cosine);

// Fills the shared constants.
void InitMathConstants();
// Fills TrigTables and DegreeTable; call once at start-up before any
// rotation is built (ResetCoreTables does it too).
void BuildTrigTables();

// Length of an integer vector: the square root computed in double,
// converted to float, rounded to the nearest integer (ties to even); held
// at 2^31 - 1 when longer.
std::int32_t IntLength2(std::int32_t x, std::int32_t y);
std::int32_t IntLength3(std::int32_t x, std::int32_t y, std::int32_t z);
// Scales v in place to length 65536: each component × 65536 / length,
// truncated. Returns 0 and leaves v when its length is 0, else 1.
int NormaliseVector(FixedVector& v);
// out = v scaled to length 65536 as NormaliseVector does; when v is
// shorter than 256 (1/256 m), out = (0, 0, 65536).
void NormaliseOrUp(const FixedVector& v, FixedVector& out);
// out = the unit cross product a × b in 16.16 (computed in float);
// (0, 0, 0) when the cross product's squared length is at most 0.0001.
void NormalOfVectors(const FixedVector& a, const FixedVector& b, FixedVector& out);
// The 16.16 unit normal of the triangle p1 p2 p3 (counter-clockwise seen
// from the normal's side): the cross product of the edges in metres scaled
// to 65536, or the raw cross product (rounded) when it is no longer than
// 0.000001.
FixedVector TriangleNormal(const FixedVector& p1, const FixedVector& p2, const FixedVector& p3);
// Distance between two points in metres (over x and y only for XY).
float FixedDistance(const FixedVector& a, const FixedVector& b);
float FixedDistanceXY(const FixedVector& a, const FixedVector& b);
// Raises max (square metres) to v's squared length when that is larger.
void GrowMaxDistance(float& max, const FixedVector& v);

// Matrix builders. Rotation angles are taken modulo 65536.
void SetMatrix(FixedMatrix& out, std::int32_t m00, std::int32_t m01, std::int32_t m02,
               std::int32_t m10, std::int32_t m11, std::int32_t m12,
               std::int32_t m20, std::int32_t m21, std::int32_t m22);
void MatrixFromColumns(FixedMatrix& out, const FixedVector& a, const FixedVector& b,
                       const FixedVector& c);
void DiagonalMatrix(FixedMatrix& out, Fixed s);
void RotationX(FixedMatrix& out, std::int32_t angle);
void RotationY(FixedMatrix& out, std::int32_t angle);
void RotationZ(FixedMatrix& out, std::int32_t angle);
// RotationX(a) × RotationY(b).
void RotationXY(FixedMatrix& out, std::int32_t a, std::int32_t b);
// RotationZ(heading) × RotationX(pitch).
void RotationZX(FixedMatrix& out, std::int32_t heading, std::int32_t pitch);
// RotationZ(heading) × RotationX(pitch) × RotationY(roll).
void RotationZXY(FixedMatrix& out, std::int32_t heading, std::int32_t pitch, std::int32_t roll);

// out = a × b. out may be a or b.
inline void MultiplyMatrix(const FixedMatrix& a, const FixedMatrix& b, FixedMatrix& out)
{
    FixedMatrix r;
    for (int row = 0; row < 3; ++row) {
        const Fixed* ar = &a.m[row * 3];
        for (int column = 0; column < 3; ++column)
            r.m[row * 3 + column] = FixedDot3(ar[0], ar[1], ar[2], b.m[column],
                                              b.m[3 + column], b.m[6 + column]);
    }
    out = r;
}

// out = m × v. out may be v.
inline void RotateVector(const FixedMatrix& m, const FixedVector& v, FixedVector& out)
{
    FixedVector r{FixedDot3(m.m[0], m.m[1], m.m[2], v.x, v.y, v.z),
                  FixedDot3(m.m[3], m.m[4], m.m[5], v.x, v.y, v.z),
                  FixedDot3(m.m[6], m.m[7], m.m[8], v.x, v.y, v.z)};
    out = r;
}

// out = transpose(m) × v (the inverse turn for a rotation). out may be v.
inline void RotateVectorByTranspose(const FixedMatrix& m, const FixedVector& v, FixedVector& out)
{
    FixedVector r{FixedDot3(m.m[0], m.m[3], m.m[6], v.x, v.y, v.z),
                  FixedDot3(m.m[1], m.m[4], m.m[7], v.x, v.y, v.z),
                  FixedDot3(m.m[2], m.m[5], m.m[8], v.x, v.y, v.z)};
    out = r;
}

inline void MakeTransform(FixedTransform& out, const FixedMatrix& matrix, const FixedVector& vector)
{
    out.matrix = matrix;
    out.translation = vector;
}

// out = t.matrix × p + t.translation. out may be p.
inline void TransformPoint(const FixedTransform& t, const FixedVector& p, FixedVector& out)
{
    RotateVector(t.matrix, p, out);
    out += t.translation;
}

// out = transpose(t.matrix) × (p − t.translation); the inverse of
// TransformPoint for a rotation. out may be p.
inline void InverseTransformPoint(const FixedTransform& t, const FixedVector& p, FixedVector& out)
{
    RotateVectorByTranspose(t.matrix, p - t.translation, out);
}

// out = t1 then t2 applied inside it: matrix t1 × t2, translation
// t1.matrix × t2.translation + t1.translation. out may be t1 or t2.
inline void ComposeTransform(const FixedTransform& t1, const FixedTransform& t2, FixedTransform& out)
{
    FixedTransform r;
    MultiplyMatrix(t1.matrix, t2.matrix, r.matrix);
    TransformPoint(t1, t2.translation, r.translation);
    out = r;
}

// Fixed-point records inside data files: a vector is three ReadInt values
// x, y, z (12 bytes), a matrix nine in row-major order (36 bytes), a
// transform the matrix then the translation (48 bytes).
void ReadVector(FixedVector& v, DataFile& reader);
void WriteVector(const FixedVector& v, DataFile& writer);
void ReadMatrix(FixedMatrix& m, DataFile& reader);
void ReadTransform(FixedTransform& t, DataFile& reader);

// Float helpers: single-precision storage, double intermediates.
// out = a × b. out may be a or b.
void MultiplyFloatMatrix(const FloatMatrix& a, const FloatMatrix& b, FloatMatrix& out);
// Rotations by angles in radians (sine and cosine from ComputeSinCos).
void FloatRotationZ(FloatMatrix& out, float angle);
// Float RotationX(a) × RotationY(b).
void FloatRotationXY(FloatMatrix& out, float a, float b);
// out = the inverse of m (adjugate over determinant). Returns 1; for a
// singular matrix (determinant 0 or not finite) returns 0 and sets out to
// the identity, so that no NaN spreads. out may be m.
int InvertFloatMatrix(FloatMatrix& out, const FloatMatrix& m);
// Rotation by angle radians about the unit axis.
void AxisAngleMatrix(FloatMatrix& out, const Vec3& axis, float angle);
// Each element × 65536 rounded to the nearest integer.
void FloatToFixedMatrix(const FloatMatrix& m, FixedMatrix& out);
// Each element × 1/65536.
void FixedToFloatMatrix(FloatMatrix& out, const FixedMatrix& m);
// out = base + m × v with each row's result (metres) × 65536 rounded.
void FloatOffsetToFixed(const FloatMatrix& m, const Vec3& v, const FixedVector& base,
                        FixedVector& out);
float Vec2Length(const Vec2& v);
float Vec2LengthSq(const Vec2& v);
// Scales v in place to the given length; a zero vector stays unchanged.
void Vec2SetLength(Vec2& v, float length);
// Scales v in place to length 1 and returns its former length; a zero
// vector stays unchanged and 0 is returned.
float Vec2Normalise(Vec2& v);

// ---------------------------------------------------------------------------
// CRC-32, TEA and text helpers.
//@@ crc-text
// Running CRC-32 values, most significant bit first over polynomial
// 0x04C11DB7. Copies of the program compare these values with each other
// (checksums, file checks, password proofs), so every step is fixed.

// Entry i is i in the top byte, shifted left eight times with the
// polynomial folded in at every carry. Lives for the whole run; constant
// from program start, and BuildCrcTable fills it again at start-up.
extern std::array<uint32_t, 256> CrcTable;
void BuildCrcTable();

// Each step: register = CrcTable[register >> 24] ^ (register << 8 | byte).
uint32_t CrcAddByte(uint32_t crc, uint8_t value);
// The low byte, then the high byte.
uint32_t CrcAddShort(uint32_t crc, uint16_t value);
// The four bytes, lowest first.
uint32_t CrcAddInt(uint32_t crc, uint32_t value);
uint32_t CrcAddBuffer(uint32_t crc, const void* buffer, int count);
// Each character is taken as a signed byte widened to 32 bits, so a
// character of 0x80 or above sets the register's upper 24 bits before the
// table step (unlike CrcAddBuffer). The empty text leaves the register.
uint32_t CrcAddString(uint32_t crc, const char* text);
// Checksum of a whole buffer: the first four bytes, read high byte first
// and inverted, seed the register; the rest are added; the result is
// inverted. A buffer shorter than four bytes reads as if zero bytes came
// before it, so nothing past its end is read.
uint32_t CrcBuffer(const void* buffer, int count);
// The standard reflected CRC-32 (polynomial 0xEDB88320, initial value all
// ones, final inversion) of a zero-terminated text.
uint32_t CrcString(const char* text);

// TEA, 32 rounds, delta 0x9E3779B9, on one 8-byte block read as two
// little-endian words, under a key of four words. Source and destination
// may be the same block.
void TeaEncipherBlock(const void* source, void* destination, const uint32_t key[4]);
void TeaDecipherBlock(const void* source, void* destination, const uint32_t key[4]);

// A page of text from help, lesson and welcome files: 20 lines of up to
// 127 characters. With the flag set the page is measured and drawn in
// code page 0, else in the language's code page.
constexpr int TextPageLines = 20;
constexpr int TextPageLineSize = 128;
struct TextPage {
    int flag = 0;
    char lines[TextPageLines][TextPageLineSize] = {};
};

// Clears every line and sets the flag.
void InitTextPage(TextPage& page, int flag);
// Reads the next page of an open text file (see text_page.cpp): lines are
// wrapped to the width and the page ends at a line that begins with a
// backslash, at the end of the file or after 20 lines; the next call goes
// on from there. The title, when given, becomes line 0.
void ReadTextPage(TextPage& page, FILE* file, const char* title, float textSize, float maxWidth);
// Empties every non-empty line from index count on; returns the number of
// non-empty lines kept.
int TrimTextPage(TextPage& page, int count);
// Index of the last non-empty line plus one (0 for an empty page).
int CountTextPageLines(const TextPage& page);

// Copies a player name into the next of two alternating 32-byte buffers
// ready to go into a message: "^8" becomes "^:", a caret at the very end
// is dropped, and when the language's code page is not 0 and the name
// holds a backslash or a character above 0x7F, "^L" goes in front. Long
// names are cut so that the result fits. Valid until the second-next call.
const char* PrepareColourText(const char* text);
// The same with "^8" appended.
const char* PrepareColourTextEnd(const char* text);
// 1 when page is not 0 and the text holds a backslash or a character above
// 0x7F, else 0.
int NeedsCodePageMarker(const char* text, int page);
// Moves the first n-3 bytes of an n-byte field two places right, puts "^"
// and the page's letter in front and a zero in the last byte.
void InsertCodePageMarker(char* field, int n, int page);
// InsertCodePageMarker when NeedsCodePageMarker says so; returns 1 when it
// inserted.
int AddCodePageMarker(char* field, int n, int page);
// Writes exactly n bytes of the text with colour codes removed: "^0" to
// "^7" and "^9" dropped, "^8" and "^:" written as "^L", any other pair
// kept; a pair that does not fit whole is left out; the rest is zero
// filled, so a text that fills the output has no terminator. Returns the
// output index that matches the input position (the caret of an edited
// text).
int StripColourCodes(char* output, const char* text, int n, int position);
// The escape letter ("dscaqtlrv") of a character that file names cannot
// hold (\ / : * ? " < > |); 0 for any other character.
char CharToEscapeLetter(char character);
// Removes in place every character that has an escape letter.
void RemoveFileNameSpecials(char* text);

// Copies at most n-1 characters into an n-byte field and fills the rest
// with zeros.
void CopyFixedString(char* field, const char* text, int n);
// Copies the text into an output of n bytes, leaving out double quotes;
// always terminated. Returns the number of characters written.
int CopyWithoutQuotes(char* output, const char* text, int n);
// 1 when the text begins with the prefix, letters A to Z compared without
// regard to case whatever the locale; an empty prefix gives 1.
int StartsWithNoCase(const char* text, const char* prefix);
// "" for 1, else "s".
const char* PluralSuffix(int count);
// Compares the 8-character number plates that follow the 24-character name
// at the start of two player records: 0 when equal (up to the first zero
// or all 8 characters), 1 when different.
int CompareNumberPlates(const char* firstRecord, const char* secondRecord);
// The decimal integer the text begins with (after blanks); 0 when none.
int ParseInt(const char* text);
// The number in the first 15 characters, a comma taken as the decimal
// point, read the same in every locale; 0 when none or not finite.
float ParseFloat(const char* text);
// Writes a race time from hundredths (negative counts as 0) as
// "h:mm:ss.cc" from one hour, else "m:ss.cc", after the prefix and, with
// the blank flag, one blank. A glyph set g other than 0 raises every
// character by 16 * g + 80 (the font's other digit glyphs). The output
// holds outputSize bytes and is always terminated.
void FormatRaceTime(char* output, int outputSize, const char* prefix, int blankFlag,
                    int hundredths, int glyphSet);

// A counted array of float pairs read from data files. Glyphs, revolved
// shapes and car model tables derive from it and free their own arrays
// too. The table owns its array.
struct FloatPair {
    float x = 0;
    float y = 0;
};
class FloatPairTable {
public:
    FloatPairTable() = default;
    FloatPairTable(const FloatPairTable&) = delete;
    FloatPairTable& operator=(const FloatPairTable&) = delete;
    // Frees the array.
    virtual ~FloatPairTable();
    // Frees the array; derived tables free their own arrays too.
    virtual void Free();

    int count = 0;
    FloatPair* pairs = nullptr;  // count pairs, owned
};
// Count 0 and no array (nothing freed).
void InitFloatPairTable(FloatPairTable& table);
// Count 0 and the array pointer cleared without freeing.
void ClearFloatPairTable(FloatPairTable& table);
// Frees the array, if any.
void FreeFloatPairTable(FloatPairTable& table);
// Reads a count, then count pairs of floats. A negative or huge count, or
// a file that ends inside the table, leaves the table empty, logs a line
// and gives 0; else 1.
int ReadFloatPairTable(FloatPairTable& table, DataFile& reader);
// Writes the count, then the pairs, as ReadFloatPairTable reads them.
void WriteFloatPairTable(const FloatPairTable& table, DataFile& writer);

// ---------------------------------------------------------------------------
// Car name table.
//@@ car-table
// The 20 cars the program knows. A car's index (0 to 19) is also its bit in
// every 20-bit car mask; its short code names its data, engine, setup,
// colour and skin files.
constexpr int CarCount = 20;
struct CarName {
    const char* name;     // display name, at most 31 characters
    const char* code;     // 3-letter short code
    uint8_t gearboxKind;  // 1 H-pattern, 2 motorbike, 3 sequential,
                          // 4 sequential with ignition cut, 5 paddle shift
    uint8_t offRoad;      // nonzero: AI drivers may take it off-road
};
// Constant for the whole run.
extern const CarName CarNameTable[CarCount];
// The car index shown at each position of car lists.
extern const uint8_t CarListOrder[CarCount];

// The body codes whose models are loaded at start-up, shared by related cars.
constexpr int BodyCodeCount = 13;
extern const char* const BodyCodeTable[BodyCodeCount];
// Entry i is the model of body code i, loaded from "data\veh\%s.vob" at
// start-up (null until then). Lives for the whole run; the start-up and
// shut-down code own the models.
struct ObjectModel;
extern ObjectModel* BodyObjects[BodyCodeCount];

// Look-ups compare letters A to Z without regard to case, the same in
// every locale. Index 0..19, or -1 when no car matches.
int FindCarByName(const char* name);
int FindCarByCode(const char* code);
// The short code of the named car; nullptr when unknown.
const char* GetCarCode(const char* name);
// The gearbox kind of the named car; 0 when unknown.
int GetCarGearboxKind(const char* name);
// The off-road flag of the named car; 0 when unknown.
int GetCarOffRoadFlag(const char* name);
// The loaded body model of a body code, compared case-sensitively; nullptr
// when the code is not a body code or its model is not loaded.
ObjectModel* GetCarBodyObject(const char* bodyCode);

// ---------------------------------------------------------------------------
// Translatable texts and language files.
//@@ texts
//
// Every text the program shows that a translator may change is an entry of
// TextTable: a stable 11-character key, a maximum length and the English
// text. Code never keeps a text of its own: it reads the entry's slot through
// GetText when it shows the text, so that loading a language file changes
// every text in place. Language files "data\language\%s.txt" are lines of a
// key, a blank and the text, in the language's code page; "English.txt" is
// written at every start as the reference for translators. The 56 shared
// messages are also addressed by number, because hosts and the master server
// send them as numbers (or as their English texts).

// Names of the texts: TX_ followed by the entry's key (TX_3a_cnocolon).
enum TextId : uint16_t {
#define QV_TEXT(key, maxLength, english) TX_##key,
#define QV_MESSAGE(number, key, english) TX_##key,
#include "core/text_table_data.inc"
#undef QV_TEXT
#undef QV_MESSAGE
    TextCount
};

constexpr int TextKeyLength = 11;
constexpr uint8_t NoMessageNumber = 255;

// One translatable text. The table never changes; only the slots do.
struct TextEntry {
    const char* key;        // exactly TextKeyLength characters, unique
    uint8_t maxLength;      // room including the terminator: a text must be shorter
    uint8_t messageNumber;  // 0..55 for a shared message, else NoMessageNumber
    const char** slot;      // what code reads: the English text or one of the loaded language
    const char* english;    // the default (a leading blank is part of the text)
};
// In table order; the shared messages end it, in number order.
extern const TextEntry TextTable[TextCount];

// The current text of an entry.
inline const char* GetText(TextId id) { return *TextTable[id].slot; }
// The slot of an entry, for screens that keep a reference so that a change
// of language shows at once.
inline const char* const* GetTextSlot(TextId id) { return TextTable[id].slot; }

constexpr int MessageCount = 56;
// The shared messages by number. Numbers without a message (9, 12, 23, 24,
// 28 to 30) have no English text and no entry.
// Lives for the whole run; the slots follow the loaded language.
struct MessageTextTable {
    const char* english[MessageCount] = {};
    const TextEntry* entries[MessageCount] = {};
    const char* slots[MessageCount] = {};
};
extern MessageTextTable MessageTexts;

// English text of shared message 0..55; an empty text for any other number
// and for numbers without a message (numbers come from peers).
const char* GetMessageTextEnglish(int number);
// Current-language text of shared message 0..55; empty as above.
const char* GetMessageText(int number);
// When the text equals (exactly) one of the English shared messages, sets
// found and returns that message in the current language; otherwise returns
// the text itself and leaves found unchanged.
const char* FindMessageTranslation(const char* text, bool& found);
// FindMessageTranslation without the flag.
const char* TranslateMessageText(const char* text);

// A language the program knows by name (English is built in and not listed).
struct LanguageRecord {
    const char* name;         // also the language file's name
    uint16_t primaryId;       // Windows primary language id
    uint8_t subLanguages[4];  // Windows sub-language ids, 0 = none
    int8_t secondLanguage;    // index of the related language, -1 none
};
constexpr int LanguageCount = 32;
// The 32 languages in the order that language lists show them.
extern const LanguageRecord LanguageTable[LanguageCount];
// Index of the language named (without regard to case), -1 when unknown.
int FindLanguage(const char* name);

// Name of the language related to the loaded one (Brazilian for Portuguese,
// Croatian for Serbian and back); empty when none. Lives for the whole run.
constexpr int LanguageNameSize = 32;
extern char SecondLanguageName[LanguageNameSize];

// Frees the loaded language and points every slot at its English text.
void ResetTextTable();
// Loads "data\language\<name>.txt" over the current texts. Translations that
// are too long or whose printf directives differ from the English text's
// keep the English text and are reported. "English" loads nothing. Returns 1
// on success; 0 when the file cannot be read or its code page is not
// available (English stays and the configured language is cleared). With
// report set, failures are shown to the user.
int LoadLanguage(const char* name, bool report);
// ResetTextTable, then loads the named language; "English" (any case) clears
// the configured language, another name becomes the configured language when
// it loads.
void SelectLanguage(const char* name);
// Frees the loaded language text. Callers reset the slots first.
void FreeLanguage();
// Writes "data\language\English.txt" (CR LF line ends), the reference file
// for translators; reports duplicate keys. Returns 1 when written.
int WriteEnglishFile();
// For language lists: reads the named language file's header entries and
// writes its display name into output (size bytes): the language's own name,
// with a code-page mark in front when its code page needs one, or the file
// name when the code page is not available. "English" and files without the
// header entries leave the output unchanged.
void ReadLanguageHeader(const char* fileName, char* output, int size);

// ---------------------------------------------------------------------------
// Player profile and user table.
//@@ profile
//
// The local driver's profile "data\misc\<driver name>.ply" keeps the
// driver's own options, lesson progress, helmet skin, number plate and one
// record per car. It is loaded at start-up when a driver name is set and
// saved with the configuration; the driving-aid flags sent with the
// player's join come from it. The user table "data\misc\usr.bin" keeps the
// names of master-server users by user id.

// A driver's choices for one car (52 bytes, also the file record).
struct CarSettings {
    int32_t colourChoice = 0;  // colour set index; -1: the skin below is used by name
    char skinName[16] = {};    // zero-terminated
    char engineName[32] = {};  // engine sound file under "data\engine\", no extension; empty = the car's own
};
static_assert(sizeof(CarSettings) == 52);

constexpr int LessonProgressSize = 256;

// The local driver's options and number plate (the driver's name is the
// setting "Ply Name").
struct PlayerProfileRecord {
    int reserved = 0;                       // kept as read
    int driverFigure = 32;                  // figure model index
    int horn = 0;                           // horn sound 0..4
    int driverPosition = 0;                 // 0 right, 1 left
    int gearShiftMode = 1;                  // with a controller: 0 auto, 1 sequential, 2 shifter
    int autoGearShift = 1;                  // automatic gears without a controller
    int autoClutchSequential = 1;           // gearbox kinds 2 to 4
    int autoClutchHPatternSequential = 1;   // H-pattern gearbox driven sequentially
    int autoClutchHPatternShifter = 0;      // H-pattern gearbox driven with a shifter
    int brakeHelpKeyboard = 1;              // control type 0
    int brakeHelpController = 0;            // any other control type
    int speedDisplay = 0;                   // 0 mph, 1 km/h
    int pressureDisplay = 0;                // 0 psi, 1 bar
    uint8_t lessonProgress[LessonProgressSize] = {};  // owned by the lessons
    char helmetSkin[16] = "NQ1_NH";
    char numberPlate[8] = {};               // 8 raw characters, not terminated when full
    CarSettings cars[CarCount] = {};        // in car table order
};
// Lives for the whole run; loaded per driver, reset by ResetCoreTables.
extern PlayerProfileRecord PlayerProfile;

// Figure, horn, lesson progress, helmet skin, the default car records and
// an empty number plate. The gear, clutch and brake options keep their
// values, so a new driver starts with those of the previous one.
void SetProfileDefaults();
// Driver position, speed and pressure display: 1 (left, km/h, bar) when
// the user's language is not English, else 0.
void SetRegionalDefaults();
// Loads the driver's profile (versions 5 to 7). Returns 1 when loaded; on
// failure 0, with useDefaults after SetProfileDefaults, else the profile
// is unchanged.
int LoadProfile(bool useDefaults);
// Saves the driver's profile when a driver name is set; 1 when written.
int SaveProfile();
// The record of the chosen car ("Selected Car"); nullptr when unknown.
CarSettings* GetCurrentCarSettings();
// The record of a car by its 3-letter code; nullptr when unknown.
CarSettings* GetCarSettings(const char* shortCode);
// Clears the colour choice and the skin name.
void ClearCarColourChoice(CarSettings& record);
// Clears the engine sound name.
void ClearCarEngineName(CarSettings& record);

// Driving-aid flags of the player's join for a gearbox kind (1 H-pattern,
// 2 motorbike, 3 sequential, 4 sequential with ignition cut, 5 paddle).
constexpr int AssistAutoGears = 0x8;
constexpr int AssistHShifter = 0x10;
constexpr int AssistBrakeHelp = 0x40;
constexpr int AssistClutchAxis = 0x80;
constexpr int AssistAutoClutch = 0x200;
constexpr int AssistDriverPosView = 0x2000;
int GetAssistFlags(int gearboxKind);

// One known master-server user (32 bytes, also the file record).
struct UserRecord {
    int32_t userId = 0;     // the sort key, signed
    uint8_t spare[4] = {};
    char name[24] = {};     // zero-terminated; callers cut longer names to 23
};
static_assert(sizeof(UserRecord) == 32);

// The known users in id order. Lives for the whole run; emptied by
// FreeUserTable.
struct UserList {
    std::vector<UserRecord> records;
    int capacity = 0;      // records before the table is saved and grown
    bool changed = false;  // records added since the last load or save
};
extern UserList UserTable;

// Frees the table, then loads "data\misc\usr.bin"; a missing or bad file
// gives an empty table.
void LoadUserTable();
// Writes the table when records were added; 1 when written.
int SaveUserTable();
void FreeUserTable();
// The record of a user id; nullptr when unknown.
UserRecord* FindUser(int32_t userId);
// Inserts a user after any records with the same id. Callers add only ids
// that FindUser did not find.
void AddUser(int32_t userId, const char* name);

// ---------------------------------------------------------------------------
// Settings file "cfg.txt" and the other small text settings files.
//@@ settings
//
// The settings are one global record, Settings, one field per key of
// "cfg.txt". The file is text: each line a key name (ending in a blank)
// and its value. ConfigKeyTable describes every key (name, kind, default,
// range or mask, written format) and drives reading, writing and clamping.
// A key is recognised wherever its name followed by the blank ends the text
// read so far, so keys may come in any order and unknown lines are passed
// over. Numbers are read and written in the C locale whatever the user's.

// A colour of three bytes and a flags byte (bit 0: unlit), as the drawing
// code keeps it.
struct ColourRecord {
    uint8_t r = 0, g = 0, b = 0;
    uint8_t flags = 0;

    constexpr bool operator==(const ColourRecord&) const = default;
};

// A full-screen mode as the settings keep it; all zero means the desktop's.
struct ScreenModeSetting {
    int lowColour = 0;  // 1 for a 16-bit mode
    int refreshHz = 0;  // 0 = any
    int width = 0;
    int height = 0;

    constexpr bool operator==(const ScreenModeSetting&) const = default;
};

// The fields of "cfg.txt", in file order; each comment names its key.
// Lives for the whole run; LoadConfig fills it at start-up, ResetCoreTables
// sets every field to its default.
struct SettingsRecord {
    char version[7+1] = {};  // "Version"
    int startWindowed = 0;  // "Start Windowed"
    int welcomeZ = 0;  // "Welcome Z"
    int showFps = 0;  // "Show FPS"
    int skyRes = 0;  // "Sky Res"
    int hazeEffect = 0;  // "Haze Effect"
    int mirrorInternal = 0;  // "Mirror Internal"
    int clocksInternal = 0;  // "Clocks Internal"
    int clocksExternal = 0;  // "Clocks External"
    int controlType = 0;  // "Control Type"
    int steerKb = 0;  // "Steer KB"
    int nextShot = 0;  // "Next Shot"
    float thrBrkRate = 0;  // "Thr Brk Rate"
    float kbSteerRate = 0;  // "KB Steer Rate"
    float kbReturnRate = 0;  // "KB Return Rate"
    float kbFastMul = 0;  // "KB Fast Mul"
    float kbSlowMul = 0;  // "KB Slow Mul"
    float kbLimitMul = 0;  // "KB Limit Mul"
    int updatePath = 0;  // "Update Path"
    int replaySkins = 0;  // "Replay Skins"
    int ffStepNum = 0;  // "FF Step Num"
    float ffStrength = 0;  // "FF Strength"
    uint8_t fuelStart = 0;  // "Fuel Start"
    uint8_t fuelPit = 0;  // "Fuel Pit"
    uint8_t tyreLimit = 0;  // "Tyre Limit"
    uint8_t strategy = 0;  // "Strategy"
    int mpSpeedupOpt = 0;  // "MP Speedup Opt"
    int autoGetSkins = 0;  // "Auto Get Skins"
    int helmetSkins = 0;  // "Helmet Skins"
    int instantLook = 0;  // "Instant Look"
    int steerLook = 0;  // "Steer Look"
    float steerLookAmount = 0;  // "Steer Look Amount"
    float steerLookReduce = 0;  // "Steer Look Reduce"
    float tiltDpg = 0;  // "Tilt DPG"
    float lspg = 0;  // "LSPG"
    float fspg = 0;  // "FSPG"
    float vspg = 0;  // "VSPG"
    float cameraDelay = 0;  // "Camera Delay"
    float mpDrawDist = 0;  // "MP Draw Dist"
    float dynamicLod = 0;  // "Dynamic Lod"
    float rubberLay = 0;  // "Rubber Lay"
    float rubberDark = 0;  // "Rubber Dark"
    float mip0 = 0;  // "MIP_0"
    float mip1 = 0;  // "MIP_1"
    float mip2 = 0;  // "MIP_2"
    float mip3 = 0;  // "MIP_3"
    float sunIntensity = 0;  // "Sun Intensity"
    float mainLod = 0;  // "Main LOD"
    float mirrLod = 0;  // "Mirr LOD"
    float dustLod = 0;  // "Dust LOD"
    ScreenModeSetting screenInfo;  // "Screen Info"
    int trackEdSpeed = 0;  // "TrackEd Speed"
    int modelEdSpeed = 0;  // "ModelEd Speed"
    int editorOptions = 0;  // "Editor Options"
    int screenFlags = 0;  // "Screen Flags"
    ColourRecord sunColour;  // "Sun Colour"
    ColourRecord skyHigh;  // "Sky High"
    ColourRecord ground;  // "Ground"
    ColourRecord background;  // "Background"
    ColourRecord backTexture;  // "Back Texture"
    ColourRecord gexDash;  // "GEX Dash"
    ColourRecord nq1Dash;  // "NQ1 Dash"
    ColourRecord gq8Dash;  // "GQ8 Dash"
    ColourRecord ktaDash;  // "KTA Dash"
    ColourRecord splitText;  // "Split Text"
    ColourRecord clockText;  // "Clock Text"
    ColourRecord clockNeedle;  // "Clock Needle"
    float userFov = 0;  // "User FOV"
    float wideFov = 0;  // "Wide FOV"
    float editorFov = 0;  // "Editor FOV"
    float editorSoft = 0;  // "Editor Soft"
    float buttonLook = 0;  // "Button Look"
    float fvLag = 0;  // "FV Lag"
    float fvHeight = 0;  // "FV Height"
    float fvAngle = 0;  // "FV Angle"
    float fvDist = 0;  // "FV Dist"
    int fvDir = 0;  // "FV Dir"
    char selectedCar[31+1] = {};  // "Selected Car"
    char mapName[31+1] = {};  // "Map Name"
    char plyName[23+1] = {};  // "Ply Name"
    char setupName[15+1] = {};  // "Setup Name"
    char coloursName[15+1] = {};  // "Colours Name"
    int masterPort = 0;  // "Master Port"
    int autoKick = 0;  // "Auto Kick"
    int addressName = 0;  // "Address Name"
    char serverIp[15+1] = {};  // "Server IP"
    char serverName[31+1] = {};  // "Server Name"
    char serverPort[7+1] = {};  // "Server Port"
    char serverPass[15+1] = {};  // "Server Pass"
    char gameName[31+1] = {};  // "Game Name"
    char gameIp[15+1] = {};  // "Game IP"
    char gamePort[7+1] = {};  // "Game Port"
    char gamePass[15+1] = {};  // "Game Pass"
    char gameAdmin[15+1] = {};  // "Game Admin"
    char language[31+1] = {};  // "Language"
    char findUser[23+1] = {};  // "Find User"
    char uploadBandwidth[7+1] = {};  // "Upload Bandwidth"
    int setupIndex = 0;  // "Setup Index"
    int coloursIndex = 0;  // "Colours Index"
    int lighting = 0;  // "Lighting"
    int flip = 0;  // "Flip"
    int config = 0;  // "Config"
    int raceStart = 0;  // "Race Start"
    float screenCx = 0;  // "SCREEN_CX"
    float screenCy = 0;  // "SCREEN_CY"
    float screenXmul = 0;  // "SCREEN_XMUL"
    float screenYmul = 0;  // "SCREEN_YMUL"
    float combinedNonLinear = 0;  // "Combined Non Linear"
    float turnCompensation = 0;  // "Turn Compensation"
    float mouseNonLinear = 0;  // "Mouse Non Linear"
    float steerSmooth = 0;  // "Steer Smooth"
    float speedSteerReductionWm = 0;  // "Speed Steer Reduction WM"
    float halfReduceSpeedWm = 0;  // "Half Reduce Speed m/s WM"
    float speedSteerReductionKb = 0;  // "Speed Steer Reduction KB"
    float halfReduceSpeedKb = 0;  // "Half Reduce Speed m/s KB"
    int smowModes = 0;  // "SMOW_MODES"
    ScreenModeSetting infoF9;  // "INFO_F9"
    ScreenModeSetting infoF10;  // "INFO_F10"
    ScreenModeSetting infoF11;  // "INFO_F11"
    ScreenModeSetting infoF12;  // "INFO_F12"
    int disableAnimView = 0;  // "Disable Anim View"
    int driverPosView = 0;  // "Driver Pos View"
    int showNames = 0;  // "Show Names"
    int internalShow = 0;  // "Internal Show"
    int showMap = 0;  // "Show Map"
    int startLights = 0;  // "Start Lights"
    int skillLevel = 0;  // "Skill Level"
    int blobSize = 0;  // "Blob Size"
    int windowedLink = 0;  // "Windowed Link"
    int noTrees = 0;  // "No Trees"
    int noFlags = 0;  // "No Flags"
    int noRubber = 0;  // "No Rubber"
    char musicDir[79+1] = {};  // "Music Dir"
    int musicSetup = 0;  // "Music Setup"
    int musicGame = 0;  // "Music Game"
    int musicReplay = 0;  // "Music Replay"
    float music = 0;  // "MUSIC"
    float beeps = 0;  // "BEEPS"
    float carV = 0;  // "CAR_V"
    float echoB = 0;  // "ECHO_B"
    float skidB = 0;  // "SKID_B"
    float windB = 0;  // "WIND_B"
    float soundDelay = 0;  // "Sound Delay"
    float messageSize = 0;  // "Message Size"
    float carShine = 0;  // "Car Shine"
    int musicChannel = 0;  // "Music Channel"
    int antialiasing = 0;  // "Antialiasing"
    int mipFilter = 0;  // "Mip Filter"
    int localSkinsDds = 0;  // "Local Skins DDS"
    int shadowMode = 0;  // "Shadow Mode"
    int verticalSync = 0;  // "Vertical Sync"
    int lagPrevent = 0;  // "Lag Prevent"
    int minFrameTime = 0;  // "Min Frame Time"
    int gameLimitFps = 0;  // "Game Limit FPS"
    int minSleep = 0;  // "Min Sleep"
    int debounce = 0;  // "Debounce"
    int halfTexRes = 0;  // "Half Tex Res"
    int dedicatedHost = 0;  // "Dedicated Host"
    int aiUsePlySetup = 0;  // "AI Use Ply Setup"
    int aiUsePlyColours = 0;  // "AI Use Ply Colours"
    int sprAutoSave = 0;  // "SPR Auto Save"
    int mprAutoSave = 0;  // "MPR Auto Save"
    int mprMessageBlock = 0;  // "MPR Message Block"
    int options = 0;  // "Options"
    int edCharSize = 0;  // "Ed Char Size"
    int maxConns = 0;  // "Max Conns"
    int modemType = 0;  // "Modem Type"
    int packsPerSec = 0;  // "Packs Per Sec"
    int carsInRace = 0;  // "Cars In Race"
    int carsPerGuest = 0;  // "Cars Per Guest"
    int carsPerHost = 0;  // "Cars Per Host"
    int adminSlots = 0;  // "Admin Slots"
    int mpRules = 0;  // "MP Rules"
    int mpFlags = 0;  // "MP Flags"
    int mpFilter = 0;  // "MP Filter"
    int carsY = 0;  // "Cars Y"
    int carsN = 0;  // "Cars N"
    int connToMaster = 0;  // "Conn To Master"
    int outSimMode = 0;  // "OutSim Mode"
    int outSimDelay = 0;  // "OutSim Delay"
    char outSimIp[15+1] = {};  // "OutSim IP"
    char outSimPort[7+1] = {};  // "OutSim Port"
    int outSimId = 0;  // "OutSim ID"
    int outGaugeMode = 0;  // "OutGauge Mode"
    int outGaugeDelay = 0;  // "OutGauge Delay"
    char outGaugeIp[15+1] = {};  // "OutGauge IP"
    char outGaugePort[7+1] = {};  // "OutGauge Port"
    int outGaugeId = 0;  // "OutGauge ID"
    char fnJ[63+1] = {};  // "FN_J"
    char fnH[63+1] = {};  // "FN_H"
    char fnS[63+1] = {};  // "FN_S"
    char fnK[63+1] = {};  // "FN_K"
    int fwJ = 0;  // "FW_J"
    int fwH = 0;  // "FW_H"
    int fwS = 0;  // "FW_S"
    int fwK = 0;  // "FW_K"
};
extern SettingsRecord Settings;

// How a key's value is read, clamped and written.
enum class ConfigValueKind : uint8_t {
    Int,           // "%d", clamped to min..max (an unreadable value keeps the old one, clamped)
    IntMasked,     // "%d", ANDed with the mask
    IntUnclamped,  // "%d", stored as read
    Byte,          // "%d", clamped, stored in a byte
    Float,         // a decimal number, clamped (not a number gives min), written with decimals
    Text,          // the rest of the line, printable characters, at most length of them
    Name,          // as Text, without file-name characters; stops after length characters
    Colour,        // three integers stored as bytes, not clamped
    Mode,          // four integers, not clamped
    Version,       // text of the program version that wrote the file; only compared
};

// ConfigKey::flags.
enum : uint8_t {
    ConfigKeptAfterFirstRun = 1,  // taken only when not empty and "Welcome Z" is 0
    ConfigNoFileNameChars = 2,    // a Text whose file-name characters are dropped
};

// One key of a settings file. Offsets are into the record the table
// describes (SettingsRecord for ConfigKeyTable).
struct ConfigKey {
    const char* name;         // ends in one blank
    ConfigValueKind kind;
    uint8_t flags;
    uint16_t offset;          // of the field in its record
    int length;               // Text, Name, Version: characters (the field holds one more)
    int decimals;             // Float: digits written after the point
    double defaultValue;      // Int, Byte, Float, masks and unclamped
    double min, max;          // Int, Byte, Float
    int mask;                 // IntMasked
    const char* defaultText;  // Text, Name
    int defaultParts[4];      // Colour (r, g, b), Mode
};

constexpr int ConfigKeyCount = 196;
// The keys of "cfg.txt" in file order.
extern const ConfigKey ConfigKeyTable[ConfigKeyCount];
// Index of a key in ConfigKeyTable by its name (with the blank), -1 when unknown.
int FindConfigKey(const char* name);

// Text being read by the settings readers: the whole file as text mode gives
// it (CR LF folded, Ctrl+Z ends it) and the position of the next character.
struct TextCursor {
    const char* text = "";
    size_t size = 0;
    size_t position = 0;

    // The next character (0..255), or -1 at the end.
    int Get() { return position < size ? static_cast<unsigned char>(text[position++]) : -1; }
    int Peek() const { return position < size ? static_cast<unsigned char>(text[position]) : -1; }
};

// Reads the rest of a line into buffer (length bytes with the terminator):
// keeps characters of code 32 and above while fewer than length - 1 are
// stored, consumes the line end; returns the character that ended the line
// (CR, LF, 0) or -1 at the end of the text.
int ReadTextLine(TextCursor& cursor, char* buffer, int length);
// As ReadTextLine, but drops the characters that file names cannot hold and
// stops once length - 1 characters are stored, leaving the rest of the line.
int ReadNameLine(TextCursor& cursor, char* buffer, int length);
// Reads one integer as "%d" does (leading white space skipped; a value out
// of the int range saturates). Returns 1 when a number was read.
int ScanInt(TextCursor& cursor, int& value);
// Reads one decimal number as "%f" does, in the C locale. Returns 1 when a
// number was read ("nan" and "inf" included).
int ScanFloat(TextCursor& cursor, float& value);
// ScanInt, then the field is clamped to min..max (read or not).
void ScanIntClamped(TextCursor& cursor, int& field, int min, int max);
// ScanInt; a value read is ANDed with the mask.
void ScanIntMasked(TextCursor& cursor, int& field, int mask);
// ScanFloat, then the field is clamped to min..max; not a number gives min.
void ScanFloatClamped(TextCursor& cursor, float& field, float min, float max);
// The window holds the last 64 characters read, the newest first. When the
// newest is a blank, returns the index of the first key whose name the
// newest characters spell backwards; otherwise, or when none matches, count.
constexpr int KeyWindowSize = 64;
int MatchKeySuffix(const char* window, const ConfigKey* keys, int count);

// Table-driven steps for any settings file described by a ConfigKey table.
// Sets the key's field in record to its default.
void SetConfigDefault(const ConfigKey& key, void* record);
// Reads the key's value from the cursor into its field, by its kind.
void ReadConfigValue(TextCursor& cursor, const ConfigKey& key, void* record);
// Writes the key's value in the key's format into output (size bytes,
// terminated, cut to fit); returns the length written.
int FormatConfigValue(const ConfigKey& key, const void* record, char* output, int size);

// Sets every field of Settings to its default, and the values derived from
// them; no file is read.
void SetConfigDefaults();
// Fills Settings: defaults, then "cfg.txt" when it exists, then the fix-ups
// (default car, host list filter, mip filter, language, derived values).
// Never fails.
void LoadConfig();
// Writes "cfg.txt" (CR LF line ends) with every key in table order, through
// a temporary file so that a failed save keeps the old one. Returns 1 when saved.
int SaveConfig();
// "Fuel Start" 50, "Fuel Pit" 30, "Tyre Limit" 30, "Strategy" 1.
void SetDefaultStrategy();
// "Selected Car" = the display name of the first car.
void SetDefaultCarName();
// Sets UpdateFlag to 1, then reads "update_cfg.txt" ("Version ", "Update ");
// a file of another program version sets the flag to 1 again.
void ReadUpdateConfig();

// Values derived from the settings. Live for the whole run.
// 1 when the updater should look for a new version; sent to the master server.
extern int UpdateFlag;
// 2 x tan(fov / 2) of "User FOV" and of "Editor FOV".
extern float FovTangent;
extern float EditorFovTangent;
// 1 / "Main LOD".
extern float MainLodFactor;
// Format of a music file path: the "Music Dir" folder (any "%" in it
// doubled, so it stays text), a backslash and "%s.ogg".
constexpr int MusicTemplateSize = 96;
extern char MusicFileTemplate[MusicTemplateSize];
// 32 when "Shadow Mode" is 1, else 64.
extern int ShadowTextureSize;
// Largest texture size used; 4096 until the device reports a smaller limit.
extern int MaxTextureSize;
// What the device can do, from ReportGraphicsCaps: its largest anisotropy
// (at least 2), and 1 while textures may be doubled by the modulate-2x
// operation or drawn with more than one texture at once.
extern int MaxAnisotropy;
extern int CanModulate2x;
extern int CanMultiTexture;
// Once the device exists: reads its capabilities, logs what it can do
// ("max texture size %d", then "can" or "can't" "do shadows", "use 2x
// tex", "do multi tex", "use dynamic tex", "use compressed tex") and fits
// the settings to them: the texture size limit, "Mip Filter", "Shadow
// Mode", the feature flags and "Half Tex Res" (1 without compressed
// textures). Nothing without a device.
void ReportGraphicsCaps();
// The second minimum frame time of the front end, in ms: 25, or 10 while
// the game list searches for hosts.
extern int MenuMinFrameTime;

// 1 while the drawing area is at least three times as wide as high (three
// screens side by side); set by GetFieldOfView. Lives for the whole run.
extern int WideScreen;
// The field of view in use, in degrees, which the caller may change: "Wide
// FOV" on three screens, else "User FOV". Also sets WideScreen and passes
// it with the screen offsets and scales to the drawing code.
float* GetFieldOfView();
// Stores 2 x tan(fov / 2) of the field of view in use as FovTangent, for
// the projection.
void UpdateFovTangent();

// The user's language as a Windows language id: the primary language in
// the low 10 bits and the sub-language above them, taken from the locale
// variables (LC_ALL, LC_MESSAGES, LANG); English (9) when they name none.
int GetUserDefaultLanguageId();
// Makes GetUserDefaultLanguageId return id (tests); -1 returns to the locale.
void OverrideUserLanguageId(int id);
// The language of LanguageTable that suits a Windows language id: a record
// with the same primary id scores 1, 2 when it also lists the sub-language;
// the first with the highest score wins. -1 when none matches.
int ChooseLanguageForId(int languageId);

// ---------------------------------------------------------------------------
// Command line, hand-over of data files to a running copy, host status file.
//@@ command-line
//
// The command line either names a data file (a replay, setup or layout, as
// when the user opens one from the desktop), which HandOverFile copies into
// its data folder and hands to a running copy, or holds options written as
// "/name=value" that start the program as a host, a guest, a replay checker
// or a killer of a running host; a host configuration file may hold them
// instead. The host status file "host<port>.txt" or "guest.txt" tells
// outside tools what a host or guest is doing.

namespace platform {
struct HandOverPeer;
}

// How the program starts: 1 normal, 2 host, 3 join, 4 replay check, 6 kill;
// 0 after a command-line error, whose text is in CommandLineError.
// Lives for the whole run.
extern int StartMode;
constexpr int CommandLineErrorSize = 256;
extern char CommandLineError[CommandLineErrorSize];
// 1 while the program draws; the replay check and the dedicated modes
// "nogfx" and "invisible" clear it. Lives for the whole run.
extern int GraphicsOn;
// Dedicated host mode: 0 no, 1 yes, 2 nogfx, 3 invisible.
extern int DedicatedMode;
// What the program returns after a normal shut-down.
extern int ExitCode;
// Whether network debug messages show (the "ndebug" option, Shift+F8).
extern int NetworkDebug;

// The replay to open (name without folder and extension) and its kind:
// 1 single-player, 2 multiplayer, 0 none. Set by the hand-over in either
// copy and by the replay check option; the root screen opens it and clears
// the request.
constexpr int ReplayNameLength = 47;
extern char ReplayToOpen[ReplayNameLength + 1];
extern int ReplayOpenRequest;

// Formats of multiplayer replay and layout paths and their search patterns;
// the "mprdir" and "lytdir" options put another folder in them. Any "%" of
// a folder name is doubled, so the formats take exactly their one "%s".
constexpr int PathTemplateSize = 48;
extern char MprFileTemplate[PathTemplateSize];      // "data\mpr\%s.mpr"
extern char MprSearchPattern[PathTemplateSize];     // "data\mpr\*.mpr"
extern char LayoutFileTemplate[PathTemplateSize];   // "data\layout\%s.lyt"
extern char LayoutSearchPattern[PathTemplateSize];  // "data\layout\%s_*.lyt"

// The option names, in order; the first five are the start options.
constexpr int OptionCount = 46;
constexpr int StartOptionCount = 5;
extern const char* const OptionTable[OptionCount];

// The data files a command line may name, by kind 1 to 4.
struct FileKind {
    const char* word;    // the extension, upper case
    const char* folder;  // under "data"
    const char* magic;   // the file's first six bytes
};
constexpr int FileKindCount = 4;
extern const FileKind FileKindTable[FileKindCount + 1];  // entry 0 unused

// Linux passes the words of the command line apart: joined with single
// blanks they are the line the program reads ("/host=My Host" stays one
// option, a path with blanks one name).
std::string JoinCommandLine(int argc, const char* const* argv);

// Checks a data file named by the command line, copies it into its data
// folder and hands it to the running copy (null when none runs). Returns 1
// to go on starting (no data file named, or a replay for this copy to play)
// and 0 to end the program (handed over, copied, or an error shown).
int HandOverFile(const platform::HandOverPeer* runningCopy, const char* commandLine);

// Reads the options; on an error sets StartMode to 0 and CommandLineError.
void ParseCommandLine(const char* commandLine);

// Index of the text in the list of names, compared without regard to case
// (letters A to Z); -1 when absent.
int FindInList(const char* text, const char* const* names, int count);

// Makes sure "data\<name>" can hold files: 0 when "data\<name>\file.fl"
// can be created (it is deleted again) or the folder could be created,
// -1 otherwise.
int MakeDataFolder(const char* name);

// Reads a car list ("ALL-KTA", "ROAD+GEX", short codes and group words
// joined by "+" and "-"); returns 1 and a non-zero 20-bit car mask, or 0.
int ParseCarList(const char* text, uint32_t& mask);

// The running copy's answer to a hand-over request (kind 1 and 2 replays
// with their name, 3 setups, 4 layouts): 1 taken, 3 not able to open a
// replay now, 4 a name that is missing or too long; 0 for other kinds.
int OnFileRequest(int kind, const char* name);
// Whether this copy can open a handed-over replay now: the root screen,
// the replay browser or a replay viewer is idle.
int IsIdleForFileRequest();
#include "core/shell_events.h"

// What the host status file shows; the multiplayer code fills it.
struct HostStatus {
    bool replayPlaying = false;    // a multiplayer replay plays: the file is left alone
    bool guest = false;            // this copy is a guest (else a host)
    bool inGame = false;           // a race runs
    bool sessionRunning = false;   // a host runs a multiplayer session
    const char* joinedHost = "";   // a guest's host name
    const char* gamePort = "";     // a host's port text, names the file
    int guests = 0;                // connections less the host
    int maxGuests = 0;
    const char* hostName = "";
    const char* password = "";
    int useMaster = 0;             // 0 no, 1 yes, 2 hidden
    const char* trackCode = "";    // as FormatTrackCode gives it
    uint32_t carsMask = 0;         // bit n for car n
    int qualifyMinutes = 0;
    int raceLengthCode = 0;        // laps up to 190, 190 + hours above
    int laps = 0;                  // the laps or hours the code stands for
    const char* const* connectionNames = nullptr;
    int connectionCount = 0;
};
// The name of the status file: "guest.txt" or "host<port>.txt".
std::string HostStatusFileName(const HostStatus& status);
// Writes the status file (nothing while a multiplayer replay plays);
// returns 1 when written.
int WriteHostStatus(const HostStatus& status);
// Deletes the status file (nothing while a multiplayer replay plays).
void DeleteHostStatus(const HostStatus& status);

// ---------------------------------------------------------------------------
// The program shell: start-up, the main loop with the game clock, shut-down,
// the main window with its input, display modes and the root screen.
//@@ shell
//
// One thread does everything: each pass of the main loop paces the frame
// (it sleeps, never spins), advances the game clock, runs the chain of
// screens once, draws and presents, then takes the window's events and
// hands keys, characters and mouse events to CurrentScreen.

namespace platform {
struct WindowEvent;
}

// Runs the program as the command line says (the words of argv[1..]
// joined with blanks): start-up, the main loop, shut-down. Returns 0 after
// a start-up failure or a hand-over to a running copy, else ExitCode.
int RunProgram(const char* commandLine);

// Game time in milliseconds, wrapping at 2^32; 0 at the end of start-up.
// Lives for the whole run, as does everything in this section.
extern uint32_t GameClock;
// Milliseconds of game time added in the current pass (never negative).
extern int32_t FrameStep;
// Game time over real time; 1.0 at start (replay speed controls change it).
extern float TimeScale;
// -50..50, set by the multiplayer timing code: the game clock gains
// (or, negative, loses) |ClockNudge| ms every 5 s of real time.
extern int32_t ClockNudge;
// Entry k-1 is 5000 / k ms rounded to the nearest integer, ties to even.
constexpr int ClockNudgeCount = 50;
extern int32_t ClockNudgeTable[ClockNudgeCount];
// The real-time period number in which the last nudge was applied.
extern uint32_t NudgePeriodIndex;
// The last reading of the real clock and the real ms since the last pass.
extern uint32_t RealTime;
extern int32_t RealElapsed;
// Program-wide 16-bit random value: x = (x * 5 + 1) mod 65536, advanced
// once per pass and by code that draws from it.
extern uint16_t RandomState;

// Local (index 0) and UTC (index 1) time of day, each refreshed every
// other second by the loop for the clock display.
struct WallClockRecord {
    int hour[2] = {};    // 0..23
    int minute[2] = {};  // 0..59
    int toggle = 0;      // which of the two the next refresh reads: 0 UTC, 1 local
    uint32_t readMs = 0; // RealTime of the last refresh
};
extern WallClockRecord WallClock;
// Standard colours 23, 24 and 25: texts drawn in them flash once a second.
extern ColourRecord FlashColours[3];

// Set by SetQuitFlag: the loop ends after the current pass.
extern int QuitFlag;
void SetQuitFlag();

// Width and height of the desktop (read once) and of the drawing area
// (0 x 0 without graphics).
struct SizeRecord {
    int width = 0;
    int height = 0;
};
extern SizeRecord DesktopSize;
extern SizeRecord ClientSize;
// The adapter mode record shown full screen (-1 none; found again at
// every start) and the four quick modes' records ("INFO_F9" to "INFO_F12").
extern int FullScreenModeIndex;
extern int QuickModeIndex[4];
// Last-write time of the start-up write test, minutes since 1601.
extern int StartTimeMinutes;

// Requests that other code leaves for the loop, carried out and cleared
// there: a screenshot, windowed mode, a full-screen mode (-1 none) and the
// controllers set up again; the special textures to refill after a mode
// change.
extern int ScreenshotRequest;
extern int WindowedRequest;
extern int FullScreenRequest;
extern int ControllerReinitRequest;
extern int TexturesNeedRestore;
// Set by drawing code when it has begun the 3D frame of the pass.
extern int FrameBegun;
// 1 while nothing is drawn in this pass (no drawing area, device lost).
extern int SkipDrawing;
// Called after the 2D layer when installed (the layout editor's).
extern void (*RenderHook)(int argument);
extern int RenderHookArgument;

// Display values of the pass, for the drawing code.
extern float AspectHW;     // height / width
extern float AspectWH;     // width / height
extern float PixelScaleX;  // 2 / (width * "SCREEN_XMUL")
extern float PixelScaleY;  // 2 / (height * "SCREEN_YMUL")
extern float AspectFactor; // min(1, sqrt(1.333 / AspectWH))
extern float LodFactor;    // 1024 / ("Main LOD" * 1920) with graphics, else 1

// Builds ClockNudgeTable.
void BuildClockNudgeTable();
// Writes "cfg.txt", "card_cfg.txt", "interface_cfg.txt" and the profile.
void SaveAllConfig();
// Logs the text (while logging) and shows it in an error box; a box with
// no window or no display goes to standard error and never waits.
void ShowErrorBox(const char* text);

// The pointer confined to the window, or free; ApplyCursorClip follows the
// "Screen Flags" bit of the current mode (0x100 windowed, 0x200 full screen).
void ClipCursorToWindow();
void ReleaseCursorClip();
void ApplyCursorClip();
// Flips that bit, applies it and says so.
void ToggleCursorClip();

// The head tracker and the controllers, set up again on request.
void InitHeadTracker();
void InitControllers();
void RequestControllerReinit();
void FreeControllers();

// Takes a new back-buffer format: bits per pixel and colour packer; returns
// the format's name ("A888", "X888", "565", "X555" or "unknown").
const char* SetBackBufferFormat(uint32_t format);
// Bits per pixel and packer of the current back-buffer format.
extern int BackBufferBits;
extern uint32_t (*BackBufferPacker)(const ColourRecord& colour);
// The packer for textures.
extern uint32_t (*TexturePacker)(const ColourRecord& colour);

// --- The main window, its input and the display modes.

struct Screen;
// What a screen's mouse handler receives, rewritten for every event.
struct MouseEvent {
    int32_t dx = 0;        // pixels since the last event (0 outside the client area)
    int32_t dy = 0;
    int32_t leftHeld = 0;  // 0 or 1
    int32_t rightHeld = 0;
    int32_t press = 0;     // 1 left, 2 right; + 4 with Ctrl, + 8 with Shift; 0 none
    uint8_t wheel = 0;     // 1 up, 2 down, 0 none
    uint8_t release = 0;   // 1 left, 2 right, 0 none
};

// The screen that receives keys, characters and mouse events; set only
// through SetCurrentScreen.
extern Screen* CurrentScreen;
// Makes the screen the input target and shows its background picture.
void SetCurrentScreen(Screen* screen);

// 1 while a key is down, by virtual-key code; entries 1 left, 2 right,
// 3 middle button, 4 and 5 wheel up and down this pass.
extern uint8_t KeyState[256];
extern int ShiftHeld, CtrlHeld, AltHeld;
// Digits typed with Alt held (at most 3).
struct AltNumberRecord {
    char digits[4] = {};
    int count = 0;
};
extern AltNumberRecord AltNumber;
// Arrow keys: up, down, right, left; the same set only outside console mode.
extern uint8_t ArrowHeld[4];
extern uint8_t ArrowHeldGame[4];
// Page up and page down.
extern uint8_t PageHeld[2];
// 1 when the window is the dedicated host's console.
extern int ConsoleMode;
// In console mode: the message key chosen by a function key, plus 1.
extern int PendingMessageKey;
// The pointer in client pixels and in interface units (-1..1).
extern int LastMousePixel[2];
extern float MousePosition[2];
extern int MouseMoved;
extern MouseEvent CurrentMouseEvent;
// 1 while the window is inactive or minimised.
extern int AppInactive;
// 1 while the graphics device is created, reset or shut down.
extern uint8_t DeviceBusy;
// Information panel of F9 to F12 (0 none), results display (0..2).
extern int InfoPanel;
extern int InfoOverlay;
extern int ResultsMode;
// Set when the keyboard layout changed; the loop brings the input method
// up to date while it is set.
extern int KeyboardLayoutChanged;
// 0, or the quit under way: 1 quitting, 2 quitting while hosting.
extern int QuitState;
// Where a quit returns to (1 the entry screen); 0 to end the program.
extern int QuitReturnTarget;

// Creates the main window (console: the dedicated host's status window);
// 1 when it exists.
int CreateMainWindow(int console);
// Windowed or full-screen style for the current mode and ClientSize.
void SetWindowStyle();
// Stores the exit code and asks to quit (replay check, replay played from
// the command line).
void QuitWithExitCode(int code);
// Starts quitting once (returns the quit state). Hosting live: the guests
// are told and QuitDecision is 1. A target returns there instead of ending.
int RequestQuit(int target);
// Presses and releases a key with the given modifiers; the key-up's result.
int SimulateKeyPress(int ctrl, int shift, int alt, int key);
// Moves the pointer to the window's centre and takes it as the position.
void CentreCursor();
// Asks the loop for a full-screen mode unless already shown.
void RequestFullScreenMode(int index);
// Function keys 9 to 12: the information panel n (1..4).
void SelectInfoPanel(int n);
// The window procedure: one event of the window layer.
int WindowProc(const platform::WindowEvent& event);
// Takes the waiting window events (at most MaxWindowEventsPerPass) and
// hand-over requests and dispatches them.
void PumpWindowMessages();

// Display modes.
// Creates the device on the main window in FullScreenModeIndex; 1 or 0.
int InitGraphicsDevice();
void ShutdownGraphics();
// 1 (refused, with a message) when windowed use is not allowed, else 0.
int CheckWindowedAllowed();
int SetFullScreenMode(int index);
int SetWindowedMode();
int OnWindowResized();
void ResetTextureFilters();
// 1 while the device cannot be drawn to; else begins the scene, 0.
int CheckDeviceLost();
void EndFrame();
// After a change of the graphics options or of the lighting freed the
// graphics resources (the caller frees them first): makes the built-in
// textures, the world's meshes, the helmet, the figures, the screens'
// pictures and preview cars and the session's cars again, with the looping
// sound paused; the frame under way is not drawn. Returns the result of
// restarting the looping sound when it was playing, else 1.
int RebuildGraphicsResources();

// --- The root screen: the top of the screen chain after the entry screen.

struct RootScreen;
// The root screen; null before it exists and after it closed.
extern RootScreen* RootScreenPointer;
// 0 normal; -1 the program ends; 2, 3, 4 the steps of a host restart
// (4 removes the guests first); another value ends a host without graphics.
extern int QuitDecision;
// Set when the user chose hot lapping.
extern int HotLapMode;

// Creates the root screen as the entry screen's successor.
Screen* CreateRootScreen(Screen* parent);
// 1 when the root exists with no child, no replay loading and no session.
int IsRootIdle();
// Opens the race setup screen as the root's child when the root is idle.
void OpenRaceSetupFromRoot();
// Asks the root to load a replay (only while no replay loads).
void RequestReplayLoad(RootScreen* root, const char* name, int multiplayer);
// The title button and the player-name line of the front-end screens.
void DrawTitleBar(Screen* screen, float x, float y, int highlighted);
// The replay browser's choices: a single-player or multiplayer replay.
void OnSprReplayChosen(const char* name);
void OnMprReplayChosen(const char* name);

// ---------------------------------------------------------------------------
// Resets every table the core owns to its start-up state.
void ResetCoreTables();
