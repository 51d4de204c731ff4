// The file picker on a folder made by the test: forty files show as 36 rows
// with a scroll bar that stops at the last full view, the sort buttons
// order by name or date, a short name is handed to the completion and
// closes the picker, and a name as long as the maximum, or one that had to
// be cut to fit the list, is refused with a message while the picker stays.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pointer_fixture.h"
#include "support/temp_folder.h"

namespace {

constexpr const char* Pattern = "data\\spr\\*.spr";
constexpr int MaxName = 12;

struct Chosen {
    Screen* screen;
    std::string name;
    int row;
};
std::vector<Chosen> Choices;

void Choose(Screen* screen, const char* name, int row) { Choices.push_back({screen, name, row}); }

Screen* AskerFrame(Screen* screen) { return screen; }

class FilePickerTest : public PointerTest {
protected:
    void SetUp() override
    {
        PointerTest::SetUp();
        Choices.clear();
        InitScreen(&owner, nullptr, AskerFrame, nullptr, nullptr, nullptr, 1);
        SetCurrentScreen(&owner);
    }
    // A picker still open is closed and freed, as its parent's frame does.
    void TearDown() override
    {
        if (owner.child != nullptr) {
            CloseScreen(owner.child);
            StepChildScreen(&owner);
        }
        PointerTest::TearDown();
    }
    // A replay file whose modification time lies the minutes in the past.
    void Make(const std::string& name, int minutesAgo = 0)
    {
        folder.WriteFile("data/spr/" + name + ".spr", name);
        std::filesystem::last_write_time(folder.Path() + "/data/spr/" + name + ".spr",
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::minutes(minutesAgo));
    }
    Screen* Open(int sortMode = FileSortByName)
    {
        return OpenFilePicker(&owner, Choose, Pattern, "Replays", MaxName, nullptr, sortMode, nullptr);
    }
    // Runs the picker's frame as its parent does; the rows it shows.
    std::vector<const UiItem*> Frame()
    {
        ClearDisplayList();
        StepChildScreen(&owner);
        std::vector<const UiItem*> rows;
        for (int i = 0; i < DisplayList.count; ++i)
            if (DisplayList.items[i].kind == UiTextButtonLeft)
                rows.push_back(&DisplayList.items[i]);
        return rows;
    }
    static std::string Name(const UiItem* row) { return row->text.Text(); }
    void Click(const UiItem& item)
    {
        PointAt((item.x1 + item.x2) / 2, (item.y1 + item.y2) / 2);
        Press();
        Release();
    }
    static const UiItem* FindKind(int kind)
    {
        for (int i = 0; i < DisplayList.count; ++i)
            if (DisplayList.items[i].kind == kind)
                return &DisplayList.items[i];
        return nullptr;
    }

    TempFolder folder;
};

TEST_F(FilePickerTest, FortyFilesShowThirtySixRowsAndAScrollBar)
{
    for (int i = 0; i < 40; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "lap%02d", i);
        Make(name);
    }
    Screen* picker = Open();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(owner.child, picker);
    EXPECT_EQ(CurrentScreen, picker);
    EXPECT_EQ(Open(), nullptr) << "a screen with a child opens no second picker";

    std::vector<const UiItem*> rows = Frame();
    ASSERT_EQ(rows.size(), 36u);
    EXPECT_EQ(Name(rows.front()), "lap00");
    EXPECT_EQ(Name(rows.back()), "lap35");
    EXPECT_NEAR(rows.back()->y2, -0.875f + 36 * 0.05f, 1e-5f);
    const UiItem* area = FindKind(UiScrollArea);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(FindKind(UiScrollThumb)->x1, 0.925f);

    PointAt(0.5f, 0.0f);
    for (int notch = 0; notch < 10; ++notch)
        Wheel(2);
    rows = Frame();
    EXPECT_EQ(Name(rows.front()), "lap04") << "the last full view";
    EXPECT_EQ(Name(rows.back()), "lap39");
}

TEST_F(FilePickerTest, TheSortButtonsOrderByNameOrDate)
{
    Make("alpha", 30);
    Make("beta", 10);
    Make("gamma", 20);
    Open(FileSortByTime);
    std::vector<const UiItem*> rows = Frame();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(Name(rows[0]), "beta") << "newest first";
    EXPECT_EQ(Name(rows[1]), "gamma");

    const UiItem* byName = nullptr;
    for (int i = 0; i < DisplayList.count; ++i)
        if (DisplayList.items[i].kind == UiButton && DisplayList.items[i].value.Int() == 1)
            byName = &DisplayList.items[i];
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName->colour, InterfaceColour(UiColour::TextUnselected));
    Click(*byName);
    rows = Frame();
    EXPECT_EQ(Name(rows[0]), "alpha");
    EXPECT_EQ(Name(rows[2]), "gamma");
}

TEST_F(FilePickerTest, AShortNameIsChosenAndALongOneIsRefused)
{
    Make("short");
    Make(std::string(MaxName, 'x'));       // as long as the maximum
    Make(std::string(MaxName + 8, 'y'));   // cut to fit the list: no file of that name exists
    Screen* picker = Open();
    std::vector<const UiItem*> rows = Frame();
    ASSERT_EQ(rows.size(), 3u);
    for (int row : {1, 2}) {
        SCOPED_TRACE(Name(rows[size_t(row)]));
        Click(*rows[size_t(row)]);
        MutableDisplayList.clickConsumed = 0;
        EXPECT_TRUE(Choices.empty());
        EXPECT_EQ(owner.child, picker) << "the picker stays open";
        EXPECT_EQ(MessageList.visibleCount, row);
        EXPECT_STREQ(MessageList.visible[size_t(row - 1)].text, GetText(TX_3a_namelong));
    }

    Click(*rows[0]);
    ASSERT_EQ(Choices.size(), 1u);
    EXPECT_EQ(Choices[0].screen, &owner);
    EXPECT_EQ(Choices[0].name, "short");
    EXPECT_EQ(Choices[0].row, 0);
    EXPECT_EQ(CurrentScreen, &owner);
    Frame();
    EXPECT_EQ(owner.child, nullptr) << "the closed picker is freed by its frame";
}

} // namespace
