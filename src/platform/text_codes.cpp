// Code-page conversions through the C library's iconv, one character at a
// time, so that a character that cannot be converted costs only itself.
#include "platform/text_codes.h"

#include <iconv.h>

#include <cstdint>
#include <cstdio>

namespace platform {
namespace {

int KeyboardCodePage = 1252;

// An iconv descriptor that is closed when it goes out of scope.
class Converter {
public:
    Converter(const char* to, const char* from) : descriptor(iconv_open(to, from)) {}
    ~Converter()
    {
        if (Valid())
            iconv_close(descriptor);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Valid() const { return descriptor != reinterpret_cast<iconv_t>(-1); }
    // Converts one whole character; appends its bytes and returns 1, or 0
    // when the character has no form in the target.
    int Convert(std::string_view in, std::string& out)
    {
        char inBuffer[8] = {}, outBuffer[16] = {};
        if (in.size() > sizeof inBuffer)
            return 0;
        in.copy(inBuffer, in.size());
        char* inPointer = inBuffer;
        char* outPointer = outBuffer;
        size_t inLeft = in.size(), outLeft = sizeof outBuffer;
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
        if (iconv(descriptor, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return 0;
        out.append(outBuffer, static_cast<size_t>(outPointer - outBuffer));
        return 1;
    }

private:
    iconv_t descriptor;
};

std::string CodePageName(int codePageNumber)
{
    char name[16];
    std::snprintf(name, sizeof name, "CP%d", codePageNumber);
    return name;
}

// The length of the valid UTF-8 sequence at the start of text, 0 when it
// is not one (a stray continuation byte, a cut or over-long sequence, a
// surrogate or a value beyond U+10FFFF).
size_t Utf8SequenceLength(std::string_view text, uint32_t& codePoint)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char first = byte(0);
    size_t length = first < 0x80 ? 1 : (first & 0xE0) == 0xC0 ? 2 : (first & 0xF0) == 0xE0 ? 3 : (first & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || length > text.size())
        return 0;
    codePoint = length == 1 ? first : first & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (byte(i) & 0x3F);
    }
    static constexpr uint32_t Smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < Smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string CodePageToUtf8(int codePageNumber, std::string_view bytes)
{
    std::string out;
    Converter converter("UTF-8", CodePageName(codePageNumber).c_str());
    if (!converter.Valid())
        return out;
    for (size_t at = 0; at < bytes.size();) {
        unsigned char first = static_cast<unsigned char>(bytes[at]);
        if (first < 32) {
            ++at;
            continue;
        }
        // A byte alone, or with the next one as its trail.
        if (converter.Convert(bytes.substr(at, 1), out)) {
            ++at;
        } else if (at + 1 < bytes.size() && converter.Convert(bytes.substr(at, 2), out)) {
            at += 2;
        } else {
            ++at;
        }
    }
    return out;
}

std::string Utf8ToCodePage(int codePageNumber, std::string_view utf8)
{
    std::string out;
    Converter converter(CodePageName(codePageNumber).c_str(), "UTF-8");
    if (!converter.Valid())
        return out;
    for (size_t at = 0; at < utf8.size();) {
        uint32_t codePoint = 0;
        size_t length = Utf8SequenceLength(utf8.substr(at), codePoint);
        if (length == 0) {
            ++at;
            continue;
        }
        if (codePoint >= 32 && codePoint != 127 && !(codePoint >= 0x80 && codePoint < 0xA0) &&
            !converter.Convert(utf8.substr(at, length), out))
            out += '?';
        at += length;
    }
    return out;
}

void SetKeyboardCodePageNumber(int codePageNumber) { KeyboardCodePage = codePageNumber; }
int KeyboardCodePageNumber() { return KeyboardCodePage; }

} // namespace platform
