// The on-screen message list. It is not built yet: the temporary bodies
// (messages_pending.cpp) write every line to the debug log instead, and
// the network-message switch is off.
#pragma once

// Adds a line in the error colour to the on-screen message list.
// Pending: the line goes to the debug log.
void PrintError(const char* text);
// Adds a plain line in a standard colour to the on-screen message list.
// Pending: the line goes to the debug log.
void PrintMessage(const char* text, int colour);
// The two texts joined as "%s %s" (at most 127 characters), as PrintMessage.
void PrintMessagePair(const char* first, const char* second, int colour);
// A light-grey line with the message sound.
// Pending: the line goes to the debug log.
void PrintNotice(const char* text);
// A line only while the network-message switch is on.
// Pending: the switch is off; nothing is shown.
void PrintNetDebugMessage(const char* text, int colour);
// "Could not load file : <name>" in the error colour.
// Pending: the line goes to the debug log.
void PrintLoadError(const char* fileName);
// Recall of shown lines into the entry line. RecallMessage copies the
// line just older than the one stamped seq (the newest for -1) after its
// name prefix into buffer (size bytes), stores its code page and returns
// its seq; -1 when there is no line, seq itself when none is older.
// RecallMessageBefore copies the line just newer; when none is newer it
// clears the buffer and returns -1.
// Pending: no message list; both answer -1 (no line).
int RecallMessage(char* buffer, int seq, int size, int* codePage);
int RecallMessageBefore(char* buffer, int seq, int size, int* codePage);
// Empties the message list.
// Pending: no list; does nothing.
void RetireAllMessages();
// Whether the message history is shown, and the top of the message area
// this pass (-1 the top of the screen). Read-only outside the interface;
// live for the whole run.
extern const int& MessageHistoryShown;
extern const float& MessageAreaTop;
void SetMessageHistoryShown(int shown);
void SetMessageAreaTop(float top);
// The message list's part in the 2D layer: lines older than their time
// leave, then the texts and the bands behind them are queued.
// Pending: no list; they do nothing.
void RetireOldMessages();
void DrawMessageTexts();
void DrawMessageBackgrounds();
