// Writing the character-map file "data\abc\qvn.abc": the glyph slots, the
// code pages and the double-byte pages' extra pages, in the order the
// character-map reader (char_map.cpp) takes them.
#pragma once

#include <span>

#include "ui/services.h"

constexpr const char* CharMapMagic = "ZKCHAR";
constexpr int CharMapVersion = 251;  // the oldest version the reader takes, and the one written

// The tables a character-map file holds.
struct CharacterMapContents {
    std::span<const GlyphSlot> glyphs;         // at most GlyphSlotCount, slot 0 first
    std::span<const CodePage> pages;           // the searched pages, then the symbol page
    std::span<const ExtraPage> extraPages;     // named by the lead bytes flagged CharLeadWithPage
};

// Saves the character map (through "<path>.tmp"). Returns 1 when saved; 0
// with a log line when there are more glyphs than slots or the save failed
// (the old file is kept).
int SaveCharacterMap(const CharacterMapContents& contents, const char* path);
