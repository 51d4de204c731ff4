// Glyphs of the system's fonts through fontconfig (which faces cover a
// language, which file holds a family) and FreeType (sizes, advances and
// grey pictures of single characters).
#include "platform/glyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

class GlyphFont {
public:
    FT_Face face = nullptr;
    bool embolden = false;
    int ascentPixels = 0;
    char family[GlyphFaceNameSize] = {};
};

namespace {

// The font library and the font configuration, opened on first use and
// kept for the run; both are let go when the process ends.
FT_Library Library = nullptr;
bool ConfigurationRead = false;

void CloseAtExit()
{
    if (Library != nullptr)
        FT_Done_FreeType(Library);
    Library = nullptr;
    if (ConfigurationRead)
        FcFini();
    ConfigurationRead = false;
}

bool ReadConfiguration()
{
    if (!ConfigurationRead) {
        if (!FcInit())
            return false;
        ConfigurationRead = true;
        std::atexit(CloseAtExit);
    }
    return true;
}

bool OpenLibrary()
{
    if (!ReadConfiguration())
        return false;
    if (Library == nullptr && FT_Init_FreeType(&Library) != 0)
        Library = nullptr;
    return Library != nullptr;
}

// Fontconfig's language tags of the four pages.
const char* const LanguageTags[] = {"ja", "zh-tw", "zh-cn", "ko"};

const char* TagOf(GlyphLanguage language)
{
    int i = static_cast<int>(language);
    return i >= 0 && i < 4 ? LanguageTags[i] : "ja";
}

// Face names of the other system and the faces that usually stand in for
// them here, best first.
struct StandIn {
    const char* name;
    const char* families[4];
};
const StandIn StandIns[] = {
    {"MS PGothic", {"Noto Sans CJK JP", "IPAPGothic", "VL PGothic", "TakaoPGothic"}},
    {"Microsoft JhengHei", {"Noto Sans CJK TC", "AR PL UMing TW", "AR PL UKai TW", nullptr}},
    {"SimHei", {"Noto Sans CJK SC", "WenQuanYi Zen Hei", "AR PL UMing CN", nullptr}},
    {"Gulim", {"Noto Sans CJK KR", "NanumGothic", "UnDotum", "Baekmuk Gulim"}},
};

void CopyName(char* out, const char* name)
{
    std::snprintf(out, GlyphFaceNameSize, "%s", name ? name : "");
}

// The family fontconfig should look for: a stand-in that is installed
// when the name is one of the other system's, else the name itself.
std::string FamilyToLookFor(const char* wanted, GlyphLanguage language)
{
    for (const StandIn& standIn : StandIns) {
        if (strcasecmp(standIn.name, wanted) != 0)
            continue;
        std::vector<GlyphFaceInfo> installed = ListGlyphFaces(language);
        for (const char* family : standIn.families)
            for (const GlyphFaceInfo& face : installed)
                if (family && strcasecmp(family, face.family) == 0)
                    return face.family;
    }
    return wanted;
}

// The file and face index fontconfig matches for the family, weight and
// language; false when nothing is installed for the language.
bool MatchFile(const std::string& family, GlyphLanguage language, int weight, std::string& file, int& index)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcLangSet* languages = FcLangSetCreate();
    FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>(TagOf(language)));
    FcPatternAddLangSet(pattern, FC_LANG, languages);
    FcLangSetDestroy(languages);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcPatternAddInteger(pattern, FC_WEIGHT, static_cast<int>(FcWeightFromOpenTypeDouble(weight)));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    bool found = false;
    if (match != nullptr) {
        FcChar8* path = nullptr;
        FcLangSet* covered = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
            FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch &&
            FcPatternGetLangSet(match, FC_LANG, 0, &covered) == FcResultMatch &&
            FcLangSetHasLang(covered, reinterpret_cast<const FcChar8*>(TagOf(language))) != FcLangDifferentLang) {
            file = reinterpret_cast<const char*>(path);
            found = true;
        }
        FcPatternDestroy(match);
    }
    return found;
}

// Loads the character's glyph into the face's slot, made bolder when the
// font asks; false when the face has none.
bool LoadCharacter(GlyphFont* font, uint32_t character)
{
    if (font == nullptr || font->face == nullptr)
        return false;
    FT_UInt index = FT_Get_Char_Index(font->face, character);
    if (index == 0 || FT_Load_Glyph(font->face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0)
        return false;
    if (font->embolden)
        FT_GlyphSlot_Embolden(font->face->glyph);
    return true;
}

} // namespace

std::vector<GlyphFaceInfo> ListGlyphFaces(GlyphLanguage language)
{
    std::vector<GlyphFaceInfo> faces;
    if (!ReadConfiguration())
        return faces;
    FcPattern* pattern = FcPatternCreate();
    FcLangSet* languages = FcLangSetCreate();
    FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>(TagOf(language)));
    FcPatternAddLangSet(pattern, FC_LANG, languages);
    FcLangSetDestroy(languages);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, FC_SPACING, nullptr);
    FcFontSet* found = FcFontList(nullptr, pattern, fields);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    if (found == nullptr)
        return faces;
    for (int i = 0; i < found->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(found->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch)
            continue;
        const char* name = reinterpret_cast<const char*>(family);
        int spacing = FC_PROPORTIONAL;
        FcPatternGetInteger(found->fonts[i], FC_SPACING, 0, &spacing);
        auto same = [&](const GlyphFaceInfo& face) { return std::strcmp(face.family, name) == 0; };
        auto known = std::find_if(faces.begin(), faces.end(), same);
        if (known != faces.end()) {
            // A family with a proportional member counts as proportional.
            known->monospaced = known->monospaced && spacing >= FC_MONO;
            continue;
        }
        GlyphFaceInfo face;
        CopyName(face.family, name);
        face.monospaced = spacing >= FC_MONO;
        faces.push_back(face);
    }
    FcFontSetDestroy(found);
    std::sort(faces.begin(), faces.end(),
              [](const GlyphFaceInfo& a, const GlyphFaceInfo& b) { return std::strcmp(a.family, b.family) < 0; });
    return faces;
}

bool GlyphFaceMatches(const char* wanted, const char* family)
{
    if (wanted == nullptr || family == nullptr)
        return false;
    if (strcasecmp(wanted, family) == 0)
        return true;
    for (const StandIn& standIn : StandIns) {
        if (strcasecmp(standIn.name, wanted) != 0)
            continue;
        for (const char* candidate : standIn.families)
            if (candidate && strcasecmp(candidate, family) == 0)
                return true;
    }
    return false;
}

GlyphFont* OpenGlyphFont(const char* family, GlyphLanguage language, int weight, int cellPixels)
{
    if (family == nullptr || cellPixels <= 0 || !OpenLibrary())
        return nullptr;
    std::string file;
    int index = 0;
    if (!MatchFile(FamilyToLookFor(family, language), language, weight, file, index))
        return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(Library, file.c_str(), index, &face) != 0)
        return nullptr;
    // The cell is the Windows ascent and descent; the em follows from it in
    // whole pixels.
    const TT_OS2* metrics = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int ascent = metrics ? metrics->usWinAscent : static_cast<int>(face->ascender);
    int descent = metrics ? metrics->usWinDescent : -static_cast<int>(face->descender);
    if (ascent + descent <= 0 || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    long em = std::lround(double(cellPixels) * face->units_per_EM / (ascent + descent));
    if (em < 1 || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em)) != 0 ||
        FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    GlyphFont* font = new GlyphFont;
    font->face = face;
    font->ascentPixels = static_cast<int>(std::lround(double(ascent) * em / face->units_per_EM));
    const int faceWeight = metrics ? metrics->usWeightClass : 400;
    font->embolden = weight - faceWeight >= 150;
    CopyName(font->family, face->family_name);
    return font;
}

void CloseGlyphFont(GlyphFont* font)
{
    if (font == nullptr)
        return;
    FT_Done_Face(font->face);
    delete font;
}

const char* GlyphFontFamily(const GlyphFont* font) { return font ? font->family : ""; }

int GlyphAdvance(GlyphFont* font, uint32_t character)
{
    if (!LoadCharacter(font, character))
        return 0;
    return static_cast<int>((font->face->glyph->advance.x + 32) >> 6);
}

int DrawGlyph(GlyphFont* font, uint32_t character, uint8_t* picture, int side, int pitch)
{
    for (int y = 0; y < side; ++y)
        std::memset(picture + size_t(y) * size_t(pitch), 255, size_t(side));
    if (!LoadCharacter(font, character) || FT_Render_Glyph(font->face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return 0;
    const FT_GlyphSlot slot = font->face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return 0;
    const int left = slot->bitmap_left, top = font->ascentPixels - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int y = top + static_cast<int>(row);
        if (y < 0 || y >= side)
            continue;
        const uint8_t* source = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = left + static_cast<int>(column);
            if (x < 0 || x >= side)
                continue;
            uint8_t& out = picture[size_t(y) * size_t(pitch) + size_t(x)];
            const int paper = 255 - source[column];
            if (paper < out)
                out = static_cast<uint8_t>(paper);
        }
    }
    return 1;
}

} // namespace platform
