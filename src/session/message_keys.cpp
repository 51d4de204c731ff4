// The function keys' message texts "data\misc\fkeys.msg".
#include "session/local.h"

char MutableMessageKeyTable[MessageKeyCount][MessageKeyLength] = {};
const char (&MessageKeyTable)[MessageKeyCount][MessageKeyLength] = MutableMessageKeyTable;

namespace {

const char* const DefaultMessageKeys[DefaultMessageKeyCount] = {
    ":)", ":-)", "good pass", "good race", "", "", "", "",                    // F1..F8
    ":)", "", "hi", "bye", "", "", "/w pb", "/w wr",                           // Ctrl+F1..F8
    "/press up", "/press down", "/press left", "/press right",                 // Ctrl+F9..F12
    "", "", "", "/exit",                                                       // Alt+F1..F4
};

void CopyDefaultMessageKeys()
{
    for (int i = 0; i < DefaultMessageKeyCount; ++i)
        CopyFixedString(MutableMessageKeyTable[i], DefaultMessageKeys[i], MessageKeyLength);
}

// Texts a file of a version holds: all of them, or the first 16 or 20
// over the defaults.
int TextsOfVersion(int version)
{
    switch (version) {
    case 250: return MessageKeyCount;
    case 249: return 20;
    case 248: return 16;
    default: return 0;
    }
}

} // namespace

void SetDefaultMessageKeys()
{
    for (char* text : MutableMessageKeyTable)
        CopyFixedString(text, "", MessageKeyLength);
    CopyDefaultMessageKeys();
}

int ReadMessageKeys(DataFile& reader, int version)
{
    const int texts = TextsOfVersion(version);
    if (texts != MessageKeyCount)
        CopyDefaultMessageKeys();
    if (!DataFileHolds(reader, texts, MessageKeyLength)) {
        LogPrintf("LoadMessageKeys : %d texts do not fit the file", texts);
        SetDefaultMessageKeys();
        return 0;
    }
    for (int i = 0; i < texts; ++i) {
        ReadBlock(reader, MutableMessageKeyTable[i], MessageKeyLength);
        MutableMessageKeyTable[i][MessageKeyLength - 1] = 0;
    }
    return 1;
}

void LoadMessageKeys()
{
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, MessageKeysPath, MessageKeysMagic, version, MessageKeysVersion, false);
    if (!reader.IsOpen() || version < OldestMessageKeysVersion) {
        CopyDefaultMessageKeys();
        return;
    }
    ReadMessageKeys(reader, version);
    CloseDataFile(reader);
}

void WriteMessageKeys(DataFile& writer)
{
    for (const char* text : MessageKeyTable)
        WriteFixedString(writer, text, MessageKeyLength);
}

int SaveMessageKeys()
{
    DataFile writer;
    CreateDataFile(writer, nullptr, MessageKeysPath, MessageKeysMagic, MessageKeysVersion);
    if (!writer.IsOpen())
        return 0;
    WriteMessageKeys(writer);
    return CloseDataFile(writer);
}
