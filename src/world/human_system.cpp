// The figure file: figure models and skeleton sets read with every count
// and index checked, written by the data builder, built into skeletons and
// colour variants, and looked up by gender.
#include "world/local.h"

HumanSystem MutableHumans;
const HumanSystem& Humans = MutableHumans;

namespace {

constexpr int BodySpecBytes = 44;
constexpr int JointSpecBytes = 48;
// Flags, use mask and the carried bytes of a pose, before its animation.
constexpr int PoseHeadBytes = 24;
// Flags, skeleton set and value of a figure model, before its model.
constexpr int FigureHeadBytes = 12;
// The smallest skeleton set: its density and body count.
constexpr int SetHeadBytes = 8;

using HumanReading = RecordReading;

void ReadVectorInts(DataFile& reader, FixedVector& v)
{
    v.x = Fixed(ReadInt(reader));
    v.y = Fixed(ReadInt(reader));
    v.z = Fixed(ReadInt(reader));
}

void WriteVectorInts(DataFile& writer, const FixedVector& v)
{
    WriteInt(writer, v.x.raw);
    WriteInt(writer, v.y.raw);
    WriteInt(writer, v.z.raw);
}

bool ReadAnimation(HumanReading& r, AnimHolder& animation, int bodyCount)
{
    if (!ReadAnimHolder(animation, r.reader, bodyCount))
        return r.Fail("animation runs past the end of the file");
    return true;
}

bool ReadSkeletonSet(HumanReading& r, SkeletonSet& set)
{
    DataFile& reader = r.reader;
    if (!r.Fits(1, SetHeadBytes))
        return false;
    set.density = ReadFloat(reader);
    const int bodyCount = ReadInt(reader);
    if (bodyCount > MaxSkeletonBodies)
        return r.Fail("more bodies than points can name");
    if (!r.Fits(bodyCount, BodySpecBytes))
        return false;
    set.bodies.resize(size_t(bodyCount));
    for (BodySpec& spec : set.bodies) {
        spec.flags = ReadInt(reader);
        for (float& h : spec.halfSize)
            h = ReadFloat(reader);
        ReadVectorInts(reader, spec.position);
        for (float& a : spec.angle)
            a = ReadFloat(reader);
        ReadBlock(reader, spec.colour, 4);
    }
    const int slots = CountBodySlots(set);
    if (slots > MaxSkeletonBodies)
        return r.Fail("more bodies than points can name");
    if (slots <= SkeletonSlotThreshold) {
        // A small set carries nothing more and keeps no bodies.
        set.bodies.clear();
        return true;
    }

    if (!r.Fits(1, 4))
        return false;
    const int jointCount = ReadInt(reader);
    if (jointCount > MaxSkeletonJoints)
        return r.Fail("too many joints");
    if (!r.Fits(jointCount, JointSpecBytes))
        return false;
    set.joints.resize(size_t(jointCount));
    for (JointSpec& spec : set.joints) {
        spec.kind = ReadInt(reader);
        spec.flags = ReadInt(reader);
        ReadVectorInts(reader, spec.anchor);
        for (float& a : spec.angle)
            a = ReadFloat(reader);
        spec.limit[0] = ReadFloat(reader);
        spec.limit[1] = ReadFloat(reader);
        spec.bodyA = ReadInt(reader);
        spec.bodyB = ReadInt(reader);
        if (spec.bodyA < 0 || spec.bodyA >= bodyCount || spec.bodyB < 0 || spec.bodyB >= bodyCount)
            return r.Fail("joint names a body outside the set");
    }

    if (!r.Fits(1, 4))
        return false;
    const int animationCount = ReadInt(reader);
    if (animationCount < 0 || animationCount > AnimationSlotCount)
        return r.Fail("more animations than the set has slots");
    set.animationCount = animationCount;
    for (int i = 0; i < animationCount; i++) {
        if (!ReadAnimation(r, set.animations[i], slots))
            return false;
    }

    if (!r.Fits(1, 4))
        return false;
    const int poseCount = ReadInt(reader);
    if (poseCount > MaxSkeletonPoses)
        return r.Fail("too many poses");
    if (!r.Fits(poseCount, PoseHeadBytes))
        return false;
    set.poses.resize(size_t(poseCount));
    for (Pose& pose : set.poses) {
        if (!r.Fits(1, PoseHeadBytes))
            return false;
        pose.flags = ReadInt(reader);
        pose.useMask = ReadInt(reader);
        ReadBlock(reader, pose.carried, 16);
        if (!ReadAnimation(r, pose.animationA, slots))
            return false;
        if (pose.flags & PoseFlagBlend) {
            if (!ReadAnimation(r, pose.animationB, slots) || !r.Fits(1, 8))
                return false;
            pose.blendStart = ReadFloat(reader);
            pose.blendEnd = ReadFloat(reader);
        }
    }
    return !reader.Overran() || r.Fail("set runs past the end of the file");
}

// Every point of a figure model (and of its sub-models) must name a body
// of its skeleton.
bool JointsFitSkeleton(const ObjectModel& model, int bodyCount)
{
    for (const ModelPoint& p : model.points) {
        if (p.joint >= bodyCount)
            return false;
    }
    for (const ObjectModel& sub : model.subModels) {
        if (!JointsFitSkeleton(sub, bodyCount))
            return false;
    }
    return true;
}

bool ReadHumanRecords(HumanReading& r, HumanSystem& system)
{
    DataFile& reader = r.reader;
    if (!r.Fits(1, 4))
        return false;
    const int modelCount = ReadInt(reader);
    if (modelCount > MaxFigureModels)
        return r.Fail("too many figure models");
    if (!r.Fits(modelCount, FigureHeadBytes))
        return false;
    system.models.resize(size_t(modelCount));
    for (FigureModel& figure : system.models) {
        if (!r.Fits(1, FigureHeadBytes))
            return false;
        figure.flags = ReadInt(reader);
        figure.skeletonSet = ReadInt(reader);
        figure.value = ReadFloat(reader);
        const char* error = nullptr;
        if (!ReadObjectModelRecord(figure.model, reader, r.version, 1, 1, 0, error))
            return r.Fail(error);
    }
    if (!r.Fits(1, 4))
        return false;
    const int setCount = ReadInt(reader);
    if (setCount > MaxSkeletonSets)
        return r.Fail("too many skeleton sets");
    if (!r.Fits(setCount, SetHeadBytes))
        return false;
    system.sets.resize(size_t(setCount));
    for (SkeletonSet& set : system.sets) {
        if (!ReadSkeletonSet(r, set))
            return false;
    }
    for (const FigureModel& figure : system.models) {
        if (figure.skeletonSet < 0 || figure.skeletonSet >= setCount)
            return r.Fail("figure names a skeleton set outside the file");
        const int bodies = CountBodySlots(system.sets[size_t(figure.skeletonSet)]);
        if (!JointsFitSkeleton(figure.model, bodies))
            return r.Fail("figure point names a body outside its skeleton");
    }
    return true;
}

} // namespace

void InitHumanSystem(HumanSystem& system)
{
    system = HumanSystem{};
}

int ReadHumanData(HumanSystem& system, DataFile& reader, int version, const char* subject, const char** reason)
{
    HumanSystem read;
    HumanReading r{reader, version};
    if (!ReadHumanRecords(r, read)) {
        const char* error = r.error ? r.error : "bad record";
        LogPrintf("LoadHumans : %s : %s", error, DisplayPath(subject).c_str());
        if (reason != nullptr)
            *reason = error;
        return 0;
    }
    system.models = std::move(read.models);
    system.sets = std::move(read.sets);
    return 1;
}

int ReadHumanFile(HumanSystem& system, const char* fileName, Screen* screen, const char** reason)
{
    DataFile reader;
    int version = 0;
    const char* error = LoadDataFile(reader, screen, fileName, HumanSystemMagic, version, HumanSystemVersion, false);
    if (!reader.IsOpen()) {
        if (reason != nullptr)
            *reason = error;
        return 0;
    }
    int ok = ReadHumanData(system, reader, version, fileName, reason);
    CloseDataFile(reader);
    return ok;
}

int LoadHumans(HumanSystem& system, Screen* screen, const char** reason)
{
    if (system.loaded) {
        if (reason != nullptr)
            *reason = "already loaded";
        return 0;
    }
    if (!ReadHumanFile(system, HumanSystemFile, screen, reason))
        return 0;
    BuildFigures(system);
    system.loaded = 1;
    return 1;
}

void BuildFigures(HumanSystem& system)
{
    system.built.clear();
    system.built.resize(system.sets.size());
    for (size_t i = 0; i < system.sets.size(); i++)
        BuildSkeleton(system.sets[i], system.built[i]);
    system.variants.clear();
    for (const FigureModel& figure : system.models) {
        for (int row = 0; row < figure.model.grid.rows; row++) {
            FigureVariant variant;
            variant.flags = figure.flags;
            variant.skeletonSet = figure.skeletonSet;
            variant.value = figure.value;
            variant.model = &figure.model;
            variant.row = row;
            system.variants.push_back(variant);
        }
    }
}

void FreeHumans(HumanSystem& system)
{
    if (!system.loaded)
        return;
    InitHumanSystem(system);
}

void ReloadHumans(HumanSystem& system)
{
    if (!system.loaded)
        return;
    system.variants.clear();
    system.built.clear();
    BuildFigures(system);
}

int LoadHumans(Screen* screen, const char** reason) { return LoadHumans(MutableHumans, screen, reason); }
void FreeHumans() { FreeHumans(MutableHumans); }
void ReloadHumans() { ReloadHumans(MutableHumans); }

int SaveHumanFile(const HumanSystem& system, const char* fileName)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, fileName, HumanSystemMagic, HumanSystemVersion);
    if (!writer.IsOpen())
        return 0;
    WriteInt(writer, static_cast<int>(system.models.size()));
    for (const FigureModel& figure : system.models) {
        WriteInt(writer, figure.flags);
        WriteInt(writer, figure.skeletonSet);
        WriteFloat(writer, figure.value);
        WriteObjectModel(figure.model, writer, 1);
    }
    WriteInt(writer, static_cast<int>(system.sets.size()));
    for (const SkeletonSet& set : system.sets) {
        WriteFloat(writer, set.density);
        WriteInt(writer, static_cast<int>(set.bodies.size()));
        for (const BodySpec& spec : set.bodies) {
            WriteInt(writer, spec.flags);
            for (float h : spec.halfSize)
                WriteFloat(writer, h);
            WriteVectorInts(writer, spec.position);
            for (float a : spec.angle)
                WriteFloat(writer, a);
            WriteBlock(writer, spec.colour, 4);
        }
        if (CountBodySlots(set) <= SkeletonSlotThreshold)
            continue;
        WriteInt(writer, static_cast<int>(set.joints.size()));
        for (const JointSpec& spec : set.joints) {
            WriteInt(writer, spec.kind);
            WriteInt(writer, spec.flags);
            WriteVectorInts(writer, spec.anchor);
            for (float a : spec.angle)
                WriteFloat(writer, a);
            WriteFloat(writer, spec.limit[0]);
            WriteFloat(writer, spec.limit[1]);
            WriteInt(writer, spec.bodyA);
            WriteInt(writer, spec.bodyB);
        }
        const int animations = set.animationCount < AnimationSlotCount ? set.animationCount
                                                                        : AnimationSlotCount;
        WriteInt(writer, animations);
        for (int i = 0; i < animations; i++)
            WriteAnimHolder(set.animations[i], writer);
        WriteInt(writer, static_cast<int>(set.poses.size()));
        for (const Pose& pose : set.poses) {
            WriteInt(writer, pose.flags);
            WriteInt(writer, pose.useMask);
            WriteBlock(writer, pose.carried, 16);
            WriteAnimHolder(pose.animationA, writer);
            if (pose.flags & PoseFlagBlend) {
                WriteAnimHolder(pose.animationB, writer);
                WriteFloat(writer, pose.blendStart);
                WriteFloat(writer, pose.blendEnd);
            }
        }
    }
    return CloseDataFile(writer);
}

int FindFigureOfGender(int gender)
{
    if (!Humans.loaded)
        return 0;
    const int count = static_cast<int>(Humans.variants.size());
    for (int i = 0; i < count; i++) {
        const FigureVariant& v = Humans.variants[size_t(i)];
        if ((v.flags & FigureFlagDriver) && v.skeletonSet == gender)
            return i;
    }
    return count;
}

int FindLastFigureOfGender(int gender)
{
    if (!Humans.loaded)
        return 0;
    for (int i = static_cast<int>(Humans.variants.size()) - 1; i >= 1; i--) {
        const FigureVariant& v = Humans.variants[size_t(i)];
        if ((v.flags & FigureFlagDriver) && v.skeletonSet == gender)
            return i;
    }
    return 0;
}

int GetFigureGender(int index)
{
    if (!Humans.loaded || index < 0 || index >= static_cast<int>(Humans.variants.size()))
        return 2;
    return Humans.variants[size_t(index)].skeletonSet;
}

const FigureVariant* FindMarshalFigure(const HumanSystem& system)
{
    for (const FigureVariant& v : system.variants) {
        if (v.flags & FigureFlagMarshal)
            return &v;
    }
    return nullptr;
}
