// Test driver: where the front end's texts and pictures go on a drawing
// area of a given size. Run in a game folder, it starts the program's
// drawing as a windowed start does (the character map, the built-in
// pictures, the entry screen and the root after it) on the null graphics
// device, lets the main loop draw a pass while the device records its
// calls, and prints every quad of the screen batches, in the order drawn:
//   glyph SLOT LEFT TOP RIGHT BOTTOM COLOUR
// for the glyphs of the font textures, and
//   picture NAME LEFT TOP RIGHT BOTTOM ULEFT VTOP URIGHT VBOTTOM COLOUR
// for the others, NAME "background" for the screens' picture, "title" for
// the title picture, "plain" without a texture and "other" for the rest
// (the boxes of menus, for example). Edges are in pixels of the drawing
// area, colours 8 hexadecimal digits (ARGB). The first line is
// "area WIDTH HEIGHT". So the screenshot tests take the places from the
// program's own layout.
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

// What the screen batches draw with, by the null device's texture id:
// font texture t as t, the screens' and the title picture as below.
constexpr int BackgroundTexture = -2, TitleTexture = -3, OtherTexture = -4, NoTexture = -5;

uint32_t IdOf(const Material* material)
{
    if (material == nullptr || material->texture == nullptr || material->texture->texture == nullptr)
        return 0;
    return platform::NullGfxId(material->texture->texture);
}

std::map<uint32_t, int> TextureKinds()
{
    std::map<uint32_t, int> kinds;
    for (int t = 0; t < FontTextureCount; ++t)
        if (uint32_t id = IdOf(CharacterMap.fontTextures[t]))
            kinds[id] = t;
    if (uint32_t id = IdOf(BuiltinMaterials.background))
        kinds[id] = BackgroundTexture;
    if (uint32_t id = IdOf(BuiltinMaterials.title))
        kinds[id] = TitleTexture;
    return kinds;
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

// Prints the quads of one recorded draw: each quad is two triangles over
// four vertices.
void PrintQuads(const platform::GfxCall& draw, int texture)
{
    std::vector<ScreenVertex> vertices(draw.vertexBytes.size() / sizeof(ScreenVertex));
    std::memcpy(vertices.data(), draw.vertexBytes.data(), vertices.size() * sizeof(ScreenVertex));
    const uint32_t first = draw.args[1];  // the lowest index the draw may use
    for (size_t i = 0; i + 6 <= draw.indices.size(); i += 6) {
        float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
        float u0 = 1e9f, v0 = 1e9f, u1 = -1e9f, v1 = -1e9f;
        uint32_t colour = 0;
        for (size_t k = 0; k < 6; ++k) {
            const uint32_t index = draw.indices[i + k] - first;
            if (index >= vertices.size())
                return;
            const ScreenVertex& vertex = vertices[index];
            left = std::fmin(left, vertex.x), right = std::fmax(right, vertex.x);
            top = std::fmin(top, vertex.y), bottom = std::fmax(bottom, vertex.y);
            u0 = std::fmin(u0, vertex.u), u1 = std::fmax(u1, vertex.u);
            v0 = std::fmin(v0, vertex.v), v1 = std::fmax(v1, vertex.v);
            colour = vertex.colour;
        }
        if (texture >= 0) {
            std::printf("glyph %d %.3f %.3f %.3f %.3f %08X\n", SlotAt(texture, u0, v0), left, top, right, bottom, colour);
            continue;
        }
        const char* name = texture == BackgroundTexture ? "background"
                           : texture == TitleTexture    ? "title"
                           : texture == NoTexture       ? "plain"
                                                        : "other";
        std::printf("picture %s %.3f %.3f %.3f %.3f %.5f %.5f %.5f %.5f %08X\n", name, left, top, right, bottom, u0, v0,
                    u1, v1, colour);
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
    const std::map<uint32_t, int> kinds = TextureKinds();
    int texture = NoTexture;
    for (const platform::GfxCall& call : platform::NullGfxCalls()) {
        if (call.kind == platform::GfxCallKind::SetTexture && call.args[0] == 0) {
            auto found = kinds.find(call.args[1]);
            texture = call.args[1] == 0 ? NoTexture : found != kinds.end() ? found->second : OtherTexture;
        } else if (call.kind == platform::GfxCallKind::DrawIndexedPrimitive && call.stride == sizeof(ScreenVertex)) {
            PrintQuads(call, texture);
        }
    }
    platform::NullGfxRecord(false);
    ShutDownProgram();
    return 0;
}
