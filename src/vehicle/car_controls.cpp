// The local player's controls turned into the player car's input words,
// once per 10 ms step: steering filters for controller, mouse and keyboard,
// pedal ramps and dead zones, shift debouncing and edge-detected requests.
// The words are recorded and sent as they are, so these filters need not
// agree bit for bit between machines.
#include <cmath>

#include "vehicle/local.h"

namespace {

// Control functions of the control table.
enum : int {
    SteerLeft = 0, SteerRight = 1, SteerFast = 2, SteerSlow = 3, ThrottleControl = 4,
    BrakeControl = 5, ShiftUpControl = 6, ShiftDownControl = 7, ClutchControl = 8,
    HandbrakeControl = 9, HornControl = 13, FlashControl = 14, ResetControl = 15,
    PitSpeedControl = 16, TcDisableControl = 17, IgnitionControl = 18, ReverseControl = 21,
    FirstGearControl = 22, GearControlCount = 7,
};

constexpr int StepMs = 10;
constexpr float StepSeconds = 0.01f;
// Keyboard steering never moves the steering further than this from the
// angle of the last word in one step (rad).
constexpr float KeyboardStepLimit = 0.016f;
// Horn and flash packets.
constexpr uint8_t HornPacket = 30, FlashPacket = 31;

// The controls and controller axes, as the input devices serve them.
int IsControlActive(int control, int alsoKey) { return GetCarControlHooks().isControlActive(control, alsoKey); }
float ControllerAxis(int axis) { return GetCarControlHooks().controllerAxis(axis); }
CarControlSettings ControlSettings() { return GetCarControlHooks().controlSettings(); }

uint16_t WordOf(long value)
{
    return static_cast<uint16_t>(Clamp(value, 0, 65535));
}

// The axis words' average over n steps: (new + old x (n - 1)) / n.
uint16_t Averaged(long fresh, uint16_t old, int n)
{
    if (n <= 1)
        return WordOf(fresh);
    return WordOf((fresh + static_cast<long>(old) * (n - 1)) / n);
}

// A pedal value 0..1 as its word.
long PedalWord(float value)
{
    return std::lrint(value * 65535.0f);
}

bool UsesController()
{
    return Settings.controlType != 0;
}

// A dead-zoned axis: nothing in the bottom 5 %, full from 5 % + 1 / scale.
float AxisPedal(float axis, float scale)
{
    return Clamp((axis - 0.05f) * scale, 0, 1);
}

// The key ramp: up by "Thr Brk Rate" per second while active, down as fast
// when not.
void RampPedal(float& value, bool active)
{
    const float step = Settings.thrBrkRate * 0.01f;
    value = active ? std::fmin(value + step, 1.0f) : std::fmax(value - step, 0.0f);
}

// The steering reduction with speed: r / (speed / half + 1) + (1 - r).
float SpeedReduction(float r, float halfSpeed, float speed)
{
    if (r == 0 || halfSpeed <= 0)
        return 1;
    return r / (speed / halfSpeed + 1) + (1 - r);
}

float SteeringLock(const CarObject& car)
{
    return car.data.setup ? car.data.setup->maxLock * Pi / 180.0f : 0;
}

// The stabilised keyboard steering's range and offset (rad).
struct SteerRange {
    float lower, upper, offset;
};

SteerRange StabilisedRange(const CarObject& car, float lock)
{
    const FloatMatrix& r = car.rotation;
    const Vec3 right{r.m[0], r.m[3], r.m[6]};
    const Vec3 forward{r.m[1], r.m[4], r.m[7]};
    const Vec3 up{r.m[2], r.m[5], r.m[8]};
    const float yawRate = Dot(AngularVelocity(car, car.rotation), up);
    const float frontDistance = car.tuning.axleY[1] - car.centreOfMass.y;
    Vec3 point = car.velocity - (yawRate * frontDistance) * right;
    point.z = 0;
    Vec3 heading{forward.x, forward.y, 0};
    const float headingLength = std::sqrt(LengthSquared(heading));
    const float pointSpeed = std::sqrt(LengthSquared(point));
    const float forwardSpeed = headingLength > 0 ? Dot(car.velocity, heading) / headingLength : 0;
    if (pointSpeed < 1 || forwardSpeed < 1)
        return {-lock, lock, 0};
    const float cross = (heading.x * point.y - heading.y * point.x) / (headingLength * pointSpeed);
    const float d = cross > -1 && cross < 1 ? std::asin(cross) : 0;
    float peak = 0;
    for (int i = 0; i < car.wheelCount; i++)
        if (car.wheels[i].axleIndex == 1 && car.wheels[i].peakSlip > peak)
            peak = car.wheels[i].peakSlip;
    const float limit = Settings.kbLimitMul * std::atan(peak);
    SteerRange range{std::fmin(d - limit, -limit), std::fmax(d + limit, limit), d / 2};
    if (forwardSpeed < 9) {
        const float f = (forwardSpeed - 1) / 8;
        range.offset *= f;
        range.upper = lock + f * (range.upper - lock);
        range.lower = -lock + f * (range.lower + lock);
    }
    return range;
}

uint16_t KeyboardSteer(PlayerControlState& controls, const CarObject& car, uint16_t old)
{
    const float lock = SteeringLock(car);
    if (lock <= 0)
        return SteeringCentre;
    const bool stabilised = Settings.steerKb == 2;
    const SteerRange range = stabilised ? StabilisedRange(car, lock) : SteerRange{-lock, lock, 0};
    const bool left = IsControlActive(SteerLeft, 1) != 0;
    const bool right = IsControlActive(SteerRight, 1) != 0;
    if (!(left && right)) {
        float target = 0;
        if (left)
            target = stabilised ? range.upper - range.offset : lock;
        else if (right)
            target = stabilised ? range.lower - range.offset : -lock;
        float rate = left || right ? Settings.kbSteerRate : Settings.kbReturnRate;
        if (IsControlActive(SteerFast, 1))
            rate *= Settings.kbFastMul;
        if (IsControlActive(SteerSlow, 1))
            rate *= Settings.kbSlowMul;
        rate *= SpeedReduction(Settings.speedSteerReductionKb, Settings.halfReduceSpeedKb, car.step.speed);
        const float step = rate * StepSeconds;
        float& angle = controls.keyboardSteer;
        if (angle < target)
            angle = std::fmin(angle + step, target);
        else if (angle > target)
            angle = std::fmax(angle - step, target);
    }
    // The angle the car took from the last word, and at most a small step
    // from it.
    const float current = -(static_cast<float>(old) - 32768.0f) / 32768.0f * lock;
    const float a = Clamp(range.offset + controls.keyboardSteer, current - KeyboardStepLimit,
                          current + KeyboardStepLimit);
    const long word = 32768 - std::lrint(Clamp(a / lock, -1, 1) * 32767.0f);
    return static_cast<uint16_t>(Clamp(word, 1, 65535));
}

// The key ramp or axis of the throttle, brake or handbrake.
uint16_t PedalInput(PlayerControlState& controls, int n, uint16_t old, float& value, int control,
                    float axis, bool onAxis)
{
    if (controls.noControl || !controls.playerCar)
        return 0;
    if (onAxis) {
        value = AxisPedal(axis, 1.1111111f);
        return Averaged(PedalWord(value), old, n);
    }
    RampPedal(value, IsControlActive(control, 1) != 0);
    return WordOf(PedalWord(value));
}

// A control that acts on the step it becomes active.
bool BecameActive(int control, int keyFlag, uint8_t& held)
{
    const bool active = IsControlActive(control, keyFlag) != 0;
    const bool fired = active && !held;
    held = active ? 1 : 0;
    return fired;
}

// The debounced shift word: a press holds it for at least "Debounce" ms
// and for as long as the control stays active.
uint16_t DebouncedShift(int control, int keyFlag, int32_t& timer)
{
    const bool active = IsControlActive(control, keyFlag) != 0;
    if (active && timer == 0)
        timer = Settings.debounce;
    const int32_t floor = active ? 1 : 0;
    timer = timer - StepMs > floor ? timer - StepMs : floor;
    return timer > 0 ? 1 : 0;
}

bool IsSingleSeater(const CarObject& car)
{
    return car.data.carClass == 4 || car.data.carClass == 10 || car.data.carClass == 11;
}

} // namespace

uint16_t FilterSteerInput(PlayerControlState& controls, int n, uint16_t old)
{
    const CarObject* car = controls.playerCar;
    if (controls.noControl || !car)
        return SteeringCentre;
    const bool controller = UsesController();
    if (!controller && Settings.steerKb != 0)
        return KeyboardSteer(controls, *car, old);

    float v;
    if (controller) {
        v = ControllerAxis(SteerAxis);
    } else {
        // The mouse across the window; without a drawing area it steers
        // straight.
        const int width = ScreenSize.client.width;
        if (controls.screenOpen || width <= 0)
            return SteeringCentre;
        const int x = InputState.lastMousePixel[0] < 0 ? 0 : InputState.lastMousePixel[0] >= width ? width - 1 : InputState.lastMousePixel[0];
        v = (static_cast<float>(x) - static_cast<float>(width) * 0.5f) * 2.0f / static_cast<float>(width);
    }
    const float smooth = Settings.steerSmooth;
    float s = v * (1 - smooth) + smooth * controls.smoothedSteer;
    controls.smoothedSteer = s;
    s *= SpeedReduction(Settings.speedSteerReductionWm, Settings.halfReduceSpeedWm, car->step.speed);
    float u = s;
    if (!controller) {
        const float b = Settings.mouseNonLinear;
        u = s * (b * s * s + 1 - b);
    } else if (Settings.turnCompensation != 0) {
        // The car's lock to lock in degrees against the wheel's.
        const float w = SteeringLock(*car) * 360.0f / Pi;
        const float turn = ControlSettings().wheelTurn;
        if (w > 0 && turn > 0) {
            if (turn >= w) {
                const float share = w / turn;
                u = Clamp(s, -share, share) / share;
            } else {
                const float k = (1 - turn / w) * Settings.turnCompensation;
                u = s * (k * s * s + 1 - k);
            }
        }
    }
    long word = std::lrint(u * 32767.0f) + 32768;
    word = Clamp(word, 1, 65535);
    return Averaged(word, old, n);
}

uint16_t FilterThrottleInput(PlayerControlState& controls, int n, uint16_t old)
{
    return PedalInput(controls, n, old, controls.throttle, ThrottleControl, ControllerAxis(ThrottleAxis),
                      UsesController() && ControlSettings().pedalMode != 2);
}

uint16_t FilterBrakeInput(PlayerControlState& controls, int n, uint16_t old)
{
    return PedalInput(controls, n, old, controls.brake, BrakeControl, ControllerAxis(BrakeAxis),
                      UsesController() && ControlSettings().pedalMode != 2);
}

uint16_t FilterHandbrakeInput(PlayerControlState& controls, int n, uint16_t old)
{
    return PedalInput(controls, n, old, controls.handbrake, HandbrakeControl, ControllerAxis(HandbrakeAxis),
                      UsesController() && !ControlSettings().handbrakeOnButton);
}

uint16_t FilterClutchInput(PlayerControlState& controls, int n, uint16_t old)
{
    if (controls.noControl || !controls.playerCar)
        return 0;
    float& value = controls.clutch;
    if (!UsesController() || ControlSettings().clutchOnButton != 0) {
        // On a key or button: pressed at once, released by the ramp.
        if (IsControlActive(ClutchControl, 1))
            value = 1;
        else
            RampPedal(value, false);
    } else {
        // The pedal is fully pressed at 65 % of its travel.
        value = AxisPedal(ControllerAxis(ClutchAxis), 1.6666666f);
    }
    return Averaged(PedalWord(value), old, n);
}

uint16_t GetShifterGear(const PlayerControlState& controls)
{
    const CarObject* car = controls.playerCar;
    if (!UsesController() || PlayerProfile.gearShiftMode != 2 || !car || car->data.gearboxKind != 1)
        return NoHShifterGear;
    if (IsControlActive(ReverseControl, controls.keyFlag))
        return 0;
    for (int k = 1; k <= GearControlCount; k++)
        if (IsControlActive(FirstGearControl + k - 1, controls.keyFlag))
            return static_cast<uint16_t>(k + 1 < car->data.gearCount - 1 ? k + 1 : car->data.gearCount - 1);
    return 1;
}

uint16_t GetLookCode(const PlayerControlState& controls)
{
    if (!controls.playerCar || controls.viewedCar != controls.playerCar)
        return 0;
    float angle, low, high;
    GetCarDrawHooks().driverLookState(angle, low, high);
    if (angle > high)
        return 5;
    if (angle > low)
        return 4;
    if (angle < -high)
        return 7;
    if (angle < -low)
        return 6;
    return 0;
}

int IsHornActive(const PlayerControlState& controls)
{
    if (!controls.playerCar || IsSingleSeater(*controls.playerCar))
        return 0;
    if (!UsesController() && controls.screenOpen)
        return 0;
    return IsControlActive(HornControl, !controls.screenOpen && !InputState.shiftHeld) ? 1 : 0;
}

int IsFlashActive(const PlayerControlState& controls)
{
    if (!UsesController() && controls.screenOpen)
        return 0;
    return IsControlActive(FlashControl, !controls.screenOpen && !InputState.shiftHeld) ? 1 : 0;
}

void ReadCarControls(PlayerControlState& controls, int n)
{
    CarObject* car = controls.playerCar;
    if (!car)
        return;
    uint16_t* w = car->inputs.words;
    // The axis-driven words.
    w[0] = FilterSteerInput(controls, n, w[0]);
    w[1] = FilterThrottleInput(controls, n, w[1]);
    w[2] = FilterBrakeInput(controls, n, w[2]);
    w[11] = FilterClutchInput(controls, n, w[11]);
    w[12] = FilterHandbrakeInput(controls, n, w[12]);
    // Shift words.
    if (controls.noControl) {
        w[3] = w[4] = 0;
    } else {
        w[3] = DebouncedShift(ShiftUpControl, controls.keyFlag, controls.shiftUpTimer);
        w[4] = DebouncedShift(ShiftDownControl, controls.keyFlag, controls.shiftDownTimer);
    }
    // Requests on the step their control becomes active.
    if (BecameActive(ResetControl, controls.keyFlag, controls.resetHeld))
        RequestCarReset(*car, 1);
    w[16] = BecameActive(PitSpeedControl, controls.keyFlag, controls.pitLimiterHeld) ? 1 : 0;
    w[17] = BecameActive(TcDisableControl, controls.keyFlag, controls.tractionHeld) ? 1 : 0;
    w[5] = BecameActive(IgnitionControl, controls.keyFlag, controls.ignitionHeld) ? 1 : 0;
    // The key handler's headlight and indicator requests, the H-shifter's
    // gear and the driver's look.
    w[7] = controls.headlightRequest;
    w[13] = controls.indicatorRequest;
    w[14] = GetShifterGear(controls);
    w[15] = GetLookCode(controls);
    // Horn and flash.
    const uint8_t horn = IsHornActive(controls) ? static_cast<uint8_t>(PlayerProfile.horn + 1) : 0;
    const uint8_t flash = IsFlashActive(controls) ? 1 : 0;
    w[9] = horn;
    w[10] = flash;
    // Others hear the horn and see the flash through packets, sent when
    // the state changes.
    controls.hornSent = controls.flashSent = 0;
    const CarNetHooks& net = GetCarNetHooks();
    if (net.isOnline() && !net.isReplayPlaying()) {
        if (horn != controls.sentHorn) {
            const uint8_t packet[4] = {HornPacket, horn, 0, 0};
            net.queueGamePacket(packet, 4);
            controls.sentHorn = horn;
            controls.hornSent = 1;
        }
        if (flash != controls.sentFlash) {
            const uint8_t packet[4] = {FlashPacket, flash, 0, 0};
            net.queueGamePacket(packet, 4);
            controls.sentFlash = flash;
            controls.flashSent = 1;
        }
    }
    // The key handler's requests are taken.
    controls.headlightRequest = 0;
    controls.indicatorRequest = 0;
}
