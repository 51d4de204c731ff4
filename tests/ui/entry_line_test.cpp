// The entry line with the default character map: edit sequences give the
// expected text and caret, limits refuse what would not fit, double-byte
// characters stay whole, and the clipboard gives back the line's own
// colours or types another program's text cleaned.
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "session/services.h"
#include "text_fixture.h"

namespace {

constexpr int JapanesePage = 4;

// One step of an edit sequence: a code with Ctrl held or not.
struct Step {
    int code;
    bool ctrl = false;
};
using Steps = std::vector<Step>;

Steps Typed(const std::string& text)
{
    Steps steps;
    for (unsigned char c : text)
        steps.push_back({c});
    return steps;
}

Steps operator+(Steps a, const Steps& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class EntryLineTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        platform::SetClipboardBackEnd(nullptr);
    }
    void TearDown() override
    {
        SetModifierKeys(0, 0, 0);
        TextTest::TearDown();
    }
    static void Run(const Steps& steps)
    {
        for (const Step& step : steps) {
            SetModifierKeys(0, step.ctrl ? 1 : 0, 0);
            HandleEntryKey(step.code);
        }
        SetModifierKeys(0, 0, 0);
    }
};

TEST_F(EntryLineTest, EditSequencesGiveTheExpectedLineAndCaret)
{
    const Step left{KeyCodeLeft}, right{KeyCodeRight}, home{KeyCodeHome}, end{KeyCodeEnd};
    const Step wordLeft{KeyCodeLeft, true}, wordRight{KeyCodeRight, true};
    const Step backspace{8}, wordBackspace{127}, del{KeyCodeDelete}, wordDelete{KeyCodeDelete, true};
    const struct {
        const char* what;
        const char* initial;
        int prefix;
        int mode;
        Steps steps;
        const char* text;
        int caret;
    } cases[] = {
        {"typing appends", nullptr, 0, EntryModeFree, Typed("hello"), "hello", 5},
        {"typing inserts at the caret", nullptr, 0, EntryModeFree, Typed("hello") + Steps{left, left} + Typed("X"),
         "helXlo", 4},
        {"right stops at the end", nullptr, 0, EntryModeFree, Typed("ab") + Steps{right, right}, "ab", 2},
        {"ctrl left goes to the start of the word", nullptr, 0, EntryModeFree,
         Typed("hello big world") + Steps{wordLeft}, "hello big world", 10},
        {"ctrl left twice skips a word", nullptr, 0, EntryModeFree,
         Typed("hello big world") + Steps{wordLeft, wordLeft}, "hello big world", 6},
        {"ctrl right goes past the next blank", nullptr, 0, EntryModeFree,
         Typed("hello big world") + Steps{home, wordRight}, "hello big world", 6},
        {"ctrl right from the last word goes to the end", nullptr, 0, EntryModeFree,
         Typed("hello big world") + Steps{wordLeft, wordRight}, "hello big world", 15},
        {"backspace deletes before the caret", nullptr, 0, EntryModeFree, Typed("abc") + Steps{left, backspace},
         "ac", 1},
        {"delete takes the cell at the caret", nullptr, 0, EntryModeFree, Typed("abc") + Steps{home, del}, "bc", 0},
        {"ctrl backspace deletes back to the blank", nullptr, 0, EntryModeFree,
         Typed("hello big world") + Steps{wordBackspace}, "hello big ", 10},
        {"ctrl delete deletes the word and its blank", nullptr, 0, EntryModeFree,
         Typed("hello big world") + Steps{home, wordDelete}, "big world", 0},
        {"end after home", nullptr, 0, EntryModeFree, Typed("abc") + Steps{home, end}, "abc", 3},
        {"no leading blank", nullptr, 0, EntryModeFree, Typed(" a b"), "a b", 3},
        {"backspace at the prefix does nothing", "/", -1, EntryModeFree, Steps{backspace}, "/", 1},
        {"home goes just after the prefix", "/say", 1, EntryModeFree, Steps{home} + Typed("x"), "/xsay", 2},
        {"ctrl backspace stops at the prefix", "/ab", 1, EntryModeFree, Steps{wordBackspace}, "/", 1},
        {"ctrl 3 colours the typing", nullptr, 0, EntryModeFree, Steps{{'3', true}} + Typed("ab"), "^3ab", 2},
        {"keypad ctrl 1 colours the typing", nullptr, 0, EntryModeFree, Steps{{97, true}} + Typed("a"), "^1a", 1},
        {"ctrl 8 returns to the own colour", nullptr, 0, EntryModeFree,
         Steps{{'2', true}} + Typed("a") + Steps{{'8', true}} + Typed("b"), "^2a^9b", 2},
        {"a blank keeps the colour run", nullptr, 0, EntryModeFree, Steps{{'1', true}} + Typed("a b"), "^1a b", 3},
        {"a caret is written twice", nullptr, 0, EntryModeFree, Typed("a^b"), "a^^b", 3},
        {"file names escape what folders cannot hold", nullptr, 0, EntryModeFileName, Typed("a:b/c\\d"),
         "a^cb^sc^dd", 7},
        {"file names ignore a leading dot", nullptr, 0, EntryModeFileName, Typed("..a.b"), "a.b", 3},
        {"an initial text is parsed with its colours", "^1red^9x", 0, EntryModeFree, Steps{}, "^1red^9x", 4},
        {"down without a recall does nothing", nullptr, 0, EntryModeFree, Typed("abc") + Steps{{KeyCodeDown}},
         "abc", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BeginTextEntry(EntryLineSize, c.initial, c.prefix, c.mode);
        Run(c.steps);
        EXPECT_STREQ(EntryLine.text, c.text);
        EXPECT_EQ(EntryLine.caret, c.caret);
    }
}

TEST_F(EntryLineTest, CaretTextPositionFollowsTheCodesWrittenForACell)
{
    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
    Run(Steps{{'1', true}} + Typed("ab") + Steps{{KeyCodeLeft}, {KeyCodeLeft}});
    EXPECT_STREQ(EntryLine.text, "^1ab");
    EXPECT_EQ(EntryLine.caretTextPosition, 2);  // after "^1", where "a" begins
    Run(Steps{{KeyCodeEnd}});
    EXPECT_EQ(EntryLine.caretTextPosition, 4);
    EXPECT_EQ(EntryLine.freeBytes, EntryLineSize - 1 - 4);
}

TEST_F(EntryLineTest, LimitsRefuseWhatWouldNotFitAndKeepTheLine)
{
    BeginTextEntry(16, nullptr, 0, EntryModeFree);
    for (int i = 0; i < 15; ++i)
        ASSERT_EQ(TypeCharacter('a' + i), 1) << i;
    EXPECT_EQ(TypeCharacter('z'), 0) << "the sixteenth character";
    EXPECT_STREQ(EntryLine.text, "abcdefghijklmno");

    // A text command stops at 63 bytes; an emote may use the whole line.
    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
    EXPECT_EQ(TypeString(("/" + std::string(70, 'x')).c_str()), 0);
    EXPECT_EQ(std::string(EntryLine.text).size(), 63u);
    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
    EXPECT_EQ(TypeString(("/me " + std::string(91, 'x')).c_str()), 1);
    EXPECT_EQ(std::string(EntryLine.text).size(), 95u);

    // Colour codes count: the text is full before the cells are.
    BeginTextEntry(8, nullptr, 0, EntryModeFree);
    ASSERT_EQ(TypeString("abcde"), 1);
    SetTypingColour(1);
    EXPECT_EQ(TypeCharacter('f'), 0) << "\"abcde^1f\" would take 8 bytes of 7";
    EXPECT_STREQ(EntryLine.text, "abcde");

    // Out-of-range lengths and prefixes are held to the line.
    BeginTextEntry(500, std::string(200, 'q').c_str(), 300, EntryModeFree);
    EXPECT_EQ(EntryLine.maxLength, EntryLineSize);
    EXPECT_EQ(std::string(EntryLine.text), std::string(EntryLineSize - 1, 'q'));
    EXPECT_EQ(EntryLine.prefixLength, EntryLineSize - 1);
    BeginTextEntry(0, "abc", 0, EntryModeFree);
    EXPECT_STREQ(EntryLine.text, "");
    EXPECT_EQ(TypeCharacter('a'), 0);
}

TEST_F(EntryLineTest, DoubleByteCharactersStayWhole)
{
    MutableUi.inputCodePage = JapanesePage;
    ASSERT_EQ(IsLeadByte(JapanesePage, 0x93), 1);
    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
    // "日本" in the Japanese page, typed byte by byte as the window gives them.
    Run(Typed("a\x93\xFA\x96\x7B" "b"));
    EXPECT_EQ(EntryLine.caret, 4);
    EXPECT_EQ(EntryLine.cells[1], (EntryCell{0x93, JapanesePage, EntryOwnColour, 0xFA}));
    // "b" looks the same in both pages, so no switch back is written.
    EXPECT_STREQ(EntryLine.text, "a^J\x93\xFA\x96\x7B" "b");
    Run(Steps{{KeyCodeLeft}, {KeyCodeLeft}, {8}});
    EXPECT_STREQ(EntryLine.text, "a^J\x96\x7B" "b") << "backspace removes the pair";
    EXPECT_EQ(EntryLine.caret, 1);

    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeSingleByte);
    Run(Typed("a\x93\xFA" "b"));
    EXPECT_STREQ(EntryLine.text, "ab") << "single-byte lines refuse the pair";

    // A double-byte character never goes half into the last byte.
    BeginTextEntry(4, nullptr, 0, EntryModeFree);
    Run(Typed("\x93\xFA"));
    EXPECT_STREQ(EntryLine.text, "") << "\"^J\" and two bytes do not fit in three";
}

TEST_F(EntryLineTest, TrimmingLeavesTheNameToUse)
{
    const struct {
        const char* initial;
        int prefix;
        int mode;
        const char* text;
    } cases[] = {
        {"  name  ", 0, EntryModeFree, "name"},
        {" . .name. ", 0, EntryModeFileName, "name."},
        {"ab  .x ", 2, EntryModeFileName, "abx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.initial);
        BeginTextEntry(EntryLineSize, c.initial, c.prefix, c.mode);
        TrimEntryLine();
        EXPECT_STREQ(EntryLine.text, c.text);
        EXPECT_EQ(EntryLine.caret, static_cast<int>(std::string(c.text).size()));
    }
}

TEST_F(EntryLineTest, CopyAndPasteBackKeepColoursAndPages)
{
    MutableUi.inputCodePage = JapanesePage;
    BeginTextEntry(EntryLineSize, "^1red ^4blue ^J\x93\xFA", 0, EntryModeFree);
    const std::string original = EntryLine.text;
    HandleEntryKey(KeyCodeCopy);
    std::string clipboard;
    ASSERT_EQ(platform::ReadClipboardText(clipboard), 1);
    EXPECT_EQ(clipboard, "red blue \xE6\x97\xA5") << "plain UTF-8 for other programs";

    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
    HandleEntryKey(KeyCodePaste);
    EXPECT_EQ(std::string(EntryLine.text), original);
}

TEST_F(EntryLineTest, PastedTextOfOtherProgramsIsTypedCleaned)
{
    const struct {
        const char* what;
        int keyboardPage;
        const char* clipboard;
        const char* text;
    } cases[] = {
        {"Latin text in the keyboard's page", 0, "caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80"},
        {"control characters are dropped", 0, "a\tb\r\nc\x1B" "d\x7F" "e", "abcde"},
        {"invalid sequences are dropped", 0, "a\xFF" "b\xC3" "c\xE6\x97" "d\xED\xA0\x80" "e", "abcde"},
        {"characters the page lacks become ?", 0, "a\xE6\x97\xA5" "b", "a?b"},
        {"double-byte text in its page", JapanesePage, "\xE6\x97\xA5\xE6\x9C\xAC", "^J\x93\xFA\x96\x7B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MutableUi.inputCodePage = c.keyboardPage;
        ASSERT_EQ(platform::WriteClipboardText(c.clipboard), 1);
        BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
        HandleEntryKey(KeyCodePaste);
        EXPECT_STREQ(EntryLine.text, c.text);
    }
    // A long paste is cut to the line, never past it.
    MutableUi.inputCodePage = 0;
    ASSERT_EQ(platform::WriteClipboardText(std::string(300, 'w')), 1);
    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
    HandleEntryKey(KeyCodePaste);
    EXPECT_EQ(std::string(EntryLine.text), std::string(EntryLineSize - 1, 'w'));
    // A pasted path cannot leave the folder of a file-name line.
    ASSERT_EQ(platform::WriteClipboardText("../../etc/passwd"), 1);
    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFileName);
    HandleEntryKey(KeyCodePaste);
    EXPECT_STREQ(EntryLine.text, "^s..^setc^spasswd");
    TrimEntryLine();
    EXPECT_EQ(IsSafeFileName(EntryLine.text), 1);
}

TEST_F(EntryLineTest, AStoredMessageIsInsertedOnceAtTheCaret)
{
    SetDefaultMessageKeys();
    BeginTextEntry(EntryLineSize, "ab", 0, EntryModeFree);
    HandleEntryKey(KeyCodeLeft);
    EXPECT_EQ(InsertStoredMessage(), 0) << "no request";
    RequestStoredMessage(3);  // the third message key: "good pass"
    EXPECT_EQ(InsertStoredMessage(), 1);
    EXPECT_STREQ(EntryLine.text, "agood passb");
    EXPECT_EQ(EntryLine.storedMessageRequest, 0);
    EXPECT_EQ(InsertStoredMessage(), 0);
    RequestStoredMessage(MessageKeyCount + 5);
    EXPECT_EQ(InsertStoredMessage(), 0) << "a request beyond the table inserts nothing";
    EXPECT_STREQ(EntryLine.text, "agood passb");
}

} // namespace
