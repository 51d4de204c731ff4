// Temporary bodies of the skid marks and tyre particles until the track's
// marks and the particle system are built: nothing is laid or shown, and
// only the stand-ins see the calls.
#include "graphics/local.h"

CarEffectStandIns MutableCarEffectStandIns;

void SetCarEffectStandIns(const CarEffectStandIns& standIns) { MutableCarEffectStandIns = standIns; }

int AddSkidMark(const FixedVector& leftEdge, const FixedVector& rightEdge, float strength, int runningSegment,
                int pathNode)
{
    const CarEffectStandIns& standIns = MutableCarEffectStandIns;
    return standIns.skidMark ? standIns.skidMark(leftEdge, rightEdge, strength, runningSegment, pathNode) : -1;
}

void CloseSkidMark(int) {}

void AddParticle(const FixedVector& point, const Vec3& velocity, float startSize, float endSize, uint32_t colour,
                 int lifeMs)
{
    if (MutableCarEffectStandIns.particle)
        MutableCarEffectStandIns.particle(point, velocity, startSize, endSize, colour, lifeMs);
}

void ClearParticles() {}

uint32_t GetTextureDrawColour(const WorldTexture&) { return 0x808080; }
