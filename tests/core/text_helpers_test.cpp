// Colour-code and code-page helpers, bounded copies, number parsing, race
// times, text pages and the float-pair table.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/services.h"

namespace {

// The language's code page as the interface would report it.
int FakeCodePage = 0;

// The interface as these tests need it: the code page above, and a font
// in which every character is one size unit wide.
void InstallFakeInterface()
{
    InterfaceHooks hooks;
    hooks.textCodePage = [] { return FakeCodePage; };
    hooks.textWidth = [](const char* text, float size, int) { return static_cast<float>(std::strlen(text)) * size; };
    SetInterfaceHooks(hooks);
}

class TextHelpersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        FakeCodePage = 0;
        InstallFakeInterface();
    }
    void TearDown() override { ResetCoreHooks(); }
};

// Sets a locale for one test when the machine has it.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : active(std::setlocale(LC_ALL, name) != nullptr) {}
    ~LocaleScope() { std::setlocale(LC_ALL, "C"); }
    bool active;
};

std::string Bytes(const char* data, int n) { return std::string(data, static_cast<size_t>(n)); }

} // namespace

TEST_F(TextHelpersTest, StripColourCodesWritesExactlyNBytesAndMapsThePosition)
{
    struct Case {
        const char* text;
        int n;
        int position;
        std::string expected;
        int index;
    };
    const Case cases[] = {
        // Colours dropped, "^8" and "^:" become "^L", other pairs kept,
        // a caret at the very end stays.
        {"^1Jo^8hn^^x^", 12, 6, std::string("Jo^Lhn^^x^\0\0", 12), 4},
        {"^:a^9b^Ec", 8, 99, std::string("^La" "b^Ec\0", 8), 7},
        // A text that fills the output has no terminator.
        {"abcdef", 4, 10, "abcd", 4},
        // A pair that does not fit whole is left out.
        {"abc^8", 4, 0, std::string("abc\0", 4), 0},
        {"", 3, 0, std::string("\0\0\0", 3), 0},
    };
    for (const Case& c : cases) {
        char output[32];
        std::memset(output, 0x55, sizeof output);
        int index = StripColourCodes(output, c.text, c.n, c.position);
        EXPECT_EQ(Bytes(output, c.n), c.expected) << c.text;
        EXPECT_EQ(index, c.index) << c.text;
        EXPECT_EQ(output[c.n], 0x55) << c.text; // nothing past n bytes
    }
}

TEST_F(TextHelpersTest, PrepareColourTextConvertsAndAlternatesBuffers)
{
    const char* first = PrepareColourText("^1Bob^8");
    EXPECT_STREQ(first, "^1Bob^:");
    const char* second = PrepareColourText("Ann^");
    EXPECT_STREQ(second, "Ann");
    EXPECT_STREQ(first, "^1Bob^:"); // still valid until the second-next call
    EXPECT_EQ(PrepareColourText("x"), first);
    EXPECT_STREQ(PrepareColourTextEnd("^8Al"), "^:Al^8");

    // A name with a character above 0x7F gets "^L" under a non-Latin
    // language page, and nothing under page 0.
    EXPECT_STREQ(PrepareColourText("J\xF6rg"), "J\xF6rg");
    FakeCodePage = 5;
    EXPECT_STREQ(PrepareColourText("J\xF6rg"), "^LJ\xF6rg");
    EXPECT_STREQ(PrepareColourText("a\\b"), "^La\\b");
    EXPECT_STREQ(PrepareColourText("plain"), "plain");
}

// Names arrive from peers and replays; a long one must stay inside the
// 32-byte buffers, and a cut never leaves half a caret pair.
TEST_F(TextHelpersTest, PrepareColourTextBoundsLongNames)
{
    std::string longName(200, 'n');
    EXPECT_EQ(std::string(PrepareColourText(longName.c_str())), std::string(31, 'n'));
    EXPECT_EQ(std::string(PrepareColourTextEnd(longName.c_str())), std::string(29, 'n') + "^8");

    std::string straddling = std::string(30, 'a') + "^1zz";
    EXPECT_EQ(std::string(PrepareColourText(straddling.c_str())), std::string(30, 'a'));

    FakeCodePage = 2;
    std::string marked = "\xE7" + std::string(100, 'm');
    std::string result = PrepareColourTextEnd(marked.c_str());
    EXPECT_EQ(result, "^L\xE7" + std::string(23, 'm') + "^8");
}

TEST_F(TextHelpersTest, CodePageMarkers)
{
    EXPECT_EQ(NeedsCodePageMarker("abc", 3), 0);
    EXPECT_EQ(NeedsCodePageMarker("a\\c", 3), 1);
    EXPECT_EQ(NeedsCodePageMarker("\x80", 1), 1);
    EXPECT_EQ(NeedsCodePageMarker("\x80", 0), 0);

    char field[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    InsertCodePageMarker(field, 8, 2);
    EXPECT_EQ(Bytes(field, 8), std::string("^TABCDE\0", 8));

    char name[8] = "N\xE9m";
    EXPECT_EQ(AddCodePageMarker(name, 8, 0), 0);
    EXPECT_EQ(Bytes(name, 8), std::string("N\xE9m\0\0\0\0\0", 8));
    EXPECT_EQ(AddCodePageMarker(name, 8, 9), 1);
    EXPECT_EQ(Bytes(name, 8), std::string("^KN\xE9m\0\0\0", 8));
}

TEST_F(TextHelpersTest, FileNameSpecials)
{
    const char* specials = "\\/:*?\"<>|";
    const char* letters = "dscaqtlrv";
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(CharToEscapeLetter(specials[i]), letters[i]) << specials[i];
    EXPECT_EQ(CharToEscapeLetter('a'), 0);
    EXPECT_EQ(CharToEscapeLetter('\0'), 0);

    char text[] = "a\\b/c:d*e?f\"g<h>i|j";
    RemoveFileNameSpecials(text);
    EXPECT_STREQ(text, "abcdefghij");
}

TEST_F(TextHelpersTest, BoundedCopies)
{
    char field[6];
    std::memset(field, 0x55, sizeof field);
    CopyFixedString(field, "0123456789", 4);
    EXPECT_EQ(Bytes(field, 5), std::string("012\0\x55", 5));
    CopyFixedString(field, "ab", 5);
    EXPECT_EQ(Bytes(field, 6), std::string("ab\0\0\0\x55", 6));

    // n is the size of the output: at most n-1 characters and the zero.
    char output[5];
    std::memset(output, 0x55, sizeof output);
    EXPECT_EQ(CopyWithoutQuotes(output, "\"quoted\" text", 4), 3);
    EXPECT_EQ(Bytes(output, 5), std::string("quo\0\x55", 5));
    EXPECT_EQ(CopyWithoutQuotes(output, "a\"b", 5), 2);
    EXPECT_STREQ(output, "ab");
    EXPECT_EQ(CopyWithoutQuotes(output, "abc", 0), 0);
}

TEST_F(TextHelpersTest, SmallStringHelpers)
{
    EXPECT_EQ(StartsWithNoCase("Hello world", "hELLO"), 1);
    EXPECT_EQ(StartsWithNoCase("He", "hello"), 0);
    EXPECT_EQ(StartsWithNoCase("anything", ""), 1);
    EXPECT_STREQ(PluralSuffix(0), "s");
    EXPECT_STREQ(PluralSuffix(1), "");
    EXPECT_STREQ(PluralSuffix(2), "s");

    // Player records: a 24-character name, then the 8-character plate.
    char first[32] = {};
    char second[32] = {};
    std::memcpy(first + 24, "AB 12\0xy", 8);
    std::memcpy(second + 24, "AB 12\0zz", 8);
    EXPECT_EQ(CompareNumberPlates(first, second), 0); // equal up to the zero
    std::memcpy(first + 24, "ABCDEFGH", 8);
    std::memcpy(second + 24, "ABCDEFGH", 8);
    std::strcpy(second, "other name");
    EXPECT_EQ(CompareNumberPlates(first, second), 0); // all 8, names ignored
    second[31] = 'X';
    EXPECT_EQ(CompareNumberPlates(first, second), 1);
}

TEST_F(TextHelpersTest, StartsWithNoCaseIgnoresTheLocale)
{
    LocaleScope turkish("tr_TR.UTF-8");
    ASSERT_TRUE(turkish.active) << "locale tr_TR.UTF-8 is missing: scripts/setup.sh makes it";
    EXPECT_EQ(StartsWithNoCase("title", "TITLE"), 1);
    EXPECT_EQ(StartsWithNoCase("TITLE", "ti"), 1);
}

TEST_F(TextHelpersTest, ParseNumbers)
{
    EXPECT_EQ(ParseInt("42"), 42);
    EXPECT_EQ(ParseInt("  -7 laps"), -7);
    EXPECT_EQ(ParseInt("laps"), 0);
    EXPECT_EQ(ParseInt("99999999999"), INT_MAX);

    EXPECT_FLOAT_EQ(ParseFloat("1,5"), 1.5f);
    EXPECT_FLOAT_EQ(ParseFloat("-2.25"), -2.25f);
    EXPECT_FLOAT_EQ(ParseFloat("x"), 0.0f);
    // Only the first 15 characters count.
    EXPECT_FLOAT_EQ(ParseFloat("1234567890123456789"), 123456789012345.0f);
    // Typed values never become NaN or infinity.
    EXPECT_EQ(ParseFloat("nan"), 0.0f);
    EXPECT_EQ(ParseFloat("inf"), 0.0f);
    EXPECT_EQ(ParseFloat("1e999"), 0.0f);
}

TEST_F(TextHelpersTest, ParseFloatReadsAPointUnderACommaLocale)
{
    LocaleScope turkish("tr_TR.UTF-8");
    ASSERT_TRUE(turkish.active) << "locale tr_TR.UTF-8 is missing: scripts/setup.sh makes it";
    EXPECT_FLOAT_EQ(ParseFloat("0.75"), 0.75f);
    EXPECT_FLOAT_EQ(ParseFloat("0,75"), 0.75f);
}

TEST_F(TextHelpersTest, FormatRaceTime)
{
    struct Case {
        const char* prefix;
        int blank;
        int hundredths;
        const char* expected;
    };
    const Case cases[] = {
        {"", 0, 366050, "1:01:00.50"},
        {"", 0, 6050, "1:00.50"},
        {"", 0, -5, "0:00.00"},
        {"", 0, 5999, "0:59.99"},
        {"Best", 1, 12345, "Best 2:03.45"},
        {"+", 0, 360000 * 12, "+12:00:00.00"},
    };
    for (const Case& c : cases) {
        char output[32];
        FormatRaceTime(output, sizeof output, c.prefix, c.blank, c.hundredths, 0);
        EXPECT_STREQ(output, c.expected);
    }

    char raised[16];
    FormatRaceTime(raised, sizeof raised, "", 0, 6050, 2);
    std::string expected = "1:00.50";
    for (char& ch : expected)
        ch = static_cast<char>(static_cast<unsigned char>(ch) + 112);
    EXPECT_EQ(std::string(raised), expected);

    char small[5];
    std::memset(small, 0x55, sizeof small);
    FormatRaceTime(small, 4, "", 0, 6050, 0);
    EXPECT_STREQ(small, "1:0");
    EXPECT_EQ(small[4], 0x55);
}

namespace {

// A text file opened for reading, as the help and lesson readers have it.
class TextFile {
public:
    explicit TextFile(const std::string& content) : file(std::tmpfile())
    {
        std::fwrite(content.data(), 1, content.size(), file);
        std::rewind(file);
    }
    ~TextFile() { std::fclose(file); }
    FILE* file;
};

std::vector<std::string> PageLines(const TextPage& page)
{
    std::vector<std::string> lines;
    for (int i = 0; i < CountTextPageLines(page); ++i)
        lines.emplace_back(page.lines[i]);
    return lines;
}

using Lines = std::vector<std::string>;
constexpr float Wide = 1e9f;

} // namespace

TEST_F(TextHelpersTest, TextPagesSkipTheTitleLineAndEndAtABackslash)
{
    TextFile text("@Lesson title\r\n\r\nFirst line\r\n\r\nafter a blank\r\n\\\r\n"
                  "Second page\r\n\\next\r\n");
    TextPage page;
    InitTextPage(page, 1);
    ReadTextPage(page, text.file, nullptr, 0.03f, Wide);
    EXPECT_EQ(PageLines(page), (Lines{"First line", "", "after a blank"}));

    InitTextPage(page, 1);
    ReadTextPage(page, text.file, "^7TIPS", 0.03f, Wide);
    EXPECT_EQ(PageLines(page), (Lines{"^7TIPS", "Second page"}));

    // The rest of a backslash line stays for the next call.
    InitTextPage(page, 1);
    ReadTextPage(page, text.file, nullptr, 0.03f, Wide);
    EXPECT_EQ(PageLines(page), (Lines{"next"}));

    InitTextPage(page, 0);
    ReadTextPage(page, text.file, nullptr, 0.03f, Wide);
    EXPECT_EQ(CountTextPageLines(page), 0);
    EXPECT_EQ(page.flag, 0);
}

// With no width to spare every line breaks once it holds 8 characters: at
// a blank, ")" or "-" in its last quarter, otherwise where it stands.
TEST_F(TextHelpersTest, TextPagesWrapInTheLastQuarterOnly)
{
    struct Case {
        const char* text;
        Lines expected;
    };
    const Case cases[] = {
        {"abcdef ghij", {"abcdef ", "ghij"}},
        {"abcdef-ghij", {"abcdef-", "ghij"}},
        {"ab cdefghijk", {"ab cdefg", "hijk"}},
    };
    for (const Case& c : cases) {
        TextFile text(c.text);
        TextPage page;
        InitTextPage(page, 1);
        ReadTextPage(page, text.file, nullptr, 0.03f, 0.0f);
        EXPECT_EQ(PageLines(page), c.expected) << c.text;
    }

    TextFile longLine(std::string(300, 'x'));
    TextPage page;
    InitTextPage(page, 1);
    ReadTextPage(page, longLine.file, nullptr, 0.03f, Wide);
    EXPECT_EQ(PageLines(page),
              (Lines{std::string(127, 'x'), std::string(127, 'x'), std::string(46, 'x')}));
}

TEST_F(TextHelpersTest, TextPagesHoldTwentyLinesAndLoseNothing)
{
    std::string content;
    for (int i = 0; i < 25; ++i)
        content += "line " + std::to_string(i) + "\n";
    TextFile text(content);
    TextPage page;
    InitTextPage(page, 1);
    ReadTextPage(page, text.file, nullptr, 0.03f, Wide);
    ASSERT_EQ(CountTextPageLines(page), 20);
    EXPECT_STREQ(page.lines[19], "line 19");
    InitTextPage(page, 1);
    ReadTextPage(page, text.file, nullptr, 0.03f, Wide);
    EXPECT_EQ(PageLines(page), (Lines{"line 20", "line 21", "line 22", "line 23", "line 24"}));

    // A page that fills up while wrapping keeps the waiting character for
    // the next page.
    std::string word(200, 'w');
    TextFile wrapped(word);
    std::string joined;
    for (int pages = 0; pages < 3; ++pages) {
        InitTextPage(page, 1);
        ReadTextPage(page, wrapped.file, nullptr, 0.03f, 0.0f);
        for (const std::string& line : PageLines(page))
            joined += line;
    }
    EXPECT_EQ(joined, word);
}

TEST_F(TextHelpersTest, TrimTextPageEmptiesLinesFromCount)
{
    TextPage page;
    InitTextPage(page, 0);
    std::strcpy(page.lines[0], "a");
    std::strcpy(page.lines[2], "b");
    std::strcpy(page.lines[3], "c");
    EXPECT_EQ(CountTextPageLines(page), 4);
    EXPECT_EQ(TrimTextPage(page, 3), 2);
    EXPECT_EQ(CountTextPageLines(page), 3);
    EXPECT_EQ(TrimTextPage(page, 0), 0);
    EXPECT_EQ(CountTextPageLines(page), 0);
}

namespace {

std::vector<uint8_t> PairImage(int32_t count, const std::vector<float>& values)
{
    std::vector<uint8_t> image = {'Q', 'V', 'T', 'E', 'S', 'T', 0, 1};
    auto add = [&image](uint32_t word) {
        for (int i = 0; i < 4; ++i)
            image.push_back(static_cast<uint8_t>(word >> (8 * i)));
    };
    add(static_cast<uint32_t>(count));
    for (float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        add(bits);
    }
    return image;
}

} // namespace

TEST_F(TextHelpersTest, FloatPairTableReadsCountedPairsAndRefusesBadCounts)
{
    std::vector<uint8_t> good = PairImage(2, {1.5f, -2.0f, 0.25f, 8.0f});
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, good.data(), good.size(), version);
    FloatPairTable table;
    ASSERT_EQ(ReadFloatPairTable(table, reader), 1);
    ASSERT_EQ(table.count, 2);
    EXPECT_EQ(table.pairs[0].x, 1.5f);
    EXPECT_EQ(table.pairs[0].y, -2.0f);
    EXPECT_EQ(table.pairs[1].x, 0.25f);
    EXPECT_EQ(table.pairs[1].y, 8.0f);

    for (int32_t badCount : {-1, 1000, 0x7FFFFFFF}) {
        std::vector<uint8_t> bad = PairImage(badCount, {1.0f, 2.0f});
        DataFile badReader;
        OpenDataBlock(badReader, bad.data(), bad.size(), version);
        EXPECT_EQ(ReadFloatPairTable(table, badReader), 0) << badCount;
        EXPECT_EQ(table.count, 0);
        EXPECT_EQ(table.pairs, nullptr);
    }
}
