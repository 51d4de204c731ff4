// The CRC-32 family: the program's own most-significant-bit-first CRC that
// copies compare with each other, and the standard reflected CRC-32.
#include "core/local.h"
#include "core/services.h"

#include <array>

namespace {

constexpr uint32_t CrcPolynomial = 0x04C11DB7u;
constexpr uint32_t ReflectedPolynomial = 0xEDB88320u;

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ CrcPolynomial : value << 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> MakeReflectedTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ ReflectedPolynomial : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> InitialCrcTable = MakeCrcTable();

// Tables for eight bytes at a time. Entry a of table k is a * x^(32 + 8k)
// mod the polynomial: the register's contribution after 8 - k more bytes
// come in behind byte a. Eight bytes after a register r and the words w1,
// w2 (high byte first) give r x^64 + w1 x^32 + w2, which the tables split
// into independent look-ups.
constexpr std::array<std::array<uint32_t, 256>, 8> MakeSliceTables()
{
    std::array<std::array<uint32_t, 256>, 8> tables{};
    tables[0] = MakeCrcTable();
    for (size_t k = 1; k < 8; ++k)
        for (size_t a = 0; a < 256; ++a) {
            uint32_t previous = tables[k - 1][a];
            tables[k][a] = (previous << 8) ^ tables[0][previous >> 24];
        }
    return tables;
}

constexpr std::array<std::array<uint32_t, 256>, 8> SliceTables = MakeSliceTables();
constexpr std::array<uint32_t, 256> ReflectedTable = MakeReflectedTable();

} // namespace

// Constant-initialised, so a checksum taken before start-up has built the
// table is still right.
constinit std::array<uint32_t, 256> MutableCrcTable = InitialCrcTable;
const std::array<uint32_t, 256>& CrcTable = MutableCrcTable;

void BuildCrcTable()
{
    MutableCrcTable = MakeCrcTable();
}

uint32_t CrcAddByte(uint32_t crc, uint8_t value)
{
    return MutableCrcTable[crc >> 24] ^ ((crc << 8) | value);
}

uint32_t CrcAddShort(uint32_t crc, uint16_t value)
{
    crc = CrcAddByte(crc, static_cast<uint8_t>(value));
    return CrcAddByte(crc, static_cast<uint8_t>(value >> 8));
}

uint32_t CrcAddInt(uint32_t crc, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        crc = CrcAddByte(crc, static_cast<uint8_t>(value >> shift));
    return crc;
}

uint32_t CrcAddBuffer(uint32_t crc, const void* buffer, int count)
{
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    int i = 0;
    // Eight bytes at a time; the same result as eight CrcAddByte steps.
    const auto& t = SliceTables;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* b = bytes + i;
        uint32_t second = static_cast<uint32_t>(b[4]) << 24 | static_cast<uint32_t>(b[5]) << 16 |
                          static_cast<uint32_t>(b[6]) << 8 | b[7];
        crc = second ^ t[7][crc >> 24] ^ t[6][(crc >> 16) & 0xFF] ^ t[5][(crc >> 8) & 0xFF] ^
              t[4][crc & 0xFF] ^ t[3][b[0]] ^ t[2][b[1]] ^ t[1][b[2]] ^ t[0][b[3]];
    }
    for (; i < count; ++i)
        crc = MutableCrcTable[crc >> 24] ^ ((crc << 8) | bytes[i]);
    return crc;
}

uint32_t CrcAddString(uint32_t crc, const char* text)
{
    for (const char* c = text; *c; ++c) {
        // The character is widened as a signed byte: 0xE9 becomes 0xFFFFFFE9.
        uint32_t widened = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(*c)));
        crc = ((crc << 8) | widened) ^ MutableCrcTable[crc >> 24];
    }
    return crc;
}

uint32_t CrcBuffer(const void* buffer, int count)
{
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    // The seed is the first four bytes high byte first; a shorter buffer
    // reads as if zero bytes preceded it.
    int seedBytes = count < 4 ? (count > 0 ? count : 0) : 4;
    uint32_t seed = 0;
    for (int i = 0; i < seedBytes; ++i)
        seed = (seed << 8) | bytes[i];
    uint32_t crc = CrcAddBuffer(~seed, bytes + seedBytes, count - seedBytes);
    return ~crc;
}

uint32_t CrcString(const char* text)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char* c = text; *c; ++c)
        crc = ReflectedTable[(crc ^ static_cast<uint8_t>(*c)) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}
