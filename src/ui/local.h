// Declarations shared only inside the user interface subsystem.
#pragma once

#include "ui/services.h"

// ---------------------------------------------------------------------------
// The interface's global records.

// What the interface keeps for the whole run, exported read-only under the
// names in the area headers. Set back by ResetUiTables in one assignment.
struct UiRecord {
    Screen* currentScreen = nullptr;        // CurrentScreen
    int dialogOpen = 0;                     // DialogOpen
    int uiMode = 0;                         // UiMode
    int keyDownDispatching = 0;             // KeyDownDispatching
    int swallowNextChar = 0;                // SwallowNextChar
    int textCodePage = 0;                   // TextCodePage
    float textScale = 1.0f;                 // TextScale
    CodePage* currentCodePage = nullptr;    // CurrentCodePage, into CharacterMap.codePages
    int inputCodePage = 0;                  // InputCodePage
    int nounFirst = 0;                      // NounFirst
    int messageHistoryShown = 0;            // MessageHistoryShown
    float messageAreaTop = -1.0f;           // MessageAreaTop
    ColumnLayout columnLayout = ColumnLayouts[0];  // CurrentColumnLayout
    // The text field being edited in the text-entry dialog: its buffer and
    // the bytes it holds (EditTextField).
    char* editFieldBuffer = nullptr;
    int editFieldSize = 0;
    int shownOptionsTab = 0;                // ShownOptionsTab
    // Which services that are not built yet have said so in the log: each
    // says it once.
    bool helpScreenNoted = false;
    bool optionsTabsNoted = false;

    bool operator==(const UiRecord&) const = default;
};
extern UiRecord MutableUi;

// The interface settings, exported read-only as InterfaceSettings, and
// what is derived from them, exported as InterfaceColours
// (interface_config.cpp).
extern InterfaceSettingsRecord MutableInterfaceSettings;
extern InterfaceColoursRecord MutableInterfaceColours;

// The message list, exported read-only as MessageList (messages.cpp).
extern MessageListRecord MutableMessageList;
// Empties the message list and sets its hooks back.
void ResetMessageList();

// The loaded font and code pages, exported read-only as CharacterMap
// (char_map.cpp); emptied by FreeCharacterMap.
extern CharacterMapRecord MutableCharacterMap;
// The keyboard layout's record, exported read-only as KeyboardLayout
// (reset.cpp); set by ReadKeyboardLayoutName.
extern KeyboardLayoutRecord MutableKeyboardLayout;

// ---------------------------------------------------------------------------
// Vector font shapes (font_raster.cpp).

// Receives one filled triangle of a glyph: corners in quarter pixels of
// the image, x to the right and y downwards.
using GlyphTriangleSink = void (*)(void* context, const int x[3], const int y[3]);

// Turns a glyph into the filled triangles that RasterStrokeGlyph draws,
// for an image of imageWidth by imageHeight pixels: its triangles, each
// ellipse as a fan of 24 and each curved stroke in CharacterMap.curveSteps
// quads of two triangles. Placement as RasterStrokeGlyph.
void EmitGlyphTriangles(const GlyphSlot& glyph, float x, float y, float widthSize, float heightSize,
                        int imageWidth, int imageHeight, GlyphTriangleSink sink, void* context);
// A point of side 0 or 1 of a prepared curve at t (0..1), font units.
Vec2 CurveSidePoint(const GlyphSlot& glyph, const GlyphCurve& curve, int side, float t);

// Width, console width, edge angles and curve cubics of slot i, after its
// record was read (or left empty); slot 95 must be prepared before any
// later slot.
void PrepareGlyphSlot(GlyphSlot* glyphs, int i);

// Makes the page (a loaded one) the keyboard's code page: typed text
// reaches the game in it (char_map_pages.cpp).
void SetInputCodePage(int page);
// The interface sound of a refused key or character.
constexpr int InvalidKeySound = 3;
// The Windows code page number of a loaded page; the keyboard's number
// when the page is not loaded (entry_line.cpp).
int WindowsCodePageOf(int page);
// Queues the open text-entry dialog's texts (text_entry_draw.cpp).
void DrawTextEntryDialog(const TextEntryDialogRecord& dialog);
// The interface's records of the entry line, the input method and the
// text-entry dialog, exported read-only under the names in their headers.
extern EntryLineRecord MutableEntryLine;
extern ImeStateRecord MutableImeState;
extern TextEntryDialogRecord MutableTextEntryDialog;

// The letter of a code page in caret codes ("LETBJCGHSK", caret_text.cpp).
char PageLetter(int page);

// ---------------------------------------------------------------------------
// The character-map file (char_map.cpp).

// Reads a character map from a reader held in memory (loaded or an
// image), positioned after the header; path names it in log lines. As
// LoadCharacterMap: 1 when read and put in place, 0 when refused.
int ReadCharacterMap(DataFile& reader, int version, const char* path);

// ---------------------------------------------------------------------------
// Glyph queues (glyph_queue.cpp) and page fonts (glyph_cache.cpp).

// The writable queues that GlyphQueues shows.
extern GlyphQueueTableRecord MutableGlyphQueues;
// Makes the three queues at their capacities (LoadCharacterMap) and frees
// them (FreeCharacterMap); EmptyGlyphQueues drops what they hold.
void CreateGlyphQueues();
void FreeGlyphQueues();
void EmptyGlyphQueues();
GlyphQueue& CurrentGlyphQueue();
// A glyph quad's texture rectangle: its slot's in a font texture, or its
// cell's in a cache (as wide as the character).
struct GlyphUvRect {
    float left = 0, top = 0, right = 0, bottom = 0;
};
GlyphUvRect GlyphTextureRect(const GlyphQuad& quad);

// The four page fonts, the face list of the one being chosen, the staging
// picture of a cache cell (64 × 64 RGBA, white, alpha per character) and
// the reports said once while their condition lasts. Lives from
// LoadCharacterMap to FreeCharacterMap.
struct PageFontsRecord {
    platform::GlyphFont* fonts[PageFontCount] = {};
    FontFaceListRecord faceList;
    uint8_t staging[CacheCellPixels * CacheCellPixels * 4] = {};
    bool cachesFullReported = false;
    bool noOldCellReported = false;
};
extern PageFontsRecord MutablePageFonts;

// ---------------------------------------------------------------------------
// The display list and its pointer handling (display_list.cpp,
// pointer_input.cpp).

// The writable list that DisplayList shows.
extern DisplayListRecord MutableDisplayList;

// What a drag moves.
enum DragState : int {
    DragNone = 0,
    DragFloat = 1,  // float sliders (kinds 28-30)
    DragByte = 2,   // byte sliders (kinds 31, 32)
    DragWide = 3,   // 16-bit sliders (kind 33)
    DragThumb = 4,  // a scroll thumb's first row
};

// The one drag of the program; also holds a value entry's slider while its
// dialog is open (with the state none).
struct DragRecord {
    int state = DragNone;
    void* target = nullptr;       // the float, byte, 16-bit value or first row
    float startFloat = 0;         // the float target's value when the drag began
    int startInt = 0;             // the other targets' value when the drag began
    float minimum = 0, maximum = 0;        // float limits (state 1, value entry)
    int minimumInt = 0, maximumInt = 0;    // integer limits (states 2-4)
    int widthPixels = 0;          // slider width (states 1-3) or thumb height (state 4), pixels
    int startPixel = 0, lastPixel = 0;     // pointer x (states 1-3) or y (state 4)
    int totalRows = 0;            // state 4: the list's rows
    Screen* owner = nullptr;
    UiAction action = nullptr;
    uint8_t minByte = 0, maxByte = 0, scaled = 0;  // value entry of kinds 32 and 33
    float step = 0;               // float sliders' snapping step, 0 none

    bool operator==(const DragRecord&) const = default;
};

// The drag, the pending press (code 0 none, and where it was in screen
// units) and the three copy slots. Lives for the whole run; set back by
// ResetUiTables.
struct PointerRecord {
    DragRecord drag;
    int pressCode = 0;
    float pressX = 0, pressY = 0;
    float floatCopy = 0;
    int intCopy = 0;
    ColourRecord colourCopy;

    bool operator==(const PointerRecord&) const = default;
};
extern PointerRecord MutablePointer;

// ---------------------------------------------------------------------------
// The message dialog (dialogs.cpp).

constexpr int MessageDialogLineSize = 128;
// The one message dialog: a screen that is idle (not alive) until opened.
// Lives for the whole run; set back by ResetUiTables.
struct MessageDialogRecord : Screen {
    DialogAction action = nullptr;
    char text[MessageDialogLineSize] = {};
    char second[MessageDialogLineSize] = {};
    int value = 0, value2 = 0;   // passed to the action
    uint8_t style = 0;           // MessageDialogStyle
    int savedUiMode = 0;         // UiMode when it opened, restored when it closes
};
extern MessageDialogRecord MutableMessageDialog;

// Draws the title picture when DrawTitlePicture was called this pass.
// Pending: the standard widgets' title picture (front_texts_pending.cpp).
void DrawPendingTitlePicture();

// The one list dialog, idle until opened. Lives for the whole run; set
// back by ResetUiTables.
struct ChoiceDialogRecord : Screen {
    ChoiceAction action = nullptr;
    const char* title = nullptr;
    const char* const* const* texts = nullptr;  // count references to translatable texts
    int count = 0;
    int userValue = 0;     // passed to the action
    int currentIndex = 0;  // the highlighted row
    int savedUiMode = 0;   // UiMode when it opened, restored when it closes
};
extern ChoiceDialogRecord MutableChoiceDialog;

// ---------------------------------------------------------------------------
// The options screen and its tabs (options_screen.cpp, options_display_tab.cpp,
// interface_settings_screen.cpp).

// The title of a tab's screen ("Options - Display"); "" for a number that
// names no tab.
const char* OptionsTabTitle(int tab);
// Item actions of the options screen: the tab buttons and OK choose a tab
// (0 closes the tab and then the options screen), the arrows step to the
// previous (0) or next (1) tab in button order.
void SelectOptionsTab(Screen* options, int ignored, int tab);
void StepOptionsTab(Screen* options, int ignored, int direction);
// What every tab screen shares: it opens with the options screen as its
// parent, the standard key and mouse handling and raw keys, and makes
// itself current (InitOptionsTab returns it); each frame it runs its own
// dialogs and, unless busy, adds its title in the tabs' column layout
// (BeginOptionsTabFrame returns 1 when the tab adds its rows). A closed
// tab saves every settings file and is freed by its own frame.
Screen* InitOptionsTab(Screen* tab, Screen* options, Screen* (*frame)(Screen*));
int BeginOptionsTabFrame(Screen* tab, int number);
// The tab screens, created as the options screen's child; each makes
// itself the current screen.
Screen* OpenDisplayTab(Screen* options);
// Pending: the Audio, Graphics, View, Driver, Controls, Game, Misc and
// Screen tabs have no rows yet (options_tabs_pending.cpp): each opens as a
// tab with its title and no rows, which the log says once.
Screen* OpenPendingOptionsTab(Screen* options, int tab);
// The interface settings screen, the Display tab's child.
Screen* OpenInterfaceSettingsScreen(Screen* parent);
