// The knowledge's speed profile: what the car can do (brakes, downforce,
// grip on each surface, power), the fastest speed through every node of
// the line, and the braking points that join them; for display, where the
// line brakes and where it accelerates.
//
// Axles here are named as the car has them: the front axle (the car's axle
// 1, the line's gripA and aeroFront) and the rear axle (axle 0, gripB and
// aeroRear).
#include <cmath>

#include "session/ai_knowledge.h"
#include "session/local.h"

namespace {

constexpr int RearAxle = 0, FrontAxle = 1;
// A profile ends at walking pace where the line does not join another.
constexpr float OpenEndSpeed = 1.0f;
constexpr float KmhToMs = 0.2777778f;
// The lowest speed limit of a world without speed zones.
constexpr int NoSpeedLimit = 255;
// The refinements of a cornering speed and of a load shift.
constexpr int CorneringPasses = 8;
constexpr int LoadShiftPasses = 5;
// A tyre's rolling resistance per newton of load on a hard surface.
constexpr float TyreRollingCoefficient = 0.015f;
// Tarmac-like surfaces (class 0): friction values are taken a little
// below the table's, and braking and driving a little above it.
constexpr float HardSurfaceFriction = 0.95f;
constexpr float HardSurfaceLongitudinal = 1.15f / 0.95f;

// The figures of the car that the profile reads, gathered once.
struct CarFigures {
    float mass = 1;            // kg, the effective mass
    float frontShare = 0.5f;   // of the weight on the front axle
    float wheelbase = 1;       // m
    float height = 0;          // m, centre of mass above the ground
    float halfTrack = 1;       // m
    float topSpeed = 1;        // m/s
    float drag = 0;            // N per (m/s)^2
    float enginePower = 0;     // W at the wheels
    float engineBraking = 0;   // W of the engine's friction, at the wheels
};

CarFigures GetCarFigures(const CarObject& car)
{
    CarFigures f;
    const float mass = EffectiveCarMass(car);
    f.mass = mass > 0 ? mass : 1;
    const CarTuning& t = car.tuning;
    if (t.wheelbase > 0)
        f.wheelbase = t.wheelbase;
    f.frontShare = FrontAxleWeightShare(car);
    f.height = t.groundClearance > 0 ? t.groundClearance : 0;
    const float track = (car.axles[RearAxle].trackWidth + car.axles[FrontAxle].trackWidth) * 0.25f;
    f.halfTrack = track > 0 ? track : 1;
    f.topSpeed = t.topSpeed > 1 ? t.topSpeed : 1;
    f.drag = t.dragSum;
    const float efficiency = t.driveEfficiency > 0 ? t.driveEfficiency : 1;
    f.enginePower = car.engine.maxPower * efficiency;
    // The friction torque opposes the engine; its power is what the engine
    // takes from the wheels on a closed throttle.
    f.engineBraking = std::fabs(EngineFrictionAt(car.engine, car.engine.maxPowerSpeed)) * car.engine.maxPowerSpeed / efficiency;
    return f;
}

// Grip of one axle (per unit of its own weight) with downforce, the dip of
// the road and a load shift onto it.
float AxleGrip(float vsq, float verticalCurvature, float aero, float shift, float grip)
{
    const float g = (vsq * (verticalCurvature + aero) + StandardGravity + shift) * grip;
    return g > 1 ? g : 1;
}

float Transfer(const CarFigures& car, float lat) { return std::fmin(1.0f, lat * car.height / (car.halfTrack * StandardGravity)); }

float SurfaceFactor(const KnowledgeNode& node) { return node.surfaceClass == 0 ? HardSurfaceLongitudinal : 1.0f; }

// What is left of the grip for braking or driving once cornering takes lat.
float GripLeft(float grip, float lat) { return grip * std::sqrt(1 - (lat / grip) * (lat / grip)); }

// Rolling drag, air drag, the climb and the tyres' cornering drag (m/s^2).
float DrivingLosses(const AiKnowledge& knowledge, const CarFigures& car, int displayMode, const KnowledgeNode& node,
                    float vsq)
{
    const float wf = car.frontShare, wr = 1 - car.frontShare;
    const float front = std::fmax(0.0f, vsq * (knowledge.aeroFront + node.verticalCurvature) + StandardGravity);
    const float rear = std::fmax(0.0f, vsq * (knowledge.aeroRear + node.verticalCurvature) + StandardGravity);
    const float rolling = (wf * front + wr * rear) * (TyreRollingCoefficient + node.surfaceDrag);
    return rolling + vsq * car.drag / car.mass + node.slope * StandardGravity +
           CorneringDragDecel(knowledge, displayMode, node, vsq, wf);
}

// The friction of each axle's tyres on each side, on one surface kind.
struct AxleFriction {
    float plus[2] = {}, minus[2] = {};
};

float SurfaceKindFactor(int kind)
{
    switch (kind) {
    case 1:
    case 16:
        return 0.92f;
    case 14:
        return 0.96f;
    case 15:
        return 0.84f;
    default:
        return 1.0f;
    }
}

// The friction of each wheel's compound on the surface kind, per axle and
// side (a wheel in the middle counts for both sides).
AxleFriction FrictionOnSurface(const CarObject& car, int kind)
{
    AxleFriction f;
    const int surface = kind >= 0 && kind < SurfaceKindCount ? kind : 0;
    const float classFactor = SurfaceKindTable[surface].loose == 0 ? HardSurfaceFriction : 1.0f;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& wheel = car.wheels[i];
        const int axle = wheel.axleIndex == FrontAxle ? FrontAxle : RearAxle;
        const int compound = Clamp(car.axles[axle].tyreType, 0, TyreCompoundCount - 1);
        const float value = GripTable[compound][surface] * SurfaceKindFactor(surface) * classFactor * HeldTyreFriction;
        if (wheel.side >= 0)
            f.plus[axle] = value;
        if (wheel.side <= 0)
            f.minus[axle] = value;
    }
    return f;
}

// The grip of every node from the surface the curve leans onto.
void SetNodeGrip(AiKnowledge& knowledge)
{
    AxleFriction friction;
    int lastSurface = -1;
    for (KnowledgeNode& node : knowledge.nodes) {
        if (node.surfaceCurve != lastSurface) {
            friction = FrictionOnSurface(*knowledge.car, node.surfaceCurve);
            lastSurface = node.surfaceCurve;
        }
        const float* side = node.curvature > 0 ? friction.plus : friction.minus;
        node.gripA = side[FrontAxle];
        node.gripB = side[RearAxle];
    }
}

// The fastest speed through the node that the tyres hold, at most vmax.
float CorneringSpeed(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vmax)
{
    const float k = std::fabs(node.curvature);
    const float g0 = NodeGripAccel(node, scale, 0, 0, 0);
    const float vmaxSq = vmax * vmax;
    if (g0 / vmaxSq >= k)
        return vmax;
    float vsq = g0 / k;
    for (int pass = 0; pass < CorneringPasses; pass++) {
        vsq = NodeGripAccel(node, scale, vsq, knowledge.aeroFront, knowledge.aeroRear) / k;
        if (vsq >= vmaxSq)
            return vmax;
    }
    return std::sqrt(vsq);
}

// Cornering speeds of every node; the pit line's nodes in a speed zone, and
// the node before each, are held to the limit. Returns the slowest node.
int SetCorneringSpeeds(AiKnowledge& knowledge, float scale, float vmax, float speedLimit)
{
    const int n = knowledge.nodeCount;
    int slowest = 0;
    for (int i = 0; i < n; i++) {
        KnowledgeNode& node = knowledge.nodes[size_t(i)];
        node.speed = CorneringSpeed(knowledge, node, scale, vmax);
        node.brakeByte = node.throttleByte = 0;
        if (node.speed < knowledge.nodes[size_t(slowest)].speed)
            slowest = i;
    }
    if (speedLimit > 0 && CurrentWorld) {
        for (int i = 0; i < n; i++) {
            KnowledgeNode& node = knowledge.nodes[size_t(i)];
            if (!FindSpeedZoneAt(*CurrentWorld, node.x, node.y))
                continue;
            node.speed = std::fmin(node.speed, speedLimit);
            if (i > 0)
                knowledge.nodes[size_t(i - 1)].speed = std::fmin(knowledge.nodes[size_t(i - 1)].speed, speedLimit);
        }
    }
    return slowest;
}

// The braking pass: walking back from the anchor, every node is held to the
// speed from which the car can still brake down to the next one.
void BrakingPass(AiKnowledge& knowledge, const CarFigures& car, int displayMode, float scale, int anchor, int closed)
{
    const int n = knowledge.nodeCount;
    std::vector<KnowledgeNode>& nodes = knowledge.nodes;
    const int steps = closed ? n : n - 1;
    int e = anchor;
    // On a closed line the pass goes on past a full round while it still
    // lowers nodes (at most one round more).
    for (int step = 0; step < 2 * n; step++) {
        const int r = closed ? (e + n - 1) % n : e - 1;
        if (r < 0)
            break;
        KnowledgeNode& before = nodes[size_t(r)];
        const KnowledgeNode& end = nodes[size_t(e)];
        bool lowered = false;
        if (end.speed < before.speed && end.speed > 0) {
            const float vsq = end.speed * end.speed;
            const float b = MaxBrakeDecel(knowledge, end, scale, vsq);
            const float dt = before.length / end.speed;
            const float losses = dt * DrivingLosses(knowledge, car, displayMode, end, vsq);
            const float reachable = end.speed + dt * b + losses;
            if (reachable < before.speed) {
                before.speed = reachable;
                before.brakeByte = static_cast<uint8_t>(Clamp(255 * b / knowledge.fullBrakeDecel, 0.0f, 255.0f));
                lowered = true;
            } else if (dt > 0) {
                const float coasting = end.speed + car.engineBraking / end.speed / car.mass * dt + losses;
                const float need = std::fmin(1.0f, (before.speed - coasting) / dt / knowledge.fullBrakeDecel);
                before.brakeByte = need > 0 ? static_cast<uint8_t>(255 * need) : 0;
            }
        }
        if (step + 1 >= steps && !(closed && lowered))
            break;
        e = r;
    }
}

// The display's acceleration pass: walking forward from the anchor, every
// node is held to what the engine and tyres can reach from the one before,
// and the throttle needed is noted.
void AccelerationPass(AiKnowledge& knowledge, const CarFigures& car, float scale, int anchor, int closed)
{
    const int n = knowledge.nodeCount;
    std::vector<KnowledgeNode>& nodes = knowledge.nodes;
    const int steps = closed ? n : n - 1;
    int r = anchor;
    const float wf = car.frontShare;
    for (int step = 0; step < 2 * n; step++) {
        const int next = closed ? (r + 1) % n : r + 1;
        if (next >= n)
            break;
        KnowledgeNode& from = nodes[size_t(r)];
        KnowledgeNode& to = nodes[size_t(next)];
        bool lowered = false;
        if (from.speed > 0 && car.enginePower > 0) {
            const float vsq = from.speed * from.speed;
            const float engineAccel = car.enginePower / from.speed / car.mass;
            const float a = MaxDriveAccel(knowledge, from, scale, vsq, wf, 1 - wf, engineAccel);
            const float dt = from.length / from.speed;
            const float losses = dt * DrivingLosses(knowledge, car, 1, from, vsq);
            const float reachable = from.speed + dt * a - losses;
            float fraction = 0;
            if (reachable < to.speed) {
                to.speed = reachable;
                fraction = a / engineAccel;
                lowered = true;
            } else if (dt > 0) {
                // The throttle that holds the next node's speed against the
                // losses and the engine's own braking.
                const float need = to.speed - from.speed + losses + car.engineBraking / from.speed / car.mass * dt;
                fraction = std::fmin(1.0f, need / dt / engineAccel);
            }
            if (fraction > 0) {
                from.brakeByte = 0;
                from.throttleByte = static_cast<uint8_t>(255 * std::fmin(1.0f, fraction));
            }
        }
        if (step + 1 >= steps && !(closed && lowered))
            break;
        r = next;
    }
}

} // namespace

float FrontAxleWeightShare(const CarObject& car)
{
    // The car stands on its two axles: the front carries the share of the
    // weight that the centre of mass lies ahead of the rear axle.
    const CarTuning& t = car.tuning;
    if (!(t.wheelbase > 0))
        return 0.5f;
    return Clamp((car.centreOfMass.y - t.axleY[RearAxle]) / t.wheelbase, 0.0f, 1.0f);
}

float PitLaneSpeedLimit(const World& world)
{
    const int lowest = GetLowestSpeedLimit(world);
    // A limit of 1 would leave the AI nothing to drive at: no limit then.
    if (world.speedZoneCount <= 0 || lowest >= NoSpeedLimit || lowest <= 1)
        return 0;
    return float(lowest - 1) * KmhToMs;
}

float EffectiveCarMass(const CarObject& car)
{
    float mass = car.mass;
    if (car.wheelCount <= 0 || !car.wheels)
        return mass;
    const float inertia = car.wheels[0].wheelInertia;
    for (int i = 0; i < car.wheelCount; i++) {
        const float radius = car.axles[car.wheels[i].axleIndex == FrontAxle ? FrontAxle : RearAxle].tyreRadius;
        if (radius > 0)
            mass += inertia / (radius * radius);
    }
    return mass;
}

void ComputeCarCapability(AiKnowledge& knowledge)
{
    if (!knowledge.car)
        return;
    const CarObject& car = *knowledge.car;
    knowledge.tankCapacity = car.data.fuelCapacity;
    const float mass = EffectiveCarMass(car);
    float brakeForce = 0;
    for (const Axle& axle : car.axles)
        if (axle.tyreRadius > 0)
            brakeForce += axle.brakeTorque / axle.tyreRadius;
    knowledge.fullBrakeDecel = mass > 0 ? 2 * brakeForce / mass : 0;
    GetDownforceCoefficientSplit(car, knowledge.aeroRear, knowledge.aeroFront);
    GetSetupAxleSums(car, knowledge.rollRear, knowledge.rollFront);
    const CarFigures figures = GetCarFigures(car);
    const float f = figures.frontShare;
    knowledge.aeroFront = f > 0 && car.mass > 0 ? knowledge.aeroFront / (f * car.mass) : 0;
    knowledge.aeroRear = f < 1 && car.mass > 0 ? knowledge.aeroRear / ((1 - f) * car.mass) : 0;
}

float NodeGripAccel(const KnowledgeNode& node, float scale, float vsq, float aeroFront, float aeroRear)
{
    return scale * node.bankFactor *
           std::fmin(AxleGrip(vsq, node.verticalCurvature, aeroRear, 0, node.gripB),
                     AxleGrip(vsq, node.verticalCurvature, aeroFront, 0, node.gripA));
}

float NodeFrontGripAccel(const KnowledgeNode& node, float scale, float vsq, float aeroFront)
{
    return scale * node.bankFactor * AxleGrip(vsq, node.verticalCurvature, aeroFront, 0, node.gripA);
}

// Braking moves weight onto the front axle, driving onto the rear.
float BrakeGripAccel(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift)
{
    return scale * node.bankFactor *
           std::fmin(AxleGrip(vsq, node.verticalCurvature, knowledge.aeroRear, -shift, node.gripB),
                     AxleGrip(vsq, node.verticalCurvature, knowledge.aeroFront, shift, node.gripA));
}

namespace {

// The driving grip of both axles, and the driven axle's share of the grip
// weighted by the axles' weight shares.
float DriveGrip(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift,
                float wf, float wr, int drivenAxle, float& share)
{
    const float front = AxleGrip(vsq, node.verticalCurvature, knowledge.aeroFront, -shift, node.gripA);
    const float rear = AxleGrip(vsq, node.verticalCurvature, knowledge.aeroRear, shift, node.gripB);
    const float total = wf * front + wr * rear;
    share = total > 0 ? (drivenAxle == FrontAxle ? wf * front : wr * rear) / total : 0;
    return scale * node.bankFactor * std::fmin(front, rear);
}

} // namespace

float FrontDriveGrip(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift,
                     float wf, float wr, float& share)
{
    return DriveGrip(knowledge, node, scale, vsq, shift, wf, wr, FrontAxle, share);
}

float RearDriveGrip(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift,
                    float wf, float wr, float& share)
{
    return DriveGrip(knowledge, node, scale, vsq, shift, wf, wr, RearAxle, share);
}

float AllDriveGrip(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift)
{
    float share = 0;
    return DriveGrip(knowledge, node, scale, vsq, shift, 0.5f, 0.5f, RearAxle, share);
}

float MaxBrakeDecel(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq)
{
    if (!knowledge.car)
        return 0;
    const CarFigures car = GetCarFigures(*knowledge.car);
    const float lat = std::fabs(node.curvature) * vsq;
    const float transfer = Transfer(car, lat);
    const float rollSum = knowledge.rollFront + knowledge.rollRear;
    const float rearRoll = rollSum > 0 ? 2 * knowledge.rollRear / rollSum : 1;
    const float available = (1 - rearRoll * transfer) * SurfaceFactor(node);
    float r = 0;
    for (int pass = 0; pass <= LoadShiftPasses; pass++) {
        const float shift = pass == 0 ? 0 : car.height * std::fmin(r, knowledge.fullBrakeDecel) / car.wheelbase;
        const float g = BrakeGripAccel(knowledge, node, scale, vsq, shift);
        if (g <= lat)
            return 0;
        r = available * GripLeft(g, lat);
    }
    return std::fmin(r, knowledge.fullBrakeDecel * scale);
}

float MaxDriveAccel(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float wf,
                    float wr, float engineAccel)
{
    if (!knowledge.car)
        return 0;
    const CarObject& object = *knowledge.car;
    const CarFigures car = GetCarFigures(object);
    const float lat = std::fabs(node.curvature) * vsq;
    const float transfer = Transfer(car, lat);
    const float rollSum = knowledge.rollFront + knowledge.rollRear;
    // The car's drive bits: 1 the rear axle, 2 the front axle.
    const int drive = object.tuning.driveAxles;
    const int driven = drive == 2 ? FrontAxle : drive == 1 ? RearAxle : -1;
    float outside = 1, locking = 0;
    if (driven >= 0) {
        const float roll = driven == FrontAxle ? knowledge.rollFront : knowledge.rollRear;
        outside = rollSum > 0 ? 2 * roll / rollSum : 1;
        const CarSetup* setup = object.data.setup;
        if (setup && setup->axles[driven].diffType == 3)
            locking = setup->axles[driven].powerLocking / 100.0f;
    }
    float r = 0;
    for (int pass = 0; pass <= LoadShiftPasses; pass++) {
        const float shift = pass == 0 ? 0 : std::fmin(r, engineAccel) * car.height / car.wheelbase;
        float share = 1;
        const float g = driven == FrontAxle  ? FrontDriveGrip(knowledge, node, scale, vsq, shift, wf, wr, share)
                        : driven == RearAxle ? RearDriveGrip(knowledge, node, scale, vsq, shift, wf, wr, share)
                                             : AllDriveGrip(knowledge, node, scale, vsq, shift);
        if (g <= lat)
            return 0;
        const float u = GripLeft(g, lat) * share * SurfaceFactor(node);
        r = (1 - outside * transfer) * u;
        if (locking > 0)
            r = std::fmin(u, r + r * locking * 0.5f);
    }
    return std::fmin(r, engineAccel);
}

float CorneringDragDecel(const AiKnowledge& knowledge, int displayMode, const KnowledgeNode& node, float vsq, float wf)
{
    (void)displayMode;
    if (!knowledge.car || !knowledge.car->axles[FrontAxle].present || !knowledge.car->axles[RearAxle].present)
        return 0;
    const float lat = std::fabs(node.curvature) * vsq;
    const float frontGrip = NodeFrontGripAccel(node, 1, vsq, knowledge.aeroFront);
    if (!(frontGrip > 0) || lat <= 0)
        return 0;
    // The tyres' slip angles grow with the share of the grip in use; the
    // front takes more of it the more of the roll stiffness and the weight
    // it carries. Loose surfaces drag twice as hard.
    const float rollSum = knowledge.rollFront + knowledge.rollRear;
    const float frontRoll = rollSum > 0 ? knowledge.rollFront / rollSum : 0.5f;
    const float balance = (1.8f * frontRoll + 2.0f * wf) / 1.9f;
    const float surface = node.surfaceClass == 0 ? 1.0f : 2.0f;
    return 0.35f * lat * std::fmin(1.0f, lat / frontGrip) * balance * surface;
}

void UpdateKnowledge(AiKnowledge& knowledge, int displayMode, float scale, int exitNode, int closed,
                     const KnowledgeNode* joinNodes)
{
    const int n = knowledge.nodeCount;
    if (!knowledge.car || n <= 0)
        return;
    const CarFigures car = GetCarFigures(*knowledge.car);
    const float speedLimit = exitNode >= 0 && CurrentWorld ? PitLaneSpeedLimit(*CurrentWorld) : 0.0f;
    SetNodeGrip(knowledge);
    int anchor = SetCorneringSpeeds(knowledge, scale, car.topSpeed, speedLimit);
    if (!closed) {
        anchor = n - 1;
        if (exitNode >= 0 && joinNodes) {
            knowledge.nodes[size_t(anchor)].speed = joinNodes[exitNode].speed;
        } else {
            knowledge.nodes[size_t(anchor)].speed = OpenEndSpeed;
            knowledge.nodes[0].speed = OpenEndSpeed;
        }
    }
    BrakingPass(knowledge, car, displayMode, scale, anchor, closed);
    if (displayMode)
        AccelerationPass(knowledge, car, scale, closed ? anchor : 0, closed);
}
