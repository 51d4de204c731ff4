// The figure file "data\hmn\hmn.hmn": two skeleton sets (male and female)
// of 34 body slots each with their joints, driver animations and poses, and
// four figure models (drivers and spectators of each gender) whose boxes
// follow the bodies.
#include <cmath>
#include <cstring>
#include <string>

#include "builder.h"
#include "model_shapes.h"
#include "platform/files.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// What a body is dressed in: the colour column of its boxes.
enum FigureColumn { ColSuit, ColGlove, ColSkin, ColBoot, FigureColumnCount };

// One body of the skeleton, standing at rest facing +y with its feet on
// z = 0 (a man of 1.8 m). A pair lists its right-hand (+x) body.
struct BodyDef {
    const char* name;
    int parent;               // body index; -1 for the root
    bool pair;
    double x, y, z;           // centre, metres
    double hx, hy, hz;        // half sizes, metres
    double ax, ay, az;        // joint anchor with the parent, metres
    double a1, a2, a3;        // rest angles, radians
    int hinge;                // 1: the joint is a hinge about the body's x axis
    double limit1, limit2;    // degrees
    FigureColumn column;
    int detail;               // lowest level of detail that still shows it (0..3)
};

const BodyDef Bodies[] = {
    {"pelvis", -1, false, 0, 0, 0.95, 0.17, 0.10, 0.08, 0, 0, 0.95, 0, 0, 0, 0, 0, 0, ColSuit, 3},
    {"lumbar", 0, false, 0, 0, 1.08, 0.15, 0.09, 0.05, 0, 0, 1.03, 0, 0, 0, 0, 30, 20, ColSuit, 1},
    {"abdomen", 1, false, 0, 0, 1.18, 0.15, 0.10, 0.05, 0, 0, 1.13, 0, 0, 0, 0, 30, 20, ColSuit, 1},
    {"chest", 2, false, 0, 0, 1.32, 0.17, 0.11, 0.09, 0, 0, 1.23, 0, 0, 0, 0, 30, 20, ColSuit, 3},
    {"upchest", 3, false, 0, 0, 1.45, 0.16, 0.10, 0.04, 0, 0, 1.41, 0, 0, 0, 0, 20, 10, ColSuit, 1},
    {"neck", 4, false, 0, 0, 1.54, 0.05, 0.05, 0.05, 0, 0, 1.49, 0, 0.05, 0, 0, 40, 30, ColSkin, 2},
    {"head", 5, false, 0, 0.01, 1.66, 0.08, 0.10, 0.10, 0, 0, 1.59, 0, 0.05, 0, 0, 50, 40, ColSkin, 3},
    {"jaw", 6, false, 0, 0.04, 1.57, 0.06, 0.05, 0.025, 0, 0, 1.60, 0, 0, 0, 1, 20, 5, ColSkin, 1},
    {"clavicle", 4, true, 0.10, 0, 1.46, 0.07, 0.04, 0.03, 0.03, 0, 1.46, 0.1, 0, 0, 0, 20, 10, ColSuit, 1},
    {"uparm", 8, true, 0.22, 0, 1.30, 0.045, 0.045, 0.14, 0.20, 0, 1.45, 0, 0, 0, 0, 120, 90, ColSuit, 2},
    {"forearm", 9, true, 0.22, 0, 1.03, 0.04, 0.04, 0.13, 0.22, 0, 1.16, 0, 0, 0, 1, 140, 5, ColSuit, 2},
    {"hand", 10, true, 0.22, 0, 0.85, 0.02, 0.045, 0.05, 0.22, 0, 0.90, 0, 0, 0.1, 0, 60, 30, ColGlove, 2},
    {"index1", 11, true, 0.22, 0.03, 0.77, 0.01, 0.01, 0.025, 0.22, 0.03, 0.80, 0, 0, 0, 1, 90, 5, ColGlove, 0},
    {"index2", 12, true, 0.22, 0.03, 0.73, 0.009, 0.009, 0.02, 0.22, 0.03, 0.75, 0, 0, 0, 1, 90, 5, ColGlove, 0},
    {"fingers1", 11, true, 0.22, -0.01, 0.77, 0.012, 0.025, 0.025, 0.22, -0.01, 0.80, 0, 0, 0, 1, 90, 5, ColGlove, 0},
    {"fingers2", 14, true, 0.22, -0.01, 0.73, 0.011, 0.022, 0.02, 0.22, -0.01, 0.75, 0, 0, 0, 1, 90, 5, ColGlove, 0},
    {"thumb", 11, true, 0.20, 0.05, 0.83, 0.01, 0.01, 0.03, 0.21, 0.04, 0.86, 0.5, 0, 0.3, 0, 60, 30, ColGlove, 0},
    {"thigh", 0, true, 0.10, 0, 0.72, 0.07, 0.07, 0.20, 0.10, 0, 0.90, 0, 0.05, 0, 0, 120, 45, ColSuit, 2},
    {"shin", 17, true, 0.10, 0, 0.30, 0.05, 0.05, 0.20, 0.10, 0, 0.51, 0, 0, 0, 1, 150, 5, ColSuit, 2},
    {"foot", 18, true, 0.10, 0.05, 0.04, 0.045, 0.11, 0.04, 0.10, 0, 0.09, 0, -0.1, 0, 0, 40, 20, ColBoot, 2},
    {"toes", 19, true, 0.10, 0.19, 0.025, 0.045, 0.03, 0.025, 0.10, 0.16, 0.03, 0, 0, 0, 1, 30, 5, ColBoot, 0},
};
constexpr int BodyDefCount = sizeof Bodies / sizeof Bodies[0];

// The shape of one gender: overall scale, and width of shoulders and hips.
struct Build {
    double scale, shoulders, hips, density;
};
const Build Builds[2] = {{1.0, 1.0, 1.0, 1000.0f}, {0.93, 0.9, 1.06, 1000.0f}};

double Across(const Build& build, int body, double x)
{
    // Arms follow the shoulders, legs the hips.
    bool arm = body >= 8 && body <= 16;
    bool leg = body >= 17;
    return x * build.scale * (arm ? build.shoulders : leg ? build.hips : 1.0);
}

FixedVector MetresVector(double x, double y, double z)
{
    return MakeFixedVector(Metres(x), Metres(y), Metres(z));
}

// A turn of a body relative to its parent, as axis angles in radians (x
// bends forward, y rolls, z turns), given for the right-hand body of a pair
// and mirrored for the left.
struct BodyTurn {
    int body;
    double x, y, z;
};

using Matrix = double[9];

void Multiply(const double* a, const double* b, double* out)
{
    double r[9];
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            r[i * 3 + j] = a[i * 3] * b[j] + a[i * 3 + 1] * b[3 + j] + a[i * 3 + 2] * b[6 + j];
    std::memcpy(out, r, sizeof r);
}

void TurnMatrix(double x, double y, double z, double* out)
{
    const double rx[9] = {1, 0, 0, 0, std::cos(x), -std::sin(x), 0, std::sin(x), std::cos(x)};
    const double ry[9] = {std::cos(y), 0, std::sin(y), 0, 1, 0, -std::sin(y), 0, std::cos(y)};
    const double rz[9] = {std::cos(z), -std::sin(z), 0, std::sin(z), std::cos(z), 0, 0, 0, 1};
    double t[9];
    Multiply(rz, rx, t);
    Multiply(t, ry, out);
}

// The skeleton posed by turning bodies about their joints, each child
// carried by its parent: one state per built body.
std::vector<ObjectState> PoseStates(const Build& build, const SkeletonSet& set,
                                    const BuiltSkeleton& built, const BodyTurn* turns, int turnCount)
{
    const int count = built.BodyCount();
    std::vector<double> delta(size_t(count) * 9), where(size_t(count) * 3);
    std::vector<ObjectState> states(static_cast<size_t>(count));
    for (int spec = 0; spec < BodyDefCount; spec++) {
        const BodyDef& def = Bodies[spec];
        for (int side = 0; side < (def.pair ? 2 : 1); side++) {
            const double sign = side ? -1.0 : 1.0;
            const int b = set.bodies[size_t(spec)].firstBody + side;
            double local[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
            for (int i = 0; i < turnCount; i++) {
                if (turns[i].body == spec)
                    TurnMatrix(turns[i].x, sign * turns[i].y, sign * turns[i].z, local);
            }
            const ObjectBody& body = built.Body(b);
            const double rest[3] = {FixedToMetres(body.position.x), FixedToMetres(body.position.y),
                                    FixedToMetres(body.position.z)};
            double* d = &delta[size_t(b) * 9];
            double* p = &where[size_t(b) * 3];
            if (def.parent < 0) {
                std::memcpy(d, local, sizeof local);
                std::memcpy(p, rest, sizeof rest);
            } else {
                const BodyDef& parentDef = Bodies[def.parent];
                const int pb = set.bodies[size_t(def.parent)].firstBody + (parentDef.pair ? side : 0);
                const double* pd = &delta[size_t(pb) * 9];
                const double* pp = &where[size_t(pb) * 3];
                const ObjectBody& parent = built.Body(pb);
                const double parentRest[3] = {FixedToMetres(parent.position.x),
                                              FixedToMetres(parent.position.y),
                                              FixedToMetres(parent.position.z)};
                const double anchor[3] = {sign * Across(build, spec, def.ax), def.ay * build.scale,
                                          def.az * build.scale};
                Multiply(pd, local, d);
                for (int i = 0; i < 3; i++) {
                    p[i] = pp[i];
                    for (int k = 0; k < 3; k++)
                        p[i] += pd[i * 3 + k] * (anchor[k] - parentRest[k]) + d[i * 3 + k] * (rest[k] - anchor[k]);
                }
            }
            FloatMatrix restRotation = body.rotation, turned;
            FloatMatrix df;
            for (int i = 0; i < 9; i++)
                df.m[i] = float(d[i]);
            MultiplyFloatMatrix(df, restRotation, turned);
            FloatToFixedMatrix(turned, states[size_t(b)].rotation);
            states[size_t(b)].position = MetresVector(p[0], p[1], p[2]);
        }
    }
    return states;
}

AnimHolder MakeAnimation(const std::vector<std::vector<ObjectState>>& keys, float rate, int mode)
{
    AnimHolder animation;
    animation.mode = mode;
    animation.rate = rate;
    for (size_t i = 0; i < keys.size(); i++) {
        AnimationKey key;
        key.time = keys.size() > 1 ? float(i) / float(keys.size() - 1) : 0.0f;
        key.states = keys[i];
        animation.keys.push_back(key);
    }
    animation.keyCount = static_cast<uint16_t>(animation.keys.size());
    return animation;
}

// Body indexes by name, for the pose tables below.
enum { Pelvis = 0, Head = 6, UpArm = 9, Forearm = 10, Hand = 11, Thigh = 17, Shin = 18, Foot = 19 };

void MakeSkeletonSet(const Build& build, SkeletonSet& set, BuiltSkeleton& built)
{
    set = SkeletonSet{};
    set.density = float(build.density);
    for (int i = 0; i < BodyDefCount; i++) {
        const BodyDef& def = Bodies[i];
        BodySpec spec;
        spec.flags = def.pair ? 1 : 0;
        spec.halfSize[0] = float(def.hx * build.scale);
        spec.halfSize[1] = float(def.hy * build.scale);
        spec.halfSize[2] = float(def.hz * build.scale);
        spec.position = MetresVector(Across(build, i, def.x), def.y * build.scale, def.z * build.scale);
        spec.angle[0] = float(def.a1);
        spec.angle[1] = float(def.a2);
        spec.angle[2] = float(def.a3);
        spec.colour[0] = 200;
        spec.colour[1] = 200;
        spec.colour[2] = 200;
        spec.colour[3] = 255;
        set.bodies.push_back(spec);
        if (def.parent < 0)
            continue;
        JointSpec joint;
        joint.kind = def.hinge;
        joint.flags = def.pair ? 1 : 0;
        joint.anchor = MetresVector(Across(build, i, def.ax), def.ay * build.scale, def.az * build.scale);
        joint.limit[0] = float(def.limit1);
        joint.limit[1] = float(def.limit2);
        joint.bodyA = def.parent;
        joint.bodyB = i;
        joint.angle[1] = def.hinge ? 0.1f : 0.0f;
        set.joints.push_back(joint);
    }
    BuildSkeleton(set, built);

    // Sitting in a car: thighs forward, shins down, arms reaching for the
    // wheel; the wheel turned a quarter either way moves the arms.
    auto sitting = [&](double steer) {
        const BodyTurn turns[] = {
            {Thigh, Pi / 2, 0, 0.08}, {Shin, -Pi / 2 + 0.3, 0, 0}, {Foot, -0.3, 0, 0},
            {UpArm, 1.0 + 0.35 * steer, 0, -0.2}, {Forearm, 0.6 - 0.2 * steer, 0, 0},
            {Hand, 0, 0.3 * steer, 0},
        };
        return PoseStates(build, set, built, turns, 6);
    };
    auto standing = [&](double armsUp, double wave) {
        const BodyTurn turns[] = {{UpArm, 0, 0, 0}, {Forearm, 0, 0, 0}};
        BodyTurn raised[] = {{UpArm, Pi * armsUp, 0, -0.3 * armsUp}, {Forearm, 0.4 * armsUp + wave, 0, 0},
                             {Head, 0, 0, 0.2 * wave}};
        return armsUp > 0 ? PoseStates(build, set, built, raised, 3) : PoseStates(build, set, built, turns, 2);
    };

    // Driver movements: slot 0 steering from full left to full right,
    // slot 1 a look round.
    set.animationCount = 2;
    set.animations[0] = MakeAnimation({sitting(-1), sitting(0), sitting(1)}, 1.0f, 0);
    const BodyTurn look[] = {{Thigh, Pi / 2, 0, 0.08}, {Shin, -Pi / 2 + 0.3, 0, 0}, {Head, 0, 0, 0.9}};
    set.animations[1] = MakeAnimation({sitting(0), PoseStates(build, set, built, look, 3)}, 0.5f, 1);

    Pose driver;
    driver.useMask = PoseUseDefault;
    driver.animationA = MakeAnimation({sitting(0)}, 1.0f, 0);
    Pose marshal;
    marshal.useMask = PoseUseExtraFigure2;
    marshal.animationA = MakeAnimation({standing(0, 0)}, 1.0f, 0);
    Pose waving;
    waving.useMask = PoseUseExtraFigure3;
    waving.animationA = MakeAnimation({standing(0.8, -0.3), standing(0.8, 0.3)}, 2.0f, 1);
    Pose cheering;
    cheering.flags = PoseFlagBlend;
    cheering.animationA = MakeAnimation({standing(0, 0)}, 1.0f, 0);
    cheering.animationB = MakeAnimation({standing(0.9, 0.2)}, 1.5f, 1);
    cheering.blendStart = 0.0f;
    cheering.blendEnd = 1.0f;
    set.poses = {driver, marshal, waving, cheering};
}

// A figure dressed in boxes that follow the bodies, at four levels of
// detail (fingers and toes only close up), in colour schemes as rows.
void MakeFigureModel(const char* name, const SkeletonSet& set, const BuiltSkeleton& built,
                     const CellColour* suits, int schemes, FigureModel& figure)
{
    ObjectModel& model = figure.model;
    InitObjectModel(model);
    ModelMaker maker(model);
    maker.SetName(name);
    static const int Distances[4] = {10, 30, 80, 250};
    maker.SetLevels(4, Distances);
    maker.SetPartName(0, "main");
    int plain = maker.AddTexture("PLAIN~W", false);
    int cloth = maker.AddSurface("cloth", plain, 1);
    maker.AddMapping("plain", 0, 0, 0, 0, 0, cloth, cloth);
    maker.SetGrid(schemes, FigureColumnCount);
    for (int row = 0; row < schemes; row++) {
        maker.SetCell(row, ColSuit, "M1suit", suits[row], 0);
        maker.SetCell(row, ColGlove, "E1glove", suits[row], 0);
        maker.SetCell(row, ColSkin, "K_skin", {220, 170, 140}, 0);
        maker.SetCell(row, ColBoot, "K_boot", {30, 30, 30}, 0);
    }
    for (int level = 0; level < 4; level++) {
        for (int i = 0; i < BodyDefCount; i++) {
            const BodyDef& def = Bodies[i];
            if (def.detail < level)
                continue;
            const BodySpec& spec = set.bodies[size_t(i)];
            const ObjectBody& body = built.Body(spec.firstBody);
            double rotation[9];
            for (int k = 0; k < 9; k++)
                rotation[k] = body.rotation.m[k];
            // Coarser levels draw slightly larger boxes over the missing ones.
            double grow = 1.0 + 0.1 * level;
            maker.AddBox(FixedToMetres(spec.position.x), FixedToMetres(spec.position.y),
                         FixedToMetres(spec.position.z), spec.halfSize[0] * grow,
                         spec.halfSize[1] * grow, spec.halfSize[2] * grow, def.column, level, 0,
                         def.pair, spec.firstBody, rotation);
        }
    }
}

} // namespace

int BuildFigures()
{
    HumanSystem system;
    system.sets.resize(2);
    system.built.resize(2);
    for (int gender = 0; gender < 2; gender++)
        MakeSkeletonSet(Builds[gender], system.sets[size_t(gender)], system.built[size_t(gender)]);

    static const CellColour DriverSuits[4] = {{200, 30, 30}, {30, 70, 190}, {240, 200, 20}, {240, 240, 240}};
    static const CellColour CrowdClothes[3] = {{60, 90, 60}, {90, 60, 40}, {70, 70, 120}};
    static const CellColour MarshalClothes[2] = {{240, 120, 20}, {240, 240, 240}};
    struct FigureDef {
        const char* name;
        int flags, gender;
        const CellColour* colours;
        int schemes;
    };
    // Driver variants of each gender come first, so that both genders have
    // drivers above index 0; the marshal is a man in orange or white.
    const FigureDef Defs[] = {
        {"driver_m", FigureFlagDriver, 0, DriverSuits, 4},
        {"driver_f", FigureFlagDriver, 1, DriverSuits, 4},
        {"crowd_m", FigureFlagCrowd, 0, CrowdClothes, 3},
        {"crowd_f", FigureFlagCrowd, 1, CrowdClothes, 3},
        {"marshal", FigureFlagMarshal, 0, MarshalClothes, 2},
    };
    for (const FigureDef& def : Defs) {
        FigureModel& figure = system.models.emplace_back();
        figure.flags = def.flags;
        figure.skeletonSet = def.gender;
        figure.value = 1.0f;
        MakeFigureModel(def.name, system.sets[size_t(def.gender)], system.built[size_t(def.gender)],
                        def.colours, def.schemes, figure);
    }

    if (!SaveHumanFile(system, HumanSystemFile))
        return BuilderFail("Could not create file : %s", HumanSystemFile);
    // Read back through the game's loader; writing what it read must give
    // the same bytes.
    HumanSystem loaded;
    if (!LoadHumans(loaded, nullptr))
        return BuilderFail("Could not read back : %s", HumanSystemFile);
    std::string again = std::string(HumanSystemFile) + ".check";
    int same = SaveHumanFile(loaded, again.c_str()) && CompareFiles(HumanSystemFile, again) == 1;
    platform::RemoveFile(again);
    if (!same)
        return BuilderFail("Figure file does not read back as written : %s", HumanSystemFile);
    for (const SkeletonSet& set : loaded.sets) {
        if (CountBodySlots(set) <= SkeletonSlotThreshold)
            return BuilderFail("Skeleton set too small : %s", HumanSystemFile);
    }
    return 1;
}
