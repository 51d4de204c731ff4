// Language files: loading translations over the text table, the generated
// English reference file, language list headers and the known languages.
#include "core/local.h"
#include "core/services.h"
#include "platform/files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

const LanguageRecord LanguageTable[LanguageCount] = {
    {"Deutsch", 0x07, {}, -1},
    {"Portuguese", 0x16, {2}, 19},
    {"French", 0x0C, {}, -1},
    {"Suomi", 0x0B, {}, -1},
    {"Norsk", 0x14, {}, -1},
    {"Nederlands", 0x13, {}, -1},
    {"Catalan", 0x03, {}, -1},
    {"Turkish", 0x1F, {}, -1},
    {"Castellano", 0x0A, {}, -1},
    {"Italiano", 0x10, {}, -1},
    {"Dansk", 0x06, {}, -1},
    {"Czech", 0x05, {}, -1},
    {"Russian", 0x19, {}, -1},
    {"Estonian", 0x25, {}, -1},
    {"Serbian", 0x1A, {2, 3, 6, 7}, 17},
    {"Greek", 0x08, {}, -1},
    {"Polski", 0x15, {}, -1},
    {"Croatian", 0x1A, {1, 4}, 14},
    {"Hungarian", 0x0E, {}, -1},
    {"Brazilian", 0x16, {1}, 1},
    {"Swedish", 0x1D, {}, -1},
    {"Slovak", 0x1B, {}, -1},
    {"Galego", 0x56, {}, -1},
    {"Slovenski", 0x24, {}, -1},
    {"Belarussian", 0x23, {}, -1},
    {"Latvian", 0x26, {}, -1},
    {"Lithuanian", 0x27, {}, -1},
    {"Traditional_Chinese", 0x04, {1, 3, 5}, -1},
    {"Simplified_Chinese", 0x04, {2, 4}, -1},
    {"Japanese", 0x11, {}, -1},
    {"Korean", 0x12, {}, -1},
    {"Bulgarian", 0x02, {}, -1},
};

// Lives for the whole run; set by LoadLanguage.
char MutableSecondLanguageName[LanguageNameSize] = {};
const char (&SecondLanguageName)[LanguageNameSize] = MutableSecondLanguageName;

namespace {

// Longest line of a language file that is read; the rest of a longer line
// is skipped. It holds a key, its blank and the longest text any entry
// takes (119 characters), so that no text that fits its entry is cut.
constexpr size_t MaxLanguageLine = TextKeyLength + 1 + 119;
// Standard colours of the message list.
constexpr int ColourReport = 16;
constexpr int ColourWarning = 9;

// The loaded language file, zero-terminated; translated slots point into it.
// Lives until the next ResetTextTable or FreeLanguage.
std::unique_ptr<char[]> LanguageImage;

int FindLanguageEntry(std::string_view key)
{
    // Built once: the first entry (in table order) of each key.
    static const std::unordered_map<std::string_view, int> index = [] {
        std::unordered_map<std::string_view, int> map;
        for (int i = 0; i < TextCount; ++i)
            map.emplace(std::string_view(TextTable[i].key, TextKeyLength), i);
        return map;
    }();
    auto found = index.find(key);
    return found == index.end() ? -1 : found->second;
}

std::string LanguagePath(const char* name)
{
    return std::string("data\\language\\") + name + ".txt";
}

// A name that becomes a file name must stay one file in the language
// folder: no path separators or other characters that file names cannot
// hold.
bool IsPlainFileName(const char* name)
{
    for (const char* c = name; *c; ++c)
        if (CharToEscapeLetter(*c))
            return false;
    return name[0] != 0;
}

// Walks the lines of a language file image (size bytes followed by a zero
// byte). Lines end at CR or LF; empty lines and zero bytes between lines are
// skipped. Each line is cut to MaxLanguageLine characters and terminated in
// place; lines longer than a key are handed to visit(line, length) with the
// length the line had before the cut, so that a translation too long for
// its entry is refused rather than cut short. Stops early when visit
// returns false.
template <class Visit>
void ForEachLanguageLine(char* image, size_t size, Visit visit)
{
    size_t i = 0;
    while (i < size) {
        if (image[i] == '\r' || image[i] == '\n' || image[i] == 0) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < size && image[i] != '\r' && image[i] != '\n')
            ++i;
        size_t length = std::min(i - start, MaxLanguageLine);
        image[start + length] = 0;
        if (length > static_cast<size_t>(TextKeyLength) && !visit(image + start, i - start))
            return;
    }
}

// The printf conversions of a text, reduced to what each takes from the
// arguments: a '*' for a width or precision argument, the length modifier
// and the conversion letter. Returns false for a directive that is broken,
// positional or "%n", which no text may hold.
bool DirectiveSignature(const char* text, std::string& signature)
{
    signature.clear();
    for (const char* c = text; *c; ++c) {
        if (*c != '%')
            continue;
        ++c;
        if (*c == '%')
            continue;
        while (*c && std::strchr("-+ #0'", *c))
            ++c;
        if (*c == '*') {
            signature += '*';
            ++c;
        }
        while (*c >= '0' && *c <= '9')
            ++c;
        if (*c == '.') {
            ++c;
            if (*c == '*') {
                signature += '*';
                ++c;
            }
            while (*c >= '0' && *c <= '9')
                ++c;
        }
        while (*c && std::strchr("hlLjztq", *c))
            signature += *c++;
        if (!*c || !std::strchr("diouxXeEfFgGaAcsp", *c))
            return false;
        signature += *c;
        signature += ';';
    }
    return true;
}

// 1 when a translation takes the same arguments as the English text.
bool SameDirectives(const char* english, const char* translation)
{
    std::string englishSignature;
    std::string translationSignature;
    bool englishValid = DirectiveSignature(english, englishSignature);
    bool translationValid = DirectiveSignature(translation, translationSignature);
    return englishValid && translationValid && englishSignature == translationSignature;
}

// Applies one line of a language file: points the entry's slot at its text
// when the text fits the entry and takes the same arguments as the English.
void ApplyLanguageLine(char* line, size_t lineLength)
{
    int index = FindLanguageEntry(std::string_view(line, TextKeyLength));
    if (index < 0)
        return;
    const TextEntry& entry = TextTable[index];
    char* text = line + TextKeyLength + 1;
    if (entry.english[0] == ' ' && text[0] != ' ') {
        // The separator blank is the text's own leading blank.
        line[TextKeyLength] = ' ';
        text = line + TextKeyLength;
    }
    int length = static_cast<int>(lineLength - static_cast<size_t>(text - line));
    char report[128];
    if (length >= entry.maxLength) {
        std::snprintf(report, sizeof report, "Too long : %s (by %d)", entry.key,
                      length - entry.maxLength + 1);
        LogPrintf("LoadLanguage : %s", report);
        GetInterfaceHooks().printMessage(report, ColourReport);
        return;
    }
    if (!SameDirectives(entry.english, text)) {
        std::snprintf(report, sizeof report, "Wrong format : %s", entry.key);
        LogPrintf("LoadLanguage : %s", report);
        GetInterfaceHooks().printMessage(report, ColourReport);
        return;
    }
    *WritableSlot(entry) = text;
}

// Reads a whole language file into a zero-terminated image.
std::unique_ptr<char[]> ReadLanguageImage(const std::string& path, size_t& size)
{
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes))
        return nullptr;
    size = bytes.size();
    auto image = std::make_unique<char[]>(size + 1);
    if (size)
        std::memcpy(image.get(), bytes.data(), size);
    image[size] = 0;
    return image;
}

void SetConfiguredLanguage(const char* name)
{
    CopyFixedString(MutableSettings.language, name, sizeof MutableSettings.language);
}

} // namespace

int FindLanguage(const char* name)
{
    for (int i = 0; i < LanguageCount; ++i)
        if (EqualsNoCase(LanguageTable[i].name, name))
            return i;
    return -1;
}

void FreeLanguage()
{
    // No slot may keep pointing into the freed text.
    if (LanguageImage) {
        for (const TextEntry& entry : TextTable)
            *WritableSlot(entry) = entry.english;
        LanguageImage.reset();
    }
}

int LoadLanguage(const char* name, bool report)
{
    FreeLanguage();
    if (EqualsNoCase(name, "English"))
        return 1;

    std::string path = LanguagePath(name);
    size_t size = 0;
    std::unique_ptr<char[]> image;
    if (IsPlainFileName(name))
        image = ReadLanguageImage(path, size);
    if (!image) {
        LogPrintf("LoadLanguage : Could not open file : %s", path.c_str());
        if (report)
            GetInterfaceHooks().printLoadError(path.c_str());
        SetConfiguredLanguage("");
        return 0;
    }

    int language = FindLanguage(name);
    int second = language >= 0 ? LanguageTable[language].secondLanguage : -1;
    CopyFixedString(MutableSecondLanguageName, second >= 0 ? LanguageTable[second].name : "",
                    LanguageNameSize);

    LanguageImage = std::move(image);
    ForEachLanguageLine(LanguageImage.get(), size, [](char* line, size_t lineLength) {
        ApplyLanguageLine(line, lineLength);
        return true;
    });

    int page = GetInterfaceHooks().findCodePageByNumber(ParseInt(GetText(TX_tx_codepage)));
    if (page >= 0 && GetInterfaceHooks().isCodePageUnavailable(page)) {
        LogPrintf("LoadLanguage : code page not available : %s", name);
        if (report)
            GetInterfaceHooks().printMessagePair(name, "is not available on your computer", ColourReport);
        ResetTextTable();
        SetConfiguredLanguage("");
        return 0;
    }
    return 1;
}

void SelectLanguage(const char* name)
{
    ResetTextTable();
    if (EqualsNoCase(name, "English")) {
        SetConfiguredLanguage("");
        return;
    }
    if (LoadLanguage(name, true))
        SetConfiguredLanguage(name);
}

int WriteEnglishFile()
{
    // Duplicate keys are a fault of the table itself (the build refuses
    // them); reported here as well, for tables changed by hand.
    std::vector<std::string_view> keys;
    for (const TextEntry& entry : TextTable)
        keys.emplace_back(entry.key);
    std::sort(keys.begin(), keys.end());
    for (size_t i = 1; i < keys.size(); ++i)
        if (keys[i] == keys[i - 1])
            GetInterfaceHooks().printMessagePair("Duplicate :", std::string(keys[i]).c_str(), ColourReport);

    std::string text = "English.txt - Generated by Quorvan\n\n";
    for (const TextEntry& entry : TextTable) {
        text += entry.key;
        text += ' ';
        text += entry.english[0] == ' ' ? entry.english + 1 : entry.english;
        text += '\n';
    }
    std::string bytes = platform::TextWithCrLf(text);
    if (!platform::FolderExists("data\\language"))
        platform::MakeFolder("data\\language");
    if (!platform::WriteWholeFile("data\\language\\English.txt", bytes.data(), bytes.size())) {
        LogLine("WriteEnglishFile : Could not create file : data\\language\\English.txt");
        GetInterfaceHooks().printMessage("Could not create English file", ColourWarning);
        return 0;
    }
    return 1;
}

void ReadLanguageHeader(const char* fileName, char* output, int size)
{
    if (EqualsNoCase(fileName, "English"))
        return;
    std::string path = LanguagePath(fileName);
    size_t length = 0;
    std::unique_ptr<char[]> image;
    if (IsPlainFileName(fileName))
        image = ReadLanguageImage(path, length);
    if (!image) {
        GetInterfaceHooks().printLoadError(path.c_str());
        return;
    }

    int codePage = 0;
    const char* languageName = nullptr;
    ForEachLanguageLine(image.get(), length, [&](char* line, size_t) {
        std::string_view key(line, TextKeyLength);
        const char* text = line + TextKeyLength + 1;
        if (key == "tx_codepage")
            codePage = ParseInt(text);
        else if (key == "tx_langname")
            languageName = text;
        return !(codePage != 0 && languageName && languageName[0]);
    });
    if (codePage == 0 || !languageName || !languageName[0])
        return;

    int page = GetInterfaceHooks().findCodePageByNumber(codePage);
    if (page >= 0 && GetInterfaceHooks().isCodePageUnavailable(page)) {
        CopyFixedString(output, fileName, size);
    } else if (page >= 1 && page <= 9) {
        char marked[128];
        std::snprintf(marked, sizeof marked, "^%c%s", "LETBJCGHSK"[page], languageName);
        CopyFixedString(output, marked, size);
    } else {
        CopyFixedString(output, languageName, size);
    }
}
