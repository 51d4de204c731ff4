// The active body set, the physics step that advances it, and what the
// bodies meet of the loaded world.
#pragma once

#include <cstdint>

#include "vehicle/rigid_body.h"

// The active body set and the physics step.

constexpr int MaxObjectSetBodies = 80;

// The bodies the simulation moves, in insertion order; the order is part of
// the simulation's result.
struct ObjectSet {
    std::int32_t reportOverflow = 0;  // 1: the next refusal for lack of room is reported
    std::int32_t count = 0;           // 0..MaxObjectSetBodies
    RigidBody* members[MaxObjectSetBodies] = {};
};

// What the physics step is working on. Lives for the whole run; only the
// vehicle writes it (the session through SetCurrentObjectSet) and
// ResetVehicleTables empties it.
struct PhysicsStepState {
    // The set of the running race session; null when none.
    ObjectSet* currentSet = nullptr;
    // The car whose contact pass is running; null outside that pass.
    RigidBody* contactingCar = nullptr;
    // 1 while a remote car re-runs its missed steps alone: no body-to-body
    // collisions then.
    std::int32_t resimulatingCar = 0;

    bool operator==(const PhysicsStepState&) const = default;
};
extern const PhysicsStepState& PhysicsStep;

// Length of the physics step, s.
constexpr float PhysicsStepSeconds = 0.01f;

void SetCurrentObjectSet(ObjectSet* set);
void ClearCurrentObjectSet();
void ClearObjectSet(ObjectSet& set);
// The set holds exactly the cars of the occupied player slots, in slot order.
void FillObjectSetWithCars(ObjectSet& set);
// Appends without a duplicate test or a prepare step; false when full.
bool AddToObjectSet(ObjectSet& set, RigidBody& body);
// Removes the body keeping the others' order; false when not a member.
bool RemoveFromObjectSet(ObjectSet& set, RigidBody& body);
// Appends a body that is not yet a member and prepares it; false when it
// is a member already or the set is full ("Too many physics objects" is
// shown once per overflow).
bool WakeObject(ObjectSet& set, RigidBody& body);
// WakeObject of other when the two bodies' spheres and boxes overlap at
// their predicted poses; false otherwise.
bool WakeIfTouching(ObjectSet& set, RigidBody& body, RigidBody& other);
// False when an awake member other than the body overlaps it.
bool IsClearOfAwakeBodies(const ObjectSet& set, const RigidBody& body);
// One 10 ms step of the set. drawnAfter is nonzero for the last step before
// a frame is drawn.
void UpdatePhysicsObjects(ObjectSet& set, int drawnAfter);

// What bodies meet of the loaded world. The physics step asks these
// questions of the current surroundings; the base answers are those of no
// world loaded (gravity -9.81, no wind, no scenery: flat ground at z = 0).
// A loaded world installs its own answers.

// A scenery object that has been knocked out of its place.
struct KnockedObject {
    WorldObject* object = nullptr;
    RigidBody* body = nullptr;  // its collision body
    Fixed x, y;                 // its own placement
    bool withdrawn = false;     // in its second body state
};

// A scenery object that acts as a vertical post on bodies.
struct RadiusPost {
    Fixed x, y;                      // centre
    std::uint8_t contactRadius = 0;  // units of 655/65536 m
};

class BodySurroundings {
public:
    virtual bool IsWorldLoaded() const { return false; }
    virtual float Gravity() const { return -9.81f; }
    // Horizontal wind, m/s.
    virtual Vec3 Wind() const { return {}; }
    // Up to capacity distinct drivable-surface objects of the map squares
    // that the circle (centre, radius) covers whose bounding box overlaps
    // the square of half-side radius around the centre (strictly).
    virtual int CollectContactObjects(const FixedVector&, Fixed, WorldObject**, int) { return 0; }
    // The object's ContainsPoint and ContactQuery operations.
    virtual bool ObjectContainsPoint(WorldObject&, Fixed, Fixed, Fixed) { return false; }
    virtual void ObjectContactQuery(WorldObject&, const FixedVector&, const FixedVector&,
                                    ContactQueryRecord&) {}
    // Up to capacity distinct radius objects of the map squares that the
    // square of half-side halfSide around the centre covers whose own
    // square overlaps it.
    virtual int CollectRadiusPosts(const FixedVector&, Fixed, RadiusPost*, int) { return 0; }
    // A world texture's flags byte and surface kind.
    virtual int SurfaceFlags(const WorldTexture&) const { return 0; }
    virtual int SurfaceKind(const WorldTexture&) const { return 0; }
    // The collision bodies of solid objects linked in the object cells that
    // the circle covers (may repeat a body).
    virtual int CollectCellBodies(const FixedVector&, float, RigidBody**, int) { return 0; }
    // A scenery body came to rest: link its owner into the object cells at
    // its new place.
    virtual void OnOwnerResting(RigidBody&) {}
    // A scenery body was knocked loose: mark its owner displaced and unlink
    // it from the object cells.
    virtual void OnOwnerKnocked(RigidBody&) {}
    // The celled solid objects that are displaced and have a collision body.
    virtual int KnockedObjectCount() { return 0; }
    virtual bool GetKnockedObject(int, KnockedObject&) { return false; }
    // Rebuild the collision body at the object's placement, link it into the
    // cells, clear its displaced and second body states.
    virtual void RestoreKnockedObject(WorldObject&) {}
    // Second body state on; unlink from the cells when asked.
    virtual void WithdrawKnockedObject(WorldObject&, bool /*unlinkFromCells*/) {}
    // The loaded layout has a start position.
    virtual bool LayoutHasStartPosition() const { return false; }

protected:
    ~BodySurroundings() = default;
};

// The surroundings the physics step asks; never null (the no-world answers
// when nothing else is installed). Lives for the whole run.
BodySurroundings& GetBodySurroundings();
// Installs a world's answers; null restores the no-world answers.
void SetBodySurroundings(BodySurroundings* surroundings);
