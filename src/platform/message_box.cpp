// Message boxes through the installed back end, or on standard error.
#include "platform/message_box.h"

#include <cstdio>

namespace platform {
namespace {

const char* KindWord(MessageBoxKind kind)
{
    switch (kind) {
    case MessageBoxKind::Error: return "Error";
    case MessageBoxKind::Warning: return "Warning";
    case MessageBoxKind::Information: return "Information";
    case MessageBoxKind::Question: return "Question";
    }
    return "Message";
}

// Writes the box as one or two lines; a question is answered No at once.
int ShowOnStandardError(MessageBoxKind kind, const char* caption, const char* text)
{
    if (caption != nullptr && caption[0] != 0)
        std::fprintf(stderr, "%s : %s : %s\n", KindWord(kind), caption, text);
    else
        std::fprintf(stderr, "%s : %s\n", KindWord(kind), text);
    if (kind == MessageBoxKind::Question) {
        std::fprintf(stderr, "(answered No: nobody can be asked)\n");
        return MessageBoxNo;
    }
    return MessageBoxOk;
}

MessageBoxBackEnd BackEnd = nullptr;

} // namespace

int ShowMessageBox(MessageBoxKind kind, const char* caption, const char* text)
{
    if (caption == nullptr)
        caption = "";
    if (text == nullptr)
        text = "";
    return BackEnd != nullptr ? BackEnd(kind, caption, text) : ShowOnStandardError(kind, caption, text);
}

void SetMessageBoxBackEnd(MessageBoxBackEnd backEnd)
{
    BackEnd = backEnd;
}

} // namespace platform
