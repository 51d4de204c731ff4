// TEA, the Tiny Encryption Algorithm: 32 rounds on one 8-byte block.
#include "core/services.h"

namespace {

constexpr uint32_t TeaDelta = 0x9E3779B9u;
constexpr int TeaRounds = 32;

uint32_t ReadWordLe(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void WriteWordLe(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

void TeaEncipherBlock(const void* source, void* destination, const uint32_t key[4])
{
    const auto* in = static_cast<const uint8_t*>(source);
    uint32_t v0 = ReadWordLe(in);
    uint32_t v1 = ReadWordLe(in + 4);
    uint32_t sum = 0;
    for (int round = 0; round < TeaRounds; ++round) {
        sum += TeaDelta;
        v0 += ((v1 << 4) + key[0]) ^ (v1 + sum) ^ ((v1 >> 5) + key[1]);
        v1 += ((v0 << 4) + key[2]) ^ (v0 + sum) ^ ((v0 >> 5) + key[3]);
    }
    auto* out = static_cast<uint8_t*>(destination);
    WriteWordLe(out, v0);
    WriteWordLe(out + 4, v1);
}

void TeaDecipherBlock(const void* source, void* destination, const uint32_t key[4])
{
    const auto* in = static_cast<const uint8_t*>(source);
    uint32_t v0 = ReadWordLe(in);
    uint32_t v1 = ReadWordLe(in + 4);
    uint32_t sum = TeaDelta * TeaRounds; // 0xC6EF3720
    for (int round = 0; round < TeaRounds; ++round) {
        v1 -= ((v0 << 4) + key[2]) ^ (v0 + sum) ^ ((v0 >> 5) + key[3]);
        v0 -= ((v1 << 4) + key[0]) ^ (v1 + sum) ^ ((v1 >> 5) + key[1]);
        sum -= TeaDelta;
    }
    auto* out = static_cast<uint8_t*>(destination);
    WriteWordLe(out, v0);
    WriteWordLe(out + 4, v1);
}
