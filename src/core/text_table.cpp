// The table of translatable texts, its slots and the shared messages by number.
#include "core/local.h"
#include "core/services.h"

#include <cstring>

namespace {

constexpr uint8_t MessageMaxLength = 64;

// One text pointer per entry, read through the entries' slots; the shared
// messages use MessageTexts' slots instead. Starts at English so texts can
// be read before start-up resets the table.
// Lives for the whole run; reset by ResetTextTable.
const char* TextSlots[TextCount] = {
#define QV_TEXT(key, maxLength, english) english,
#define QV_MESSAGE(number, key, english) english,
#include "core/text_table_data.inc"
#undef QV_TEXT
#undef QV_MESSAGE
};

// The build-time checks of the table: keys of exactly 11 characters, all
// different; every English text fits its entry; messages numbered upwards
// within 0..55.
struct TextCheckRow {
    const char* key;
    int maxLength;
    int messageNumber;
    const char* english;
};

constexpr TextCheckRow TextCheckRows[] = {
#define QV_TEXT(key, maxLength, english) {#key, maxLength, -1, english},
#define QV_MESSAGE(number, key, english) {#key, MessageMaxLength, number, english},
#include "core/text_table_data.inc"
#undef QV_TEXT
#undef QV_MESSAGE
};

constexpr int ConstLength(const char* text)
{
    int n = 0;
    while (text[n])
        ++n;
    return n;
}

constexpr bool TextRowsAreValid()
{
    int lastMessage = -1;
    for (const TextCheckRow& row : TextCheckRows) {
        if (ConstLength(row.key) != TextKeyLength)
            return false;
        if (row.maxLength > 255 || ConstLength(row.english) >= row.maxLength)
            return false;
        if (row.messageNumber >= 0) {
            if (row.messageNumber <= lastMessage || row.messageNumber >= MessageCount)
                return false;
            lastMessage = row.messageNumber;
        } else if (lastMessage >= 0) {
            return false;  // the shared messages end the table
        }
    }
    return true;
}

static_assert(TextRowsAreValid(), "text table: key length, text length or message order");
// A key used twice fails to compile already: each key names an enumerator
// of TextId.

MessageTextTable BuildMessageTexts();

} // namespace

const TextEntry TextTable[TextCount] = {
#define QV_TEXT(key, maxLength, english) {#key, maxLength, NoMessageNumber, &TextSlots[TX_##key], english},
#define QV_MESSAGE(number, key, english) {#key, MessageMaxLength, number, &MutableMessageTexts.slots[number], english},
#include "core/text_table_data.inc"
#undef QV_TEXT
#undef QV_MESSAGE
};

// Lives for the whole run; the slots are reset by ResetTextTable.
MessageTextTable MutableMessageTexts = BuildMessageTexts();
const MessageTextTable& MessageTexts = MutableMessageTexts;

namespace {

MessageTextTable BuildMessageTexts()
{
    MessageTextTable table;
    for (const TextEntry& entry : TextTable) {
        if (entry.messageNumber == NoMessageNumber)
            continue;
        table.english[entry.messageNumber] = entry.english;
        table.entries[entry.messageNumber] = &entry;
        table.slots[entry.messageNumber] = entry.english;
    }
    return table;
}

} // namespace

const char** WritableSlot(const TextEntry& entry)
{
    // Every slot is an element of TextSlots or of the message table's
    // slots, both writable; the table hands them out read-only.
    return const_cast<const char**>(entry.slot);
}

void ResetTextTable()
{
    FreeLanguage();
    MutableMessageTexts = BuildMessageTexts();
    for (const TextEntry& entry : TextTable)
        *WritableSlot(entry) = entry.english;
}

void OverrideText(TextId id, const char* text)
{
    if (id < TextCount && text != nullptr)
        *WritableSlot(TextTable[id]) = text;
}

const char* GetMessageTextEnglish(int number)
{
    if (number < 0 || number >= MessageCount || !MessageTexts.english[number])
        return "";
    return MessageTexts.english[number];
}

const char* GetMessageText(int number)
{
    if (number < 0 || number >= MessageCount || !MessageTexts.slots[number])
        return "";
    return MessageTexts.slots[number];
}

const char* FindMessageTranslation(const char* text, bool& found)
{
    for (int number = 0; number < MessageCount; ++number) {
        const char* english = MessageTexts.english[number];
        if (english && std::strcmp(english, text) == 0) {
            found = true;
            return MessageTexts.slots[number];
        }
    }
    return text;
}

const char* TranslateMessageText(const char* text)
{
    bool found = false;
    return FindMessageTranslation(text, found);
}
