// Figure animations: records of per-body states over time, read from the
// figure file and from the driver-movement animation files.
#include "world/local.h"

namespace {

// A stored transform: nine 16.16 matrix values and a 16.16 position.
constexpr int TransformBytes = 48;
// A key's time before its transforms.
constexpr int KeyTimeBytes = 4;
// Mode, rate, key count and stored body count.
constexpr int AnimationHeadBytes = 12;

ObjectState IdentityState()
{
    ObjectState state;
    state.rotation = IdentityMatrix;
    state.position = ZeroVector;
    return state;
}

void ReadState(DataFile& reader, ObjectState& state)
{
    for (Fixed& value : state.rotation.m)
        value = Fixed(ReadInt(reader));
    state.position.x = Fixed(ReadInt(reader));
    state.position.y = Fixed(ReadInt(reader));
    state.position.z = Fixed(ReadInt(reader));
}

void WriteState(DataFile& writer, const ObjectState& state)
{
    for (Fixed value : state.rotation.m)
        WriteInt(writer, value.raw);
    WriteInt(writer, state.position.x.raw);
    WriteInt(writer, state.position.y.raw);
    WriteInt(writer, state.position.z.raw);
}

} // namespace

void InitAnimHolder(AnimHolder& animation)
{
    animation = AnimHolder{};
}

void FreeAnimHolder(AnimHolder& animation)
{
    animation = AnimHolder{};
}

void MakeAnimHolder(AnimHolder& animation, const BuiltSkeleton& built)
{
    InitAnimHolder(animation);
    animation.keys.resize(1);
    animation.keys[0].time = 0.0f;
    animation.keys[0].states = SnapshotSkeleton(built);
    animation.keyCount = 1;
}

int ReadAnimHolder(AnimHolder& animation, DataFile& reader, int bodyCount)
{
    InitAnimHolder(animation);
    if (bodyCount < 0 || DataFileBytesLeft(reader) < AnimationHeadBytes)
        return 0;
    AnimHolder read;
    read.mode = ReadInt(reader);
    read.rate = ReadFloat(reader);
    const int keyCount = static_cast<uint16_t>(ReadShort(reader));
    const int storedBodies = static_cast<uint16_t>(ReadShort(reader));
    const int64_t keyBytes = KeyTimeBytes + int64_t(storedBodies) * TransformBytes;
    if (int64_t(keyCount) * keyBytes > DataFileBytesLeft(reader) ||
        int64_t(keyCount) * bodyCount > MaxAnimationStates)
        return 0;
    read.keyCount = static_cast<uint16_t>(keyCount);
    read.keys.resize(size_t(keyCount));
    for (AnimationKey& key : read.keys) {
        key.time = ReadFloat(reader);
        key.states.assign(size_t(bodyCount), IdentityState());
        // States beyond the skeleton's bodies are read and dropped, so the
        // next key starts where it should.
        ObjectState dropped;
        for (int b = 0; b < storedBodies; b++)
            ReadState(reader, b < bodyCount ? key.states[size_t(b)] : dropped);
    }
    if (reader.Overran())
        return 0;
    animation = std::move(read);
    return 1;
}

void WriteAnimHolder(const AnimHolder& animation, DataFile& writer)
{
    const int storedBodies =
        animation.keys.empty() ? 0 : static_cast<int>(animation.keys[0].states.size());
    WriteInt(writer, animation.mode);
    WriteFloat(writer, animation.rate);
    WriteShort(writer, static_cast<int>(animation.keys.size()));
    WriteShort(writer, storedBodies);
    for (const AnimationKey& key : animation.keys) {
        WriteFloat(writer, key.time);
        for (int b = 0; b < storedBodies; b++) {
            WriteState(writer, b < static_cast<int>(key.states.size()) ? key.states[size_t(b)]
                                                                        : IdentityState());
        }
    }
}

int LoadAnimation(AnimHolder& animation, Screen* screen, const char* fileName, int bodyCount)
{
    InitAnimHolder(animation);
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, screen, fileName, AnimationMagic, version, AnimationVersion, false);
    if (!reader.IsOpen())
        return 0;
    if (version < OldestAnimationVersion) {
        // The same words as a file that cannot be opened: the caller falls
        // back to the rest pose.
        LogPrintf("LoadAnimation : Could not open file : %s", fileName);
        CloseDataFile(reader);
        return 0;
    }
    int ok = ReadAnimHolder(animation, reader, bodyCount);
    CloseDataFile(reader);
    if (!ok) {
        LogPrintf("LoadAnimation : File failed content check : %s", fileName);
        return 0;
    }
    return 1;
}

int SaveAnimation(const AnimHolder& animation, const char* fileName)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, fileName, AnimationMagic, AnimationVersion);
    if (!writer.IsOpen())
        return 0;
    WriteAnimHolder(animation, writer);
    return CloseDataFile(writer);
}
