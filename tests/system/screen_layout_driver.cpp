// Test driver: where the front end's texts go on a drawing area of a given
// size. Run in a game folder, it starts the program's drawing as a windowed
// start does (the character map, the built-in pictures, the entry screen
// and the root after it) on the null graphics device, lets the main loop
// draw a pass while the device records its calls, and prints every glyph
// quad drawn from the font textures, in the order drawn:
//   glyph SLOT LEFT TOP RIGHT BOTTOM COLOUR
// with the edges in pixels of the drawing area and the colour as 8
// hexadecimal digits (ARGB). The first line is "area WIDTH HEIGHT". So the
// screenshot tests take the places from the program's own layout.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "app/services.h"
#include "core/services.h"
#include "graphics/services.h"
#include "platform/gfx_null.h"
#include "platform/window.h"
#include "session/services.h"
#include "ui/services.h"

namespace {

// A vertex of the screen batches: pre-transformed position, colour, one
// texture coordinate pair.
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

int Fail(const char* what)
{
    std::fprintf(stderr, "screen_layout_driver: %s\n", what);
    return 1;
}

// The null device's id of each font texture, to its number.
std::map<uint32_t, int> FontTextureIds()
{
    std::map<uint32_t, int> ids;
    for (int t = 0; t < FontTextureCount; ++t) {
        const Material* material = CharacterMap.fontTextures[t];
        if (material != nullptr && material->texture != nullptr && material->texture->texture != nullptr)
            ids[platform::NullGfxId(material->texture->texture)] = t;
    }
    return ids;
}

// The glyph slot whose place in font texture t starts at (u, v); -1 none.
int SlotAt(int t, float u, float v)
{
    for (int s = 0; s < GlyphSlotCount; ++s) {
        const GlyphSlot& g = CharacterMap.glyphs[s];
        if (g.texture == t && std::fabs(g.uLeft - u) < 1e-5f && std::fabs(g.vTop - v) < 1e-5f)
            return s;
    }
    return -1;
}

// Prints the quads of one recorded draw on a font texture: each quad is
// two triangles over four vertices.
void PrintGlyphQuads(const platform::GfxCall& draw, int texture)
{
    std::vector<ScreenVertex> vertices(draw.vertexBytes.size() / sizeof(ScreenVertex));
    std::memcpy(vertices.data(), draw.vertexBytes.data(), vertices.size() * sizeof(ScreenVertex));
    const uint32_t first = draw.args[1];  // the lowest index the draw may use
    for (size_t i = 0; i + 6 <= draw.indices.size(); i += 6) {
        float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f, u = 2, v = 2;
        uint32_t colour = 0;
        for (size_t k = 0; k < 6; ++k) {
            const uint32_t index = draw.indices[i + k] - first;
            if (index >= vertices.size())
                return;
            const ScreenVertex& vertex = vertices[index];
            left = std::fmin(left, vertex.x), right = std::fmax(right, vertex.x);
            top = std::fmin(top, vertex.y), bottom = std::fmax(bottom, vertex.y);
            u = std::fmin(u, vertex.u), v = std::fmin(v, vertex.v);
            colour = vertex.colour;
        }
        std::printf("glyph %d %.3f %.3f %.3f %.3f %08X\n", SlotAt(texture, u, v), left, top, right, bottom, colour);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return Fail("usage: screen_layout_driver WIDTH HEIGHT (in a game folder)");
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    InstallSubsystemHooks();
    FormatVersion();
    platform::OpenWindowSystem(platform::WindowBackEnd::Null);
    EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 1; });
    LoadConfig();
    EditSettings([](SettingsRecord& settings) { settings.startWindowed = 1; });
    if (PreInitDirect3D(1, -1, 0, 0, 0) != 0)
        return Fail("the null device does not start");
    SetClientSize(width, height);
    if (!LoadCharacterMap("data\\abc\\qvn.abc"))
        return Fail("the character map does not load");
    InitStandardColours();
    if (InitGraphicsDevice() != 1)
        return Fail("the graphics device does not start");
    CreateBuiltinTextures();
    SelectTranslationCodePage();
    Shell.topScreen = CreateEntryScreen(CreateRootScreen);
    // The entry screen hands over to the root in its first pass; the root
    // draws its menu in the next.
    MainLoopPass();
    platform::NullGfxRecord(true);
    platform::NullGfxClearCalls();
    MainLoopPass();

    std::printf("area %d %d\n", width, height);
    const std::map<uint32_t, int> fonts = FontTextureIds();
    int texture = -1;
    for (const platform::GfxCall& call : platform::NullGfxCalls()) {
        if (call.kind == platform::GfxCallKind::SetTexture && call.args[0] == 0) {
            auto found = fonts.find(call.args[1]);
            texture = found != fonts.end() ? found->second : -1;
        } else if (call.kind == platform::GfxCallKind::DrawIndexedPrimitive && texture >= 0 &&
                   call.stride == sizeof(ScreenVertex)) {
            PrintGlyphQuads(call, texture);
        }
    }
    platform::NullGfxRecord(false);
    ShutDownProgram();
    return 0;
}
