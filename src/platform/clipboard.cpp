// The clipboard's door: the window system's back end when one is set, else
// the program's own text.
#include "platform/clipboard.h"

namespace platform {
namespace {

// The program's own clipboard. Lives for the whole run.
std::string OwnClipboard;
const ClipboardBackEnd* CurrentBackEnd = nullptr;

} // namespace

int WriteClipboardText(std::string_view utf8)
{
    if (CurrentBackEnd != nullptr)
        return CurrentBackEnd->write(utf8);
    OwnClipboard = utf8;
    return 1;
}

int ReadClipboardText(std::string& utf8)
{
    utf8.clear();
    if (CurrentBackEnd != nullptr)
        return CurrentBackEnd->read(utf8);
    utf8 = OwnClipboard;
    return utf8.empty() ? 0 : 1;
}

void SetClipboardBackEnd(const ClipboardBackEnd* backEnd) { CurrentBackEnd = backEnd; }

} // namespace platform
