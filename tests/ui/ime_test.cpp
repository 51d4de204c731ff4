// The input method over the window's text-editing events: compositions in
// the keyboard's page, their end, the open state carried from one text
// entry to the next, and the composition drawn at the caret.
#include <string>

#include "text_fixture.h"

namespace {

constexpr int JapanesePage = 4, KoreanPage = 9, SimplifiedChinesePage = 8;
constexpr int Enter = 13, Escape = 27;

Screen* AskerFrame(Screen* screen) { return screen; }

class ImeTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        MutableUi.inputCodePage = JapanesePage;
        InitScreen(&asker, nullptr, AskerFrame, nullptr, nullptr, nullptr, 0);
        SetCurrentScreen(&asker);
    }
    void Open(int type, const char* initial = nullptr)
    {
        OpenTextEntry(&asker, nullptr, "", 32, 0, initial, 0, type, nullptr);
        ASSERT_EQ(asker.child, &MutableTextEntryDialog.header);
    }
    static void Key(int code) { CurrentScreen->key(CurrentScreen, code); }
    Screen asker;
};

TEST_F(ImeTest, TextEditingEventsReachTheCompositionInTheKeyboardsPage)
{
    Open(EntryTypeText);
    // "にほん" with the cursor after two characters, as SDL tells it.
    UpdateComposition("\xE3\x81\xAB\xE3\x81\xBB\xE3\x82\x93", 2);
    EXPECT_EQ(ImeComposing(), 1);
    EXPECT_STREQ(ImeState.composition, "\x82\xC9\x82\xD9\x82\xF1");
    EXPECT_EQ(ImeState.compositionCursor, 2);
    // The composition changes as the user converts it, then ends empty.
    UpdateComposition("\xE6\x97\xA5\xE6\x9C\xAC", 2);
    EXPECT_STREQ(ImeState.composition, "\x93\xFA\x96\x7B");
    UpdateComposition("", 0);
    EXPECT_EQ(ImeComposing(), 0);
    EXPECT_STREQ(ImeState.composition, "");
    // The result arrives as typed characters, lead byte then trail byte.
    for (int c : {0x93, 0xFA, 0x96, 0x7B})
        Key(c);
    EXPECT_STREQ(EntryLine.text, "^J\x93\xFA\x96\x7B");
}

TEST_F(ImeTest, ACompositionLongerThanTheFreeSpaceIsStillShownAndCut)
{
    Open(EntryTypeText);
    for (int i = 0; i < 29; ++i)
        Key('a');
    ASSERT_EQ(EntryLine.freeBytes, 2);
    UpdateComposition("\xE6\x97\xA5\xE6\x9C\xAC", 0);
    EXPECT_EQ(ImeComposing(), 1) << "shown, with the invalid-key sound";
    // A composition beyond its buffer is cut there, never past it.
    std::string longText;
    for (int i = 0; i < 80; ++i)
        longText += "\xE6\x97\xA5";
    UpdateComposition(longText.c_str(), 0);
    EXPECT_EQ(std::string(ImeState.composition).size(), static_cast<size_t>(ImeCompositionSize - 1));
}

TEST_F(ImeTest, APasswordDialogClosesTheInputMethodAndTheNextDialogReopensIt)
{
    Open(EntryTypeText);
    TextDialogCommand(EntryCommandInputMethod);
    EXPECT_EQ(ImeState.open, 1);
    Key(Escape);
    EXPECT_EQ(ImeState.open, 0) << "closed outside text entry";
    EXPECT_EQ(ImeState.reopenMarker, JapanesePage + 1);

    Open(EntryTypePassword);
    EXPECT_EQ(ImeState.open, 0);
    TextDialogCommand(EntryCommandInputMethod);
    EXPECT_EQ(ImeState.open, 0) << "refused for passwords";
    Key(Enter);

    Open(EntryTypeText);
    EXPECT_EQ(ImeState.open, 1) << "reopened for the next ordinary entry";
    Key(Escape);
    Open(EntryTypeText, "/cmd");
    EXPECT_EQ(ImeState.open, 0) << "a command line starts closed";
    Key(Escape);

    MutableUi.inputCodePage = KoreanPage;
    Open(EntryTypeText);
    EXPECT_EQ(ImeState.open, 0) << "not in another keyboard page";
}

TEST_F(ImeTest, ALayoutChangeOutsideTextEntryClosesTheInputMethod)
{
    SetIMMStatus(1);
    UpdateComposition("\xE3\x81\xAB", 1);
    UpdateImeState();
    EXPECT_EQ(ImeState.open, 0);
    EXPECT_EQ(ImeComposing(), 0);
    EXPECT_EQ(InputState.keyboardLayoutChanged, 0);

    Open(EntryTypeText);
    SetIMMStatus(1);
    UpdateImeState();
    EXPECT_EQ(ImeState.open, 1) << "kept while a text is typed";
}

TEST_F(ImeTest, ActiveByKeyboardPage)
{
    SetIMMStatus(1);
    const struct {
        int page;
        int inputMethodLayout;
        int active;
    } cases[] = {
        {JapanesePage, 0, 1}, {KoreanPage, 0, 1}, {SimplifiedChinesePage, 0, 0}, {SimplifiedChinesePage, 1, 1},
        {0, 1, 0},
    };
    for (const auto& c : cases) {
        MutableUi.inputCodePage = c.page;
        MutableKeyboardLayout.inputMethod = c.inputMethodLayout;
        EXPECT_EQ(ImeActive(), c.active) << c.page;
        int selected = -1;
        EXPECT_STREQ(ImeIndicatorText(&selected), "E");
        EXPECT_EQ(selected, c.active);
    }
}

TEST_F(ImeTest, TheCompositionIsDrawnAtTheCaret)
{
    const size_t plain = Queued("ab", 1).size();
    Open(EntryTypeText);
    UpdateComposition("\xE6\x97\xA5", 1);
    const std::vector<GlyphQuad> composed = Queued("ab", 1);
    EXPECT_EQ(composed.size(), plain + 1) << "one double-byte glyph more";
}

} // namespace
