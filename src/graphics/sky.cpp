// The sky: a dome on the world's sky picture and a ring that fades the
// horizon in its colour, built as named meshes on the first sky draw and
// drawn around the camera before the scene.
#include <cmath>
#include <cstdio>

#include "graphics/local.h"

namespace {

// The built meshes and the counter that names each new pair. Live until
// ResetSky (a rebuild of the graphics resources).
struct SkyRecord {
    NamedMesh* dome = nullptr;
    NamedMesh* ring = nullptr;
    int built = 0;
    char domeName[16] = {};
    char ringName[16] = {};
};
SkyRecord Sky;

constexpr int RingVertices = 64;
constexpr int DomeRings = 16;
constexpr int AngleStep = 1024;  // 16-bit angle units: 64 to a turn
// The horizon ring's three rings: just above, on and just below the
// horizon, in 16-bit angle units from the zenith.
constexpr int HorizonAngles[3] = {16368, 16384, 16400};
// A 16-bit angle per radian.
constexpr float AngleUnitsPerRadian = 10430.0f;

float Sine(int angle) { return FixedToMetres(SineOf(angle)); }
float Cosine(int angle) { return FixedToMetres(CosineOf(angle)); }

NamedMesh* StartMesh(char* name, const char* pattern, Material* material)
{
    std::snprintf(name, 16, pattern, Sky.built);
    NamedMesh* mesh = GetMesh(name);
    SetMeshPartCount(mesh, 1, 1);
    SetMeshPartMaterial(mesh, 0, material, MeshVertexTypeOfMaterial);
    BeginMeshBlock(mesh);
    return mesh;
}

// Two triangles for each segment between two rings of 64 vertices.
void JoinRings(MeshPart* part, int upper, int lower)
{
    for (int i = 0; i < RingVertices; ++i) {
        const int next = (i + 1) % RingVertices;
        AddMeshTriangle(part, upper + i, lower + i, lower + next);
        AddMeshTriangle(part, upper + i, lower + next, upper + next);
    }
}

void BuildDome(Material* texture, int heading, float radius, float height)
{
    NamedMesh* mesh = StartMesh(Sky.domeName, "SKY%d", texture);
    MeshPart* part = &mesh->parts[0];
    ReserveMeshPart(part, RingVertices * (2 * DomeRings - 1), 1 + RingVertices * DomeRings);
    MeshVertex apex;
    apex.z = height;
    apex.u = apex.v = 0.5f;
    AddMeshVertex(part, apex);
    for (int j = 0; j < DomeRings; ++j) {
        const int theta = (j + 1) * AngleStep;
        const float across = radius * Sine(theta);
        const float up = j == DomeRings - 1 ? 0.0f : height * Cosine(theta);
        const float rho = static_cast<float>(j + 1) / 32.0f;
        for (int i = 0; i < RingVertices; ++i) {
            const int around = heading + AngleStep * i + (j % 2 == 0 ? AngleStep / 2 : 0);
            const int phi = around - heading;
            MeshVertex v;
            v.x = across * Cosine(around);
            v.y = across * Sine(around);
            v.z = up;
            v.u = 0.5f - rho * Cosine(phi);
            v.v = 0.5f + rho * Sine(phi);
            AddMeshVertex(part, v);
        }
    }
    for (int i = 0; i < RingVertices; ++i)
        AddMeshTriangle(part, 0, 1 + i, 1 + (i + 1) % RingVertices);
    for (int j = 1; j < DomeRings; ++j)
        JoinRings(part, 1 + (j - 1) * RingVertices, 1 + j * RingVertices);
    EndMeshBlock(mesh);
    FinishMesh(mesh);
    Sky.dome = mesh;
}

void BuildRing(float radius, float height, uint32_t horizonColour)
{
    Material* white = BuiltinMaterials.white != nullptr ? BuiltinMaterials.white : DefaultMaterial;
    NamedMesh* mesh = StartMesh(Sky.ringName, "HOR%d", white);
    MeshPart* part = &mesh->parts[0];
    ReserveMeshPart(part, 4 * RingVertices, 3 * RingVertices);
    uint32_t middle = horizonColour | 0xFF000000u;
    if (ColourShift)
        middle = 0xFF000000u | ((middle >> 1) & 0x7F7F7F);
    const uint32_t faded = middle & 0x00FFFFFFu;
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < RingVertices; ++i) {
            const int around = AngleStep * i;
            MeshVertex v;
            v.x = radius / 2 * Cosine(around);
            v.y = radius / 2 * Sine(around);
            v.z = height * Cosine(HorizonAngles[r]);
            v.diffuse = r == 1 ? middle : faded;
            AddMeshVertex(part, v);
        }
    JoinRings(part, 0, RingVertices);
    JoinRings(part, RingVertices, 2 * RingVertices);
    EndMeshBlock(mesh);
    FinishMesh(mesh);
    Sky.ring = mesh;
}

void DrawSkyMesh(NamedMesh* mesh)
{
    MarkMeshBlock(mesh, 0, 0);
    DrawMarkedBlocks(mesh, 0);
}

} // namespace

void LoadSky(Material* skyTexture, int heading, float radius, float height, uint32_t horizonColour)
{
    ResetSky();
    ++Sky.built;
    // The dome's vertices carry their own colour (white): its material is
    // the pre-lit one of the sky picture.
    Material* dome = skyTexture != nullptr ? CreateMaterial(skyTexture->texture, 0, 0, 1, 0, nullptr) : DefaultMaterial;
    BuildDome(dome, heading, radius, height);
    BuildRing(radius, height, horizonColour);
}

void ResetSky()
{
    if (Sky.dome != nullptr)
        FreeMesh(Sky.dome);
    if (Sky.ring != nullptr)
        FreeMesh(Sky.ring);
    Sky.dome = Sky.ring = nullptr;
    Sky.domeName[0] = Sky.ringName[0] = 0;
}

const char* SkyDomeName() { return Sky.domeName; }
const char* SkyRingName() { return Sky.ringName; }

void DrawSky(Material* skyTexture, float heading, float radius, float height, uint32_t clearColour,
             uint32_t horizonColour, int begin)
{
    using namespace platform;
    const int heading16 = static_cast<int>(std::lround(heading * AngleUnitsPerRadian));
    if (begin) {
        SyncGpuFrame();
        if (!OpenFrameScene())
            return;
    }
    if (Settings.skyRes == 0) {
        const Camera& camera = *CurrentCamera;
        ::ClearTarget(MakeColour(camera.sky[0], camera.sky[1], camera.sky[2]), 3);
        return;
    }
    const bool haze = Settings.hazeEffect != 0;
    if (haze)
        SetFogEnabled(0);
    if (Sky.dome == nullptr || Sky.ring == nullptr)
        LoadSky(skyTexture, heading16, radius, height, horizonColour);
    ::ClearTarget(clearColour, begin ? 3 : 1);
    SetRenderStateCached(RsZWriteEnable, 0);
    SetRenderStateCached(RsZFunc, CmpAlways);
    // The dome is seen from inside: both faces are drawn.
    SetRenderStateCached(RsCullMode, CullNone);
    Matrix44 around = IdentityMatrix44();
    const Camera& camera = *CurrentCamera;
    around.m[3][0] = FixedToMetres(camera.position.x);
    around.m[3][1] = FixedToMetres(camera.position.y);
    around.m[3][2] = FixedToMetres(camera.position.z);
    SetWorldMatrix(around);
    DrawSkyMesh(Sky.dome);
    SetRenderStateCached(RsAlphaBlendEnable, 1);
    DrawSkyMesh(Sky.ring);
    SetRenderStateCached(RsAlphaBlendEnable, 0);
    ResetWorldMatrix();
    SetRenderStateCached(RsCullMode, CullCcw);
    SetRenderStateCached(RsZFunc, CmpLessEqual);
    SetRenderStateCached(RsZWriteEnable, 1);
    if (haze)
        SetFogEnabled(1);
}
