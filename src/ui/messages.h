// The on-screen message list: reports, chat lines and notices shown at the
// top left for six seconds each, then kept in a history of the last twenty
// retired lines that the user can show (H) or hide.
#pragma once

#include <array>
#include <cstdint>

constexpr int MessageSlotCount = 20;
constexpr int MessageTextSize = 128;      // 127 characters and the terminator
constexpr uint32_t MessageLifeMs = 6000;  // a line retires once it is older
// Connection indexes that may be the source of a chat line.
constexpr int MessageConnectionCount = 48;

// Sources of a line other than a connection index 0..47.
enum : int {
    MessageSourcePlain = -1,         // a line in the language's code page
    MessageSourceHidden = -2,        // kept, logged and recallable, never drawn
    MessageSourceUntranslated = -3,  // drawn in code page 0 whatever the language
};

// MessageLine::flags.
enum : uint8_t {
    MessageHidden = 1,
};

// One slot of the visible list or the history; an empty text marks a free
// slot.
struct MessageLine {
    uint8_t flags = 0;
    uint8_t seq = 0;         // low 8 bits of the message counter when added
    uint8_t nameLength = 0;  // length of the sender-name prefix at the start of text
    uint8_t codePage = 0;    // code page the text is drawn in
    uint32_t timeMs = 0;     // platform::NowMs when added
    char text[MessageTextSize] = {};  // caret-coded
    uint8_t colour = 0;      // index of StandardColours

    bool operator==(const MessageLine&) const = default;
};

// MessageListRecord::block.
enum : int {
    MessageBlockNone = 0,
    MessageBlockChat = 1,  // chat lines of connections are dropped
    MessageBlockAll = 2,   // every line is dropped
};

// The visible lines (from slot 0 upwards without gaps, oldest first) and
// the history (oldest first, newest at the last slot). Read-only outside
// the interface as MessageList; lives for the whole run, emptied by
// ResetUiTables.
struct MessageListRecord {
    std::array<MessageLine, MessageSlotCount> visible{};
    std::array<MessageLine, MessageSlotCount> history{};
    int visibleCount = 0;
    uint32_t counter = 0;       // its low byte stamps each line's seq
    int block = MessageBlockNone;
    bool consoleRepaint = false;  // the visible list changed since the console drew it

    bool operator==(const MessageListRecord&) const = default;
};
extern const MessageListRecord& MessageList;

// Sets which lines are dropped (MessageBlockNone, Chat or All).
void SetMessageBlock(int block);
// The dedicated host's console clears the repaint flag once it has drawn.
void ClearMessageConsoleRepaint();

// Adds one line in a standard colour from a source: a connection index (a
// chat line from that participant, shown under the sender's name; an emote
// "/me ..." names the sender, any other line starting with "/" is dropped)
// or one of MessageSource*. A full list retires its oldest line first. The
// line is written to the log file when one is set and forwarded to InSim.
void AddMessage(const char* text, int colour, int source);
// A plain line: the program's ordinary report.
void PrintMessage(const char* text, int colour);
// A line kept and logged but never drawn, nor forwarded to InSim.
void AddHiddenMessage(const char* text, int colour);
// A line drawn in code page 0 whatever the language.
void PrintUntranslatedMessage(const char* text, int colour);
// A chat packet's text (after its first four bytes), from a connection, in
// green.
void AddPacketMessage(const uint8_t* packet, int source);
// "%s %s" of the two texts, as PrintMessage.
void PrintMessagePair(const char* first, const char* second, int colour);
// "label value" when the label ends with ":", else "label : value".
void PrintLabelledValue(const char* label, const char* value, int colour);
// "text name" with the name drawn in code page 0.
void PrintMessageAndName(const char* text, const char* name, int colour);
// printf of one value, as PrintMessage.
void PrintMessageInt(const char* format, int n, int colour);
void PrintMessageFloat(const char* format, float x, int colour);
// printf of any arguments, in light grey.
void PrintMessageF(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A light-grey line with the notice sound.
void PrintNotice(const char* text);
// A light-red line with the error sound.
void PrintError(const char* text);
// "Could not load file : <name>" and "Could not save file : <name>", the
// name in code page 0, in light red.
void PrintLoadError(const char* fileName);
void PrintSaveError(const char* fileName);
// Lines shown only while the network messages are switched on (Shift+F8):
// in code page 0 and not forwarded to InSim.
void PrintNetDebugMessage(const char* text, int colour);
void PrintNetDebugMessageInt(const char* format, int n, int colour);
void PrintNetDebugMessagePair(const char* first, const char* second, int colour);

// Moves visible line n to the end of the history (its oldest line drops
// out) and closes the gap.
void RetireMessage(int n);
// Retires every visible line (Ctrl+H).
void RetireAllMessages();
// Retires every visible line older than MessageLifeMs; once per pass.
void RetireOldMessages();

// For the entry line's recall. RecallMessage steps back in time: with seq
// -1 the newest line, otherwise the line just older than the one stamped
// seq (the newest when none bears seq any more). It copies the line's text
// after the sender's name into buffer (at most size - 1 characters, the
// rest zero), stores its code page and returns its seq; -1 when there is no
// line at all; seq itself, buffer untouched, when nothing is older.
int RecallMessage(char* buffer, int seq, int size, int* codePage);
// Steps forward: the line just newer than the one stamped seq (the oldest
// when none bears seq any more), copied as above. When none is newer, the
// buffer is cleared, the input code page stored and -1 returned; seq -1
// returns -1 and changes nothing.
int RecallMessageBefore(char* buffer, int seq, int size, int* codePage);

// One line as drawn: the slot it comes from and its top.
struct MessageDrawLine {
    const MessageLine* line = nullptr;
    float top = 0;
};
// The lines drawn this pass from top downwards with line height h: the
// history first while it is shown, then the visible list; free and hidden
// slots take no space. Returns the count written (at most 2 × 20).
int LayOutMessageLines(float top, float height, MessageDrawLine* lines);

// The lines of this pass drawn from MessageAreaTop with the line height of
// the setting "Message Size ": a dark band behind each (into the screen
// batch), then the texts (into the glyph queue). The 2D layer calls them
// each pass, bands first.
void DrawMessageBackgrounds();
void DrawMessageTexts();
// Draws the visible lines, hidden ones too, into the dedicated host's
// console picture from pixel row y, each while it ends above bottom, one
// pixel apart. Returns the line height in pixels.
struct ConsolePicture;
int DrawMessagesToConsole(ConsolePicture& picture, int y, int bottom);

// Whether the message history is shown, and the top of the message area
// this pass (-1 the top of the screen). Read-only outside the interface;
// live for the whole run.
extern const int& MessageHistoryShown;
extern const float& MessageAreaTop;
void SetMessageHistoryShown(int shown);
void SetMessageAreaTop(float top);
