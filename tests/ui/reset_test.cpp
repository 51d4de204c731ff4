// The interface's reset gives back the start-up records whatever they held.
#include <gtest/gtest.h>

#include <string>

#include "support/dirty_record.h"
#include "tables_fixture.h"

namespace {

using UiResetTest = UiTablesTest;

TEST_F(UiResetTest, ResetGivesBackEveryRecordAtItsDefaults)
{
    DirtyRecord(MutableUi, 0x01);
    ASSERT_NE(MutableUi, UiRecord{});
    alignas(Material*) static unsigned char token[8];
    MutableCharacterMap.fontTextures[0] = reinterpret_cast<Material*>(token);
    MutableCharacterMap.glyphSpacing = 0.1f;
    MutableCharacterMap.curveSteps = 3;
    DirtyRecord(MutableKeyboardLayout);
    MutableGlyphQueues.current = 2;
    MutableGlyphQueues.mark = 5;
    MutableGlyphQueues.glyphShift = 0.5f;
    MutableGlyphQueues.queues[1].capacity = 64;
    MutableGlyphQueues.queues[1].glyphs.resize(64);
    MutableGlyphQueues.queues[1].count = 3;
    MutableGlyphQueues.queues[1].colouredCount = 4;
    MutablePageFonts.faceList.faces.resize(2);
    MutablePageFonts.faceList.chosen = 1;
    MutablePageFonts.cachesFullReported = true;
    MutablePageFonts.noOldCellReported = true;
    DirtyRecord(MutableEntryLine);
    DirtyRecord(MutableImeState);
    MutableTextEntryDialog.header.alive = 1;
    MutableTextEntryDialog.state = EntryStateConfirmDelete;
    MutableTextEntryDialog.title[0] = 'T';
    MutableTextEntryDialog.oldName[0] = 'o';
    MutableTextEntryDialog.files.entries.resize(3);
    MutableTextEntryDialog.sortByDate = 0;
    DirtyRecord(MutablePointer, 0x01);
    MutableDisplayList.count = 3;
    MutableDisplayList.backButtonShown = 1;
    MutableDisplayList.clickConsumed = 1;
    MutableMessageDialog.alive = 1;
    MutableMessageDialog.text[0] = 'x';
    MutableMessageDialog.savedUiMode = 2;
    MutableChoiceDialog.alive = 1;
    MutableChoiceDialog.count = 4;
    MutableChoiceDialog.savedUiMode = 2;
    DirtyRecord(MutableMessageList, 0x01);
    DirtyRecord(MutableInterfaceSettings);
    DirtyRecord(MutableInterfaceColours);
    SelectColumnLayout(5);
    MessageHooks hooks;
    hooks.isInSimPrefix = [](int) { return true; };
    SetMessageHooks(hooks);

    ResetUiTables();

    EXPECT_EQ(MutableUi, UiRecord{});
    EXPECT_EQ(TextScale, 1.0f);
    EXPECT_EQ(MessageAreaTop, -1.0f);
    EXPECT_EQ(CurrentCodePage, nullptr);
    EXPECT_EQ(CharacterMap.fontTextures[0], nullptr);
    EXPECT_EQ(CharacterMap.glyphSpacing, 0.0f);
    EXPECT_EQ(CharacterMap.curveSteps, 7);
    EXPECT_EQ(CharacterMap.codePages, nullptr);
    EXPECT_EQ(CharacterMap.codePageCount, 0);
    EXPECT_EQ(KeyboardLayout, KeyboardLayoutRecord{});
    EXPECT_EQ(GlyphQueues.current, 0);
    EXPECT_EQ(GlyphQueues.mark, 0);
    EXPECT_EQ(GlyphQueues.glyphShift, 0.0f);
    EXPECT_EQ(GlyphQueues.queues[1].capacity, 0);
    EXPECT_TRUE(GlyphQueues.queues[1].glyphs.empty());
    EXPECT_EQ(GlyphQueues.queues[1].count, 0);
    EXPECT_EQ(GlyphQueues.queues[1].colouredCount, 0);
    EXPECT_TRUE(FontFaceList.faces.empty());
    EXPECT_EQ(FontFaceList.chosen, 0);
    EXPECT_FALSE(MutablePageFonts.cachesFullReported);
    EXPECT_FALSE(MutablePageFonts.noOldCellReported);
    EXPECT_EQ(EntryLine, EntryLineRecord{});
    EXPECT_EQ(EntryLine.recallSeq, -1);
    EXPECT_EQ(ImeState, ImeStateRecord{});
    EXPECT_EQ(TextEntryDialog.header.alive, 0);
    EXPECT_EQ(TextEntryDialog.state, EntryStateEditing);
    EXPECT_EQ(TextEntryDialog.title[0], '\0');
    EXPECT_EQ(TextEntryDialog.oldName[0], '\0');
    EXPECT_TRUE(TextEntryDialog.files.entries.empty());
    EXPECT_EQ(TextEntryDialog.sortByDate, 1);
    EXPECT_EQ(MutablePointer, PointerRecord{});
    EXPECT_EQ(DisplayList.count, 0);
    EXPECT_EQ(DisplayList.backButtonShown, 0);
    EXPECT_EQ(DisplayList.clickConsumed, 0);
    EXPECT_EQ(MutableMessageDialog.alive, 0);
    EXPECT_STREQ(MutableMessageDialog.text, "");
    EXPECT_EQ(MutableMessageDialog.savedUiMode, 0);
    EXPECT_EQ(MutableChoiceDialog.alive, 0);
    EXPECT_EQ(MutableChoiceDialog.count, 0);
    EXPECT_EQ(MutableChoiceDialog.savedUiMode, 0);
    EXPECT_EQ(MessageList, MessageListRecord{});
    EXPECT_EQ(InterfaceSettings, InterfaceSettingsRecord{});
    EXPECT_EQ(InterfaceColours, InterfaceColoursRecord{});
    EXPECT_EQ(CurrentColumnLayout, ColumnLayouts[0]);
    EXPECT_FALSE(GetMessageHooks().isInSimPrefix('!'));
}

} // namespace
