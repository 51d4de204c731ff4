// The on-screen message list under a manual clock: lines enter, scroll,
// retire into the history after their time and are recalled in order;
// chat lines carry their sender, and long lines are cut where a character
// ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/services.h"
#include "platform/clock.h"
#include "text_fixture.h"

namespace {

struct ForwardedLine {
    int connection, userType, nameLength;
    std::string text;
};
std::vector<ForwardedLine> Forwarded;

class MessageListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetUiTables();
        platform::UseManualClock(1000);
        Forwarded.clear();
        MessageHooks hooks;
        hooks.connectionName = [](int connection) -> const char* {
            return connection == 3 ? "^9Ann^1ie^" : connection == 4 ? "Bo" : nullptr;
        };
        hooks.isInSimPrefix = [](int c) { return c == '!'; };
        hooks.sendInSimMessage = [](int connection, int userType, int nameLength, const char* text) {
            Forwarded.push_back({connection, userType, nameLength, text});
        };
        SetMessageHooks(hooks);
    }
    void TearDown() override
    {
        platform::UseRealClock();
        ResetUiTables();
        ResetCoreTables();
    }
    static std::string Visible(int i) { return MessageList.visible[static_cast<size_t>(i)].text; }
    static std::string History(int i) { return MessageList.history[static_cast<size_t>(i)].text; }
};

TEST_F(MessageListTest, TwentyOneLinesPushTheFirstIntoTheHistory)
{
    for (int i = 0; i < 21; ++i)
        PrintMessage(("line " + std::to_string(i)).c_str(), 7);

    EXPECT_EQ(MessageList.visibleCount, 20);
    EXPECT_EQ(Visible(0), "line 1");
    EXPECT_EQ(Visible(19), "line 20");
    EXPECT_EQ(History(19), "line 0");
    EXPECT_EQ(History(18), "");
    EXPECT_EQ(MessageList.visible[19].seq, 20);
    EXPECT_EQ(MessageList.visible[19].colour, 7);
    EXPECT_TRUE(MessageList.consoleRepaint);
}

TEST_F(MessageListTest, LinesRetireOnceOlderThanSixSecondsAlsoAcrossTheClockWrap)
{
    platform::UseManualClock(0xFFFFF000u);  // 4096 ms before the counter wraps
    PrintMessage("first", 7);
    platform::AdvanceManualClock(1000);
    PrintMessage("second", 7);

    platform::AdvanceManualClock(MessageLifeMs);  // first is 7000 ms old, second 6000
    RetireOldMessages();
    ASSERT_EQ(MessageList.visibleCount, 1);
    EXPECT_EQ(Visible(0), "second");
    EXPECT_EQ(History(19), "first");

    platform::AdvanceManualClock(1);
    RetireOldMessages();
    EXPECT_EQ(MessageList.visibleCount, 0);
    EXPECT_EQ(History(18), "first");
    EXPECT_EQ(History(19), "second");
}

TEST_F(MessageListTest, RecallStepsBackToTheOldestHistoryLineAndForwardAgain)
{
    char buffer[16];
    int page = -1;
    EXPECT_EQ(RecallMessage(buffer, -1, sizeof buffer, &page), -1);

    for (int i = 0; i < 3; ++i)
        PrintMessage(("old " + std::to_string(i)).c_str(), 7);
    RetireAllMessages();
    PrintMessage("new 3", 7);
    AddMessage("chat 4", 2, 4);

    std::vector<std::string> back;
    int seq = -1;
    for (int step = 0; step < 6; ++step) {
        int found = RecallMessage(buffer, seq, sizeof buffer, &page);
        if (found == seq)
            break;
        back.push_back(buffer);
        seq = found;
    }
    EXPECT_EQ(back, (std::vector<std::string>{"chat 4", "new 3", "old 2", "old 1", "old 0"}));
    EXPECT_EQ(RecallMessage(buffer, seq, sizeof buffer, &page), seq);  // nothing older: stays

    std::vector<std::string> forward;
    while ((seq = RecallMessageBefore(buffer, seq, sizeof buffer, &page)) != -1)
        forward.push_back(buffer);
    EXPECT_EQ(forward, (std::vector<std::string>{"old 1", "old 2", "new 3", "chat 4"}));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(page, InputCodePage);
}

TEST_F(MessageListTest, RecallCutsToTheBufferAndSkipsTheSendersName)
{
    AddMessage("a long chat line", 2, 4);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    int page = -1;
    EXPECT_EQ(RecallMessage(buffer, -1, sizeof buffer, &page), 0);
    EXPECT_STREQ(buffer, "a long ");
    EXPECT_EQ(page, 0);
}

struct ChatCase {
    const char* name;
    int source;
    const char* text;
    const char* shown;  // nullptr: nothing is added
    int colour;
    bool hidden;
};

class ChatLineTest : public MessageListTest, public ::testing::WithParamInterface<ChatCase> {};

TEST_P(ChatLineTest, ChatLinesCarryTheirSender)
{
    const ChatCase& c = GetParam();
    AddMessage(c.text, 2, c.source);
    if (c.shown == nullptr) {
        EXPECT_EQ(MessageList.visibleCount, 0);
        EXPECT_TRUE(Forwarded.empty());
        return;
    }
    ASSERT_EQ(MessageList.visibleCount, 1);
    const MessageLine& line = MessageList.visible[0];
    EXPECT_STREQ(line.text, c.shown);
    EXPECT_EQ(line.colour, c.colour);
    EXPECT_EQ(line.codePage, 0);
    EXPECT_EQ((line.flags & MessageHidden) != 0, c.hidden);
    ASSERT_EQ(Forwarded.size(), 1u);
    EXPECT_EQ(Forwarded[0].connection, c.source);
    EXPECT_EQ(Forwarded[0].userType, c.hidden ? 2 : 1);
    EXPECT_EQ(Forwarded[0].nameLength, line.nameLength);
    MessageDrawLine drawn[2 * MessageSlotCount];
    EXPECT_EQ(LayOutMessageLines(-1, 0.05f, drawn), c.hidden ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Senders, ChatLineTest,
    ::testing::Values(
        ChatCase{"NameColoursKeptExceptOwnColour", 3, "hello", "^7^7Ann^1ie ^7: ^8hello", 2, false},
        ChatCase{"EmoteInUpperCaseNamesTheSender", 3, "/ME waves", "^9Ann^1ie^ ^8waves", 3, false},
        ChatCase{"OtherSlashLinesAddNothing", 4, "/kick someone", nullptr, 0, false},
        ChatCase{"InSimLinesAreKeptButNotDrawn", 4, "!score", "^7Bo ^7: ^8!score", 2, true},
        ChatCase{"AnEmptySlotHasNoName", 5, "hi", "^7 ^7: ^8hi", 2, false},
        ChatCase{"SourcesBeyondTheConnectionsAreRefused", 48, "hi", nullptr, 0, false}),
    [](const ::testing::TestParamInfo<ChatCase>& info) { return info.param.name; });

TEST_F(MessageListTest, BlockingDropsChatOrEverything)
{
    SetMessageBlock(MessageBlockChat);
    AddMessage("chat", 2, 4);
    PrintMessage("report", 7);
    ASSERT_EQ(MessageList.visibleCount, 1);
    EXPECT_EQ(Visible(0), "report");

    SetMessageBlock(MessageBlockAll);
    PrintMessage("report", 7);
    EXPECT_EQ(MessageList.visibleCount, 1);
}

TEST_F(MessageListTest, HiddenLinesAreKeptButGoToNoInSimGuest)
{
    AddHiddenMessage("secret", 7);
    PrintMessage("open", 7);
    ASSERT_EQ(MessageList.visibleCount, 2);
    EXPECT_TRUE(MessageList.visible[0].flags & MessageHidden);
    ASSERT_EQ(Forwarded.size(), 1u);
    EXPECT_EQ(Forwarded[0].text, "open");
    EXPECT_EQ(Forwarded[0].userType, 0);
    char buffer[16];
    int page = 0;
    int seq = RecallMessage(buffer, -1, sizeof buffer, &page);
    RecallMessage(buffer, seq, sizeof buffer, &page);
    EXPECT_STREQ(buffer, "secret");
}

TEST_F(MessageListTest, TheHistoryIsDrawnAboveTheVisibleLinesWhenShown)
{
    PrintMessage("retired", 7);
    RetireAllMessages();
    PrintMessage("shown", 7);
    MessageDrawLine drawn[2 * MessageSlotCount];

    ASSERT_EQ(LayOutMessageLines(-0.85f, 0.05f, drawn), 1);
    EXPECT_STREQ(drawn[0].line->text, "shown");
    EXPECT_FLOAT_EQ(drawn[0].top, -0.85f);

    SetMessageHistoryShown(1);
    ASSERT_EQ(LayOutMessageLines(-0.85f, 0.05f, drawn), 2);
    EXPECT_STREQ(drawn[0].line->text, "retired");
    EXPECT_STREQ(drawn[1].line->text, "shown");
    EXPECT_FLOAT_EQ(drawn[1].top, -0.8f);
}

// A line longer than the slot is cut at a character boundary: never
// between a caret and its code byte.
TEST_F(MessageListTest, LongLinesAreCutWhereACharacterEnds)
{
    std::string text(126, 'a');
    text += "^1bcdef";
    PrintMessage(text.c_str(), 7);
    EXPECT_EQ(Visible(0), std::string(126, 'a'));

    std::string plain(200, 'b');
    AddMessage(plain.c_str(), 2, 4);
    std::string shown = Visible(1);
    EXPECT_EQ(shown.size(), static_cast<size_t>(MessageTextSize - 1));
    EXPECT_EQ(shown.substr(0, 14), "^7Bo ^7: ^8bbb");
}

TEST_F(MessageListTest, NetworkLinesShowOnlyWhileSwitchedOnAndAreNotForwarded)
{
    PrintNetDebugMessage("hidden", 7);
    EXPECT_EQ(MessageList.visibleCount, 0);

    ProgramModeRecord mode = ProgramMode;
    mode.networkDebug = 1;
    SetProgramMode(mode);
    PrintNetDebugMessagePair("sent", "5", 7);
    ASSERT_EQ(MessageList.visibleCount, 1);
    EXPECT_EQ(Visible(0), "sent 5");
    EXPECT_TRUE(Forwarded.empty());
}

} // namespace

namespace {

using MessageConsoleTest = TextTest;

// Rows of the picture that hold ink.
std::vector<int> InkedRows(const std::vector<uint8_t>& pixels, int width)
{
    std::vector<int> rows;
    for (size_t i = 0; i < pixels.size(); ++i) {
        int row = static_cast<int>(i / 3 / static_cast<size_t>(width));
        if (pixels[i] != 0 && (rows.empty() || rows.back() != row))
            rows.push_back(row);
    }
    return rows;
}

// The dedicated host's console shows the visible lines, hidden ones too,
// one glyph height and a pixel apart, as many as fit above the bottom.
TEST_F(MessageConsoleTest, TheConsoleShowsTheVisibleLinesThatFit)
{
    InitStandardColours();
    AddHiddenMessage("A", 7);
    PrintMessage("A", 7);
    PrintMessage("A", 7);
    constexpr int Width = 20, Height = 40;
    std::vector<uint8_t> pixels(Width * Height * 3);
    ConsolePicture picture{pixels.data(), Width, Height};

    EXPECT_EQ(DrawMessagesToConsole(picture, 2, 2 + 2 * (ConsoleRows + 1)), ConsoleRows);
    std::vector<int> rows = InkedRows(pixels, Width);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 2);
    EXPECT_LT(rows.back(), 2 + 2 * ConsoleRows + 1);  // the third line does not fit
    EXPECT_TRUE(std::find_if(rows.begin(), rows.end(), [](int r) { return r > 2 + ConsoleRows; }) != rows.end());
}

} // namespace
