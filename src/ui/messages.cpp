// The on-screen message list: adding lines with their sender and code page,
// retiring them into the history, and recalling them for the entry line.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "devices/services.h"
#include "platform/clock.h"
#include "ui/local.h"

MessageListRecord MutableMessageList;
const MessageListRecord& MessageList = MutableMessageList;

namespace {

MessageHooks InstalledMessageHooks;

// Standard colours of the report calls.
enum : int {
    MessageColourGreen = 2,
    MessageColourYellow = 3,
    MessageColourLightRed = 9,
    MessageColourLightGrey = 18,
};
// Interface sounds of notices and errors.
constexpr int NoticeSound = 2;
constexpr int ErrorSound = 4;
// A chat packet's text starts after its header.
constexpr int PacketTextOffset = 4;

// Length of the longest start of text, at most limit bytes, that ends on a
// character boundary: never between a caret and its code byte, nor between
// the lead and trail byte of a double-byte character.
int CharacterBoundaryLength(const char* text, int limit, int codePage)
{
    const int total = static_cast<int>(std::strlen(text));
    if (total <= limit)
        return total;
    CodePage* const keptPage = MutableUi.currentCodePage;
    TextWalker walker(text, codePage);
    TextStep step;
    int length = 0;
    while (walker.Next(step) && walker.Position() <= limit)
        length = walker.Position();
    MutableUi.currentCodePage = keptPage;
    return length;
}

// Copies text into a line's field, cut at a character boundary to fit.
void CopyLineText(char* field, const char* text, int codePage)
{
    int length = CharacterBoundaryLength(text, MessageTextSize - 1, codePage);
    std::memcpy(field, text, static_cast<size_t>(length));
    field[length] = 0;
}

// The sender's prefix of a chat line: "^7", the name with "^9" drawn as
// "^7" (a caret that ends the name is dropped), then " ^7: ^8".
void BuildNamePrefix(const char* name, char* prefix, int size)
{
    int at = std::snprintf(prefix, static_cast<size_t>(size), "^7");
    for (int i = 0; name[i] != 0 && at < size - 2; ++i) {
        if (name[i] != '^') {
            prefix[at++] = name[i];
            continue;
        }
        if (name[i + 1] == 0)
            break;
        prefix[at++] = '^';
        prefix[at++] = name[i + 1] == '9' ? '7' : name[i + 1];
        ++i;
    }
    prefix[at] = 0;
    std::snprintf(prefix + at, static_cast<size_t>(size - at), " ^7: ^8");
}

bool IsEmote(const char* text)
{
    return text[0] == '/' && (text[1] == 'm' || text[1] == 'M') && (text[2] == 'e' || text[2] == 'E') &&
           text[3] == ' ';
}

// Whether a line from this source is dropped before it takes a slot.
bool IsMessageBlocked(int source)
{
    if (MutableMessageList.block == MessageBlockAll)
        return true;
    if (source >= 0 && MutableMessageList.block == MessageBlockChat)
        return true;
    return source >= MessageConnectionCount || source < MessageSourceUntranslated;
}

// The first free visible slot, retiring the oldest line when all are used.
MessageLine& TakeFreeSlot()
{
    if (MutableMessageList.visibleCount == MessageSlotCount)
        RetireMessage(0);
    MessageLine& line = MutableMessageList.visible[static_cast<size_t>(MutableMessageList.visibleCount)];
    line = MessageLine{};
    return line;
}

// Fills the slot with a chat line from a connection; false when the line
// is a command that nobody else sees (a slash line other than an emote).
bool FillChatLine(MessageLine& line, const char* text, int source, int& colour)
{
    const char* name = GetMessageHooks().connectionName(source);
    if (name == nullptr)
        name = "";
    char combined[MessageTextSize * 3];
    line.codePage = 0;
    if (text[0] == '/') {
        if (!IsEmote(text))
            return false;
        std::snprintf(combined, sizeof combined, "%s ^8%s", name, text + 4);
        colour = MessageColourYellow;
        CopyLineText(line.text, combined, 0);
        return true;
    }
    char prefix[MessageTextSize];
    BuildNamePrefix(name, prefix, sizeof prefix);
    std::snprintf(combined, sizeof combined, "%s%s", prefix, text);
    CopyLineText(line.text, combined, 0);
    size_t prefixLength = std::strlen(prefix);
    line.nameLength = static_cast<uint8_t>(prefixLength < std::strlen(line.text) ? prefixLength : std::strlen(line.text));
    if (GetMessageHooks().isInSimPrefix(static_cast<unsigned char>(text[0])))
        line.flags |= MessageHidden;
    return true;
}

void ForwardToInSim(const MessageLine& line, int source)
{
    if (source == MessageSourceHidden)
        return;
    if (source < 0) {
        GetMessageHooks().sendInSimMessage(-1, 0, 0, line.text);
        return;
    }
    int userType = (line.flags & MessageHidden) ? 2 : 1;
    GetMessageHooks().sendInSimMessage(source, userType, line.nameLength, line.text);
}

// Copies a line's text after its name prefix into buffer, zero-filled.
void CopyRecalledText(const MessageLine& line, char* buffer, int size, int* codePage)
{
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::strncpy(buffer, line.text + line.nameLength, static_cast<size_t>(size - 1));
    *codePage = line.codePage;
}

// The lines in time order, oldest first: the history, then the visible
// list. Returns the count.
int LinesOldestFirst(const MessageLine** lines)
{
    int count = 0;
    for (const MessageLine& line : MutableMessageList.history)
        if (line.text[0] != 0)
            lines[count++] = &line;
    for (const MessageLine& line : MutableMessageList.visible)
        if (line.text[0] != 0)
            lines[count++] = &line;
    return count;
}

int FindSeq(const MessageLine* const* lines, int count, int seq)
{
    for (int i = 0; i < count; ++i)
        if (lines[i]->seq == seq)
            return i;
    return -1;
}

// printf into a line, cut to the slot's size, as PrintMessage.
void PrintFormattedList(int colour, const char* format, va_list arguments) __attribute__((format(printf, 2, 0)));
void PrintFormattedList(int colour, const char* format, va_list arguments)
{
    char line[MessageTextSize];
    std::vsnprintf(line, sizeof line, format, arguments);
    PrintMessage(line, colour);
}

void PrintFormatted(int colour, const char* format, ...) __attribute__((format(printf, 2, 3)));
void PrintFormatted(int colour, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    PrintFormattedList(colour, format, arguments);
    va_end(arguments);
}

} // namespace

const MessageHooks& GetMessageHooks() { return InstalledMessageHooks; }
void SetMessageHooks(const MessageHooks& hooks) { InstalledMessageHooks = hooks; }

void ResetMessageList()
{
    MutableMessageList = {};
    InstalledMessageHooks = {};
}

void SetMessageBlock(int block) { MutableMessageList.block = block; }
void ClearMessageConsoleRepaint() { MutableMessageList.consoleRepaint = false; }

namespace {

// Adds one line (AddMessage); forward off keeps it from the InSim guests.
void AddMessageLine(const char* text, int colour, int source, bool forward)
{
    if (IsMessageBlocked(source))
        return;
    MessageLine& line = TakeFreeSlot();
    if (source >= 0) {
        if (!FillChatLine(line, text, source, colour))
            return;
    } else {
        line.codePage = static_cast<uint8_t>(source == MessageSourcePlain ? TextCodePage : 0);
        CopyLineText(line.text, text, line.codePage);
        if (source == MessageSourceHidden)
            line.flags |= MessageHidden;
    }
    if (line.text[0] == 0)
        return;  // an empty text would mark the slot free
    if (forward)
        ForwardToInSim(line, source);
    LogLine(line.text);  // writes only while a log file is set
    line.timeMs = platform::NowMs();
    line.colour = static_cast<uint8_t>(colour);
    line.seq = static_cast<uint8_t>(MutableMessageList.counter++);
    ++MutableMessageList.visibleCount;
    MutableMessageList.consoleRepaint = true;
}

// A network line in code page 0 that goes to no InSim guest.
void AddNetDebugLine(const char* text, int colour)
{
    AddMessageLine(text, colour, MessageSourceUntranslated, false);
}

} // namespace

void AddMessage(const char* text, int colour, int source) { AddMessageLine(text, colour, source, true); }

void PrintMessage(const char* text, int colour) { AddMessage(text, colour, MessageSourcePlain); }
void AddHiddenMessage(const char* text, int colour) { AddMessage(text, colour, MessageSourceHidden); }
void PrintUntranslatedMessage(const char* text, int colour) { AddMessage(text, colour, MessageSourceUntranslated); }

void AddPacketMessage(const uint8_t* packet, int source)
{
    AddMessage(reinterpret_cast<const char*>(packet + PacketTextOffset), MessageColourGreen, source);
}

void PrintMessagePair(const char* first, const char* second, int colour)
{
    PrintFormatted(colour, "%s %s", first, second);
}

void PrintLabelledValue(const char* label, const char* value, int colour)
{
    size_t length = std::strlen(label);
    if (length > 0 && label[length - 1] == ':')
        PrintFormatted(colour, "%s %s", label, value);
    else
        PrintFormatted(colour, GetText(TX_3h_s_coln_s), label, value);
}

void PrintMessageAndName(const char* text, const char* name, int colour)
{
    PrintFormatted(colour, "%s ^L%s", text, name);
}

void PrintMessageInt(const char* format, int n, int colour) { PrintFormatted(colour, format, n); }
void PrintMessageFloat(const char* format, float x, int colour) { PrintFormatted(colour, format, x); }

void PrintMessageF(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    PrintFormattedList(MessageColourLightGrey, format, arguments);
    va_end(arguments);
}

void PrintNotice(const char* text)
{
    PrintMessage(text, MessageColourLightGrey);
    PlayUiSound(NoticeSound);
}

void PrintError(const char* text)
{
    PrintMessage(text, MessageColourLightRed);
    PlayUiSound(ErrorSound);
}

void PrintLoadError(const char* fileName)
{
    PrintFormatted(MessageColourLightRed, "%s : ^L%s", GetText(TX_3e_kbnoload), fileName);
}

void PrintSaveError(const char* fileName)
{
    PrintFormatted(MessageColourLightRed, "%s : ^L%s", GetText(TX_3e_kbnosave), fileName);
}

void PrintNetDebugMessage(const char* text, int colour)
{
    if (ProgramMode.networkDebug)
        AddNetDebugLine(text, colour);
}

void PrintNetDebugMessageInt(const char* format, int n, int colour)
{
    if (!ProgramMode.networkDebug)
        return;
    char line[MessageTextSize];
    std::snprintf(line, sizeof line, format, n);
    AddNetDebugLine(line, colour);
}

void PrintNetDebugMessagePair(const char* first, const char* second, int colour)
{
    if (!ProgramMode.networkDebug)
        return;
    char line[MessageTextSize];
    std::snprintf(line, sizeof line, "%s %s", first, second);
    AddNetDebugLine(line, colour);
}

void RetireMessage(int n)
{
    MessageListRecord& list = MutableMessageList;
    if (n < 0 || n >= list.visibleCount)
        return;
    for (int i = 0; i + 1 < MessageSlotCount; ++i)
        list.history[static_cast<size_t>(i)] = list.history[static_cast<size_t>(i + 1)];
    list.history[MessageSlotCount - 1] = list.visible[static_cast<size_t>(n)];
    for (int i = n; i + 1 < MessageSlotCount; ++i)
        list.visible[static_cast<size_t>(i)] = list.visible[static_cast<size_t>(i + 1)];
    list.visible[MessageSlotCount - 1] = MessageLine{};
    --list.visibleCount;
    list.consoleRepaint = true;
}

void RetireAllMessages()
{
    while (MutableMessageList.visibleCount > 0)
        RetireMessage(0);
}

void RetireOldMessages()
{
    if (MutableMessageList.visibleCount == 0)
        return;
    const uint32_t now = platform::NowMs();
    for (int i = 0; i < MutableMessageList.visibleCount;) {
        if (now - MutableMessageList.visible[static_cast<size_t>(i)].timeMs > MessageLifeMs)
            RetireMessage(i);
        else
            ++i;
    }
}

int RecallMessage(char* buffer, int seq, int size, int* codePage)
{
    const MessageLine* lines[MessageSlotCount * 2];
    int count = LinesOldestFirst(lines);
    if (count == 0)
        return -1;
    int at = seq == -1 ? -1 : FindSeq(lines, count, seq);
    int chosen = at == -1 ? count - 1 : at - 1;
    if (chosen < 0)
        return seq;
    CopyRecalledText(*lines[chosen], buffer, size, codePage);
    return lines[chosen]->seq;
}

int RecallMessageBefore(char* buffer, int seq, int size, int* codePage)
{
    if (seq == -1)
        return -1;
    const MessageLine* lines[MessageSlotCount * 2];
    int count = LinesOldestFirst(lines);
    int at = FindSeq(lines, count, seq);
    int chosen = at == -1 ? 0 : at + 1;
    if (chosen >= count) {
        std::memset(buffer, 0, static_cast<size_t>(size));
        *codePage = InputCodePage;
        return -1;
    }
    CopyRecalledText(*lines[chosen], buffer, size, codePage);
    return lines[chosen]->seq;
}

int LayOutMessageLines(float top, float height, MessageDrawLine* lines)
{
    int count = 0;
    auto layOut = [&](const std::array<MessageLine, MessageSlotCount>& slots) {
        for (const MessageLine& line : slots) {
            if (line.text[0] == 0 || (line.flags & MessageHidden))
                continue;
            lines[count] = {&line, top + static_cast<float>(count) * height};
            ++count;
        }
    };
    if (MessageHistoryShown)
        layOut(MutableMessageList.history);
    layOut(MutableMessageList.visible);
    return count;
}
