// Crowds (a row of spectators along a heading) and single standing figures
// such as marshals: their records and bounds. The figures themselves are
// placed with the world's figures (world_figures.cpp).
#include <cmath>

#include "world/local.h"

CrowdObject::~CrowdObject()
{
    FreeCrowd(*this);
}

bool CrowdObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    crowdFlags = ReadInt(r);
    poseBit = ReadInt(r);
    heading = ReadFloat(r);
    length = ReadFloat(r);
    startHeight = ReadFloat(r);
    endHeight = ReadFloat(r);
    startPose = ReadFloat(r);
    endPose = ReadFloat(r);
    return true;
}

void CrowdObject::Save(DataFile& writer) const
{
    WriteInt(writer, crowdFlags);
    WriteInt(writer, poseBit);
    for (float v : {heading, length, startHeight, endHeight, startPose, endPose})
        WriteFloat(writer, v);
}

void CrowdObject::Init()
{
    flags |= ObjectFlagKept;
    SetBoxToPoint(*this);
    const double half = length / 2.0, rise = std::fabs(double(endHeight) - startHeight);
    radius = RoundToInt32((std::sqrt(half * half + rise * rise) + 1.0) * 65536.0);
    centre = MakeFixedVector(x.raw, y.raw, RoundToInt32((double(startHeight) + endHeight) / 2.0 * 65536.0));
}

FigureObject::~FigureObject()
{
    FreeFigureObject(*this);
}

bool FigureObject::Load(RecordReading& in)
{
    value = ReadInt(in.reader);
    heading = ReadFloat(in.reader);
    height = ReadFloat(in.reader);
    return true;
}

void FigureObject::Save(DataFile& writer) const
{
    WriteInt(writer, value);
    WriteFloat(writer, heading);
    WriteFloat(writer, height);
}

void FigureObject::Init()
{
    SetPointBounds(*this, RoundToInt32(double(height) * 65536.0));
    radius = 0x20000;
}
