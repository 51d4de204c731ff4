// Tyres, skins and plates as the car data reader uses them
// (car_parts_stub.cpp: the readers are whole; the drawing parts of tyres,
// skins and plates come with car drawing).
#pragma once

#include "core/services.h"

struct Axle;
class CarObject;
struct ObjectModel;

// Car colour configurations (ColourConfig) are the vehicle's records.

// Reads the 64-byte axle block of the car data into the axle (tyre, rim and
// suspension geometry) and clears its tyre model references.
void ReadAxleTyreGeometry(Axle& axle, DataFile& reader, int version);
// The axle's tyre shape: tyre radius, profile radius, tread width and the
// stiffness values the tyre model uses. The drawing profile is built by
// car drawing.
void BuildTyreProfile(Axle& axle, float wheelOffset, int unused, ObjectModel* body, int bikeTyre,
                      int classTen);
// A cached number plate with a reference added; -1 when none is available
// (no plate cache without car drawing).
int GetNumberPlate(const char* plateText);
void ReleaseNumberPlate(int index);
// The car's skin names and textures (nothing to load without car drawing).
void LoadCarSkins(CarObject& car, ObjectModel* body);
