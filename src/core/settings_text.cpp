// The line-oriented key reading and writing shared by every text settings
// file: value readers, the key window, and the table-driven default, read
// and format steps of one key.
#include "core/services.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

bool IsScanSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

int LowerAscii(int c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// 1 when the characters at the cursor spell the word (letters without
// regard to case).
bool LooksAt(const TextCursor& cursor, size_t at, const char* word)
{
    for (size_t i = 0; word[i] != 0; ++i) {
        if (at + i >= cursor.size || LowerAscii(static_cast<unsigned char>(cursor.text[at + i])) != word[i])
            return false;
    }
    return true;
}

template <typename T>
T& FieldOf(void* record, const ConfigKey& key)
{
    return *reinterpret_cast<T*>(static_cast<char*>(record) + key.offset);
}

template <typename T>
const T& FieldOf(const void* record, const ConfigKey& key)
{
    return *reinterpret_cast<const T*>(static_cast<const char*>(record) + key.offset);
}

// Copies text into a field of length + 1 bytes.
void SetTextField(char* field, int length, const char* text)
{
    size_t n = std::strlen(text);
    if (n > static_cast<size_t>(length))
        n = static_cast<size_t>(length);
    std::memcpy(field, text, n);
    std::memset(field + n, 0, static_cast<size_t>(length) + 1 - n);
}

// The key tables hold whole-number limits as doubles.
int ClampInt(int value, double min, double max)
{
    return Clamp(value, static_cast<int>(min), static_cast<int>(max));
}

// Reads up to parts integers into values; stops at the first that is not
// there, as "%d %d %d" does.
void ScanParts(TextCursor& cursor, int* values, int parts)
{
    for (int i = 0; i < parts; ++i) {
        int value = 0;
        if (!ScanInt(cursor, value))
            return;
        values[i] = value;
    }
}

// Appends to output (terminated); returns the new length.
int Append(char* output, int size, int length, const char* text, size_t n)
{
    if (length >= size - 1)
        return length;
    size_t room = static_cast<size_t>(size - 1 - length);
    if (n > room)
        n = room;
    std::memcpy(output + length, text, n);
    length += static_cast<int>(n);
    output[length] = 0;
    return length;
}

int AppendInt(char* output, int size, int length, int value)
{
    char digits[16];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    return Append(output, size, length, digits, static_cast<size_t>(result.ptr - digits));
}

} // namespace

int ReadTextLine(TextCursor& cursor, char* buffer, int length)
{
    int stored = 0;
    buffer[0] = 0;
    for (;;) {
        int c = cursor.Get();
        if (c == -1 || c == '\r' || c == '\n' || c == 0) {
            buffer[stored] = 0;
            return c;
        }
        if (c >= 32 && stored < length - 1)
            buffer[stored++] = static_cast<char>(c);
    }
}

int ReadNameLine(TextCursor& cursor, char* buffer, int length)
{
    int stored = 0;
    buffer[0] = 0;
    while (stored < length - 1) {
        int c = cursor.Get();
        if (c == -1 || c == '\r' || c == '\n' || c == 0) {
            buffer[stored] = 0;
            return c;
        }
        if (c >= 32 && CharToEscapeLetter(static_cast<char>(c)) == 0)
            buffer[stored++] = static_cast<char>(c);
    }
    buffer[stored] = 0;
    return cursor.Peek();
}

int ScanInt(TextCursor& cursor, int& value)
{
    while (IsScanSpace(cursor.Peek()))
        cursor.Get();
    bool negative = false;
    if (cursor.Peek() == '-' || cursor.Peek() == '+')
        negative = cursor.Get() == '-';
    if (!IsDigit(cursor.Peek()))
        return 0;
    // Saturate instead of overflowing: the clamp that follows gives the
    // limit the user meant.
    long long magnitude = 0;
    while (IsDigit(cursor.Peek())) {
        magnitude = magnitude * 10 + (cursor.Get() - '0');
        if (magnitude > 1LL << 32)
            magnitude = 1LL << 32;
    }
    long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX)
        signedValue = INT_MAX;
    if (signedValue < INT_MIN)
        signedValue = INT_MIN;
    value = static_cast<int>(signedValue);
    return 1;
}

int ScanFloat(TextCursor& cursor, float& value)
{
    while (IsScanSpace(cursor.Peek()))
        cursor.Get();
    bool negative = false;
    if (cursor.Peek() == '-' || cursor.Peek() == '+')
        negative = cursor.Get() == '-';
    size_t start = cursor.position;
    if (LooksAt(cursor, start, "nan")) {
        cursor.position = start + 3;
        value = std::nanf("");
        return 1;
    }
    if (LooksAt(cursor, start, "inf")) {
        cursor.position = start + (LooksAt(cursor, start, "infinity") ? 8 : 3);
        value = negative ? -HUGE_VALF : HUGE_VALF;
        return 1;
    }
    // The longest prefix of the form digits [. digits] [e [sign] digits].
    size_t at = start;
    size_t digits = 0;
    while (at < cursor.size && IsDigit(cursor.text[at]))
        ++at, ++digits;
    if (at < cursor.size && cursor.text[at] == '.') {
        ++at;
        while (at < cursor.size && IsDigit(cursor.text[at]))
            ++at, ++digits;
    }
    if (digits == 0)
        return 0;
    if (at < cursor.size && (cursor.text[at] == 'e' || cursor.text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < cursor.size && (cursor.text[exponent] == '-' || cursor.text[exponent] == '+'))
            ++exponent;
        if (exponent < cursor.size && IsDigit(cursor.text[exponent])) {
            while (exponent < cursor.size && IsDigit(cursor.text[exponent]))
                ++exponent;
            at = exponent;
        }
    }
    float parsed = 0;
    auto result = std::from_chars(cursor.text + start, cursor.text + at, parsed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large gives infinity, too small gives zero, as strtof does.
        bool large = false;
        for (const char* p = cursor.text + start; p < cursor.text + at && *p != 'e' && *p != 'E'; ++p) {
            if (*p >= '1' && *p <= '9') {
                large = true;
                break;
            }
        }
        const char* e = static_cast<const char*>(std::memchr(cursor.text + start, 'e', at - start));
        if (e == nullptr)
            e = static_cast<const char*>(std::memchr(cursor.text + start, 'E', at - start));
        if (e != nullptr && e + 1 < cursor.text + at && e[1] == '-')
            large = false;
        parsed = large ? HUGE_VALF : 0.0f;
    }
    cursor.position = at;
    value = negative ? -parsed : parsed;
    return 1;
}

void ScanIntClamped(TextCursor& cursor, int& field, int min, int max)
{
    ScanInt(cursor, field);
    field = ClampInt(field, min, max);
}

void ScanIntMasked(TextCursor& cursor, int& field, int mask)
{
    ScanInt(cursor, field);
    field &= mask;
}

void ScanFloatClamped(TextCursor& cursor, float& field, float min, float max)
{
    ScanFloat(cursor, field);
    if (std::isnan(field) || field < min)
        field = min;
    else if (field > max)
        field = max;
}

int MatchKeySuffix(const char* window, const ConfigKey* keys, int count)
{
    if (window[0] != ' ')
        return count;
    for (int k = 0; k < count; ++k) {
        const char* name = keys[k].name;
        size_t length = std::strlen(name);
        if (length == 0 || length > static_cast<size_t>(KeyWindowSize))
            continue;
        size_t i = 0;
        while (i < length && window[i] == name[length - 1 - i])
            ++i;
        if (i == length)
            return k;
    }
    return count;
}

void SetConfigDefault(const ConfigKey& key, void* record)
{
    switch (key.kind) {
    case ConfigValueKind::Int:
    case ConfigValueKind::IntMasked:
    case ConfigValueKind::IntUnclamped:
        FieldOf<int>(record, key) = static_cast<int>(key.defaultValue);
        break;
    case ConfigValueKind::Byte:
        FieldOf<uint8_t>(record, key) = static_cast<uint8_t>(key.defaultValue);
        break;
    case ConfigValueKind::Float:
        FieldOf<float>(record, key) = static_cast<float>(key.defaultValue);
        break;
    case ConfigValueKind::Text:
    case ConfigValueKind::Name:
        SetTextField(&FieldOf<char>(record, key), key.length, key.defaultText);
        break;
    case ConfigValueKind::Version:
        SetTextField(&FieldOf<char>(record, key), key.length, ProductVersion);
        break;
    case ConfigValueKind::Colour: {
        ColourRecord& colour = FieldOf<ColourRecord>(record, key);
        colour = {static_cast<uint8_t>(key.defaultParts[0]), static_cast<uint8_t>(key.defaultParts[1]),
                  static_cast<uint8_t>(key.defaultParts[2]), 0};
        break;
    }
    case ConfigValueKind::Mode:
        FieldOf<ScreenModeSetting>(record, key) = {key.defaultParts[0], key.defaultParts[1],
                                                   key.defaultParts[2], key.defaultParts[3]};
        break;
    }
}

void ReadConfigValue(TextCursor& cursor, const ConfigKey& key, void* record)
{
    switch (key.kind) {
    case ConfigValueKind::Int:
        ScanIntClamped(cursor, FieldOf<int>(record, key), static_cast<int>(key.min), static_cast<int>(key.max));
        break;
    case ConfigValueKind::IntMasked:
        ScanIntMasked(cursor, FieldOf<int>(record, key), key.mask);
        break;
    case ConfigValueKind::IntUnclamped:
        ScanInt(cursor, FieldOf<int>(record, key));
        break;
    case ConfigValueKind::Byte: {
        uint8_t& field = FieldOf<uint8_t>(record, key);
        int value = field;
        ScanIntClamped(cursor, value, static_cast<int>(key.min), static_cast<int>(key.max));
        field = static_cast<uint8_t>(value);
        break;
    }
    case ConfigValueKind::Float:
        ScanFloatClamped(cursor, FieldOf<float>(record, key), static_cast<float>(key.min),
                         static_cast<float>(key.max));
        break;
    case ConfigValueKind::Text:
    case ConfigValueKind::Version: {
        char* field = &FieldOf<char>(record, key);
        ReadTextLine(cursor, field, key.length + 1);
        if (key.flags & ConfigNoFileNameChars)
            RemoveFileNameSpecials(field);
        break;
    }
    case ConfigValueKind::Name:
        ReadNameLine(cursor, &FieldOf<char>(record, key), key.length + 1);
        break;
    case ConfigValueKind::Colour: {
        ColourRecord& colour = FieldOf<ColourRecord>(record, key);
        int parts[3] = {colour.r, colour.g, colour.b};
        ScanParts(cursor, parts, 3);
        if (key.flags & ConfigClampParts)
            for (int& part : parts)
                part = ClampInt(part, 0, 255);
        colour.r = static_cast<uint8_t>(parts[0]);
        colour.g = static_cast<uint8_t>(parts[1]);
        colour.b = static_cast<uint8_t>(parts[2]);
        break;
    }
    case ConfigValueKind::Mode: {
        ScreenModeSetting& mode = FieldOf<ScreenModeSetting>(record, key);
        int parts[4] = {mode.lowColour, mode.refreshHz, mode.width, mode.height};
        ScanParts(cursor, parts, 4);
        mode = {parts[0], parts[1], parts[2], parts[3]};
        break;
    }
    }
}

int FormatConfigValue(const ConfigKey& key, const void* record, char* output, int size)
{
    int length = 0;
    output[0] = 0;
    switch (key.kind) {
    case ConfigValueKind::Int:
    case ConfigValueKind::IntMasked:
    case ConfigValueKind::IntUnclamped:
        length = AppendInt(output, size, length, FieldOf<int>(record, key));
        break;
    case ConfigValueKind::Byte:
        length = AppendInt(output, size, length, FieldOf<uint8_t>(record, key));
        break;
    case ConfigValueKind::Float: {
        // Fixed notation with the key's decimals, correctly rounded, in the
        // C locale ("%.2f" of the value).
        char digits[64];
        auto result = std::to_chars(digits, digits + sizeof digits, FieldOf<float>(record, key),
                                    std::chars_format::fixed, key.decimals);
        size_t n = result.ec == std::errc() ? static_cast<size_t>(result.ptr - digits) : 0;
        length = Append(output, size, length, digits, n);
        break;
    }
    case ConfigValueKind::Text:
    case ConfigValueKind::Name:
    case ConfigValueKind::Version: {
        const char* text = &FieldOf<char>(record, key);
        length = Append(output, size, length, text, strnlen(text, static_cast<size_t>(key.length) + 1));
        break;
    }
    case ConfigValueKind::Colour: {
        const ColourRecord& colour = FieldOf<ColourRecord>(record, key);
        int parts[3] = {colour.r, colour.g, colour.b};
        for (int i = 0; i < 3; ++i) {
            if (i > 0)
                length = Append(output, size, length, " ", 1);
            length = AppendInt(output, size, length, parts[i]);
        }
        break;
    }
    case ConfigValueKind::Mode: {
        const ScreenModeSetting& mode = FieldOf<ScreenModeSetting>(record, key);
        int parts[4] = {mode.lowColour, mode.refreshHz, mode.width, mode.height};
        for (int i = 0; i < 4; ++i) {
            if (i > 0)
                length = Append(output, size, length, " ", 1);
            length = AppendInt(output, size, length, parts[i]);
        }
        break;
    }
    }
    return length;
}

void ReadConfigKeys(const std::string& text, const ConfigKey* keys, int count, void* record)
{
    TextCursor cursor{text.data(), text.size(), 0};
    char window[KeyWindowSize] = {};
    for (int c = cursor.Get(); c != -1; c = cursor.Get()) {
        std::memmove(window + 1, window, KeyWindowSize - 1);
        window[0] = static_cast<char>(c);
        int k = MatchKeySuffix(window, keys, count);
        if (k < count)
            ReadConfigValue(cursor, keys[k], record);
    }
}

std::string FormatConfigKeys(const ConfigKey* keys, int count, const void* record)
{
    std::string text;
    char value[256];
    for (int k = 0; k < count; ++k) {
        FormatConfigValue(keys[k], record, value, sizeof value);
        text += keys[k].name;
        text += value;
        text += '\n';
    }
    return text;
}
