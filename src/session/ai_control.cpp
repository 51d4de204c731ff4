// The AI's driving in a step while racing, at the end of a run and while
// stopping: following the racing line (or the pit line), the target speed
// from the line's speed profile, throttle and brake within the tyres'
// grip, steering within the front tyres' slip, and gear changes. All of it
// reads the car's own physical state, so the AI drives the same simulated
// car a player does.
#include <cmath>
#include <numbers>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
// A path flag: a path with no room to pass (no traffic judged; a stopping
// car stops on the line).
constexpr int32_t PathSingleLane = 0x02;
// Below this speed (m/s) the car launches and the traction control reads
// the engine instead of the road.
constexpr float LaunchSpeed = 5;
// Slow mode runs at two thirds of the profile's speed.
constexpr float SlowModeShare = 0.667f;
// A stopping car brakes this hard (m/s^2).
constexpr float StopDecel = 3;
// Steering weights of the heading, lateral and curvature terms.
constexpr float AiHeadingGain = 1.0f, AiLateralGain = 0.1f, AiCurveGain = 1.0f;
// The largest steering angle (rad) a two-wheeled car asks for.
constexpr float TwoWheelSteerLimit = 0.05f;

// What one step of the driving works with.
struct AiLineStep {
    FixedVector predicted;   // where the car will be after lookAhead
    KnowledgeNode target;    // the line at the predicted point
    Vec3 travel;             // unit, the direction the car moves in (flat)
    float speed = 0, vsq = 0;
    int slow = 0;
    int onPitLine = 0;
};

// How far (m) the point lies beyond the path node's cross line.
float AlongNode(const PathNode& node, const FixedVector& p)
{
    const float dx = FixedToMetres(p.x - node.centre.x), dy = FixedToMetres(p.y - node.centre.y);
    return dx * node.direction.x + dy * node.direction.y;
}

// The same across a knowledge node's own direction.
float AlongKnowledgeNode(const KnowledgeNode& node, const FixedVector& p)
{
    const float dx = FixedToMetres(p.x - node.x), dy = FixedToMetres(p.y - node.y);
    return dx * node.dir.x + dy * node.dir.y;
}

// Signed distance (m) of the point to the right of the line through the
// node along direction.
float SideOfLine(const FixedVector& p, Fixed x, Fixed y, const Vec3& direction)
{
    const float dx = FixedToMetres(p.x - x), dy = FixedToMetres(p.y - y);
    return dx * direction.y - dy * direction.x;
}

// The interpolation share between two nodes from how far past each the
// point lies: 0..1.
float ShareBetween(float alongA, float alongB)
{
    const float difference = alongA - alongB;
    if (std::fabs(difference) <= 0.001f)
        return 0;
    const float t = alongA / difference;
    return t < 0 ? 0 : t > 1 ? 1 : t;
}

int NextNode(int node, int count) { return node + 1 >= count ? 0 : node + 1; }

// The car's angular velocity in world axes (rad/s).
Vec3 AngularVelocity(const CarObject& car)
{
    const Vec3 local = RotateByTranspose(car.rotation, car.angularMomentum);
    return Rotate(car.rotation, Rotate(car.inverseInertia, local));
}

// The largest reference slip among the wheels of an axle.
float LargestSlipReference(const CarObject& car, int axle)
{
    float largest = 0;
    for (int i = 0; i < car.wheelCount; i++)
        if (car.wheels[i].axleIndex == axle && car.wheels[i].peakSlip > largest)
            largest = car.wheels[i].peakSlip;
    return largest;
}

// Advances the AI's node as the predicted point passes the next node's
// cross line, and steps it back when the point is behind its node. 0 when
// the step ends here.
int AdvanceAiNode(AiDriver& ai, const AiRaceView& view, const Path& route, AiLineStep& step)
{
    const int count = route.nodeCount;
    const int closed = route.flags & PathClosedLoop;
    int& node = ai.follower.position;
    int next = NextNode(node, count);
    if (AlongNode(route.nodes[size_t(next)], step.predicted) > 0) {
        if (!closed && next == 0) {
            SetAiState(ai, AiStandingStill);
            return 0;
        }
        node = next;
        if (node == ai.pitEntryNode && ai.pitIntention != AiPitNone && !ai.onPitLine)
            AiEnterPitLine(ai, view);
        const AiKnowledge& main = ai.mainKnowledge;
        if (main.keyCount > 1) {
            const int following = ai.keySegment + 1 >= main.keyCount ? 0 : ai.keySegment + 1;
            if (node == main.keys[size_t(following)].startNode) {
                ai.keySegment = uint8_t(following);
                AiUpdateMainProfile(ai, view);
            }
        }
        next = NextNode(node, count);
        if (AlongNode(route.nodes[size_t(next)], step.predicted) > 0)
            return 0;
    }
    if (AlongNode(route.nodes[size_t(node)], step.predicted) < 0) {
        if (node == 0 && !closed) {
            SetAiState(ai, AiStandingStill);
            return 0;
        }
        node = node == 0 ? count - 1 : node - 1;
        next = NextNode(node, count);
    }
    const float t = ShareBetween(AlongNode(route.nodes[size_t(node)], step.predicted),
                                 AlongNode(route.nodes[size_t(next)], step.predicted));
    InterpolateKnowledgeNode(step.target, ai.mainKnowledge.nodes[size_t(node)], ai.mainKnowledge.nodes[size_t(next)], t, 1);
    return 1;
}

// On the pit line the target comes from it: its node advances with the
// predicted point, and past its last node the car is back on the racing
// line.
void FollowPitLine(AiDriver& ai, AiLineStep& step)
{
    const AiKnowledge& pit = ai.pitKnowledge;
    if (pit.nodeCount < 2) {
        ai.onPitLine = 0;
        return;
    }
    while (ai.pitLineIndex + 1 < pit.nodeCount &&
           AlongKnowledgeNode(pit.nodes[size_t(ai.pitLineIndex + 1)], step.predicted) > 0)
        ai.pitLineIndex++;
    if (ai.pitLineIndex + 1 >= pit.nodeCount) {
        ai.onPitLine = 0;
        ai.pitLineIndex = 0;
        ai.lateralTarget = ai.lateralOffset = 0;
        if (ai.pitIntention != AiPitGarage)
            ai.pitIntention = AiPitNone;
        return;
    }
    const KnowledgeNode& a = pit.nodes[size_t(ai.pitLineIndex)];
    const KnowledgeNode& b = pit.nodes[size_t(ai.pitLineIndex + 1)];
    InterpolateKnowledgeNode(step.target, a, b, ShareBetween(AlongKnowledgeNode(a, step.predicted), AlongKnowledgeNode(b, step.predicted)), 1);
    step.onPitLine = 1;
}

int InPitLane(const CarObject& car) { return car.pit.speedZone >= 0; }

// The speed the driver aims at, with slow mode and the pit-lane limit; the
// state may move on to stopping or standing still. -1 when the driver is
// to do nothing this step.
float TargetSpeed(AiDriver& ai, const AiRaceView& view, AiLineStep& step)
{
    float target = std::fmin(step.target.speed, ai.speedCap);
    const CarObject& car = *ai.car;
    if (ai.state == AiRacing || ai.state == AiEndOfRun) {
        if (!car.engine.running) {
            SetAiState(ai, AiStopping);
        } else if (InPitLane(car)) {
            step.slow = 1;
        }
        if (ai.state == AiEndOfRun && (step.onPitLine || !view.qualifying)) {
            step.slow = 1;
            if (ai.countdown != 0 && --ai.countdown == 0)
                SetAiState(ai, AiStopping);
        }
    }
    if (ai.state == AiStopping) {
        if (step.speed < 0.1f)
            SetAiState(ai, AiStandingStill);
        step.slow = 1;
    }
    if (ai.state == AiStandingStill)
        step.slow = 1;
    if (target > view.pitSpeedLimit) {
        if (InPitLane(car))
            target = view.pitSpeedLimit;
        else if (step.slow)
            target = std::fmax(target * SlowModeShare, view.pitSpeedLimit);
    }
    if (!car.follower || car.follower->position < 0 || ai.state == AiStandingStill)
        return -1;
    return target;
}

// A stopping car: brakes to a stand at the road's edge farther from the
// line at the node where it will stand (on a single-lane path, and once
// slow, on the line).
float StoppingDecel(AiDriver& ai, const AiRaceView& view, const AiLineStep& step, float dt, float& deficit)
{
    const Path& route = *view.pathWorld.currentPath;
    if ((route.flags & PathSingleLane) || step.speed < 0.1f)
        deficit = -step.speed;
    if (deficit < 0) {
        ai.stopSideChosen = 0;
        return -deficit / ai.lookAhead;
    }
    const int count = route.nodeCount;
    int node = ai.follower.position;
    float distance = step.vsq / (2 * StopDecel);
    while (distance > 0 && count > 0) {
        distance -= ai.mainKnowledge.nodes[size_t(node)].length;
        const int next = NextNode(node, count);
        if (next == 0 && !(route.flags & PathClosedLoop))
            break;
        node = next;
    }
    const PathNode& standing = route.nodes[size_t(node)];
    const float line = ai.mainKnowledge.nodes[size_t(node)].offset;
    if (!ai.stopSideChosen) {
        ai.stopSideChosen = 1;
        ai.stopSide = std::fabs(standing.leftEdge - line) > std::fabs(standing.rightEdge - line) ? 0 : 1;
    }
    const float edge = (ai.stopSide == 0 ? standing.leftEdge : standing.rightEdge) - line;
    if (step.speed > 0)
        ai.lateralOffset += (edge - ai.lateralOffset) * dt / (step.speed / StopDecel);
    return StopDecel;
}

// Whether a driven axle spins: none of its grounded wheels slips less than
// its threshold, and (at speed) one of them slips under drive.
int DrivenAxleSpins(const AiDriver& ai, const AiLineStep& step)
{
    const CarObject& car = *ai.car;
    const float firstStart = AiLaunchSpeed(car.engine), secondStart = AiClutchBiteSpeed(car.engine);
    const float w = car.engine.speed;
    float g = 0;
    const Vec3 spin = AngularVelocity(car);
    if (step.speed < LaunchSpeed && w <= firstStart) {
        const float along = step.travel.x * ai.lineDir.x + step.travel.y * ai.lineDir.y;
        g = 1 - std::fmax(0.0f, along);
        if (w < 0.5f * secondStart || g <= 0.001f)
            return 0;
    }
    for (int axle = 0; axle < 2; axle++) {
        if (!(car.tuning.driveAxles & (1 << axle)))
            continue;
        int spinning = 1, slipping = 0;
        for (int i = 0; i < car.wheelCount; i++) {
            const Wheel& wheel = car.wheels[i];
            if (wheel.axleIndex != axle || !wheel.touching)
                continue;
            const float reference = wheel.peakSlip;
            float threshold = reference;
            if (step.speed >= LaunchSpeed) {
                const float s = reference > 0 ? (step.travel.x * ai.lineDir.y - step.travel.y * ai.lineDir.x) / reference : 0;
                threshold = 2 / (s * s + 1) * reference;
                if (wheel.driveTorque > 0)
                    slipping = 1;
            } else if (w <= firstStart) {
                const float spinSq = spin.x * spin.x + spin.y * spin.y + spin.z * spin.z;
                threshold = (1 + 0.001f / ((4 * spinSq + 1) * g * g)) * reference;
            }
            if (wheel.combinedSlip < threshold)
                spinning = 0;
        }
        if (spinning && (step.speed < LaunchSpeed || slipping))
            return 1;
    }
    return 0;
}

// Throttle and brake from the speed still missing after lookAhead.
void ControlSpeed(AiDriver& ai, const AiRaceView& view, const AiLineStep& step, float target, float dt)
{
    CarObject& car = *ai.car;
    const AiKnowledge& main = ai.mainKnowledge;
    const float front = FrontAxleWeightShare(car), rear = 1 - front;
    const float mass = EffectiveCarMass(car);
    const float drag = mass > 0 ? car.tuning.dragSum * step.vsq / mass : 0;
    const float slope = step.target.slope * StandardGravity;
    const float cornering = CorneringDragDecel(main, 0, step.target, step.vsq, front);
    float deficit = (target - step.speed) + ai.lookAhead * (drag + slope + cornering);
    const float skill = AiSkillFactor(ai);
    if (deficit <= 0 || ai.state == AiStopping) {
        float decel;
        if (ai.state == AiStopping) {
            decel = StoppingDecel(ai, view, step, dt, deficit);
        } else {
            const float v = std::fmin(step.target.speed, step.speed);
            decel = std::fmin(MaxBrakeDecel(main, step.target, skill, v * v), -deficit / ai.lookAhead);
        }
        ai.brakeTarget = main.fullBrakeDecel > 0 ? std::fmin(1.0f, decel / main.fullBrakeDecel) : 1.0f;
        return;
    }
    ai.brakeTarget = 0;
    const float w = car.engine.speed;
    if (step.speed >= LaunchSpeed || w >= AiClutchBiteSpeed(car.engine)) {
        const float torque = EngineTorqueAt(car.engine, w), friction = EngineFrictionAt(car.engine, w);
        const float driveForce = car.tuning.driveEfficiency * w * (torque + friction) / std::fmax(step.speed, 1.0f);
        const float driveAccel = mass > 0 ? driveForce / mass : 0;
        const float traction = MaxDriveAccel(main, step.target, skill, step.vsq, front, rear, driveAccel);
        if (traction > 0) {
            if (driveForce >= 1) {
                const float wanted = std::fmin(traction, deficit / ai.lookAhead);
                const float idle = torque > 1 ? std::fabs(friction / torque) : 0;
                ai.throttleTarget = std::fmin(1.0f, idle + (1 - idle) * wanted / driveAccel);
            } else {
                ai.throttleTarget = 1;
            }
            if (DrivenAxleSpins(ai, step))
                ai.throttleTarget = 0;
        }
    }
    if (step.speed < LaunchSpeed && w < AiClutchBiteSpeed(car.engine))
        ai.throttleTarget = 1;
}

// Steering toward the line: heading, lateral, body-slip and curvature
// terms, held inside the window the front tyres' slip allows.
void Steer(AiDriver& ai, const AiLineStep& step, float lateralError)
{
    CarObject& car = *ai.car;
    const Vec3& line = ai.lineDir;
    const Vec3& d = step.travel;
    const float h = (d.x * line.y - d.y * line.x) * AiHeadingGain;
    const float l = (d.x * line.x + d.y * line.y) * lateralError * AiLateralGain;
    const Vec3 forward = AiForwardAxis(car), side = AiSideAxis(car);
    const Vec3 spin = AngularVelocity(car);
    const float yaw = spin.x * car.rotation.m[2] + spin.y * car.rotation.m[5] + spin.z * car.rotation.m[8];
    const float toSecond = car.tuning.axleY[1] - car.centreOfMass.y;
    Vec3 v2 = {car.velocity.x - toSecond * yaw * side.x, car.velocity.y - toSecond * yaw * side.y, 0};
    const float v2Sq = v2.x * v2.x + v2.y * v2.y;
    const float lock = float(car.data.setup ? car.data.setup->maxLock : 0) * (Pi / 180);
    if (v2Sq < 0.01f) {
        // A standing car turns its wheels toward the line, so that it
        // pulls away toward it and not straight on into the wall or the
        // car it stands against.
        ai.steerTarget = lock > 0 ? Clamp(-(h + l) / lock, -1.0f, 1.0f) : 0.0f;
        return;
    }
    const float v2Length = std::sqrt(v2Sq);
    const float a = AiArcSine((forward.x * v2.y - forward.y * v2.x) / v2Length);
    const float r = AiArcTangent(LargestSlipReference(car, 1));
    const float spinRate = std::sqrt(spin.x * spin.x + spin.y * spin.y + spin.z * spin.z);
    const float turn = spinRate * ai.lookAhead;
    Vec3 heading = forward;
    if (turn > 0.00001f) {
        FloatMatrix ahead;
        AxisAngleMatrix(ahead, {spin.x / spinRate, spin.y / spinRate, spin.z / spinRate}, turn);
        heading = Rotate(ahead, forward);
    }
    const float p = AiArcSine(heading.x * d.y - heading.y * d.x);
    const AiKnowledge& main = ai.mainKnowledge;
    const float grip = NodeGripAccel(step.target, 1, step.vsq, main.aeroFront, main.aeroRear);
    const float q = grip > 0 ? step.vsq * step.target.curvature / grip : 0;
    double qs = 0, qc = 0;
    ComputeSinCos(double(q * LargestSlipReference(car, 0)), qs, qc);
    const Vec3 turned = {line.x * float(qc) - line.y * float(qs), line.x * float(qs) + line.y * float(qc), 0};
    const float c = -(turned.x * side.x + turned.y * side.y) * std::fabs(q) * AiCurveGain;
    float angle;
    if (car.wheelCount == 2) {
        angle = Clamp(h + l, -TwoWheelSteerLimit, TwoWheelSteerLimit);
    } else {
        const float wanted = c + h + l + p;
        angle = Clamp(wanted, a - r, a + r);
        if ((wanted > a + 1.5f * r || wanted < a - 1.5f * r) && step.speed > LaunchSpeed)
            ai.throttleTarget = 0;
    }
    ai.steerTarget = lock > 0 ? Clamp(-angle / lock, -1.0f, 1.0f) : 0.0f;
}

// Asks for a gear change when the automatic gearbox's rule would.
void ChooseGear(AiDriver& ai, const AiLineStep& step)
{
    const CarObject& car = *ai.car;
    float w = std::fmax(GetEngineSpeedFromWheels(car), car.engine.speed);
    if (step.slow)
        w *= 1.5f;
    const int change = ChooseAutoGear(car, w);
    if (change == 1)
        AiShiftDown(ai);
    else if (change == 2)
        AiShiftUp(ai);
}

// The car is in a forward gear, or a change toward first is asked: 1 when
// it may drive on.
int ReadyInGear(AiDriver& ai)
{
    const CarObject& car = *ai.car;
    if (car.step.gearTarget < AiFirstGear) {
        if (car.data.gearboxKind == 2)
            AiShiftDown(ai);
        else
            AiShiftUp(ai);
        return 0;
    }
    return car.step.gear >= AiFirstGear;
}

} // namespace

void DriveAiCar(AiDriver& ai, const AiRaceView& view, float dt)
{
    CarObject& car = *ai.car;
    const Path* route = view.pathWorld.currentPath;
    if (!route || route->nodeCount <= 0 || ai.mainKnowledge.nodeCount != route->nodeCount ||
        ai.follower.position < 0 || ai.follower.position >= route->nodeCount) {
        SetAiState(ai, AiStandingStill);
        return;
    }
    if (!view.paused) {
        if (!InPitLane(car) && car.race.pitSpeedLimit != 0)
            car.inputs.words[AiPitLimiterWord] = 1;
        AiHandleStuck(ai, view);
        if (ai.state != AiRacing && ai.state != AiEndOfRun && ai.state != AiStopping)
            return;
    }
    if (!ReadyInGear(ai))
        return;
    ai.blocked = ai.offsetUnsafe = 0;
    ai.followFactor = 0;
    ai.speedCap = 200;
    if (!ai.onPitLine && !(route->flags & PathSingleLane))
        AiUpdateTraffic(ai, view);
    car.inputs.words[AiHandbrakeWord] = 0;
    ai.throttleTarget = 0;

    AiLineStep step;
    const float lookAhead = ai.lookAhead;
    step.predicted = car.position + FixedFromOffset({car.velocity.x * lookAhead, car.velocity.y * lookAhead,
                                                     car.velocity.z * lookAhead});
    if (!AdvanceAiNode(ai, view, *route, step))
        return;
    if (ai.onPitLine)
        FollowPitLine(ai, step);
    step.speed = AiCarSpeed(car);
    step.vsq = step.speed * step.speed;
    if (step.speed > 0.001f) {
        const float flat = std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y);
        step.travel = flat > 0 ? Vec3{car.velocity.x / flat, car.velocity.y / flat, 0} : AiForwardAxis(car);
    } else {
        step.travel = AiForwardAxis(car);
    }
    const float target = TargetSpeed(ai, view, step);
    if (target < 0) {
        ai.throttleTarget = ai.brakeTarget = ai.steerTarget = 0;
        return;
    }
    ControlSpeed(ai, view, step, target, dt);
    ai.lineDir = step.target.dir;
    float lateralError = SideOfLine(step.predicted, step.target.x, step.target.y, step.target.dir);
    if (step.onPitLine)
        AiDrivePitLine(ai, view, lateralError, step.predicted, step.target);
    else
        lateralError -= ai.lateralOffset;
    Steer(ai, step, lateralError);
    ChooseGear(ai, step);
}
