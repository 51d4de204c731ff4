// Layouts: user-made arrangements of objects on a track site (cones, tyres
// and other placeable shared models), the route markers of an autocross
// course (a start position, a finish line and up to three checkpoints) and
// circles (route checkers and restricted areas). Placed objects live at the
// end of the world's object table; circles and the route derived from the
// markers live in the program's one LayoutState. Layouts are read from and
// written to ".lyt" files through DataFile.
#pragma once

#include <array>
#include <cstdint>

#include "core/services.h"

struct World;
class WorldObject;
class SolidObject;

// The layout file "data\<layout folder>\<name>.lyt" and a lesson's
// "data\training\<name>.lyt": written at version 251, read from 246.
constexpr const char* LayoutFileMagic = "QVNLYT";
constexpr int LayoutFileVersion = 251;
constexpr int OldestLayoutVersion = 246;
constexpr const char* DefaultLayoutFolder = "layout";
constexpr const char* TrainingLayoutTemplate = "data\\training\\%s.lyt";
// Header flags bit 0: the records are at the current scale. Files without
// it, on the first site, were made at the old scale and are read scaled.
constexpr int LayoutFlagCurrentScale = 0x01;
constexpr float LayoutOldScale = 0.927f;
constexpr const char* OldScaleSiteCode = "HM";

constexpr int MaxLayoutObjects = 512;
constexpr int MaxLayoutCircles = 96;
constexpr int MaxLayoutLaps = 190;
constexpr int LayoutNameSize = 32;

// One layout object as files and packets hold it (8 bytes).
struct LayoutObjectRecord {
    int16_t x = 0, y = 0;  // 1/16 m
    int8_t z = 0;          // 1/4 m
    uint8_t flags = 0;     // 0 plain; a marker's or circle's bits below
    uint8_t kind = 0;      // shared model index; LayoutKindMarker; LayoutKindCircle
    uint8_t heading = 0;   // (heading + pi) x 256 / 2 pi, 128 = heading 0; a route checker's route index

    bool operator==(const LayoutObjectRecord&) const = default;
};
static_assert(sizeof(LayoutObjectRecord) == 8);

constexpr uint8_t LayoutKindMarker = 0;
constexpr uint8_t LayoutKindCircle = 255;
// Flags of a marker (kind 0) and of a circle (kind 255).
constexpr uint8_t LayoutFlagMarker = 0x80;      // a route marker; on a circle: a restricted area
constexpr uint8_t LayoutMarkerTypeMask = 0x03;  // 0 finish line, 1..3 checkpoint; a restricted area's marshal
constexpr int LayoutSizeShift = 2;              // bits 2..5: half-width or radius, whole metres
constexpr uint8_t LayoutSizeMask = 0x0F;
// The solid-object flags of a placed route marker.
constexpr int32_t SolidFlagLayoutStart = 0x040;
constexpr int32_t SolidFlagLayoutGate = 0x100;

// Route indexes of layout objects.
constexpr int RouteIndexNone = 0, RouteIndexStart = 1, RouteIndexFinish = 2, RouteIndexLastCheckpoint = 5;
constexpr int LayoutGateCount = 4;  // the finish line and checkpoints 1 to 3

// A circle: its record, its ground-snapped position and, for a restricted
// area, the rotation of its heading.
struct LayoutCircle {
    LayoutObjectRecord record;
    FixedVector position;
    FixedMatrix rotation = IdentityMatrix;

    bool operator==(const LayoutCircle&) const = default;
};

// A gate of the route: the finish line (entry 0) or a checkpoint. The
// direction is the heading's forward (-sin, cos), the side its right
// (cos, sin), both 16.16 unit vectors; a half-width of 0 means absent.
struct LayoutGate {
    FixedVector point;
    Fixed directionX, directionY, sideX, sideY;
    Fixed halfWidth;  // 16.16 m

    bool operator==(const LayoutGate&) const = default;
};

struct LayoutRoute {
    FixedVector start;
    float startHeading = 0;  // rad
    uint8_t startPresent = 0;
    std::array<LayoutGate, LayoutGateCount> gates{};
    // The highest route index present less one; 0 when the route is unusable.
    int32_t count = 0;

    bool operator==(const LayoutRoute&) const = default;
};

// The program's layout. Lives for the whole run; a new track clears it
// with the world's layout objects (ResetWorldTables sets it back).
struct LayoutStateRecord {
    char name[LayoutNameSize] = {};  // file name without folder and extension; empty: unnamed
    int32_t status = 0;              // 0 no layout, 1 as loaded or saved, 2 changed since
    uint8_t lapCount = 1;            // 1..190, written into layout files
    uint8_t oldScale = 0;            // set while an old-scale file is read
    int32_t circleCount = 0;
    std::array<LayoutCircle, MaxLayoutCircles> circles{};
    LayoutRoute route;

    bool operator==(const LayoutStateRecord&) const = default;
};
extern const LayoutStateRecord& LayoutState;

// --- Records (layout_record.cpp).

// The record of a placed layout object (z is not rounded back from the
// ground: it is the object's height).
void PackLayoutObject(LayoutObjectRecord& record, const SolidObject& object);
// The record's position, height (m), heading, pitch and roll (rad). Unless
// the program is a host without graphics, the object is set on the world's
// ground and tilted to it. 1 when set on the ground, 0 when no ground was
// found (the values stay as stored).
int UnpackLayoutObject(const World& world, const LayoutObjectRecord& record, FixedVector& position, float& height,
                       float& heading, float& pitch, float& roll);
// Where a marker is drawn: 1/8 m above the ground under it. 0 when the
// record was not set on the ground (its marker is not drawn).
int GetLayoutObjectPlacement(const World& world, const LayoutObjectRecord& record, FixedVector& position,
                             float& heading);
// 1 start position, 2 finish line, 3..5 checkpoints 1..3, 0 anything else.
int GetRouteMarkerIndex(const WorldObject& object);
// The heading byte of a heading in radians, and back.
uint8_t LayoutHeadingByte(float heading);
float LayoutHeadingFromByte(uint8_t byte);

// --- Objects and circles (layout_objects.cpp).

// Edits every participant applies in the same order.
enum LayoutEditAction : int { LayoutEditAdd = 0, LayoutEditDelete = 1, LayoutEditClear = 2 };

// Adds a record to the world: a plain object or route marker at the end of
// the object table, a circle to the circle table. local: added by this
// participant (its refusals are reported); updateRoute: the route is
// rebuilt after a marker. kindFlag is set when a placed kind collides (the
// object cells need rebuilding), startAdded when a start position came.
// 1 when added.
int AddLayoutObject(World& world, const LayoutObjectRecord& record, int local, int updateRoute, int& kindFlag,
                    int& startAdded);
// Applies one edit: add, delete the first matching object (or every
// matching circle), or clear the whole layout.
void ApplyLayoutEdit(World& world, int action, const LayoutObjectRecord& record, int local);
// Removes every layout object and circle of the world.
void RemoveLayoutObjects(World& world);
// The world's index of its first layout object.
int FirstLayoutObject(const World& world);
// 1 when a layout object with the route index exists.
int RouteMarkerExists(const World& world, int index);
// The circles without the restricted-area bit.
int CountRouteCheckers();

// --- The route (layout_route.cpp).

void ResetLayoutRoute();
// Rebuilds the route from the layout's markers; with report set the
// route's state is reported on the message list.
void UpdateLayoutRoute(const World& world, int report);

// --- Files (layout_file.cpp).

// The layout's path for a name: "data\<layout folder>\<name>.lyt".
void MakeLayoutPath(char* path, int size, const char* name);
// Saves the world's layout under the name; 1 when saved (the name is then
// remembered with status 1); 0 without a world or when the save failed.
int SaveLayout(const World* world, const char* name);
int WriteEmptyLayout(const char* fileName);
// The record count, lap count, flags and records.
void WriteLayoutBody(const World& world, DataFile& writer);
// One record; scaled when the old-scale flag is set. 0 past the end.
int ReadLayoutRecord(DataFile& reader, LayoutObjectRecord& record);
// Reads a layout body; with add set its records are added to the world.
// 1 when the whole body was read.
int ReadLayoutObjects(World& world, DataFile& reader, int version, int takeLapCount, int add);
// A lesson's layout from "data\training\<name>.lyt"; 1 when loaded.
int LoadTrainingLayout(World& world, const char* name);
// Status 1 with no name.
void ClearLayoutName();
// Sets the layout's lap count (1..190).
void SetLayoutLapCount(int laps);
