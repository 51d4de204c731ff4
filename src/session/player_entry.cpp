// The 260-byte player entry of grid files and replay headers, and the
// enciphered set-up of join records.
#include <cstring>

#include "session/services.h"

namespace {

constexpr int SetupBlocks = sizeof(CarSetup) / 8;
static_assert(SetupBlocks * 8 == sizeof(CarSetup));
constexpr int JoinRecordSetupOffset = JoinRecordBlockOffset + offsetof(PlayerCarBlock, setup);

uint32_t LittleEndianWord(const void* bytes)
{
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Enciphers (or deciphers) 120 bytes in place, 8 at a time.
void CipherSetup(uint8_t* setup, const uint32_t key[4], bool encipher)
{
    for (int i = 0; i < SetupBlocks; ++i) {
        uint8_t* block = setup + 8 * i;
        if (encipher)
            TeaEncipherBlock(block, block, key);
        else
            TeaDecipherBlock(block, block, key);
    }
}

void CipherJoinRecord(const RacePlayer& slot, JoinRecord& record, bool encipher)
{
    uint32_t key[4];
    MakePlayerBlockKey(slot.descriptor, LittleEndianWord(record.bytes + 4), key);
    CipherSetup(record.bytes + JoinRecordSetupOffset, key, encipher);
}

void WriteSetupBytes(DataFile& writer, const CarSetup& setup) { WriteBlock(writer, &setup, sizeof setup); }

// Texts of a car block from a file or a packet end inside their fields.
void TerminateCarBlockTexts(PlayerCarBlock& block)
{
    block.carName[CarFullNameSize - 1] = 0;
    block.colours.name[sizeof block.colours.name - 1] = 0;
}

} // namespace

void WritePlayerEntry(const RacePlayer& slot, DataFile& writer, const CarSetup& setup)
{
    const PlayerDescriptor& d = slot.descriptor;
    WriteBlock(writer, d.name, PlayerNameSize);
    WriteBlock(writer, d.plate, NumberPlateSize);
    const uint8_t identity[4] = {d.connection, d.type, static_cast<uint8_t>(d.flags), static_cast<uint8_t>(d.flags >> 8)};
    WriteBlock(writer, identity, sizeof identity);
    const uint8_t places[4] = {d.figure, d.playerId, d.startPosition, d.pitStart};
    WriteBlock(writer, places, sizeof places);
    WriteFixedString(writer, d.helmetSkin, HelmetSkinSize);
    WriteBlock(writer, d.pitStrategy, sizeof d.pitStrategy);
    WriteFixedString(writer, slot.carBlock.carName, CarFullNameSize);
    WriteSetupBytes(writer, setup);
    WriteColourConfig(slot.carBlock.colours, writer);
}

void WritePlayerRecord(RacePlayer& slot, DataFile& writer, int mode, const uint32_t key[4])
{
    if (mode == PlayerRecordReplayFinal) {
        CarSetup setup = slot.savedSetup;
        CipherSetup(reinterpret_cast<uint8_t*>(&setup), key, true);
        WriteSetupBytes(writer, setup);
        WriteColourConfig(slot.carBlock.colours, writer);
    } else if (mode == PlayerRecordReplayFirst) {
        slot.savedSetup = slot.carBlock.setup;
        WritePlayerEntry(slot, writer, CarSetup{});
    } else {
        WritePlayerEntry(slot, writer, slot.carBlock.setup);
    }
}

void ReadPlayerRecord(RacePlayer& slot, DataFile& reader, int /*version*/, int /*entryVersion*/, int enciphered,
                      const uint32_t key[4])
{
    PlayerDescriptor& d = slot.descriptor;
    ReadBlock(reader, d.name, PlayerNameSize);
    ReadBlock(reader, d.plate, NumberPlateSize);
    d.connection = static_cast<uint8_t>(ReadByte(reader));
    d.type = static_cast<uint8_t>(ReadByte(reader));
    d.flags = static_cast<uint16_t>(ReadShort(reader));
    d.figure = static_cast<uint8_t>(ReadByte(reader));
    d.playerId = static_cast<uint8_t>(ReadByte(reader));
    d.startPosition = static_cast<uint8_t>(ReadByte(reader));
    d.pitStart = static_cast<uint8_t>(ReadByte(reader));
    ReadBlock(reader, d.helmetSkin, HelmetSkinSize);
    ReadBlock(reader, d.pitStrategy, sizeof d.pitStrategy);
    TerminatePlayerTexts(d);
    PlayerCarBlock& block = slot.carBlock;
    ReadBlock(reader, block.carName, CarFullNameSize);
    ReadBlock(reader, &block.setup, sizeof block.setup);
    if (enciphered)
        CipherSetup(reinterpret_cast<uint8_t*>(&block.setup), key, false);
    ReadColourConfig(block.colours, reader);
    TerminateCarBlockTexts(block);
}

void MakePlayerBlockKey(const PlayerDescriptor& player, uint32_t keyWord, uint32_t key[4])
{
    for (int i = 0; i < 4; ++i)
        key[i] = LittleEndianWord(player.name + 4 * i);
    key[0] ^= keyWord;
    key[1] ^= player.flags;
    key[2] ^= player.playerId;
    key[3] ^= player.figure;
}

void EncipherPlayerBlock(const RacePlayer& slot, JoinRecord& record) { CipherJoinRecord(slot, record, true); }

void DecipherPlayerBlock(const RacePlayer& slot, JoinRecord& record) { CipherJoinRecord(slot, record, false); }

void FillJoinRecordBlock(const RacePlayer& slot, JoinRecord& record)
{
    record.bytes[1] = slot.descriptor.playerId;
    std::memcpy(record.bytes + JoinRecordBlockOffset, &slot.carBlock, sizeof slot.carBlock);
    EncipherPlayerBlock(slot, record);
}

void SetPlayerFromJoinRecord(RacePlayer& slot, JoinRecord& record)
{
    DecipherPlayerBlock(slot, record);
    std::memcpy(&slot.carBlock, record.bytes + JoinRecordBlockOffset, sizeof slot.carBlock);
    TerminateCarBlockTexts(slot.carBlock);
    slot.state &= static_cast<uint8_t>(~1u);
}
