// The text-entry dialog on real files in a folder made by the test: saving
// asks before overwriting and refuses an empty name, loading refuses a
// missing file, renaming and deleting change the folder, and the dialog
// hands the typed text to its completion only on acceptance.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "session/services.h"
#include "support/temp_folder.h"
#include "ui/local.h"

namespace {

constexpr const char* Pattern = "data\\lyt\\%s.lyt";
constexpr int Enter = 13, Escape = 27;

struct Completed {
    Screen* screen;
    std::string text;
    int value;
};
std::vector<Completed> Completions;

void Complete(Screen* screen, const char* text, int value) { Completions.push_back({screen, text, value}); }

Screen* AskerFrame(Screen* screen) { return screen; }

class TextEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetUiTables();
        Completions.clear();
        InitScreen(&asker, nullptr, AskerFrame, nullptr, nullptr, nullptr, 0);
        SetCurrentScreen(&asker);
    }
    void TearDown() override
    {
        ResetUiTables();
        ResetCoreTables();
    }
    void Make(const std::string& name) { folder.WriteFile("data/lyt/" + name + ".lyt", name); }
    bool Exists(const std::string& name) const
    {
        return std::filesystem::exists(folder.Path() + "/data/lyt/" + name + ".lyt");
    }
    void Open(int type, const char* initial = nullptr, int prefix = 0, const char* pattern = Pattern)
    {
        ASSERT_EQ(OpenTextEntry(&asker, Complete, "Title", 32, 7, initial, prefix, type, pattern),
                  &MutableTextEntryDialog.header);
    }
    static void Keys(const std::string& text)
    {
        for (unsigned char c : text)
            CurrentScreen->key(CurrentScreen, c);
    }
    static void Key(int code) { CurrentScreen->key(CurrentScreen, code); }
    static void Clear()
    {
        for (int i = 0; i < EntryLineSize; ++i)
            Key(8);
    }
    bool IsOpen() const { return asker.child == &MutableTextEntryDialog.header && DialogOpen == 1; }

    TempFolder folder;
    Screen asker;
};

TEST_F(TextEntryTest, OpeningMakesTheDialogCurrentAndCancelClosesIt)
{
    Open(EntryTypeText, "hi");
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(UiMode, 2);
    EXPECT_EQ(CurrentScreen, &MutableTextEntryDialog.header);
    EXPECT_EQ(OpenTextEntry(&asker, Complete, "", 8, 0, nullptr, 0, 0, nullptr), &asker) << "one child at a time";
    Key(Escape);
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(UiMode, 0);
    EXPECT_EQ(CurrentScreen, &asker);
    EXPECT_TRUE(Completions.empty());
    EXPECT_EQ(EntryLine.freeBytes, 0) << "no entry active";
}

TEST_F(TextEntryTest, AcceptingHandsTheTextAndValueToTheCompletion)
{
    Open(EntryTypeText);
    Keys("  hello  ");
    Key(Enter);
    ASSERT_EQ(Completions.size(), 1u);
    EXPECT_EQ(Completions[0].screen, &asker);
    EXPECT_EQ(Completions[0].text, "hello");
    EXPECT_EQ(Completions[0].value, 7);
    EXPECT_FALSE(IsOpen());
}

TEST_F(TextEntryTest, SavingRefusesAnEmptyNameAndAsksBeforeOverwriting)
{
    Make("kept");
    Open(EntryTypeSaveFile);
    Key(Enter);
    EXPECT_EQ(TextEntryDialog.state, EntryStateNoName);
    Keys("x");
    EXPECT_EQ(TextEntryDialog.state, EntryStateNoName) << "other keys are swallowed";
    Key(Enter);
    EXPECT_EQ(TextEntryDialog.state, EntryStateEditing);

    Keys("KEPT");
    Key(Enter);
    EXPECT_EQ(TextEntryDialog.state, EntryStateConfirmOverwrite);
    Keys("n");
    EXPECT_EQ(TextEntryDialog.state, EntryStateEditing);
    EXPECT_TRUE(Completions.empty());
    Key(Enter);
    Keys("Y");
    ASSERT_EQ(Completions.size(), 1u);
    EXPECT_EQ(Completions[0].text, "KEPT");
}

TEST_F(TextEntryTest, LoadingRefusesMissingFilesAndAnEmptyFolder)
{
    Open(EntryTypeLoadFile);
    EXPECT_EQ(TextEntryDialog.state, EntryStateNoFiles);
    Key(Enter);
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(Completions.empty());

    Make("there");
    Open(EntryTypeLoadFile);
    EXPECT_EQ(TextEntryDialog.files.Count(), 1);
    Keys("missing");
    Key(Enter);
    EXPECT_EQ(TextEntryDialog.state, EntryStateFileNotFound);
    Key(' ');
    Clear();
    Keys("there");
    Key(Enter);
    ASSERT_EQ(Completions.size(), 1u);
    EXPECT_EQ(Completions[0].text, "there");
}

TEST_F(TextEntryTest, RenamingMovesTheFileAndRefusesATakenName)
{
    Make("one");
    Make("two");
    Open(EntryTypeLoadFile, "one");
    TextDialogCommand(EntryCommandRename);
    EXPECT_EQ(TextEntryDialog.state, EntryStateRenaming);
    Clear();
    Keys("two");
    Key(Enter);
    EXPECT_EQ(TextEntryDialog.state, EntryStateNameExists);
    Key(Enter);
    EXPECT_EQ(TextEntryDialog.state, EntryStateRenaming);
    Key(Escape);
    EXPECT_EQ(TextEntryDialog.state, EntryStateEditing);
    EXPECT_STREQ(EntryLine.text, "one") << "cancel puts the old name back";

    TextDialogCommand(EntryCommandRename);
    Clear();
    Keys("three");
    Key(Enter);
    EXPECT_EQ(TextEntryDialog.state, EntryStateEditing);
    EXPECT_FALSE(Exists("one"));
    EXPECT_TRUE(Exists("three"));
    EXPECT_EQ(folder.ReadFile("data/lyt/three.lyt"), "one");
    ASSERT_EQ(TextEntryDialog.files.Count(), 2);
    EXPECT_TRUE(Completions.empty());
}

TEST_F(TextEntryTest, DeletingAsksFirstAndRemovesTheFile)
{
    Make("gone");
    Make("stays");
    Open(EntryTypeSaveFile, "gone");
    TextDialogCommand(EntryCommandDelete);
    EXPECT_EQ(TextEntryDialog.state, EntryStateConfirmDelete);
    Keys("q");
    EXPECT_EQ(TextEntryDialog.state, EntryStateEditing) << "any other key cancels";
    EXPECT_TRUE(Exists("gone"));
    TextDialogCommand(EntryCommandDelete);
    Keys("y");
    EXPECT_FALSE(Exists("gone"));
    EXPECT_TRUE(Exists("stays"));
    EXPECT_EQ(TextEntryDialog.files.Count(), 1);
}

TEST_F(TextEntryTest, AListedFileFillsTheLineOnceAndAcceptsOnTheSecondClick)
{
    Make("alpha");
    Make("beta");
    Open(EntryTypeLoadFile);
    TextDialogCommand(EntryCommandSortByName);
    ASSERT_EQ(TextEntryDialog.files.Count(), 2);
    OnDialogFileRow(1);
    EXPECT_STREQ(EntryLine.text, "beta");
    EXPECT_TRUE(Completions.empty());
    OnDialogFileRow(1);
    ASSERT_EQ(Completions.size(), 1u);
    EXPECT_EQ(Completions[0].text, "beta");
    OnDialogFileRow(5);  // out of range: nothing
}

TEST_F(TextEntryTest, TheFixedPrefixFiltersTheListAndPagesMoveIt)
{
    for (int i = 0; i < 40; ++i)
        Make("AB" + std::to_string(100 + i));
    Make("other");
    Open(EntryTypeFileName, "AB", 2);
    TextDialogCommand(EntryCommandSortByName);
    EXPECT_EQ(TextEntryDialog.files.Count(), 40);
    Key(KeyCodePageDown);
    EXPECT_EQ(TextEntryDialog.files.firstRow, 15);
    Key(KeyCodePageDown);
    EXPECT_EQ(TextEntryDialog.files.firstRow, 24) << "held to count - 16";
    Key(KeyCodePageUp);
    Key(KeyCodePageUp);
    EXPECT_EQ(TextEntryDialog.files.firstRow, 0);
    Keys("120");
    EXPECT_EQ(TextEntryDialog.files.firstRow, 20 - 7) << "the typed name's row comes into view";
}

TEST_F(TextEntryTest, APasswordIsNeverCopied)
{
    platform::SetClipboardBackEnd(nullptr);
    ASSERT_EQ(platform::WriteClipboardText("before"), 1);
    Open(EntryTypePassword, nullptr, 0, nullptr);
    Keys("secret");
    Key(KeyCodeCopy);
    std::string clipboard;
    platform::ReadClipboardText(clipboard);
    EXPECT_EQ(clipboard, "before");
}

TEST_F(TextEntryTest, AStoredMessageIsSentAtOnce)
{
    SetDefaultMessageKeys();
    Open(EntryTypeText, nullptr, 0, nullptr);
    RequestStoredMessage(3);
    MutableTextEntryDialog.header.frame(&MutableTextEntryDialog.header);
    ASSERT_EQ(Completions.size(), 1u);
    EXPECT_EQ(Completions[0].text, "good pass");
    EXPECT_FALSE(IsOpen());
}

TEST_F(TextEntryTest, UnsafePatternsAndNamesNeverReachTheFiles)
{
    Make("x");
    Open(EntryTypeSaveFile, nullptr, 0, "data\\lyt\\%s%d.lyt");
    EXPECT_EQ(TextEntryDialog.pattern[0], '\0') << "a pattern with another conversion is refused";
    EXPECT_EQ(TextEntryDialog.files.Count(), 0);
    Key(Escape);
    Open(EntryTypeSaveFile, nullptr, 0, Pattern);
    char path[256];
    EXPECT_EQ(DialogFilePath("../x", path, sizeof path), 0);
    EXPECT_EQ(DialogFilePath("..", path, sizeof path), 0);
    EXPECT_EQ(DialogFilePath("ok", path, sizeof path), 1);
    EXPECT_STREQ(path, "data\\lyt\\ok.lyt");
    EXPECT_EQ(DialogFilePath(std::string(300, 'a').c_str(), path, sizeof path), 0) << "too long for the path";
    Keys("../x");
    Key(Enter);
    ASSERT_EQ(Completions.size(), 1u);
    EXPECT_EQ(Completions[0].text, "^sx") << "leading dots are dropped, separators kept as escapes";
}

// The command line opens at most once in half a second; a refused opening
// plays the refused-key sound.
TEST_F(TextEntryTest, TheCommandLineOpensAtMostTwiceASecond)
{
    static std::vector<int> sounds;
    sounds.clear();
    ResetSessionTables();
    const RaceHooks kept = GetRaceHooks();
    RaceHooks hooks = kept;
    hooks.playInterfaceSound = [](int effect) { sounds.push_back(effect); };
    SetRaceHooks(hooks);
    platform::UseManualClock(5000);

    AskCommandLine(&asker, "/");
    ASSERT_TRUE(IsOpen());
    EXPECT_STREQ(EntryLine.text, "/");
    CloseTextDialog();
    platform::AdvanceManualClock(400);
    AskCommandLine(&asker, nullptr);
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(sounds, std::vector<int>{3});
    platform::AdvanceManualClock(101);
    AskCommandLine(&asker, nullptr);
    EXPECT_TRUE(IsOpen());
    EXPECT_STREQ(TextEntryDialog.title, GetText(TX_3a_entermsg));

    platform::UseRealClock();
    SetRaceHooks(kept);
    ResetSessionTables();
}

// The code-page button offers the ten pages in a list dialog over the
// entry dialog; the choice types from then on, held to the loaded pages.
TEST_F(TextEntryTest, TheCodePageChooserSetsTheKeyboardsPageWithinTheLoadedOnes)
{
    CodePage* pages = new CodePage[3]{};
    MutableCharacterMap.codePages = pages;
    MutableCharacterMap.codePageCount = 3;
    for (const int row : {1, 7}) {
        SCOPED_TRACE(row);
        Open(EntryTypeText, nullptr, 0, nullptr);
        TextDialogCommand(EntryCommandCodePage);
        ASSERT_EQ(MutableTextEntryDialog.header.child, &MutableChoiceDialog);
        EXPECT_EQ(MutableChoiceDialog.count, 10);
        EXPECT_STREQ(MutableChoiceDialog.title, GetText(TX_3g_seldefcp));
        EXPECT_STREQ(*MutableChoiceDialog.texts[9], GetText(TX_3h_cp_korea));
        ClearDisplayList();
        MutableChoiceDialog.frame(&MutableChoiceDialog);
        const UiItem& choice = DisplayList.items[2 + row];
        choice.action(choice.owner, choice.param.Int(), choice.value.Int());
        EXPECT_EQ(InputCodePage, row < 3 ? row : 2);
        EXPECT_EQ(MutableTextEntryDialog.header.child, nullptr);
        EXPECT_EQ(CurrentScreen, &MutableTextEntryDialog.header) << "typing goes on in the entry dialog";
        EXPECT_EQ(DialogOpen, 1);
        EXPECT_EQ(UiMode, 2);
        CloseTextDialog();
    }
    MutableCharacterMap.codePages = nullptr;
    MutableCharacterMap.codePageCount = 0;
    delete[] pages;
}

} // namespace
