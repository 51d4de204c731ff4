// The figures that stand in the world during a session: crowds along their
// rows, single figure objects and the world's three marshals. Every choice
// draws from the shared random value R (R = R x 5 + 1 mod 65536), whose
// full period means that a search for a fitting variant or pose that exists
// ends within 65536 draws.
#include <cmath>

#include "world/local.h"

namespace {

// A crowd slot is this long (m) along its row.
constexpr float CrowdSlotLength = 0.8f;
// A figure's scale varies by up to this much either side of its variant's.
constexpr int ScaleSpread = 100;
constexpr float ScaleStep = 0.001f;
// The use-mask bits that pose the world's three marshals.
constexpr int32_t MarshalPoseBits[3] = {PoseUseDefault, PoseUseExtraFigure2, PoseUseExtraFigure3};

uint16_t Draw(uint16_t& random) { return StepRandomValue(random); }

// The built skeleton of a variant; null when its set is missing.
const BuiltSkeleton* VariantSkeleton(const FigureVariant& variant)
{
    const int set = variant.skeletonSet;
    return set >= 0 && set < int(Humans.built.size()) && set < int(Humans.sets.size()) ? &Humans.built[size_t(set)]
                                                                                           : nullptr;
}

const SkeletonSet& VariantSet(const FigureVariant& variant) { return Humans.sets[size_t(variant.skeletonSet)]; }

bool HasCrowdVariant()
{
    for (const FigureVariant& v : Humans.variants)
        if ((v.flags & FigureFlagCrowd) && VariantSkeleton(v))
            return true;
    return false;
}

// Draws variants until one serves in crowds (one must exist).
const FigureVariant& DrawCrowdVariant(uint16_t& random)
{
    const int count = int(Humans.variants.size());
    for (;;) {
        const FigureVariant& v = Humans.variants[size_t(Draw(random) % count)];
        if ((v.flags & FigureFlagCrowd) && VariantSkeleton(v))
            return v;
    }
}

bool PoseFits(const Pose& pose, int32_t useBit, float ratio)
{
    return (pose.useMask & useBit) && (pose.flags == 0 || (ratio > pose.blendStart && ratio < pose.blendEnd));
}

// Draws poses of the set until one fits; null when none can (the figure
// then stands at rest). Without blend ranges pass a ratio of 0 and
// blendRanges false.
const Pose* DrawPose(const SkeletonSet& set, int32_t useBit, float ratio, bool blendRanges, uint16_t& random)
{
    const auto fits = [&](const Pose& p) { return blendRanges ? PoseFits(p, useBit, ratio) : (p.useMask & useBit) != 0; };
    bool any = false;
    for (const Pose& p : set.poses)
        any = any || fits(p);
    if (!any)
        return nullptr;
    const int count = int(set.poses.size());
    for (;;) {
        const Pose& p = set.poses[size_t(Draw(random) % count)];
        if (fits(p))
            return &p;
    }
}

// The pose's states: a blend pose between the first keys of its two
// animations at the ratio's place in its range, else its first key.
void PoseCrowdFigure(FigureInstance& figure, const Pose* pose, const FigureVariant& variant, float ratio)
{
    const BuiltSkeleton& built = *VariantSkeleton(variant);
    const bool blend = pose && (pose->flags & PoseFlagBlend) && !pose->animationA.keys.empty() &&
                       !pose->animationB.keys.empty() &&
                       int(pose->animationA.keys[0].states.size()) >= built.BodyCount() &&
                       int(pose->animationB.keys[0].states.size()) >= built.BodyCount();
    if (!blend) {
        SetFigurePose(figure, pose, built);
        return;
    }
    // The shared skeleton is set to the blend, read and put back at rest.
    BuiltSkeleton& shared = MutableHumans.built[size_t(variant.skeletonSet)];
    const std::vector<ObjectState> rest = SnapshotSkeleton(shared);
    const float t = (ratio - pose->blendStart) / (pose->blendEnd - pose->blendStart);
    InterpolateObjectStates(shared.bodies, pose->animationA.keys[0].states.data(),
                            pose->animationB.keys[0].states.data(), t);
    figure.bodyCount = shared.BodyCount();
    figure.pose = SnapshotSkeleton(shared);
    RestoreObjectStates(shared.bodies, rest.data());
}

void ScaleMatrix(const FixedMatrix& in, float scale, FixedMatrix& out)
{
    for (int i = 0; i < 9; i++)
        out.m[i] = Fixed(RoundToInt32(double(in.m[i].raw) * scale));
}

void FreeFigure(FigureInstance*& figure)
{
    if (!figure)
        return;
    FreeFigureInstance(*figure);
    delete figure;
    figure = nullptr;
}

// The marshal's pose for a use bit: the last pose of the set with the bit,
// else the first default pose; null without either.
const Pose* MarshalPose(const SkeletonSet& set, int32_t useBit)
{
    for (size_t i = set.poses.size(); i-- > 0;)
        if (set.poses[i].useMask & useBit)
            return &set.poses[i];
    for (const Pose& p : set.poses)
        if (p.useMask & PoseUseDefault)
            return &p;
    return nullptr;
}

} // namespace

void PlaceCrowd(CrowdObject& crowd, float density, uint16_t& random)
{
    FreeCrowd(crowd);
    const int slots = int(crowd.length / CrowdSlotLength);
    const int chance = RoundToInt32(double(density) * 100.0);
    if (slots <= 0 || chance <= 0 || !HasCrowdVariant())
        return;
    // Count the slots that take a figure, then draw them again for real.
    uint16_t counting = random;
    int taken = 0;
    for (int i = 0; i < slots; i++)
        taken += Draw(counting) % 100 < chance ? 1 : 0;
    crowd.figures.reserve(size_t(taken));
    FixedTransform row;
    RotationZ(row.matrix, HeadingToAngle16(crowd.heading));
    row.translation = {crowd.x, crowd.y, Fixed(0)};
    const float slotLength = crowd.length / float(slots);
    for (int i = 0; i < slots; i++) {
        if (Draw(random) % 100 >= chance)
            continue;
        const uint16_t slotValue = random;
        const float along = float(i) * slotLength - crowd.length / 2 + slotLength / 2;
        const float b = float(i) / float(slots) + 1.0f / float(2 * slots);
        const float height = crowd.startHeight + b * (crowd.endHeight - crowd.startHeight);
        const float poseValue = crowd.startPose + b * (crowd.endPose - crowd.startPose);
        const FigureVariant& variant = DrawCrowdVariant(random);
        const float scale = float(int(Draw(random) % 201) - ScaleSpread) * ScaleStep + variant.value;
        const float ratio = poseValue / scale;
        const Pose* pose = DrawPose(VariantSet(variant), int32_t(1) << (crowd.poseBit & 31), ratio, true, random);
        auto* figure = new FigureInstance;
        InitFigureInstance(*figure);
        figure->variant = &variant;
        const FixedVector local{FixedFromMetres(along), Fixed(0), FixedFromMetres(height)};
        TransformPoint(row, local, figure->transform.translation);
        ScaleMatrix(row.matrix, scale, figure->transform.matrix);
        PoseCrowdFigure(*figure, pose, variant, ratio);
        crowd.figures.push_back(figure);
        random = slotValue;
    }
}

void FreeCrowd(CrowdObject& crowd)
{
    for (FigureInstance*& figure : crowd.figures)
        FreeFigure(figure);
    crowd.figures.clear();
}

void PlaceFigureObject(FigureObject& object, uint16_t& random)
{
    FreeFigureObject(object);
    const FigureVariant* variant = FindMarshalFigure(Humans);
    if (!variant || !VariantSkeleton(*variant))
        return;
    object.figure = new FigureInstance;
    FigureInstance& figure = *object.figure;
    InitFigureInstance(figure);
    figure.variant = variant;
    RotationZ(figure.transform.matrix, HeadingToAngle16(object.heading));
    figure.transform.translation = {object.x, object.y, Fixed(RoundToInt32(double(object.height) * 65536.0))};
    const SkeletonSet& set = VariantSet(*variant);
    const Pose* pose = set.poses.empty() ? nullptr : DrawPose(set, PoseUseDefault, 0, false, random);
    SetFigurePose(figure, pose, *VariantSkeleton(*variant));
}

void FreeFigureObject(FigureObject& object) { FreeFigure(object.figure); }

void PlaceWorldFigures(World& world)
{
    FreeWorldFigures(world);
    if (!Humans.loaded)
        return;
    uint16_t random = world.random;
    for (WorldObject* object : world.objects) {
        if (!object)
            continue;
        if (object->GetType() == ObjectTypeCrowd)
            PlaceCrowd(static_cast<CrowdObject&>(*object), world.crowdDensity, random);
        else if (object->GetType() == ObjectTypeFigure)
            PlaceFigureObject(static_cast<FigureObject&>(*object), random);
    }
    const FigureVariant* marshal = FindMarshalFigure(Humans);
    if (!marshal || !VariantSkeleton(*marshal))
        return;
    for (size_t i = 0; i < world.marshals.size(); i++) {
        auto* figure = new FigureInstance;
        InitFigureInstance(*figure);
        figure->variant = marshal;
        SetFigurePose(*figure, MarshalPose(VariantSet(*marshal), MarshalPoseBits[i]), *VariantSkeleton(*marshal));
        world.marshals[i] = figure;
    }
}

void FreeWorldFigures(World& world)
{
    for (WorldObject* object : world.objects) {
        if (object && object->GetType() == ObjectTypeCrowd)
            FreeCrowd(static_cast<CrowdObject&>(*object));
        else if (object && object->GetType() == ObjectTypeFigure)
            FreeFigureObject(static_cast<FigureObject&>(*object));
    }
    for (FigureInstance*& figure : world.marshals)
        FreeFigure(figure);
}
