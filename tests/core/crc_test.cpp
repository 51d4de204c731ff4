// The CRC-32 family and TEA, checked against zlib, Python's bzip2 and
// published check values.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/services.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

uint32_t ZlibCrc(const std::string& text)
{
    return static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

class CrcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        BuildCrcTable();
    }
};

} // namespace

TEST_F(CrcTest, CheckValuesOfTheNineDigits)
{
    const char* digits = "123456789";
    EXPECT_EQ(CrcString(digits), 0xCBF43926u);
    EXPECT_EQ(CrcBuffer(digits, 9), 0x74527081u);
    // With four zero bytes appended the buffer checksum is CRC-32/BZIP2.
    const char augmented[13] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0, 0, 0, 0};
    EXPECT_EQ(CrcBuffer(augmented, 13), 0xFC891918u);
    EXPECT_EQ(CrcTable[1], 0x04C11DB7u);
}

TEST_F(CrcTest, CrcStringAgreesWithZlib)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> byte(1, 255);
    for (size_t length : {0u, 1u, 3u, 4u, 17u, 1000u, 65537u}) {
        std::string text(length, ' ');
        for (char& c : text)
            c = static_cast<char>(byte(random));
        EXPECT_EQ(CrcString(text.c_str()), ZlibCrc(text)) << "length " << length;
    }
}

// bzip2 stores the CRC-32/BZIP2 of each block's input right after the
// block magic; Python's bz2 module (libbz2) writes it independently of us.
TEST_F(CrcTest, AugmentedBufferChecksumMatchesBzip2BlockCrc)
{
    TempFolder folder;
    std::mt19937 random(777);
    std::string data(5000, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    folder.WriteFile("data.bin", data);
    std::string script = "import bz2,sys; d=bz2.compress(open('data.bin','rb').read()); "
                         "assert d[4:10]==bytes.fromhex('314159265359'); "
                         "open('crc.txt','w').write(d[10:14].hex())";
    std::string command = std::string(QV_PYTHON) + " -c \"" + script + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    uint32_t expected = static_cast<uint32_t>(std::stoul(folder.ReadFile("crc.txt"), nullptr, 16));

    std::vector<uint8_t> augmented(data.begin(), data.end());
    augmented.insert(augmented.end(), 4, 0);
    EXPECT_EQ(CrcBuffer(augmented.data(), static_cast<int>(augmented.size())), expected);
}

TEST_F(CrcTest, StringTakesCharactersAsSignedBytes)
{
    const char high[] = "\xE9";
    EXPECT_EQ(CrcAddString(0, high), 0xFFFFFFE9u);
    EXPECT_EQ(CrcAddBuffer(0, high, 1), 0x000000E9u);
    // Below 0x80 the two agree; the empty text leaves the register.
    const char* text = "Password 42";
    EXPECT_EQ(CrcAddString(0x1234, text), CrcAddBuffer(0x1234, text, 11));
    EXPECT_EQ(CrcAddString(0xDEADBEEF, ""), 0xDEADBEEFu);
}

// Buffers are added eight bytes at a time; every length and alignment
// must give what single bytes give.
TEST_F(CrcTest, BufferEqualsByteStepsAtEveryLengthAndOffset)
{
    std::mt19937 random(4242);
    std::vector<uint8_t> data(64);
    for (uint8_t& b : data)
        b = static_cast<uint8_t>(random());
    for (int offset = 0; offset < 8; ++offset)
        for (int length = 0; length <= 40; ++length) {
            uint32_t start = static_cast<uint32_t>(random());
            uint32_t expected = start;
            for (int i = 0; i < length; ++i)
                expected = CrcAddByte(expected, data[static_cast<size_t>(offset + i)]);
            EXPECT_EQ(CrcAddBuffer(start, data.data() + offset, length), expected)
                << "offset " << offset << " length " << length;
        }
}

TEST_F(CrcTest, ShortAndIntAddTheirBytesLowFirst)
{
    const uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A};
    uint32_t viaValues = CrcAddInt(CrcAddShort(0x5A5A, 0x1234), 0x9ABC5678);
    EXPECT_EQ(viaValues, CrcAddBuffer(0x5A5A, bytes, 6));
    uint32_t viaBytes = 0x5A5A;
    for (uint8_t b : bytes)
        viaBytes = CrcAddByte(viaBytes, b);
    EXPECT_EQ(viaValues, viaBytes);
}

// A buffer shorter than the four seed bytes is read as if zero bytes came
// before it, and nothing past its end is touched (exact-size heap buffers
// let the sanitizer see any over-read).
TEST_F(CrcTest, BufferChecksumOfFewerThanFourBytesStaysInside)
{
    const uint8_t data[] = {0xA1, 0xB2, 0xC3};
    for (int n = 0; n <= 3; ++n) {
        auto exact = std::make_unique<uint8_t[]>(static_cast<size_t>(n) + (n == 0));
        std::memcpy(exact.get(), data, static_cast<size_t>(n));
        uint8_t padded[4] = {};
        std::memcpy(padded + 4 - n, data, static_cast<size_t>(n));
        EXPECT_EQ(CrcBuffer(exact.get(), n), CrcBuffer(padded, 4)) << "n " << n;
    }
    EXPECT_EQ(CrcBuffer(data, 0), 0u);
}

TEST_F(CrcTest, BuildCrcTableKeepsTheStartValues)
{
    auto before = CrcTable;
    BuildCrcTable();
    EXPECT_EQ(CrcTable, before);
}

TEST(TeaTest, PublishedVectorWithZeroKeyAndBlock)
{
    const uint32_t key[4] = {0, 0, 0, 0};
    uint8_t block[8] = {};
    TeaEncipherBlock(block, block, key);
    const uint8_t expected[8] = {0x0A, 0x3A, 0xEA, 0x41, 0x40, 0xA9, 0xBA, 0x94};
    EXPECT_EQ(0, std::memcmp(block, expected, 8));
}

TEST(TeaTest, DecipherRestoresAndInPlaceMatchesCopy)
{
    std::mt19937 random(99);
    for (int trial = 0; trial < 50; ++trial) {
        uint32_t key[4];
        for (uint32_t& word : key)
            word = static_cast<uint32_t>(random());
        uint8_t plain[8];
        for (uint8_t& b : plain)
            b = static_cast<uint8_t>(random());
        uint8_t sealed[8];
        TeaEncipherBlock(plain, sealed, key);
        EXPECT_NE(0, std::memcmp(plain, sealed, 8));
        uint8_t inPlace[8];
        std::memcpy(inPlace, plain, 8);
        TeaEncipherBlock(inPlace, inPlace, key);
        EXPECT_EQ(0, std::memcmp(inPlace, sealed, 8));
        TeaDecipherBlock(inPlace, inPlace, key);
        EXPECT_EQ(0, std::memcmp(inPlace, plain, 8));
    }
}
