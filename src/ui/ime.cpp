// The input method's state: compositions from the window's text-editing
// events, and its open state across text entries.
#include <algorithm>
#include <cstring>
#include <string>

#include "devices/services.h"
#include "platform/text_codes.h"
#include "ui/local.h"

ImeStateRecord MutableImeState;
const ImeStateRecord& ImeState = MutableImeState;

namespace {

constexpr int JapanesePage = 4, TraditionalChinesePage = 7, SimplifiedChinesePage = 8, KoreanPage = 9;

} // namespace

void UpdateComposition(const char* utf8, int cursor)
{
    ImeStateRecord& ime = MutableImeState;
    ime.composing = 0;
    std::fill(std::begin(ime.composition), std::end(ime.composition), '\0');
    if (utf8 == nullptr || utf8[0] == '\0') {
        EndComposition();
        return;
    }
    std::string bytes = platform::Utf8ToCodePage(WindowsCodePageOf(InputCodePage), utf8);
    if (bytes.size() > ImeCompositionSize - 1)
        bytes.resize(ImeCompositionSize - 1);
    std::memcpy(ime.composition, bytes.data(), bytes.size());
    ime.composing = 1;
    ime.compositionCursor = std::max(cursor, 0);
    if (static_cast<int>(bytes.size()) > EntryLine.freeBytes)
        PlayUiSound(InvalidKeySound);
}

void EndComposition()
{
    MutableImeState.composing = 0;
    MutableImeState.compositionCursor = 0;
    std::fill(std::begin(MutableImeState.composition), std::end(MutableImeState.composition), '\0');
}

int ImeComposing() { return ImeState.composing; }

void SetIMMStatus(int open) { MutableImeState.open = open ? 1 : 0; }

void ResetIme()
{
    MutableImeState.stateChanged = 0;
    if (ImeState.open && EntryLine.freeBytes == 0)
        SetIMMStatus(0);
    EndComposition();
}

void UpdateImeState()
{
    SetKeyboardLayoutChanged(0);
    MutableImeState.stateChanged = 1;
    ResetIme();
}

void PrepareImeForEntry()
{
    if (EntryLine.freeBytes == 0)
        RebuildEntryText();
    if (ImeState.reopenMarker == InputCodePage + 1)
        SetIMMStatus(1);
}

void CloseImeForDialog()
{
    MutableImeState.dialogMarker = ImeState.reopenMarker;
    SetIMMStatus(0);
}

void RestoreImeAfterEntry()
{
    ImeStateRecord& ime = MutableImeState;
    EndTextEntry();
    ime.reopenMarker = 0;
    if (ime.open) {
        ime.reopenMarker = InputCodePage + 1;
        SetIMMStatus(0);
    }
    if (ime.dialogMarker == InputCodePage + 1) {
        ime.reopenMarker = ime.dialogMarker;
        ime.dialogMarker = 0;
    }
    EndComposition();
}

int ImeActive()
{
    switch (InputCodePage) {
    case JapanesePage:
    case KoreanPage: return ImeState.open;
    case TraditionalChinesePage:
    case SimplifiedChinesePage: return ImeState.open && KeyboardLayout.inputMethod;
    default: return 0;
    }
}

const char* ImeIndicatorText(int* selected)
{
    *selected = ImeActive();
    return "E";
}
