// What the car step shows beyond the car: skid marks, smoke and dust, the
// draw colours of the surfaces they come from, and the driver view's look.
// The track's marks, the particle system and the in-car view are not built
// yet: the temporary bodies (car_effects_pending.cpp,
// in_race_display_pending.cpp) lay and show nothing.
#pragma once

#include <cstdint>

#include "core/services.h"

struct WorldTexture;

// The current look angle of the driver's view (rad, left positive: fixed
// look keys, head tracker, mouse look or steering look) and the view's two
// look thresholds, low < high (rad).
// Pending: no in-car view; the driver looks straight ahead (angle 0,
// thresholds 0.5 and 1).
void GetDriverLookState(float& angle, float& lowThreshold, float& highThreshold);

// Adds a skid mark segment between the two edges (world 16.16) of strength
// 0..1, joined to the running segment (-1 starts a new mark), near the
// path node. Returns the new segment's index, -1 when none was added.
// Pending: no marks are laid; answers -1 (or what the stand-in answers).
int AddSkidMark(const FixedVector& leftEdge, const FixedVector& rightEdge, float strength, int runningSegment,
                int pathNode);
// Clears the open flag of a mark's last segment.
// Pending: no marks; does nothing.
void CloseSkidMark(int segment);
// A smoke or dust particle at point (world 16.16), moving at velocity
// (m/s), growing from startSize to endSize (m), colour 0xAABBGGRR bytes
// (red lowest), living lifeMs.
// Pending: no particles are shown; only the stand-in sees them.
void AddParticle(const FixedVector& point, const Vec3& velocity, float startSize, float endSize,
                 uint32_t colour, int lifeMs);
// Removes every particle.
// Pending: no particles; does nothing.
void ClearParticles();
// The draw colour of a world texture (0x00BBGGRR).
// Pending: no world textures are drawn; answers grey 0x808080.
uint32_t GetTextureDrawColour(const WorldTexture& texture);

// Pending: stand-ins until the marks and particles are built: when set, AddSkidMark
// answers through the first and AddParticle hands its particle to the
// second (tests watch the tyres' marks and smoke with them). Set by
// SetCarEffectStandIns, cleared by ResetGraphicsTables.
struct CarEffectStandIns {
    int (*skidMark)(const FixedVector& leftEdge, const FixedVector& rightEdge, float strength, int runningSegment,
                    int pathNode) = nullptr;
    void (*particle)(const FixedVector& point, const Vec3& velocity, float startSize, float endSize, uint32_t colour,
                     int lifeMs) = nullptr;

    bool operator==(const CarEffectStandIns&) const = default;
};
void SetCarEffectStandIns(const CarEffectStandIns& standIns);
