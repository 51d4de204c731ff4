// The 13 car body models "data\veh\<code>.vob" and the helmet model
// "data\hmn\helmet.zke": lofted hulls with their colour schemes, wings,
// lamps, steering wheel, mirror and the places of the four wheels.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "builder.h"
#include "model_hull.h"
#include "model_shapes.h"
#include "platform/files.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

enum class BodyStyle { Closed, Open, Formula };

// The shape of one body: sizes in metres, cabin as fractions of the length
// from the rear, wings, and where the driver sits.
struct BodyShape {
    const char* code;
    BodyStyle style;
    double length, width, height;
    double wheelbase, track, wheelRadius;
    double cabinStart, cabinEnd;   // roof from..to, fraction of the length
    double deckHeight, hoodHeight; // rear deck and bonnet, metres
    int rearWingPart;              // -1 none, 0 always, 1 the racing version's part
    bool frontWing;
    double driverX;                // steering wheel across the car
};

// Whichever cars share a body: WQ (WQ SPORT, WQ GTR), VO (VO GT, VO GT
// TURBO, VO GTR), JB (JB4 GT), HL (HLO TURBO, HLO GTR), SN (SN4, SN6), YA
// (YAS5), DY (DY 1000, DY GTR), ZE (ZEBALOR), QP (QP50, QP50 GTR), GE
// (FORMULA VO), N8 (FORMULA N8), N1 (NQ1 GRAND PRIX), KT (FORMULA KT02).
// A family with a racing version carries its rear wing as part 1, which
// the road version leaves out.
const BodyShape BodyShapes[BodyCodeCount] = {
    {"WQ", BodyStyle::Closed, 3.95, 1.70, 1.40, 2.46, 1.46, 0.30, 0.30, 0.72, 0.95, 0.82, 1, false, -0.37},
    {"VO", BodyStyle::Closed, 4.30, 1.78, 1.30, 2.56, 1.52, 0.31, 0.34, 0.66, 0.92, 0.80, 1, false, -0.38},
    {"JB", BodyStyle::Closed, 4.45, 1.76, 1.42, 2.62, 1.50, 0.31, 0.30, 0.68, 0.96, 0.84, -1, false, -0.38},
    {"HL", BodyStyle::Closed, 4.05, 1.72, 1.42, 2.50, 1.47, 0.30, 0.26, 0.70, 0.96, 0.83, 1, false, -0.37},
    {"SN", BodyStyle::Closed, 4.10, 1.75, 1.26, 2.45, 1.50, 0.31, 0.36, 0.64, 0.90, 0.78, -1, false, -0.37},
    {"YA", BodyStyle::Open, 3.20, 1.52, 1.00, 2.20, 1.36, 0.28, 0.40, 0.62, 0.70, 0.55, 0, false, 0.0},
    {"DY", BodyStyle::Closed, 3.55, 1.62, 1.46, 2.32, 1.40, 0.28, 0.24, 0.72, 0.98, 0.82, 1, false, -0.35},
    {"ZE", BodyStyle::Closed, 4.40, 1.96, 1.12, 2.66, 1.62, 0.33, 0.40, 0.66, 0.88, 0.70, -1, false, -0.40},
    {"QP", BodyStyle::Closed, 4.20, 1.80, 1.20, 2.50, 1.54, 0.32, 0.40, 0.66, 0.86, 0.74, 1, false, -0.38},
    {"GE", BodyStyle::Formula, 3.85, 1.60, 0.95, 2.40, 1.38, 0.28, 0.40, 0.62, 0.70, 0.45, -1, false, 0.0},
    {"N8", BodyStyle::Formula, 4.20, 1.72, 0.95, 2.62, 1.46, 0.30, 0.40, 0.62, 0.72, 0.45, 0, true, 0.0},
    {"N1", BodyStyle::Formula, 4.60, 1.80, 0.98, 3.00, 1.50, 0.33, 0.40, 0.60, 0.75, 0.45, 0, true, 0.0},
    {"KT", BodyStyle::Formula, 4.40, 1.76, 0.96, 2.80, 1.48, 0.32, 0.40, 0.61, 0.74, 0.45, 0, true, 0.0},
};

// Colour grid columns of the body, and the schemes (rows).
enum BodyColumn { ColPaint, ColTop, ColLower, ColGlass, ColTrim, ColHeadLamp, ColBrakeLamp, ColWing, BodyColumnCount };
constexpr int SchemeCount = 4;
const CellColour SchemePaint[SchemeCount] = {{200, 30, 30}, {30, 70, 190}, {235, 200, 30}, {235, 235, 235}};
constexpr CellColour Glass = {25, 30, 40}, Black = {20, 20, 20}, White = {250, 250, 240},
                     Red = {230, 20, 20}, Grey = {120, 120, 120}, Clock = {180, 180, 180};

double Clamp01(double v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

// The cross-section of a body at a fraction u of its length (0 rear,
// 1 front): half width, floor, shoulder, roof height and roof half width.
struct Section {
    double halfWidth, floor, shoulder, roof, roofHalfWidth;
};

Section SectionAt(const BodyShape& b, double u)
{
    Section s;
    const double ends = std::fmin(u, 1 - u);  // 0 at either end
    if (b.style == BodyStyle::Formula) {
        // A narrow tub: a low nose, the cockpit, wider side pods between
        // the axles and a tapering engine cover.
        double pods = std::exp(-std::pow((u - 0.45) / 0.16, 2));
        s.halfWidth = 0.12 + 0.16 * Clamp01((0.95 - u) / 0.35) + 0.28 * pods;
        s.floor = 0.07;
        s.shoulder = 0.32 + 0.22 * Clamp01((0.9 - u) / 0.3) + 0.08 * pods;
        double hoop = std::exp(-std::pow((u - b.cabinStart) / 0.05, 2));
        double cover = Clamp01((u - 0.1) / 0.2) * Clamp01((b.cabinStart + 0.05 - u) / 0.05);
        s.roof = s.shoulder + 0.12 * cover + (b.height - 0.1 - s.shoulder) * hoop;
        s.roofHalfWidth = s.halfWidth * 0.45;
        return s;
    }
    s.halfWidth = b.width / 2 * (0.86 + 0.14 * Clamp01(ends / 0.12));
    s.floor = b.style == BodyStyle::Open ? 0.10 : 0.16;
    const double nose = Clamp01((u - 0.88) / 0.12);
    const double tail = Clamp01((0.08 - u) / 0.08);
    double line = u < 0.5 ? b.deckHeight : b.hoodHeight + (b.deckHeight - b.hoodHeight) *
                                                               Clamp01((b.cabinEnd + 0.05 - u) / 0.2);
    s.shoulder = line - 0.22 * nose - 0.1 * tail;
    s.roof = s.shoulder;
    if (b.style == BodyStyle::Closed) {
        // Roof over the cabin, the windscreen and rear window sloping down.
        double rise = Clamp01((u - (b.cabinStart - 0.1)) / 0.1) *
                      Clamp01(((b.cabinEnd + 0.14) - u) / 0.14);
        s.roof = s.shoulder + (b.height - s.shoulder) * rise;
    } else {
        double cowl = std::exp(-std::pow((u - b.cabinEnd) / 0.05, 2));
        s.roof = s.shoulder + 0.12 * cowl;
    }
    s.roofHalfWidth = s.halfWidth * (s.roof > s.shoulder + 0.05 ? 0.74 : 0.84);
    return s;
}

// The hull as sections along the length, each a half profile from the
// floor's centre line round the side to the top's centre line; the other
// half is the symmetric copy.
void AddHull(ModelMaker& maker, const BodyShape& b, int sections, int level)
{
    constexpr int ProfilePoints = 6;
    int first = -1;
    for (int si = 0; si < sections; si++) {
        double u = double(si) / (sections - 1);
        double y = (u - 0.5) * b.length;
        Section s = SectionAt(b, u);
        double xs[ProfilePoints] = {0, s.halfWidth * 0.9, s.halfWidth, s.halfWidth * 0.96,
                                    s.roofHalfWidth, 0};
        double zs[ProfilePoints] = {s.floor, s.floor, s.floor + 0.45 * (s.shoulder - s.floor),
                                    s.shoulder, s.roof, s.roof + 0.02};
        for (int k = 0; k < ProfilePoints; k++) {
            bool centre = k == 0 || k == ProfilePoints - 1;
            int p = maker.AddPoint(xs[k], y, zs[k], !centre, centre);
            if (si == 0 && k == 0)
                first = p;
        }
    }
    auto at = [&](int si, int k) { return first + si * ProfilePoints + k; };
    for (int si = 0; si + 1 < sections; si++) {
        double u = (si + 0.5) / (sections - 1);
        Section s = SectionAt(b, u);
        bool cabin = s.roof > s.shoulder + 0.05 && b.style == BodyStyle::Closed;
        const int columns[ProfilePoints - 1] = {ColTrim, ColLower, ColPaint,
                                                cabin ? ColGlass : ColTop, ColTop};
        for (int k = 0; k + 1 < ProfilePoints; k++)
            maker.AddQuad(at(si, k), at(si + 1, k), at(si + 1, k + 1), at(si, k + 1), columns[k],
                          level, 0, true);
    }
    // The rear and front faces.
    const int last = sections - 1;
    for (int k = 1; k + 1 < ProfilePoints; k++) {
        maker.AddTriangle(at(0, 0), at(0, k), at(0, k + 1), k == 2 ? ColBrakeLamp : ColPaint,
                          level, 0, true, 0);
        maker.AddTriangle(at(last, 0), at(last, k + 1), at(last, k), k == 2 ? ColHeadLamp : ColPaint,
                          level, 0, true, 0);
    }
}

void AddWings(ModelMaker& maker, const BodyShape& b, int levels)
{
    for (int level = 0; level < levels - 1; level++) {
        if (b.rearWingPart >= 0) {
            double y = -b.length / 2 + 0.22;
            double z = b.style == BodyStyle::Formula ? b.height - 0.05 : b.deckHeight + 0.22;
            double span = b.style == BodyStyle::Formula ? 0.45 : b.width / 2 * 0.85;
            maker.AddBox(0, y, z, span, 0.16, 0.015, ColWing, level, b.rearWingPart);
            maker.AddBox(span, y, z - 0.06, 0.008, 0.2, 0.1, ColWing, level, b.rearWingPart, true);
            if (b.style != BodyStyle::Formula)
                maker.AddBox(span * 0.6, y + 0.05, (z + b.deckHeight) / 2, 0.01, 0.04,
                             (z - b.deckHeight) / 2, ColTrim, level, b.rearWingPart, true);
        }
        if (b.frontWing) {
            double y = b.length / 2 - 0.2;
            maker.AddBox(0, y, 0.12, b.width / 2 - 0.05, 0.2, 0.012, ColWing, level, 0);
            maker.AddBox(b.width / 2 - 0.05, y, 0.16, 0.008, 0.22, 0.06, ColWing, level, 0, true);
        }
    }
}

// The skin and the three surfaces every body and its parts share: trim
// (never reflecting), the sides and the top of the skin picture.
void AddBodyTextures(ModelMaker& maker, const BodyShape& b)
{
    int skin = maker.AddTexture("DEFAULT", true);
    int trim = maker.AddSurface("trim", skin, 1, 64, 32);
    int side = maker.AddSurface("side", skin, 0, 64, 32);
    int top = maker.AddSurface("top", skin, 0, 64, 32, 0, 32);
    maker.AddMapping("side", 3, -b.length / 2, b.length / 2, b.height, 0, side, side);
    maker.AddMapping("top", 5, -b.width / 2, b.width / 2, b.length / 2, -b.length / 2, top, top);
    maker.AddMapping("trim", 3, -b.length / 2, b.length / 2, b.height, 0, trim, trim);
}

void SetBodyCells(ModelMaker& maker)
{
    enum { MapSide, MapTop, MapTrim };
    maker.SetGrid(SchemeCount, BodyColumnCount);
    for (int row = 0; row < SchemeCount; row++) {
        CellColour paint = SchemePaint[row];
        maker.SetCell(row, ColPaint, "M1paint", paint, MapSide);
        maker.SetCell(row, ColTop, "C1top", paint, MapTop);
        maker.SetCell(row, ColLower, "D1lower", paint, MapSide);
        maker.SetCell(row, ColGlass, "G_glass", Glass, MapTrim);
        maker.SetCell(row, ColTrim, "K_trim", Black, MapTrim);
        maker.SetCell(row, ColHeadLamp, "l_hed", White, MapTrim, 1);
        maker.SetCell(row, ColBrakeLamp, "l_brk", Red, MapTrim, 1);
        maker.SetCell(row, ColWing, "C1wing", paint, MapTop);
    }
}

// A place for one wheel: a sub-model with no mesh of its own, kinds 6 to 9.
void AddWheelPlace(ObjectModel& parent, int kind, double x, double y, double z)
{
    ObjectModel& sub = parent.subModels.emplace_back();
    ModelMaker maker(sub);
    maker.SetName(kind == 6 ? "wheel_rl" : kind == 7 ? "wheel_rr" : kind == 8 ? "wheel_fl" : "wheel_fr");
    sub.kind = static_cast<uint8_t>(kind);
    sub.sideRule = 1;
    sub.noOwnMesh = 1;
    sub.offset = MakeFixedVector(Metres(x), Metres(y), Metres(z));
    maker.SetGrid(1, 1);
    maker.SetCell(0, 0, "K_tyre", Black, 0);
}

// A lamp: kind 1 in front, kind 5 at the back; a small lit panel.
void AddLamp(ObjectModel& parent, const BodyShape& b, int kind, double x, double y, double z)
{
    ObjectModel& sub = parent.subModels.emplace_back();
    ModelMaker maker(sub);
    maker.SetName(kind == 1 ? "lamp_front" : "lamp_rear");
    sub.kind = static_cast<uint8_t>(kind);
    sub.sideRule = 1;
    sub.offset = MakeFixedVector(Metres(x), Metres(y), Metres(z));
    int skin = maker.AddTexture("DEFAULT", true);
    int lens = maker.AddSurface("lens", skin, 1);
    maker.AddMapping("lens", 0, 0, 0, 0, 0, lens, lens);
    maker.SetGrid(1, 1);
    maker.SetCell(0, 0, kind == 1 ? "l_hed" : "l_brk", kind == 1 ? White : Red, 0, 1);
    double w = b.style == BodyStyle::Formula ? 0.04 : 0.12;
    maker.AddBox(0, 0, 0, w, 0.02, 0.04, 0, 0);
}

// The steering wheel with its clock in the hub: kind 2, moved to the other
// side with the driver.
void AddSteeringWheel(ObjectModel& parent, const BodyShape& b)
{
    ObjectModel& sub = parent.subModels.emplace_back();
    ModelMaker maker(sub);
    maker.SetName("steer");
    sub.kind = 2;
    sub.sideRule = 3;
    bool formula = b.style != BodyStyle::Closed;
    double y = formula ? b.length * (b.cabinEnd - 0.5) - 0.05 : b.length * (b.cabinEnd - 0.5) - 0.35;
    double z = formula ? b.height * 0.58 : 0.92;
    sub.offset = MakeFixedVector(Metres(b.driverX), Metres(y), Metres(z));
    int clock = maker.AddTexture(formula ? "s_clock_formula" : "s_clock", false);
    int skin = maker.AddTexture("DEFAULT", true);
    int face = maker.AddSurface("clock", clock, 1);
    int rim = maker.AddSurface("rim", skin, 1);
    maker.AddMapping("center", 2, -0.05, 0.05, 0.05, -0.05, face, face);
    maker.AddMapping("rim", 0, 0, 0, 0, 0, rim, rim);
    maker.SetGrid(1, 2);
    maker.SetCell(0, 0, "clock", Clock, 0, 1);
    maker.SetCell(0, 1, "K_rim", Black, 1);
    // The rim: eight short bars round a circle in the x-z plane.
    const double radius = formula ? 0.13 : 0.18;
    for (int i = 0; i < 8; i++) {
        double a = (i + 0.5) * Pi / 4;
        double rotation[9] = {std::cos(a), 0, -std::sin(a), 0, 1, 0, std::sin(a), 0, std::cos(a)};
        maker.AddBox(radius * std::cos(a), 0, radius * std::sin(a), 0.012, 0.015,
                     radius * 0.42, 1, 0, 0, false, 0, rotation);
    }
    maker.AddBox(0, 0.01, 0, 0.05, 0.01, 0.05, 0, 0);
}

// The mirror inside the windscreen: kind 10, mirrored whole with the driver.
void AddMirror(ObjectModel& parent, const BodyShape& b)
{
    ObjectModel& sub = parent.subModels.emplace_back();
    ModelMaker maker(sub);
    maker.SetName("mirror");
    sub.kind = 10;
    sub.sideRule = 2;
    double y = b.length * (b.cabinEnd - 0.5) + 0.02;
    sub.offset = MakeFixedVector(0, Metres(y), Metres(b.height - 0.12));
    int glass = maker.AddTexture("s_mirr", false);
    int face = maker.AddSurface("mirror", glass, 1);
    maker.AddMapping("mirror", 2, -0.1, 0.1, 0.03, -0.03, face, face);
    maker.SetGrid(1, 1);
    maker.SetCell(0, 0, "K_mirror", Grey, 0);
    maker.AddBox(0, 0, 0, 0.1, 0.01, 0.03, 0, 0);
}

void MakeBodyModel(const BodyShape& b, ObjectModel& model)
{
    InitObjectModel(model);
    ModelMaker maker(model);
    maker.SetName(b.code);
    model.kind = 0;
    model.sideRule = 1;
    static const int Distances[4] = {25, 80, 220, 1000};
    maker.SetLevels(4, Distances);
    maker.SetPartName(0, "main");
    maker.SetPartName(1, "wing");
    AddBodyTextures(maker, b);
    SetBodyCells(maker);
    static const int Sections[3] = {15, 9, 5};
    for (int level = 0; level < 3; level++)
        AddHull(maker, b, Sections[level], level);
    AddWings(maker, b, 4);

    const double halfBase = b.wheelbase / 2, halfTrack = b.track / 2, r = b.wheelRadius;
    AddWheelPlace(model, 6, -halfTrack, -halfBase, r);
    AddWheelPlace(model, 7, halfTrack, -halfBase, r);
    AddWheelPlace(model, 8, -halfTrack, halfBase, r);
    AddWheelPlace(model, 9, halfTrack, halfBase, r);
    AddSteeringWheel(model, b);
    if (b.style == BodyStyle::Closed)
        AddMirror(model, b);
    if (b.style == BodyStyle::Formula) {
        AddLamp(model, b, 5, 0, -b.length / 2 + 0.05, 0.35);
    } else {
        double front = b.length / 2 - 0.02, rear = -b.length / 2 + 0.02;
        for (int side = -1; side <= 1; side += 2) {
            AddLamp(model, b, 1, side * b.width * 0.32, front, b.hoodHeight - 0.12);
            AddLamp(model, b, 5, side * b.width * 0.36, rear, b.deckHeight - 0.1);
        }
    }
    // The lowest level is the collision hull round everything above.
    AddEnclosingHull(maker, CollectModelPoints(model), ColPaint, 3);
}

// The helmet: a dome of rings round its centre with a dark visor in front.
void MakeHelmetModel(ObjectModel& model)
{
    InitObjectModel(model);
    ModelMaker maker(model);
    maker.SetName("helmet");
    static const int Distances[4] = {8, 30, 200, 1000};
    maker.SetLevels(4, Distances);
    maker.SetPartName(0, "main");
    int skin = maker.AddTexture("DEFAULT", true);
    int visor = maker.AddSurface("visor", skin, 1);
    int shell = maker.AddSurface("shell", skin, 0);
    maker.AddMapping("shell", 3, -0.17, 0.17, 0.16, -0.14, shell, shell);
    maker.AddMapping("visor", 0, 0, 0, 0, 0, visor, visor);
    enum { ColShell, ColStripe, ColVisor };
    maker.SetGrid(SchemeCount, 3);
    for (int row = 0; row < SchemeCount; row++) {
        maker.SetCell(row, ColShell, "M1shell", SchemePaint[row], 0);
        maker.SetCell(row, ColStripe, "K_stripe", White, 0);
        maker.SetCell(row, ColVisor, "G_visor", Glass, 1);
    }
    static const int Rings[3] = {6, 4, 2}, Segments[3] = {10, 6, 4};
    for (int level = 0; level < 3; level++) {
        const int rings = Rings[level], segments = Segments[level];
        // Ring 0 is the lower edge, below the equator; the top is one point.
        int first = static_cast<int>(model.points.size());
        for (int i = 0; i < rings; i++) {
            double lat = -0.45 + (Pi / 2 + 0.45) * i / rings;
            for (int j = 0; j <= segments; j++) {
                double az = Pi * j / segments;
                bool centre = j == 0 || j == segments;
                maker.AddPoint(0.15 * std::cos(lat) * std::sin(az), -0.17 * std::cos(lat) * std::cos(az),
                               0.15 * std::sin(lat), !centre, centre);
            }
        }
        int top = maker.AddPoint(0, 0, 0.15, false, true);
        auto at = [&](int i, int j) { return first + i * (segments + 1) + j; };
        for (int i = 0; i + 1 < rings; i++) {
            for (int j = 0; j < segments; j++) {
                bool front = j >= segments * 2 / 3 && i >= 1 && i <= rings / 2;
                int column = front ? ColVisor : (j == segments / 2 ? ColStripe : ColShell);
                maker.AddQuad(at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j), column, level,
                              0, true);
            }
        }
        for (int j = 0; j < segments; j++)
            maker.AddTriangle(at(rings - 1, j), at(rings - 1, j + 1), top, ColShell, level, 0, true);
    }
    // The lowest level is the collision hull round the dome.
    AddEnclosingHull(maker, CollectModelPoints(model), ColShell, 3);
}

// Writes a model, reads it back through the game's loader, writes that
// again and requires the same bytes: the format round-trips exactly.
int SaveAndCheckModel(const ObjectModel& model, const std::string& path)
{
    if (!SaveObjectModel(model, path.c_str()))
        return BuilderFail("Could not create file : %s", path.c_str());
    ObjectModel loaded;
    if (!LoadObjectModel(loaded, nullptr, path.c_str(), 1))
        return BuilderFail("Could not read back : %s", path.c_str());
    std::string again = path + ".check";
    int saved = SaveObjectModel(loaded, again.c_str());
    int same = saved && CompareFiles(path, again) == 1;
    platform::RemoveFile(again);
    if (!same)
        return BuilderFail("Model does not read back as written : %s", path.c_str());
    return 1;
}

} // namespace

int BuildBodyModels()
{
    for (int i = 0; i < BodyCodeCount; i++) {
        const BodyShape& shape = BodyShapes[i];
        if (std::strcmp(shape.code, BodyCodeTable[i]) != 0)
            return BuilderFail("body shapes out of order : %s", BodyCodeTable[i]);
        ObjectModel model;
        MakeBodyModel(shape, model);
        std::string path = std::string("data\\veh\\") + shape.code + ".vob";
        if (!SaveAndCheckModel(model, path))
            return 0;
    }
    ObjectModel helmet;
    MakeHelmetModel(helmet);
    return SaveAndCheckModel(helmet, "data\\hmn\\helmet.zke");
}
