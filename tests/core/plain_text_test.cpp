// Player names compared as shown: the plain text of caret-coded names.
#include <gtest/gtest.h>

#include <string>

#include "core/services.h"

namespace {

TEST(PlainTextTest, CaretCodesAndCase)
{
    struct Case {
        const char* text;
        const char* plain;
    };
    const Case cases[] = {
        {"^1Red^7White^8", "RedWhite"},      // colours
        {"^9a^:b", "ab"},                    // own colour, code page 0
        {"^Lx^Ey", "xy"},                    // code-page letters switch silently
        {"a^sb^dc^tq", "a/b\\c\"q"},         // escape letters give their characters
        {"^^x", "^x"},                       // any other character stands for itself
        {"end^", "end^"},                    // a caret at the very end
        {"tab\there", "tabhere"},            // control characters are dropped
        {"^J\x82" "a^Lb", "\x82" "ab"},      // a double-byte pair is kept whole
    };
    for (const Case& c : cases) {
        char plain[PlainTextSize];
        GetPlainText(plain, sizeof plain, c.text);
        EXPECT_EQ(std::string(plain), c.plain) << c.text;
    }
    char small[4];
    EXPECT_EQ(GetPlainText(small, sizeof small, "^1abcdef"), 3);
    EXPECT_STREQ(small, "abc");

    EXPECT_TRUE(EqualsPlainText("^1BoB^8", "bob"));
    EXPECT_FALSE(EqualsPlainText("Bob", "Bobby"));
    // The trail byte of a double-byte character is compared exactly.
    EXPECT_FALSE(EqualsPlainText("^J\x82" "a", "^J\x82" "A"));
    EXPECT_TRUE(EqualsPlainText("^Ja", "A"));
}

} // namespace
