// The input method: for the Japanese, Chinese and Korean keyboard pages
// the desktop's input method composes double-byte text, and the game
// draws the composition at the entry line's caret. Compositions arrive as
// the window's text-editing events and results as typed characters; the
// input method is kept closed while no text is being typed and opened
// again for the next text entry in the same keyboard page.
#pragma once

#include <cstdint>

constexpr int ImeCompositionSize = 96;

struct ImeStateRecord {
    int open = 0;             // 1 while the input method is open
    int composing = 0;        // 1 while a composition is present
    char composition[ImeCompositionSize] = {};  // in the keyboard's code page, at most 95 bytes
    int compositionCursor = 0;  // characters of the composition before its cursor
    int stateChanged = 0;     // the keyboard layout or open state changed; ResetIme consumes it
    int reopenMarker = 0;     // 0, or InputCodePage + 1 when it was open as the last entry ended
    int dialogMarker = 0;     // reopenMarker kept by a dialog that closed it on opening

    bool operator==(const ImeStateRecord&) const = default;
};
// Read-only outside the interface; lives for the whole run.
extern const ImeStateRecord& ImeState;

// A text-editing event: the composition as UTF-8 (empty when it ended)
// and its cursor in characters. A composition longer than the entry line's
// free space plays the invalid-key sound but is still shown.
void UpdateComposition(const char* utf8, int cursor);
// Drops the composition.
void EndComposition();
// 1 while a composition is shown.
int ImeComposing();
// Opens (1) or closes (0) the input method.
void SetIMMStatus(int open);
// The keyboard layout changed: closes the input method when no text entry
// is active and drops the composition.
void UpdateImeState();
void ResetIme();
// A text entry starts: the line's free space marks it active, and the
// input method opens again when it was open as the last entry ended in
// the same keyboard page.
void PrepareImeForEntry();
// A password, single-byte or command dialog opens: remembers whether the
// input method was open and closes it.
void CloseImeForDialog();
// A text entry ends: remembers whether the input method was open, closes
// it and drops the composition.
void RestoreImeAfterEntry();
// 1 while the input method serves the keyboard page: pages 4 and 9 when
// open, 7 and 8 when open with an input-method layout.
int ImeActive();
// The input-method button's text ("E") and whether it is shown selected
// (while ImeActive). The desktop's input method does not tell its
// conversion mode, so the native mark is never shown.
const char* ImeIndicatorText(int* selected);
