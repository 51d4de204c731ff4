// User interface: the services other subsystems may use.
#pragma once

#include "core/services.h"
#include "ui/glyphs.h"
#include "ui/graphics_hooks.h"
#include "ui/race_hooks.h"
#include "ui/text.h"

// Resets every table this subsystem owns to its start-up state.
void ResetUiTables();

// ---------------------------------------------------------------------------
// Screens (screen.cpp). Every menu, panel and dialog is a screen: an object
// whose first part is this header. The main loop runs the top screen's
// frame once per pass; a screen runs its one child's frame inside its own.
// Input does not travel down the chain: it goes to CurrentScreen (core).

struct MouseEvent;
struct Screen {
    Screen* parent = nullptr;      // the screen that opened this one; null for a top screen
    Screen* child = nullptr;       // the open child, null when none
    uint8_t alive = 0;             // 1 from InitScreen, 0 once closed
    uint8_t rawKeys = 0;           // 1: key-downs as virtual-key codes; 0: characters
    const char* background = nullptr;  // background picture name, or null
    Screen* (*frame)(Screen* screen) = nullptr;  // returns the screen to run next
    void (*key)(Screen* screen, int code) = nullptr;
    int (*mouse)(Screen* screen, MouseEvent* event) = nullptr;
};

// Special key codes every screen receives whatever its raw-key flag.
enum : int {
    KeyCodeUp = 256, KeyCodeDown = 257, KeyCodeRight = 258, KeyCodeLeft = 259,
    KeyCodePageUp = 260, KeyCodePageDown = 261, KeyCodeDelete = 262, KeyCodeCopy = 263,
    KeyCodeHome = 264, KeyCodeEnd = 265, KeyCodePaste = 266, KeyCodeF1 = 267,
    KeyCodeF2 = 268, KeyCodeF3 = 269, KeyCodeInsert = 270,
};

// 1 while a modal dialog is open; the interface mode (0 game view, 1 full
// menu screen, 2 modal dialog). Live for the whole run.
extern int DialogOpen;
extern int UiMode;
// Set by the window code around a raw key-down's delivery; a character
// screen opened meanwhile swallows the character of the same keystroke.
extern int KeyDownDispatching;
extern int SwallowNextChar;

// Fills the header (raw keys only while graphics are on) and returns it.
Screen* InitScreen(Screen* screen, Screen* parent, Screen* (*frame)(Screen*),
                   void (*key)(Screen*, int), int (*mouse)(Screen*, MouseEvent*),
                   const char* background, int rawKeys);
// Makes child the parent's child (nothing when null); returns child.
Screen* OpenChildScreen(Screen* parent, Screen* child);
// Runs the child's frame and keeps what it returns; returns the new child.
Screen* StepChildScreen(Screen* screen);
// Makes the parent current and clears alive; the next frame frees it.
void CloseScreen(Screen* screen);
// Drops the child without running it and makes the screen current.
void ResumeScreen(Screen* screen);
// 1 with a child; closes the screen while quitting; else SkipDrawing.
int ScreenFrameBusy(Screen* screen);
// The standard key and mouse handlers of menu screens.
void DefaultScreenKey(Screen* screen, int code);
int DefaultScreenMouse(Screen* screen, MouseEvent* event);
// 1 for the character codes 32..126 and 128..255.
int IsTypableCharacter(int code);

// ---------------------------------------------------------------------------
// Messages.

// Adds a line in the error colour to the on-screen message list.
void PrintError(const char* text);
// Adds a plain line in a standard colour to the on-screen message list.
void PrintMessage(const char* text, int colour);
// The two texts joined as "%s %s" (at most 127 characters), as PrintMessage.
void PrintMessagePair(const char* first, const char* second, int colour);
// A light-grey line with the message sound.
void PrintNotice(const char* text);
// A line only while the network-message switch is on.
void PrintNetDebugMessage(const char* text, int colour);
// "Could not load file : <name>" in the error colour.
void PrintLoadError(const char* fileName);

// ---------------------------------------------------------------------------
// Garage (temporary body in garage_stub.cpp until the garage screen is built).

// Reloads the setup and colour lists when the garage screen is open; a
// running copy calls it when another copy has copied a setup in.
void ReloadGarageLists();

// ---------------------------------------------------------------------------
// The vector font and the character map (char_map*.cpp, font*.cpp).
//@@ character-map
//
// All single-byte text is drawn with one vector font whose glyphs are made
// of points, filled triangles, ellipses and curved strokes, loaded from the
// character-map file "data\abc\qvn.abc" with the code pages: for each page
// the glyph slot, accent overlay and lead-byte flags of every byte 32 to
// 255, and for the double-byte pages the Unicode characters of each lead
// byte's trail bytes. The glyphs are rasterised once into four alpha font
// textures.

struct Material;
struct CharCache;

constexpr int GlyphSlotCount = 544;
constexpr int CodePageCharCount = 224;   // bytes 32 to 255
constexpr int ExtraPageCharCount = 192;  // trail bytes 0x40 to 0xFF
constexpr int FontTextureCount = 4;
constexpr int CharCacheCount = 64;
// Pages searched by code page number; page 10, beyond them, is the symbol
// page that display-list items name by number.
constexpr int SearchedCodePages = 10;

struct GlyphEdge {
    uint8_t first = 0, second = 0;  // point indices
    float angle = 0;                // radians, first to second (computed)
};
struct GlyphTriangle {
    uint8_t points[3] = {};
};
struct GlyphEllipse {
    uint8_t centre = 0;              // point index
    uint8_t radiusX = 0, radiusY = 0;  // tenths of a font unit
};
// A curved stroke between two edges: its sides are cubics across the
// stroke's width (computed from the edges and the stored end angles).
struct GlyphCurveSide {
    float angleA = 0, angleB = 0;  // radians, from the file
    float cubic[4] = {};           // coefficients of t^3, t^2, t and 1
};
struct GlyphCurve {
    uint8_t edgeA = 0, edgeB = 0, flagA = 0, flagB = 0;
    Vec2 start, end;          // font units
    Vec2 widthA, widthB;      // width vectors at the two edges
    GlyphCurveSide sides[2];
};

// One glyph of the vector font. Its points (the base table) are in font
// units: x from 0 (left) to 7, y from 0 (bottom) to 9 (top).
class GlyphSlot : public FloatPairTable {
public:
    GlyphSlot() = default;
    ~GlyphSlot() override;
    // Frees every array and zeroes the counts.
    void Free() override;

    uint8_t edgeCount = 0, triangleCount = 0, ellipseCount = 0, curveCount = 0;
    GlyphEdge* edges = nullptr;          // owned
    GlyphTriangle* triangles = nullptr;  // owned
    GlyphEllipse* ellipses = nullptr;    // owned
    GlyphCurve* curves = nullptr;        // owned
    int consoleWidth = 0;  // pixels, at most 9
    float width = 0;       // font units; the advance is width / 7 + spacing per unit of size
    int texture = 0;       // font texture 0..3
    float uLeft = 0, uRight = 0, vTop = 0, vBottom = 0;  // texture rectangle
    uint8_t console[100] = {};  // 11 rows of consoleWidth intensities
};

// One byte of a code page (4 bytes in the file too).
struct CharEntry {
    uint16_t glyph = 0;   // glyph slot; for a lead byte with flag 0x10 its extra page
    uint8_t overlay = 0;  // accent glyph slot drawn over it, 0 none
    uint8_t flags = 0;    // 0x10 lead byte with an extra page, 0x20 lead byte without;
                          // any other non-zero value raises the overlay to the top
};
constexpr uint8_t CharLeadWithPage = 0x10;
constexpr uint8_t CharLeadWithoutPage = 0x20;

struct ExtraChar {
    uint16_t unicode = 0;     // 0 none
    int16_t cacheCell = -1;   // cache index × 64 + cell, -1 not cached
    uint8_t pixelWidth = 0;   // 0 not measured, 255 no glyph in the font
};
struct CodePage;
// The trail bytes of one lead byte of a double-byte page.
struct ExtraPage {
    CodePage* owner = nullptr;
    ExtraChar chars[ExtraPageCharCount];
};
struct CodePage {
    uint16_t number = 0;      // Windows ANSI code page number
    platform::GlyphFont* font = nullptr;  // the page's double-byte font, null for other pages
    int fontIndex = 0;        // double-byte font 0..3
    int cellHeight = 0;       // pixels of the letter "E" in the page's font
    float topFactor = 0, bottomFactor = 0;  // a double-byte cell's rows above and below the glyph top
    CharEntry chars[CodePageCharCount];
};

// The loaded font and code pages. Lives for the whole run; filled by
// LoadCharacterMap and emptied by FreeCharacterMap.
struct CharacterMapRecord {
    CharCache* caches[CharCacheCount] = {};         // owned; the first null ends them
    Material* fontTextures[FontTextureCount] = {};  // null until CreateFontTextures
    float glyphSpacing = 0;                         // font units, 0.1 once textures are made
    int curveSteps = 7;                             // cross-sections of a curved stroke
    ExtraPage* extraPages = nullptr;                // owned
    int extraPageCount = 0;
    CodePage* codePages = nullptr;                  // owned
    int codePageCount = 0;
    int searchedPageCount = 0;                      // min(count, 10)
    GlyphSlot glyphs[GlyphSlotCount];
};
extern CharacterMapRecord CharacterMap;

// The code page in use (null before the character map is loaded), the page
// of the keyboard's characters, and whether the language puts nouns before
// adjectives. Live for the whole run.
extern CodePage* CurrentCodePage;
extern int InputCodePage;
extern int NounFirst;

// Reads the character map; 1 when it was read, 0 when it could not be
// opened, its version is below 251, or anything in it is out of range (the
// loaded map is then unchanged). When a reason is asked for, a failure
// leaves there the text that says why.
int LoadCharacterMap(const char* path, const char** reason = nullptr);
void FreeCharacterMap();
// Rasterises every glyph into the font textures; the number of textures
// made (0 without a device: then only the glyphs' places are laid out).
int CreateFontTextures();
// Forgets the four texture handles before the textures are made again.
void ResetFontTextures();
// Fills the glyph's shape with value into the current offscreen image,
// at (x, y) in screen units (-1..1, y down) with the cell of 7 by 9 font
// units measuring widthSize by heightSize screen units.
void RasterStrokeGlyph(const GlyphSlot& glyph, float x, float y, float widthSize, float heightSize,
                       int value);
// Makes page n current (page 0 when n is not below the page count).
void SelectCodePage(int n);
// After a language is loaded: the text code page from "tx_codepage" and
// the noun order from "tx_noun_adj".
void SelectTranslationCodePage();
// The keyboard's code page from the desktop's active keyboard layout (the
// user's language where no layout can be read); announce 1 shows a change
// as a message, 0 logs it.
void ReadKeyboardLayoutName(int announce);
// What the input method's status shows of the layout on the Chinese
// pages: the layout's name, for how long, and whether an input method
// serves it. Lives for the whole run; set by ReadKeyboardLayoutName.
struct KeyboardLayoutRecord {
    char text[80] = {};
    int displayMs = 0;
    int inputMethod = 0;
};
extern KeyboardLayoutRecord KeyboardLayout;
// The four double-byte font weights to 600.
void InitFontWeights();

// ---------------------------------------------------------------------------
// What the program shell uses of the display list, messages, dialogs, the
// input method and the front-end screens (temporary bodies in
// shell_pending.cpp and entry_screen_pending.cpp until they are built: the
// display list stays empty, dialogs and menu screens do not open, and the
// entry screen hands straight over to the root screen).

// The first screen of the chain; it hands over to the root screen.
Screen* CreateEntryScreen();

// The per-pass display list: cleared before the top screen's frame and
// drawn with the message list after it.
// Pending: no display list yet (front_texts_pending.cpp): Draw2DLayer draws
// the glyph queue, so that the texts queued in the pass reach the screen.
void ClearDisplayList();
void Draw2DLayer();
// Ends a slider drag; 1 when one was active.
int CancelDrag();
// The standard mouse handling over the display list.
int HandleScreenMouse(Screen* screen, MouseEvent* event);
// Menu widgets: a menu row routing its code to the action, the bottom-left
// back button, and the front end's title picture (returns the y below it).
// Pending: no widgets yet (front_texts_pending.cpp): the rows' and the back
// button's texts are queued where the menu's first column puts them, one
// row under another from MenuRowsTop, without boxes and without clicks;
// the title picture is drawn above them with the version line.
void AddMenuRow(Screen* owner, const char* text, int code, void (*action)(Screen* screen, int code));
void AddBackButton(Screen* owner, int value, void (*action)(Screen* screen, int code), const char* text);
float DrawTitlePicture(int index, int type, int flag);
// Where the pending menu rows are placed: the first row's top, the row
// height and the column (screen units), their text height and colour.
constexpr float MenuRowsTop = -0.1f;
constexpr float MenuRowHeight = 0.06f;
constexpr float MenuRowLeft = -0.95f, MenuRowRight = -0.3f;
constexpr float MenuTextPart = 0.85f;  // of the row height
constexpr float VersionLineY = 0.9f;

// The on-screen message list: emptied, its history shown or hidden, and
// the top of its area this pass (-1 the top of the screen).
void RetireAllMessages();
extern int MessageHistoryShown;
extern float MessageAreaTop;

// Dialogs: a confirmation whose accept button runs the action (nothing
// when the parent has a child); the chat and command line.
void OpenConfirmDialog(Screen* parent, void (*accept)(Screen* parent), const char* title, const char* text);
void AskCommandLine(Screen* parent, const char* prefix);

// Input method and character caches.
void UpdateComposition(const char* text);
void EndComposition();
void UpdateImeState();
void InsertStoredMessage(int messageKey);
// Pending: no input method yet; never composing (answers 0).
int ImeComposing();

// "interface_cfg.txt".
void LoadInterfaceConfig();
int SaveInterfaceConfig();

// Front-end screens the root menu opens (null when none opened).
Screen* OpenOptionsScreen(Screen* parent, int tab);
Screen* OpenRaceSetup(Screen* parent);
Screen* OpenTrackScreen(Screen* parent);
Screen* OpenCreditsScreen(Screen* parent);
// Frees the loaded world and its graphics.
void UnloadWorld();
// Sound output off or on, with a message.
void ToggleSound();
// After the graphics resources were rebuilt: the garage's preview car, the
// race setup's preview car and its drivers' skin marks, the track and
// car-choice screens' pictures and the options' driver preview load again.
void RefreshGarageView();
void ClearPlayerMarks();
void RefreshTrackScreenPictures();
void ReloadCarChoicePictures();
void RefreshDriverTabPreview();

// Writing the character-map file.
#include "ui/char_map_file.h"
