// CRC-32 checksums and TEA encryption, fixed to the bit because copies of the
// program compare them.
#pragma once

#include <array>
#include <cstdint>

// Running CRC-32 values, most significant bit first over polynomial
// 0x04C11DB7. Copies of the program compare these values with each other
// (checksums, file checks, password proofs), so every step is fixed.

// Entry i is i in the top byte, shifted left eight times with the
// polynomial folded in at every carry. Lives for the whole run; constant
// from program start, and BuildCrcTable fills it again at start-up.
extern const std::array<uint32_t, 256>& CrcTable;
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
