// The character map "data\abc\qvn.abc": the vector font converted from the
// Hershey fonts of the hershey-fonts-data package (Latin from the Roman
// simplex face, Greek and Cyrillic from their faces, accented letters
// composed of a letter and accent strokes, a few symbols drawn here), the
// code pages with the Unicode characters of the double-byte pages' lead
// and trail bytes (converted by the system's iconv), and the fonts'
// acknowledgement beside it.
//
// Every stroke becomes filled triangles of a fixed width: consecutive
// segments share mitred corners where the path turns gently, and round
// caps (ellipses) close the ends and sharp corners. Only + - * / and sqrt
// are used, so the file is the same bytes on every machine.
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "builder.h"
#include "core/services.h"
#include "platform/files.h"
#include "ui/services.h"

namespace {

#include "font_tables.inc"

constexpr const char* HersheyFolder = "/usr/share/hershey-fonts/";
constexpr const char* HersheyCopyright = "/usr/share/doc/hershey-fonts-data/copyright";
constexpr const char* CharMapPath = "data\\abc\\qvn.abc";
constexpr const char* LicencePath = "data\\abc\\hershey-fonts-licence.txt";

// Hershey units to font units: 0.25 across and up; the descender line
// (+16, y down) lands at 0.5 so that accents over capitals stay below 9.
constexpr float UnitScale = 0.25f;
constexpr float BaseY = 0.5f;
constexpr float HalfWidth = 0.2f;  // stroke half width, font units
constexpr int CapRadius = 2;       // tenths: round caps of the stroke
constexpr float MaxHersheyWidth = 27;  // wider drawings are squeezed to it

// Fixed glyph slots the program draws by number.
constexpr int PlaceholderSlot = 95;  // bytes without a character
constexpr int TickSlot = 117;
constexpr int NoFontSlot = 175;      // a double-byte character without a font glyph
constexpr int BlockSlot = 411;       // solid block: coloured quads sample its middle
constexpr int ArrowSlot = 415;       // map marker, pointing ahead (up)

struct P {
    float x = 0, y = 0;
};

// A drawing in Hershey units (x right, y down, baseline 9, capitals from
// -12): strokes, round dots and filled triangles, with its left and right
// bearings.
struct Drawing {
    float left = 0, right = 0;
    bool hasBearings = false;
    std::vector<std::vector<P>> strokes;
    struct Dot {
        P centre;
        int radius;  // tenths of a font unit
    };
    std::vector<Dot> dots;
    std::vector<std::array<P, 3>> fills;

    void Merge(const Drawing& other)
    {
        strokes.insert(strokes.end(), other.strokes.begin(), other.strokes.end());
        dots.insert(dots.end(), other.dots.begin(), other.dots.end());
        fills.insert(fills.end(), other.fills.begin(), other.fills.end());
        if (!hasBearings) {
            left = other.left, right = other.right, hasBearings = other.hasBearings;
        } else if (other.hasBearings) {
            left = std::fmin(left, other.left);
            right = std::fmax(right, other.right);
        }
    }
    template <typename F>
    void Transform(F f)
    {
        for (auto& s : strokes)
            for (P& p : s)
                p = f(p);
        for (Dot& d : dots)
            d.centre = f(d.centre);
        for (auto& t : fills)
            for (P& p : t)
                p = f(p);
    }
    bool Empty() const { return strokes.empty() && dots.empty() && fills.empty(); }
    // Bounds of the drawn parts; false when nothing is drawn.
    bool Bounds(float& minX, float& minY, float& maxX, float& maxY) const
    {
        bool any = false;
        auto add = [&](P p) {
            if (!any)
                minX = maxX = p.x, minY = maxY = p.y, any = true;
            minX = std::fmin(minX, p.x), maxX = std::fmax(maxX, p.x);
            minY = std::fmin(minY, p.y), maxY = std::fmax(maxY, p.y);
        };
        for (auto& s : strokes)
            for (P p : s)
                add(p);
        for (const Dot& d : dots) {
            // The dot's radius, tenths of a font unit, in Hershey units.
            float r = static_cast<float>(d.radius) * 0.4f;
            add({d.centre.x - r, d.centre.y - r});
            add({d.centre.x + r, d.centre.y + r});
        }
        for (auto& t : fills)
            for (P p : t)
                add(p);
        return any;
    }
};

// ---------------------------------------------------------------------------
// Hershey font files: records of a 5-character number, a 3-character count
// of pairs (the bearings included), the left and right bearings, then
// coordinate pairs as letters ('R' is 0); " R" lifts the pen. A record may
// wrap across lines.

std::vector<Drawing> ReadHersheyFont(const char* name)
{
    std::vector<Drawing> glyphs;
    std::string path = std::string(HersheyFolder) + name;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return glyphs;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        for (size_t i = 0; i < got; i++)
            if (buffer[i] != '\n' && buffer[i] != '\r')
                text.push_back(buffer[i]);
    std::fclose(file);
    size_t pos = 0;
    while (pos + 8 <= text.size()) {
        int count = std::atoi(text.substr(pos + 5, 3).c_str());
        pos += 8;
        if (count < 1 || pos + 2 * size_t(count) > text.size())
            return {};
        Drawing g;
        g.left = static_cast<float>(text[pos] - 'R');
        g.right = static_cast<float>(text[pos + 1] - 'R');
        g.hasBearings = true;
        std::vector<P> stroke;
        for (int k = 1; k < count; k++) {
            char a = text[pos + 2 * k], b = text[pos + 2 * k + 1];
            if (a == ' ' && b == 'R') {
                if (!stroke.empty())
                    g.strokes.push_back(stroke);
                stroke.clear();
            } else {
                stroke.push_back({static_cast<float>(a - 'R'), static_cast<float>(b - 'R')});
            }
        }
        if (!stroke.empty())
            g.strokes.push_back(stroke);
        glyphs.push_back(g);
        pos += 2 * size_t(count);
    }
    return glyphs;
}

struct HersheyFaces {
    std::vector<Drawing> roman, greek, cyrillic;
};
HersheyFaces Faces;

// ---------------------------------------------------------------------------
// What each character is made of.

// Greek letters by their place in the Greek face (ASCII letters).
struct FaceLetter {
    uint16_t character;
    char face;    // 'g' Greek, 'c' Cyrillic
    char letter;  // the ASCII place
};
const FaceLetter FaceLetters[] = {
    {0x0391, 'g', 'A'}, {0x0392, 'g', 'B'}, {0x0393, 'g', 'G'}, {0x0394, 'g', 'D'},
    {0x0395, 'g', 'E'}, {0x0396, 'g', 'Z'}, {0x0397, 'g', 'H'}, {0x0398, 'g', 'Q'},
    {0x0399, 'g', 'I'}, {0x039A, 'g', 'K'}, {0x039B, 'g', 'L'}, {0x039C, 'g', 'M'},
    {0x039D, 'g', 'N'}, {0x039E, 'g', 'X'}, {0x039F, 'g', 'O'}, {0x03A0, 'g', 'P'},
    {0x03A1, 'g', 'R'}, {0x03A3, 'g', 'S'}, {0x03A4, 'g', 'T'}, {0x03A5, 'g', 'U'},
    {0x03A6, 'g', 'F'}, {0x03A7, 'g', 'C'}, {0x03A8, 'g', 'Y'}, {0x03A9, 'g', 'W'},
    {0x03B1, 'g', 'a'}, {0x03B2, 'g', 'b'}, {0x03B3, 'g', 'g'}, {0x03B4, 'g', 'd'},
    {0x03B5, 'g', 'e'}, {0x03B6, 'g', 'z'}, {0x03B7, 'g', 'h'}, {0x03B8, 'g', 'q'},
    {0x03B9, 'g', 'i'}, {0x03BA, 'g', 'k'}, {0x03BB, 'g', 'l'}, {0x03BC, 'g', 'm'},
    {0x03BD, 'g', 'n'}, {0x03BE, 'g', 'x'}, {0x03BF, 'g', 'o'}, {0x03C0, 'g', 'p'},
    {0x03C1, 'g', 'r'}, {0x03C3, 'g', 's'}, {0x03C4, 'g', 't'}, {0x03C5, 'g', 'u'},
    {0x03C6, 'g', 'f'}, {0x03C7, 'g', 'c'}, {0x03C8, 'g', 'y'}, {0x03C9, 'g', 'w'},
    {0x00B0, 'g', 'V'}, {0x00D7, 'g', 'j'}, {0x00F7, 'g', 'v'}, {0x00B5, 'g', 'm'},
    {0x00DF, 'g', 'b'}, {0x00F0, 'g', 'd'},
    // Cyrillic: the face keeps capitals on A..Z and [ ] ^ _ $, small
    // letters on a..z, { | } ~ ` % &.
    {0x0410, 'c', 'A'}, {0x0411, 'c', 'B'}, {0x0412, 'c', 'V'}, {0x0413, 'c', 'G'},
    {0x0414, 'c', 'D'}, {0x0415, 'c', '['}, {0x0416, 'c', 'H'}, {0x0417, 'c', 'Z'},
    {0x0418, 'c', 'I'}, {0x041A, 'c', 'K'}, {0x041B, 'c', 'L'}, {0x041C, 'c', 'M'},
    {0x041D, 'c', 'N'}, {0x041E, 'c', 'O'}, {0x041F, 'c', 'P'}, {0x0420, 'c', 'R'},
    {0x0421, 'c', 'S'}, {0x0422, 'c', 'T'}, {0x0423, 'c', 'Y'}, {0x0424, 'c', 'F'},
    {0x0425, 'c', 'X'}, {0x0426, 'c', '`'}, {0x0427, 'c', 'J'}, {0x0428, 'c', 'Q'},
    {0x0429, 'c', 'W'}, {0x042A, 'c', ']'}, {0x042B, 'c', '$'}, {0x042C, 'c', '_'},
    {0x042D, 'c', 'C'}, {0x042E, 'c', 'U'}, {0x042F, 'c', '^'},
    {0x0430, 'c', 'a'}, {0x0431, 'c', 'b'}, {0x0432, 'c', 'v'}, {0x0433, 'c', 'g'},
    {0x0434, 'c', 'd'}, {0x0435, 'c', '{'}, {0x0436, 'c', 'h'}, {0x0437, 'c', 'z'},
    {0x0438, 'c', 'i'}, {0x043A, 'c', 'k'}, {0x043B, 'c', 'l'}, {0x043C, 'c', 'm'},
    {0x043D, 'c', 'n'}, {0x043E, 'c', 'o'}, {0x043F, 'c', 'p'}, {0x0440, 'c', 'r'},
    {0x0441, 'c', 's'}, {0x0442, 'c', 't'}, {0x0443, 'c', 'y'}, {0x0444, 'c', 'f'},
    {0x0445, 'c', 'x'}, {0x0446, 'c', '%'}, {0x0447, 'c', 'j'}, {0x0448, 'c', 'q'},
    {0x0449, 'c', 'w'}, {0x044A, 'c', '|'}, {0x044B, 'c', '&'}, {0x044C, 'c', '~'},
    {0x044E, 'c', 'u'}, {0x044F, 'c', '}'},
};

// Characters drawn from parts, in a small recipe language read by
// EvaluateRecipe: "r:X", "g:X", "c:X" a glyph of the Roman, Greek or
// Cyrillic face by its ASCII place; "u:XXXX" another character;
// "s:..." strokes in the fonts' own letter pairs ('/' lifts the pen);
// "w:l,r" bearings; "d:x,y,r" a round dot of radius r tenths; "f:x,y,x,y,
// x,y" a filled triangle; "!mirror", "!flip" (upside down), "!rot" (half
// a turn), "!sup" (small, at the top), "!small" (to x-height) change the
// part so far; ">" starts a part placed to the right of it.
struct Recipe {
    uint16_t character;
    const char* recipe;
};
const Recipe Recipes[] = {
    {0x00A1, "r:! !rot"},                                       // inverted exclamation
    {0x00A2, "r:c s:RDRZ"},                                     // cent
    {0x00A3, "s:WKVIUHSGQGOHNJN[/K[X[/KRTR w:-10,10"},          // pound
    {0x00A4, "s:OMNOMRNUOWRXUWVUWRVOUMRLOM/MKOM/WKUM/MYOW/WYUW w:-9,9"},  // currency
    {0x00A5, "r:Y s:LPXP/LTXT"},                                // yen
    {0x00A6, "s:RFRO/RUR^ w:-5,5"},                             // broken bar
    {0x00A7, "s:VIUHRGOHNJNKOMRNUOVQVSUURV/NUOWRXUWVUVTUSRR w:-9,9"},  // section
    {0x00A8, "s:PI/TI w:-6,6 d:-2.5,-8.5,4 d:2.5,-8.5,4"},      // diaeresis
    {0x00A9, "s:RGNHKKJOJSKWNZR[VZYWZSZOYKVHRG/WMVLTKQKOLNNNROTQURUTTVS w:-12,12"},  // copyright
    {0x00AA, "r:a !sup s:NSVS w:-7,7"},                          // feminine ordinal
    {0x00AB, "s:TMPQTU/XMTQXU w:-9,9"},                         // left guillemet
    {0x00AC, "s:LPXPXT w:-9,9"},                                // not
    {0x00AD, "s:NRVR w:-7,7"},                                     // soft hyphen
    {0x00AE, "s:RGNHKKJOJSKWNZR[VZYWZSZOYKVHRG/OLOX/OLSLUMUOTPSQOQ/SQVX w:-12,12"},  // registered
    {0x00AF, "s:NHVH w:-6,6"},                                  // macron
    {0x00B1, "s:RJRV/LPXP/LYXY w:-9,9"},                        // plus-minus
    {0x00B2, "r:2 !sup"},
    {0x00B3, "r:3 !sup"},
    {0x00B4, "s:TGQJ w:-5,5"},                                  // acute
    {0x00B6, "s:TGT[/XGX[/XGQGNHMJMLNNQOTO w:-9,9"},            // pilcrow
    {0x00B7, "w:-4,4 d:0,0,4"},                                 // middle dot
    {0x00B8, "s:RZR\\T]T^R_P_ w:-5,5"},                         // cedilla
    {0x00B9, "r:1 !sup"},
    {0x00BA, "r:o !sup s:NSVS w:-7,7"},                          // masculine ordinal
    {0x00BB, "s:PMTQPU/LMPQLU w:-9,9"},                         // right guillemet
    {0x00BC, "r:1 !sup > s:XFL[ w:-1,1 > r:4 !sup"},           // one quarter
    {0x00BD, "r:1 !sup > s:XFL[ w:-1,1 > r:2 !sup"},           // one half
    {0x00BE, "r:3 !sup > s:XFL[ w:-1,1 > r:4 !sup"},           // three quarters
    {0x00BF, "r:? !rot"},                                       // inverted question
    {0x00C6, "s:RFJ[/RF\\F/RFR[\\[/RPZP/MTRT w:-11,13"},        // AE
    {0x00D0, "r:D s:HPOP"},                                     // eth
    {0x00D8, "r:O s:ZEJ\\"},                                    // O stroke
    {0x00DE, "s:KFK[/KKTKWLXMYOYRXTWUTVKV w:-11,10"},           // thorn
    {0x00E6, "r:a > r:e"},                                      // ae
    {0x00F8, "r:o s:YKK\\"},                                    // o stroke
    {0x00FE, "s:LFLb/LPNNPMSMUNWPXSXUWXUZS[P[NZLX w:-10,9"},    // thorn
    {0x0110, "r:D s:HPOP"},                                     // D stroke
    {0x0111, "r:d s:TIZI"},                                     // d stroke
    {0x0131, "s:RMR[ w:-4,4"},                                  // dotless i
    {0x0141, "r:L s:JTQM"},                                     // L stroke
    {0x0142, "r:l s:OUUO"},                                     // l stroke
    {0x0152, "r:O > r:E"},                                      // OE
    {0x0153, "r:o > r:e"},                                      // oe
    {0x0192, "s:WFUFSGRJR^Q`OaMa/NMVM w:-8,8"},                 // florin
    {0x02C6, "s:OJRGUJ w:-6,6"},                                // circumflex
    {0x02C7, "s:OGRJUG w:-6,6"},                                // caron
    {0x02D8, "s:OGPIRJTJVIVG w:-6,6"},                          // breve
    {0x02D9, "w:-4,4 d:0,-8.5,4"},                              // dot above
    {0x02DB, "s:R[P]P_RaT` w:-5,5"},                            // ogonek
    {0x02DC, "s:NJOHQGSIUHVG w:-6,6"},                          // small tilde
    {0x02DD, "s:QGOJ/UGSJ w:-6,6"},                             // double acute
    {0x0384, "s:TGQJ w:-5,5"},                                  // tonos
    {0x03C2, "s:XPVNTMQMONMPLSLUMXOZR[T\\T^R_ w:-9,9"},        // final sigma
    {0x0402, "s:KFYF/OFO[/OOQMTLVMWOWXVZT[ w:-11,11"},           // DJE
    {0x0404, "c:C !mirror"},                                    // Ukrainian IE
    {0x0405, "r:S"},
    {0x0406, "r:I"},
    {0x0408, "r:J"},
    {0x0409, "c:L > c:_"},                                       // LJE
    {0x040A, "c:N > c:_"},                                       // NJE
    {0x040B, "s:KFYF/OFO[/OOQMTLVMWOW["},                       // TSHE
    {0x040F, "c:P s:R[R^"},                                     // DZHE
    {0x0452, "s:MFM[/JITI/MOPMSMUNVPV]U_S`Q` w:-9,10"},          // dje
    {0x0454, "c:C !mirror !small"},                             // Ukrainian ie
    {0x0455, "r:s"},
    {0x0456, "r:i"},
    {0x0458, "r:j"},
    {0x0459, "c:l > c:~"},                                       // lje
    {0x045A, "c:n > c:~"},                                       // nje
    {0x045B, "s:MFM[/JITI/MOPMSMUNVPV[ w:-9,10"},                // tshe
    {0x045F, "c:p s:R[R^"},                                     // dzhe
    {0x0490, "c:G s:ZFZC"},                                     // GHE with upturn
    {0x0491, "c:g s:XMXJ"},                                     // ghe with upturn
    {0x044D, "c:C !small"},                                     // e: the face has it capital-sized
    {0x2013, "s:KRYR w:-10,10"},                                // en dash
    {0x2014, "s:ER_R w:-14,14"},                                // em dash
    {0x2015, "s:ER_R w:-14,14"},                                // horizontal bar
    {0x2018, "r:`"},
    {0x2019, "r:'"},
    {0x201A, "r:,"},
    {0x201C, "r:` > r:`"},
    {0x201D, "r:' > r:'"},
    {0x201E, "r:, > r:,"},
    {0x2020, "s:RFR[/MLWL w:-8,8"},                             // dagger
    {0x2021, "s:RFR[/MLWL/MUWU w:-8,8"},                        // double dagger
    {0x2022, "w:-6,6 d:0,2,9"},                                 // bullet
    {0x2026, "w:-12,12 d:-6,8,4 d:0,8,4 d:6,8,4"},              // ellipsis
    {0x2030, "r:% > r:o !sup"},                                 // per mille
    {0x2039, "s:TMPQTU w:-6,6"},                                // single left angle quote
    {0x203A, "s:PMTQPU w:-6,6"},                                // single right angle quote
    {0x20AC, "r:C s:JOVO/JUUU"},                                // euro
    {0x2116, "r:N > r:o !sup s:NKVK"},                          // numero
    {0x2122, "r:T !sup > r:M !sup"},                            // trade mark
};

// Accent strokes, centred on x = 0 above a small letter; over capitals
// and tall letters they move up by 7 units.
struct AccentShape {
    uint16_t mark;
    std::vector<std::vector<P>> strokes;
    std::vector<P> dots;  // round dots of radius 0.4
    bool below;
};
const std::vector<AccentShape>& AccentShapes()
{
    static const std::vector<AccentShape> shapes = {
        {0x0300, {{{-2, -10}, {1, -7.5f}}}, {}, false},
        {0x0301, {{{2, -10}, {-1, -7.5f}}}, {}, false},
        {0x0302, {{{-3, -7.5f}, {0, -10}, {3, -7.5f}}}, {}, false},
        {0x0303, {{{-3.5f, -7.5f}, {-2.5f, -9}, {-1.5f, -9.5f}, {-0.5f, -9}, {0.5f, -8}, {1.5f, -7.5f}, {2.5f, -8}, {3.5f, -9.5f}}}, {}, false},
        {0x0304, {{{-3.5f, -8.5f}, {3.5f, -8.5f}}}, {}, false},
        {0x0306, {{{-3, -10}, {-2.5f, -8.5f}, {-1, -7.5f}, {1, -7.5f}, {2.5f, -8.5f}, {3, -10}}}, {}, false},
        {0x0307, {}, {{0, -8.5f}}, false},
        {0x0308, {}, {{-2.5f, -8.5f}, {2.5f, -8.5f}}, false},
        {0x030A, {{{0, -10}, {1, -9.6f}, {1.3f, -8.75f}, {1, -7.9f}, {0, -7.5f}, {-1, -7.9f}, {-1.3f, -8.75f}, {-1, -9.6f}, {0, -10}}}, {}, false},
        {0x030B, {{{0, -10}, {-2, -7.5f}}, {{3.5f, -10}, {1.5f, -7.5f}}}, {}, false},
        {0x030C, {{{-3, -10}, {0, -7.5f}, {3, -10}}}, {}, false},
        {0x0327, {{{0.5f, 9}, {-0.5f, 11}, {1.5f, 11.5f}, {1.5f, 12.5f}, {0, 13.5f}, {-2, 13.5f}}}, {}, true},
        {0x0328, {{{0, 9}, {-2, 11}, {-2, 12.5f}, {-0.5f, 13.5f}, {1, 13}}}, {}, true},
    };
    return shapes;
}

// ---------------------------------------------------------------------------
// Building drawings.

bool DrawingOf(uint16_t character, Drawing& out);

bool FaceGlyph(char face, char letter, Drawing& out)
{
    const std::vector<Drawing>& glyphs = face == 'r' ? Faces.roman : face == 'g' ? Faces.greek : Faces.cyrillic;
    int index = static_cast<unsigned char>(letter) - 32;
    if (index < 0 || index >= static_cast<int>(glyphs.size()))
        return false;
    out = glyphs[index];
    return true;
}

// "x,y,..." into numbers.
std::vector<float> Numbers(const std::string& text)
{
    std::vector<float> values;
    const char* p = text.c_str();
    while (*p) {
        char* end;
        values.push_back(std::strtof(p, &end));
        if (end == p)
            break;
        p = *end == ',' ? end + 1 : end;
    }
    return values;
}

void ScaleAbout(Drawing& d, float sx, float sy, P about)
{
    d.Transform([&](P p) { return P{about.x + (p.x - about.x) * sx, about.y + (p.y - about.y) * sy}; });
    float l = about.x + (d.left - about.x) * sx, r = about.x + (d.right - about.x) * sx;
    d.left = std::fmin(l, r);
    d.right = std::fmax(l, r);
}

bool EvaluateRecipe(const char* recipe, Drawing& out)
{
    std::vector<Drawing> parts(1);
    std::string text = recipe;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(' ', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string token = text.substr(pos, end - pos);
        pos = end + 1;
        Drawing& cur = parts.back();
        if (token.empty())
            continue;
        if (token == ">") {
            parts.emplace_back();
        } else if (token.size() == 3 && token[1] == ':' && (token[0] == 'r' || token[0] == 'g' || token[0] == 'c')) {
            Drawing glyph;
            if (!FaceGlyph(token[0], token[2], glyph))
                return false;
            cur.Merge(glyph);
        } else if (token.rfind("u:", 0) == 0) {
            Drawing glyph;
            if (!DrawingOf(static_cast<uint16_t>(std::strtol(token.c_str() + 2, nullptr, 16)), glyph))
                return false;
            cur.Merge(glyph);
        } else if (token.rfind("s:", 0) == 0) {
            std::vector<P> stroke;
            for (size_t i = 2; i < token.size(); i++) {
                if (token[i] == '/') {
                    if (!stroke.empty())
                        cur.strokes.push_back(stroke);
                    stroke.clear();
                } else if (i + 1 < token.size()) {
                    stroke.push_back({static_cast<float>(token[i] - 'R'), static_cast<float>(token[i + 1] - 'R')});
                    i++;
                }
            }
            if (stroke.size() > 1)
                cur.strokes.push_back(stroke);
        } else if (token.rfind("w:", 0) == 0) {
            std::vector<float> v = Numbers(token.substr(2));
            if (v.size() != 2)
                return false;
            cur.left = v[0], cur.right = v[1], cur.hasBearings = true;
        } else if (token.rfind("d:", 0) == 0) {
            std::vector<float> v = Numbers(token.substr(2));
            if (v.size() != 3)
                return false;
            cur.dots.push_back({{v[0], v[1]}, static_cast<int>(v[2])});
        } else if (token.rfind("f:", 0) == 0) {
            std::vector<float> v = Numbers(token.substr(2));
            if (v.size() != 6)
                return false;
            cur.fills.push_back({P{v[0], v[1]}, P{v[2], v[3]}, P{v[4], v[5]}});
        } else if (token == "!mirror") {
            cur.Transform([](P p) { return P{-p.x, p.y}; });
            float l = -cur.right;
            cur.right = -cur.left;
            cur.left = l;
        } else if (token == "!flip") {
            cur.Transform([](P p) { return P{p.x, 4 - p.y}; });
        } else if (token == "!rot") {
            cur.Transform([](P p) { return P{-p.x, 4 - p.y}; });
            float l = -cur.right;
            cur.right = -cur.left;
            cur.left = l;
        } else if (token == "!sup") {
            ScaleAbout(cur, 0.55f, 0.55f, {0, -12});
        } else if (token == "!small") {
            ScaleAbout(cur, 0.8f, 2.0f / 3, {0, 9});
        } else {
            return false;
        }
    }
    // Parts side by side.
    Drawing result = parts[0];
    for (size_t i = 1; i < parts.size(); i++) {
        Drawing next = parts[i];
        float shift = result.right - next.left;
        next.Transform([&](P p) { return P{p.x + shift, p.y}; });
        float right = next.right + shift;
        result.Merge(next);
        result.right = right;
    }
    if (result.right - result.left > MaxHersheyWidth)
        ScaleAbout(result, MaxHersheyWidth / (result.right - result.left), 1, {result.left, 0});
    out = result;
    return true;
}

// A letter and its accents.
bool ComposeDecomposition(const Decomposition& d, Drawing& out)
{
    Drawing base;
    if (!DrawingOf(d.base, base))
        return false;
    bool above = false;
    for (uint16_t mark : d.marks)
        for (const AccentShape& shape : AccentShapes())
            if (shape.mark == mark && !shape.below)
                above = true;
    if (above && (d.base == 'i' || d.base == 'j' || d.base == 0x0456)) {
        // The accent takes the place of the dot.
        std::vector<std::vector<P>> kept;
        for (auto& s : base.strokes) {
            bool dot = true;
            for (P p : s)
                dot = dot && p.y < -8;
            if (!dot)
                kept.push_back(s);
        }
        base.strokes = kept;
    }
    float minX, minY, maxX, maxY;
    if (!base.Bounds(minX, minY, maxX, maxY))
        minX = maxX = 0, minY = maxY = -5;
    float centre = (minX + maxX) / 2;
    // Over a capital or an ascender the accents move up (not over an
    // accent standing alone).
    float lift = minY < -8 && maxY > -6 ? -7.0f : 0.0f;
    for (uint16_t mark : d.marks) {
        if (!mark)
            continue;
        const AccentShape* shape = nullptr;
        for (const AccentShape& s : AccentShapes())
            if (s.mark == mark)
                shape = &s;
        if (!shape)
            return false;
        float dx = centre, dy = shape->below ? 0 : lift;
        if (mark == 0x0328)
            dx = maxX - 1;
        if (mark == 0x0327 && d.base == 'g') {
            // A cedilla has no room under g: a turned comma goes above.
            Drawing comma;
            FaceGlyph('r', '`', comma);
            comma.Transform([&](P p) { return P{p.x + centre, p.y + 3}; });
            base.Merge(comma);
            continue;
        }
        for (const auto& s : shape->strokes) {
            std::vector<P> moved;
            for (P p : s)
                moved.push_back({p.x + dx, p.y + dy});
            base.strokes.push_back(moved);
        }
        for (P p : shape->dots)
            base.dots.push_back({{p.x + dx, p.y + dy}, 4});
    }
    out = base;
    return true;
}

std::map<uint16_t, Drawing> DrawingCache;

bool DrawingOf(uint16_t character, Drawing& out)
{
    auto cached = DrawingCache.find(character);
    if (cached != DrawingCache.end()) {
        out = cached->second;
        return true;
    }
    bool made = false;
    for (const Recipe& r : Recipes)
        if (r.character == character)
            made = EvaluateRecipe(r.recipe, out);
    if (!made)
        for (const FaceLetter& f : FaceLetters)
            if (f.character == character)
                made = FaceGlyph(f.face, f.letter, out);
    if (!made)
        for (const Decomposition& d : Decompositions)
            if (d.character == character)
                made = ComposeDecomposition(d, out);
    if (!made && character >= 32 && character < 127)
        made = FaceGlyph(character == '^' ? 'g' : 'r', static_cast<char>(character), out);
    if (made)
        DrawingCache[character] = out;
    return made;
}

// ---------------------------------------------------------------------------
// Drawings to glyph records.

struct Ellipse {
    uint8_t centre, radiusX, radiusY;
};
struct BuiltGlyph {
    std::vector<P> points;  // font units
    std::vector<std::array<uint8_t, 3>> triangles;
    std::vector<Ellipse> ellipses;
    float width = 1;
    uint8_t console[100] = {};
    std::string fault;  // why the glyph cannot be stored

    int Point(P p)
    {
        for (size_t i = 0; i < points.size(); i++)
            if (points[i].x == p.x && points[i].y == p.y)
                return static_cast<int>(i);
        points.push_back(p);
        return static_cast<int>(points.size() - 1);
    }
    void Triangle(int a, int b, int c)
    {
        if (a != b && b != c && a != c)
            triangles.push_back({static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c)});
    }
    void Dot(P centre, int radius)
    {
        ellipses.push_back({static_cast<uint8_t>(Point(centre)), static_cast<uint8_t>(radius),
                            static_cast<uint8_t>(radius)});
    }
};

P Unit(P d)
{
    float length = std::sqrt(d.x * d.x + d.y * d.y);
    return {d.x / length, d.y / length};
}

// One stroke as filled quads with shared mitred corners; round caps at the
// open ends and at corners sharper than 60 degrees.
void AddStroke(BuiltGlyph& g, std::vector<P> path)
{
    std::vector<P> clean;
    for (P p : path)
        if (clean.empty() || clean.back().x != p.x || clean.back().y != p.y)
            clean.push_back(p);
    if (clean.size() == 1) {
        g.Dot(clean[0], CapRadius);
        return;
    }
    const size_t n = clean.size();
    const bool closed = n > 3 && clean.front().x == clean.back().x && clean.front().y == clean.back().y;
    const size_t segments = n - 1;
    std::vector<P> along(segments), normal(segments);
    for (size_t i = 0; i < segments; i++) {
        along[i] = Unit({clean[i + 1].x - clean[i].x, clean[i + 1].y - clean[i].y});
        normal[i] = {-along[i].y, along[i].x};
    }
    // Corner points of each segment's start and end: left and right.
    std::vector<std::array<int, 2>> startOf(segments), endOf(segments);
    auto offsetPair = [&](P p, P dir, float length) {
        return std::array<int, 2>{g.Point({p.x + dir.x * length, p.y + dir.y * length}),
                                  g.Point({p.x - dir.x * length, p.y - dir.y * length})};
    };
    for (size_t v = 0; v < n; v++) {
        bool interior = (v > 0 && v < n - 1) || (closed && (v == 0 || v == n - 1));
        if (closed && v == n - 1)
            continue;  // the same corner as the first
        size_t before = v == 0 ? segments - 1 : v - 1;  // segment ending here
        size_t after = v;                               // segment starting here
        if (!interior) {
            if (v == 0)
                startOf[0] = offsetPair(clean[0], normal[0], HalfWidth);
            else
                endOf[segments - 1] = offsetPair(clean[v], normal[segments - 1], HalfWidth);
            g.Dot(clean[v], CapRadius);
            continue;
        }
        float turn = along[before].x * along[after].x + along[before].y * along[after].y;
        if (turn >= 0.5f) {
            P mitre = Unit({normal[before].x + normal[after].x, normal[before].y + normal[after].y});
            float length = HalfWidth / (mitre.x * normal[after].x + mitre.y * normal[after].y);
            std::array<int, 2> pair = offsetPair(clean[v], mitre, length);
            endOf[before] = pair;
            startOf[after] = pair;
        } else {
            endOf[before] = offsetPair(clean[v], normal[before], HalfWidth);
            startOf[after] = offsetPair(clean[v], normal[after], HalfWidth);
            g.Dot(clean[v], CapRadius);
        }
    }
    for (size_t i = 0; i < segments; i++) {
        g.Triangle(startOf[i][0], startOf[i][1], endOf[i][1]);
        g.Triangle(startOf[i][0], endOf[i][1], endOf[i][0]);
    }
}

bool InsideTriangle(P p, P a, P b, P c)
{
    auto side = [](P p, P a, P b) { return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x); };
    float d1 = side(p, a, b), d2 = side(p, b, c), d3 = side(p, c, a);
    bool negative = d1 < 0 || d2 < 0 || d3 < 0, positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

bool InsideGlyph(const BuiltGlyph& g, P p)
{
    for (auto& t : g.triangles)
        if (InsideTriangle(p, g.points[t[0]], g.points[t[1]], g.points[t[2]]))
            return true;
    for (const Ellipse& e : g.ellipses) {
        P c = g.points[e.centre];
        float rx = static_cast<float>(e.radiusX) / 10, ry = static_cast<float>(e.radiusY) / 10;
        float dx = (p.x - c.x) / rx, dy = (p.y - c.y) / ry;
        if (dx * dx + dy * dy <= 1)
            return true;
    }
    return false;
}

BuiltGlyph BuildGlyph(const Drawing& drawing)
{
    // Bearings leave room for the stroke's half width, and a drawing wider
    // than the cell is squeezed across.
    Drawing d = drawing;
    float minX, minY, maxX, maxY;
    if (d.Bounds(minX, minY, maxX, maxY)) {
        d.left = std::fmin(d.left, minX - 1);
        d.right = std::fmax(d.right, maxX + 1);
    }
    if (d.right - d.left > MaxHersheyWidth)
        ScaleAbout(d, MaxHersheyWidth / (d.right - d.left), 1, {d.left, 0});
    BuiltGlyph g;
    auto font = [&](P p) { return P{(p.x - d.left) * UnitScale, BaseY + (16 - p.y) * UnitScale}; };
    for (const auto& s : d.strokes) {
        std::vector<P> path;
        for (P p : s)
            path.push_back(font(p));
        AddStroke(g, path);
    }
    for (const Drawing::Dot& dot : d.dots)
        g.Dot(font(dot.centre), dot.radius);
    for (const auto& t : d.fills)
        g.Triangle(g.Point(font(t[0])), g.Point(font(t[1])), g.Point(font(t[2])));
    // The advance keeps the right bearing: a point no shape uses.
    float right = (d.right - d.left) * UnitScale;
    float reach = 0;
    for (P p : g.points)
        reach = std::fmax(reach, p.x);
    for (const Ellipse& e : g.ellipses)
        reach = std::fmax(reach, g.points[e.centre].x + static_cast<float>(e.radiusX) / 10);
    if (right > reach && !g.points.empty())
        g.Point({right, BaseY});
    g.width = std::fmax(1.0f, std::fmax(right, reach));

    // Everything inside the cell of 7 by 9 units.
    for (P p : g.points)
        if (p.x < -0.001f || p.y < -0.001f || p.y > 9.001f || p.x > 7.001f)
            g.fault = "outside its cell";
    for (const Ellipse& e : g.ellipses) {
        P c = g.points[e.centre];
        float r = static_cast<float>(e.radiusX) / 10;
        if (c.x - r < -0.001f || c.y - r < -0.001f || c.y + r > 9.001f || c.x + r > 7.001f)
            g.fault = "outside its cell";
    }
    if (g.points.size() > 256 || g.triangles.size() > 255 || g.ellipses.size() > 255)
        g.fault = "too many points or shapes";

    // Console bitmap: 11 rows of the console width, 4 x 4 samples a pixel.
    long console = std::lrint(9 * g.width / 7);
    int columns = console < 9 ? static_cast<int>(console) : 9;
    for (int row = 0; row < 11; row++)
        for (int column = 0; column < columns; column++) {
            int hits = 0;
            for (int sy = 0; sy < 4; sy++)
                for (int sx = 0; sx < 4; sx++) {
                    P p{(static_cast<float>(column) + (static_cast<float>(sx) + 0.5f) / 4) * 7 / 9,
                        9 - (static_cast<float>(row) + (static_cast<float>(sy) + 0.5f) / 4) * 9 / 11};
                    hits += InsideGlyph(g, p) ? 1 : 0;
                }
            g.console[row * columns + column] = static_cast<uint8_t>(hits * 255 / 16);
        }
    return g;
}

// Fixed shapes drawn straight in font units.
BuiltGlyph BlockGlyph()
{
    BuiltGlyph g;
    int a = g.Point({0, 0}), b = g.Point({7, 0}), c = g.Point({7, 9}), d = g.Point({0, 9});
    g.Triangle(a, b, c);
    g.Triangle(a, c, d);
    g.width = 7;
    std::memset(g.console, 255, 99);
    return g;
}

// ---------------------------------------------------------------------------
// The map.

struct MapBuilder {
    std::vector<BuiltGlyph> slots = std::vector<BuiltGlyph>(GlyphSlotCount);
    std::vector<bool> used = std::vector<bool>(GlyphSlotCount, false);
    std::map<uint16_t, int> slotOf;
    int next = 96;
    std::string fault;

    int Allocate()
    {
        while (next < GlyphSlotCount && used[next])
            next++;
        if (next >= GlyphSlotCount)
            return -1;
        used[next] = true;
        return next;
    }
    bool Place(int slot, const Drawing& d, const char* what)
    {
        slots[slot] = BuildGlyph(d);
        used[slot] = true;
        if (!slots[slot].fault.empty()) {
            fault = std::string(what) + " : " + slots[slot].fault;
            return false;
        }
        return true;
    }
    // The slot of a character, made on first use; the placeholder when the
    // font cannot draw it.
    int SlotOfCharacter(uint16_t character)
    {
        if (character >= 32 && character < 127)
            return character - 32;
        if (character == 0x00A0)
            return 0;  // a no-break space looks like a space
        auto found = slotOf.find(character);
        if (found != slotOf.end())
            return found->second;
        Drawing d;
        if (!DrawingOf(character, d)) {
            char what[32];
            std::snprintf(what, sizeof what, "no drawing for U+%04X", character);
            fault = what;
            return PlaceholderSlot;
        }
        int slot = Allocate();
        char what[32];
        std::snprintf(what, sizeof what, "U+%04X", character);
        if (slot < 0) {
            fault = "glyph slots full";
            return PlaceholderSlot;
        }
        Place(slot, d, what);
        slotOf[character] = slot;
        return slot;
    }
};

// The glyph as the character map holds it.
void FillGlyphSlot(const BuiltGlyph& g, GlyphSlot& slot)
{
    slot.count = static_cast<int>(g.points.size());
    slot.pairs = slot.count ? new FloatPair[g.points.size()] : nullptr;
    for (size_t i = 0; i < g.points.size(); i++)
        slot.pairs[i] = {g.points[i].x, g.points[i].y};
    slot.triangleCount = static_cast<uint8_t>(g.triangles.size());
    slot.triangles = slot.triangleCount ? new GlyphTriangle[g.triangles.size()] : nullptr;
    for (size_t i = 0; i < g.triangles.size(); i++)
        std::copy(g.triangles[i].begin(), g.triangles[i].end(), slot.triangles[i].points);
    slot.ellipseCount = static_cast<uint8_t>(g.ellipses.size());
    slot.ellipses = slot.ellipseCount ? new GlyphEllipse[g.ellipses.size()] : nullptr;
    for (size_t i = 0; i < g.ellipses.size(); i++)
        slot.ellipses[i] = {g.ellipses[i].centre, g.ellipses[i].radiusX, g.ellipses[i].radiusY};
    std::copy(std::begin(g.console), std::end(g.console), slot.console);
}

// Windows code page numbers of pages 0 to 9, and the lead bytes of the
// double-byte pages.
const int PageNumbers[SearchedCodePages] = {1252, 1250, 1254, 1257, 932, 1251, 1253, 950, 936, 949};
bool IsLead(int page, int byte)
{
    if (page == 4)
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return byte >= 0x81 && byte <= 0xFE;
}

using PageTable = std::array<CharEntry, CodePageCharCount>;

// The double-byte pages and the character sets their bytes are in.
struct DoubleBytePage {
    int page;
    const char* charset;
};
const DoubleBytePage DoubleBytePages[] = {{4, "CP932"}, {7, "CP950"}, {8, "CP936"}, {9, "CP949"}};

// The Unicode character of a lead and trail byte in the character set;
// 0 for none, for a character beyond the 16-bit range and for one of the
// private use area (no font has a glyph for it).
uint16_t DecodeDoubleByte(iconv_t converter, int lead, int trail)
{
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char32_t out[2] = {};
    char* inAt = in;
    char* outAt = reinterpret_cast<char*>(out);
    size_t inLeft = 2, outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == size_t(-1) || inLeft != 0 ||
        outLeft != sizeof out - sizeof(char32_t))
        return 0;
    const char32_t c = out[0];
    if (c > 0xFFFF || (c >= 0xE000 && c <= 0xF8FF) || c < 0x80)
        return 0;
    return static_cast<uint16_t>(c);
}

// Gives every lead byte of the double-byte pages an extra page of the
// Unicode characters of its trail bytes 0x40 to 0xFF. False when the
// system cannot convert a character set (the message says which).
bool BuildExtraPages(std::vector<PageTable>& pages, std::vector<ExtraPage>& extraPages)
{
    for (const DoubleBytePage& page : DoubleBytePages) {
        iconv_t converter = iconv_open("UTF-32LE", page.charset);
        if (converter == iconv_t(-1)) {
            BuilderFail("The system cannot convert %s", page.charset);
            return false;
        }
        for (int lead = 128; lead < 256; lead++) {
            if (!IsLead(page.page, lead))
                continue;
            ExtraPage extra;
            for (int trail = 0x40; trail <= 0xFF; trail++)
                extra.chars[trail - 0x40].unicode = DecodeDoubleByte(converter, lead, trail);
            pages[page.page][lead - 32] = {static_cast<uint16_t>(extraPages.size()), 0, CharLeadWithPage};
            extraPages.push_back(extra);
        }
        iconv_close(converter);
    }
    return true;
}

} // namespace

int BuildCharacterMap()
{
    Faces.roman = ReadHersheyFont("rowmans.jhf");
    Faces.greek = ReadHersheyFont("greek.jhf");
    Faces.cyrillic = ReadHersheyFont("cyrillic.jhf");
    if (Faces.roman.size() != 96 || Faces.greek.size() != 96 || Faces.cyrillic.size() != 96)
        return BuilderFail("Could not read the Hershey fonts in %s (package hershey-fonts-data)",
                           HersheyFolder);
    DrawingCache.clear();

    MapBuilder map;
    // ASCII from the Roman face ('^' is an arrow there: the Greek face's
    // caret), the placeholder a box.
    for (int c = 32; c < 127; c++) {
        Drawing d;
        DrawingOf(static_cast<uint16_t>(c), d);
        char what[16];
        std::snprintf(what, sizeof what, "'%c'", c);
        if (!map.Place(c - 32, d, what))
            return BuilderFail("Glyph %s", map.fault.c_str());
    }
    struct Fixed {
        int slot;
        const char* recipe;
    };
    const Fixed fixed[] = {
        {PlaceholderSlot, "s:MHWHW[M[MH w:-8,8"},
        {TickSlot, "s:KSOYYF w:-9,9"},
        {NoFontSlot, "s:MHWHW[M[MH/MHW[/WHM[ w:-8,8"},
        {ArrowSlot, "f:0,-12,-8,9,0,4 f:0,-12,0,4,8,9 w:-9,9"},
    };
    for (const Fixed& f : fixed) {
        Drawing d;
        if (!EvaluateRecipe(f.recipe, d) || !map.Place(f.slot, d, "fixed glyph"))
            return BuilderFail("Fixed glyph %d : %s", f.slot, map.fault.c_str());
    }
    map.slots[BlockSlot] = BlockGlyph();
    map.used[BlockSlot] = true;

    // The single-byte pages.
    std::vector<PageTable> pages(SearchedCodePages + 1);
    for (int p = 0; p <= SearchedCodePages; p++)
        for (int b = 32; b < 256; b++)
            pages[p][b - 32] = {static_cast<uint16_t>(b < 127 ? b - 32 : PlaceholderSlot), 0, 0};
    for (const SingleBytePage& page : SingleBytePages)
        for (int b = 128; b < 256; b++) {
            uint16_t character = page.high[b - 128];
            int slot = character ? map.SlotOfCharacter(character) : PlaceholderSlot;
            if (!map.fault.empty())
                return BuilderFail("Character map : %s", map.fault.c_str());
            pages[page.page][b - 32].glyph = static_cast<uint16_t>(slot);
        }
    // The double-byte pages: ASCII, and lead bytes with the Unicode
    // characters of their trail bytes (drawn by the system's fonts).
    std::vector<ExtraPage> extraPages;
    if (!BuildExtraPages(pages, extraPages))
        return 0;
    // The symbol page: Latin 1 with arrows, play and pause, and the digit
    // sets of the gauges.
    pages[SearchedCodePages] = pages[0];
    struct Symbol {
        int byte;
        const char* recipe;
    };
    const Symbol symbols[] = {
        {0xB9, "f:0,-10,-7,3,7,3 w:-9,9"},   // up
        {0xBA, "f:-7,-4,7,-4,0,9 w:-9,9"},   // down
        {0xAF, "f:-6,-10,-6,9,8,0 w:-9,10"}, // play
        {0xB7, "f:-6,-10,-6,9,-2,9 f:-6,-10,-2,9,-2,-10 f:2,-10,2,9,6,9 f:2,-10,6,9,6,-10 w:-9,9"},  // pause
    };
    for (const Symbol& s : symbols) {
        Drawing d;
        int slot = map.Allocate();
        if (slot < 0 || !EvaluateRecipe(s.recipe, d) || !map.Place(slot, d, "symbol"))
            return BuilderFail("Symbol glyph 0x%02X : %s", s.byte, map.fault.c_str());
        pages[SearchedCodePages][s.byte - 32].glyph = static_cast<uint16_t>(slot);
    }
    for (int digit = 0; digit < 10; digit++) {
        pages[SearchedCodePages]['0' + digit + 96 - 32].glyph = static_cast<uint16_t>('0' + digit - 32);
        pages[SearchedCodePages]['0' + digit + 112 - 32].glyph = static_cast<uint16_t>('0' + digit - 32);
    }

    // Written through the game's character-map writer.
    auto glyphs = std::make_unique<GlyphSlot[]>(GlyphSlotCount);
    for (int i = 0; i < GlyphSlotCount; i++)
        FillGlyphSlot(map.slots[i], glyphs[i]);
    std::vector<CodePage> codePages(SearchedCodePages + 1);
    for (int p = 0; p <= SearchedCodePages; p++) {
        codePages[p].number = static_cast<uint16_t>(p < SearchedCodePages ? PageNumbers[p] : 0);
        std::copy(pages[p].begin(), pages[p].end(), codePages[p].chars);
    }
    CharacterMapContents contents;
    contents.glyphs = {glyphs.get(), size_t(GlyphSlotCount)};
    contents.pages = codePages;
    contents.extraPages = extraPages;
    if (!SaveCharacterMap(contents, CharMapPath))
        return BuilderFail("Could not write : %s", CharMapPath);

    // Read back through the game's loader.
    if (!LoadCharacterMap(CharMapPath))
        return BuilderFail("Character map does not load : %s", CharMapPath);
    bool same = CharacterMap.codePageCount == SearchedCodePages + 1;
    for (int i = 0; same && i < GlyphSlotCount; i++)
        same = CharacterMap.glyphs[i].count == static_cast<int>(map.slots[i].points.size()) &&
               CharacterMap.glyphs[i].triangleCount == map.slots[i].triangles.size() &&
               CharacterMap.glyphs[i].ellipseCount == map.slots[i].ellipses.size();
    for (int p = 0; same && p <= SearchedCodePages; p++)
        for (int b = 0; same && b < CodePageCharCount; b++)
            same = CharacterMap.codePages[p].chars[b].glyph == pages[p][b].glyph &&
                   CharacterMap.codePages[p].chars[b].flags == pages[p][b].flags;
    same = same && CharacterMap.extraPageCount == static_cast<int>(extraPages.size());
    for (int x = 0; same && x < CharacterMap.extraPageCount; x++)
        for (int t = 0; same && t < ExtraPageCharCount; t++)
            same = CharacterMap.extraPages[x].chars[t].unicode == extraPages[size_t(x)].chars[t].unicode;
    FreeCharacterMap();
    if (!same)
        return BuilderFail("Character map does not read back as written : %s", CharMapPath);

    // The fonts' acknowledgement goes with the data.
    std::vector<uint8_t> licence;
    if (!platform::ReadWholeFile(HersheyCopyright, licence) ||
        !platform::WriteWholeFile(LicencePath, licence.data(), licence.size()))
        return BuilderFail("Could not copy the Hershey fonts' licence to %s", LicencePath);
    return 1;
}
