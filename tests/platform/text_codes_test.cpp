// Code-page conversions against byte values of the published code-page
// tables: Latin and Japanese text both ways, and what is dropped or
// replaced.
#include <gtest/gtest.h>

#include "platform/text_codes.h"

namespace {

using namespace platform;

TEST(TextCodesTest, TextTurnsBetweenCodePagesAndUtf8)
{
    const struct {
        const char* what;
        int page;
        const char* bytes;
        const char* utf8;
    } cases[] = {
        {"Latin letters and the euro sign", 1252, "Gr\xFC\xDF" "e \x80", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"},
        {"Japanese kanji and kana", 932, "\x93\xFA\x96\x7B\x82\xA0", "\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\x82"},
        {"Korean", 949, "\xC7\xD1", "\xED\x95\x9C"},
        {"Cyrillic", 1251, "\xC4\xE0", "\xD0\x94\xD0\xB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CodePageToUtf8(c.page, c.bytes), c.utf8);
        EXPECT_EQ(Utf8ToCodePage(c.page, c.utf8), c.bytes);
    }
}

TEST(TextCodesTest, ControlCharactersAndInvalidSequencesAreDropped)
{
    const struct {
        const char* what;
        const char* utf8;
        const char* bytes;
    } cases[] = {
        {"controls", "a\tb\nc\x1B" "d\x7F" "e\xC2\x85" "f", "abcdef"},
        {"a stray continuation byte", "a\x80" "b", "ab"},
        {"a cut sequence", "a\xE6\x97", "a"},
        {"an over-long form", "a\xC0\xAF" "b", "ab"},
        {"a surrogate", "a\xED\xA0\x80" "b", "ab"},
        {"beyond Unicode", "a\xF4\x90\x80\x80" "b", "ab"},
        {"a character the page lacks", "a\xE6\x97\xA5" "b", "a?b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf8ToCodePage(1252, c.utf8), c.bytes);
    }
    EXPECT_EQ(CodePageToUtf8(932, "a\x93"), "a") << "a lead byte without its trail";
    EXPECT_EQ(CodePageToUtf8(1252, "a\x81" "b"), "ab") << "a byte the page does not define";
    EXPECT_EQ(Utf8ToCodePage(12345, "abc"), "") << "an unknown code page";
}

} // namespace
