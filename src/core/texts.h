// Translatable texts and language files.
#pragma once

#include <cstdint>

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
    const char* const* slot;  // what code reads: the English text or one of the loaded language
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
extern const MessageTextTable& MessageTexts;

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
extern const char (&SecondLanguageName)[LanguageNameSize];

// Frees the loaded language and points every slot at its English text.
void ResetTextTable();
// Points an entry at a text that the caller keeps alive until the next
// ResetTextTable or language load (tests that need a given translation).
void OverrideText(TextId id, const char* text);
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
