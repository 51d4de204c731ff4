// Temporary bodies of the skid marks and tyre particles until the track's
// marks and the particle system are built: nothing is laid or shown, and
// only the stand-ins see the calls.
#include "graphics/services.h"

int (*SkidMarkStandIn)(const FixedVector&, const FixedVector&, float, int, int) = nullptr;
void (*ParticleStandIn)(const FixedVector&, const Vec3&, float, float, uint32_t, int) = nullptr;

int AddSkidMark(const FixedVector& leftEdge, const FixedVector& rightEdge, float strength, int runningSegment,
                int pathNode)
{
    return SkidMarkStandIn ? SkidMarkStandIn(leftEdge, rightEdge, strength, runningSegment, pathNode) : -1;
}

void CloseSkidMark(int) {}

void AddParticle(const FixedVector& point, const Vec3& velocity, float startSize, float endSize, uint32_t colour,
                 int lifeMs)
{
    if (ParticleStandIn)
        ParticleStandIn(point, velocity, startSize, endSize, colour, lifeMs);
}

uint32_t GetTextureDrawColour(const WorldTexture&) { return 0x808080; }
