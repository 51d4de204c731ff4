// The key tables that drive reading, clamping and writing of the text
// settings files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
    ConfigClampParts = 4,         // a Colour whose parts are clamped to 0..255 (else their low byte)
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

// A whole settings file described by a key table: every key the text
// holds is read into record (the key window walk above), and the record is
// formatted as one line per key in table order ("name value\n").
void ReadConfigKeys(const std::string& text, const ConfigKey* keys, int count, void* record);
std::string FormatConfigKeys(const ConfigKey* keys, int count, const void* record);
