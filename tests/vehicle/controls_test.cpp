// The player's controls turned into input words: key ramps, controller
// dead zones, shift debouncing, keyboard steering's limits, mouse and
// controller steering, the H-shifter word, one-step requests and the horn
// and flash packets.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "vehicle/local.h"

namespace {

// The game step of the pass, as the main loop leaves it for the car.
void SetFrameStep(int32_t ms)
{
    GameTimeRecord time = GameTime;
    time.frameStepMs = ms;
    SetGameTime(time);
}

// The controls the test holds down: keyboard keys count only when the
// caller lets them, controller buttons always.
std::array<bool, 64> KeysDown, ButtonsDown;
int ScriptedControl(int control, int alsoKey)
{
    return ButtonsDown[control] || (alsoKey && KeysDown[control]) ? 1 : 0;
}

// The controller's axes and the controls file's choices the test sets.
float Axes[5];
CarControlSettings ControlFile;

// A multiplayer game the test runs, and the packets the controls queue.
int OnlineGame, ReplayPlaying;
std::vector<std::vector<uint8_t>> Packets;
void WatchPacket(const uint8_t* bytes, int length)
{
    Packets.emplace_back(bytes, bytes + length);
}

enum : int {
    SteerLeft = 0, SteerRight = 1, SteerFast = 2, Throttle = 4, Brake = 5, ShiftUp = 6, Clutch = 8,
    Handbrake = 9, Horn = 13, Flash = 14, PitSpeed = 16, TcDisable = 17, Ignition = 18, Reverse = 21,
    GearFirst = 22,
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetVehicleTables();
        KeysDown.fill(false);
        ButtonsDown.fill(false);
        for (float& axis : Axes)
            axis = 0;
        ControlFile = {};
        OnlineGame = ReplayPlaying = 0;
        Packets.clear();
        CarControlHooks controlHooks;
        controlHooks.isControlActive = ScriptedControl;
        controlHooks.controllerAxis = [](int axis) { return Axes[axis]; };
        controlHooks.controlSettings = [] { return ControlFile; };
        SetCarControlHooks(controlHooks);
        CarNetHooks net;
        net.isOnline = [] { return OnlineGame; };
        net.isReplayPlaying = [] { return ReplayPlaying; };
        net.queueGamePacket = WatchPacket;
        SetCarNetHooks(net);
        ConstructCar(car);
        setup.maxLock = 30;
        car.data.setup = &setup;
        car.data.setupIndex = -1;
        car.data.carClass = 2;
        car.data.gearboxKind = 1;
        car.data.gearCount = 7;  // five forward gears
        controls.playerCar = &car;
        controls.viewedCar = &car;
        EditSettings([&](SettingsRecord& record) {
            record.controlType = 0;
            record.steerKb = 1;
            record.thrBrkRate = 5;
            record.steerSmooth = 0;
            record.mouseNonLinear = 0;
            record.turnCompensation = 0;
            record.debounce = 50;
        });
    }
    void TearDown() override
    {
        car.data.setup = nullptr;
        DestroyCar(car);
        SetFrameStep(0);
        SetClientSize(0, 0);
        SetMouseAxis(0, 0, InputState.mousePosition[0]);
        SetMouseAxis(1, 0, InputState.mousePosition[1]);
        SetModifierKeys(0, InputState.ctrlHeld, InputState.altHeld);
        ResetVehicleTables();
        ResetCoreTables();
    }

    void Step(int n = 1) { ReadCarControls(controls, n); }
    uint16_t Word(int i) const { return car.inputs.words[i]; }
    float Lock() const { return 30 * 3.14159265f / 180; }
    // The angle the car takes from the steering word (left positive).
    float SteerAngle() const { return -(Word(0) - 32768.0f) / 32768.0f * Lock(); }

    CarObject car;
    CarSetup setup;
    PlayerControlState controls;
};

TEST_F(ControlsTest, KeyRampsTakeTwentyStepsAtRateFive)
{
    struct Case {
        int control, word;
    } cases[] = {{Throttle, 1}, {Brake, 2}, {Handbrake, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        KeysDown[c.control] = true;
        for (int i = 1; i <= 20; i++) {
            Step();
            if (i == 10) {
                EXPECT_NEAR(Word(c.word), 32768, 1);
            }
            if (i == 19) {
                EXPECT_LT(Word(c.word), 65535);
            }
        }
        EXPECT_EQ(Word(c.word), 65535);
        KeysDown[c.control] = false;
        for (int i = 1; i <= 20; i++) {
            Step();
            if (i == 19) {
                EXPECT_GT(Word(c.word), 0);
            }
        }
        EXPECT_EQ(Word(c.word), 0);
    }

    // The clutch key presses fully at once and releases by the ramp.
    KeysDown[Clutch] = true;
    Step();
    EXPECT_EQ(Word(11), 65535);
    KeysDown[Clutch] = false;
    Step();
    EXPECT_NEAR(Word(11), 0.95 * 65535, 1);
}

TEST_F(ControlsTest, ControllerPedalsHaveDeadZones)
{
    struct Case {
        const char* name;
        int word;
        float axis;
        int pedalMode;
        int n;
        uint16_t old;
        double expected;
    } cases[] = {
        {"throttle at 4 % gives nothing", 1, 0.04f, 1, 1, 0, 0},
        {"throttle at 95 % is full", 1, 0.95f, 1, 1, 0, 65535},
        {"throttle half way", 1, 0.5f, 1, 1, 0, 0.45 / 0.9 * 65535},
        {"brake at 4 %", 2, 0.04f, 1, 1, 0, 0},
        {"brake at 96 %", 2, 0.96f, 1, 1, 0, 65535},
        {"clutch full at 65 %", 11, 0.65f, 1, 1, 0, 65535},
        {"clutch at 35 %", 11, 0.35f, 1, 1, 0, 0.3 / 0.6 * 65535},
        {"clutch at 4 %", 11, 0.04f, 1, 1, 0, 0},
        {"handbrake at 95 %", 12, 0.95f, 1, 1, 0, 65535},
        {"averaged over two steps", 1, 1.0f, 1, 2, 0, 32767},
        {"one shared axis leaves the pedals to their keys", 1, 1.0f, 2, 1, 0, 0},
    };
    EditSettings([&](SettingsRecord& record) { record.controlType = 1; });
    ControlFile.clutchOnButton = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControlFile.pedalMode = c.pedalMode;
        for (float& axis : Axes)
            axis = 0;
        controls.throttle = controls.brake = controls.clutch = controls.handbrake = 0;
        Axes[c.word == 1 ? ThrottleAxis : c.word == 2 ? BrakeAxis : c.word == 11 ? ClutchAxis : HandbrakeAxis] = c.axis;
        car.inputs.words[c.word] = c.old;
        Step(c.n);
        EXPECT_NEAR(Word(c.word), c.expected, 1);
    }
}

TEST_F(ControlsTest, ShiftWordsAreDebounced)
{
    // A tap of one step holds the word until the debounce time has run, in
    // steps of game time however long the frames are.
    SetFrameStep(100);
    KeysDown[ShiftUp] = true;
    Step();
    KeysDown[ShiftUp] = false;
    std::vector<int> words{Word(3)};
    for (int i = 0; i < 5; i++) {
        Step();
        words.push_back(Word(3));
    }
    EXPECT_EQ(words, (std::vector<int>{1, 1, 1, 1, 0, 0}));

    // A long press holds it as long as the control is active, no longer.
    KeysDown[ShiftUp] = true;
    for (int i = 0; i < 12; i++) {
        Step();
        EXPECT_EQ(Word(3), 1);
    }
    KeysDown[ShiftUp] = false;
    Step();
    EXPECT_EQ(Word(3), 0);

    // The key counts only while the key flag lets it.
    controls.keyFlag = 0;
    KeysDown[ShiftUp] = true;
    Step();
    EXPECT_EQ(Word(3), 0);
    ButtonsDown[ShiftUp] = true;
    Step();
    EXPECT_EQ(Word(3), 1);
}

TEST_F(ControlsTest, KeyboardSteeringMovesAtMostALittleEachStep)
{
    EditSettings([&](SettingsRecord& record) {
        record.kbSteerRate = 1;
        record.kbReturnRate = 1;
        record.kbFastMul = 3;
    });
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        EditSettings([&](SettingsRecord& record) { record.steerKb = mode; });
        car.inputs.words[0] = SteeringCentre;
        controls.keyboardSteer = 0;
        KeysDown[SteerFast] = true;
        for (int key : {int(SteerLeft), int(SteerRight), -1}) {
            KeysDown[SteerLeft] = key == SteerLeft;
            KeysDown[SteerRight] = key == SteerRight;
            for (int i = 0; i < 100; i++) {
                const float before = SteerAngle();
                Step();
                EXPECT_LE(std::fabs(SteerAngle() - before), 0.016f + Lock() / 32767) << "step " << i;
            }
            // The car at rest: the whole lock either way, or straight ahead.
            EXPECT_EQ(Word(0), key == SteerLeft ? 1 : key == SteerRight ? 65535 : 32768);
        }
    }
}

TEST_F(ControlsTest, BothSteerKeysHoldTheAngle)
{
    EditSettings([&](SettingsRecord& record) { record.kbSteerRate = 0.4f; });
    KeysDown[SteerLeft] = true;
    for (int i = 0; i < 30; i++)
        Step();
    const float angle = controls.keyboardSteer;
    const uint16_t word = Word(0);
    EXPECT_NEAR(angle, 30 * 0.004f, 1e-5f);
    KeysDown[SteerRight] = true;
    for (int i = 0; i < 10; i++) {
        Step();
        EXPECT_EQ(controls.keyboardSteer, angle);
        EXPECT_EQ(Word(0), word);
    }
    // Released, the steering returns to the centre.
    KeysDown[SteerLeft] = KeysDown[SteerRight] = false;
    for (int i = 0; i < 200; i++)
        Step();
    EXPECT_EQ(Word(0), SteeringCentre);
}

TEST_F(ControlsTest, MouseAndControllerSteering)
{
    struct Case {
        const char* name;
        int controlType;
        int width, mouseX;
        uint8_t screenOpen;
        float axis, turnCompensation;
        long expected;
    } cases[] = {
        {"mouse in the middle", 0, 800, 400, 0, 0, 0, 32768},
        {"mouse at the left edge", 0, 800, 0, 0, 0, 0, 1},
        {"mouse at the right edge", 0, 800, 799, 0, 0, 0, 32768 + std::lrint(0.9975f * 32767)},
        {"mouse beyond the window is held at its edge", 0, 800, 5000, 0, 0, 0, 32768 + std::lrint(0.9975f * 32767)},
        {"a screen open over the race centres it", 0, 800, 0, 1, 0, 0, 32768},
        {"no drawing area centres it", 0, 0, 100, 0, 0, 0, 32768},
        {"controller half right", 1, 0, 0, 0, 0.5f, 0, 32768 + 16384},
        {"controller full left", 1, 0, 0, 0, -1, 0, 1},
        // Lock 30 degrees is 60 lock to lock against a 270 degree wheel: the
        // car's wheels follow the controller degree for degree.
        {"turn compensation, small turn", 1, 0, 0, 0, 0.1f, 1, 32768 + std::lrint(0.1f * 270 / 60 * 32767)},
        {"turn compensation, beyond the car's lock", 1, 0, 0, 0, 0.5f, 1, 65535},
    };
    EditSettings([&](SettingsRecord& record) { record.steerKb = 0; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditSettings([&](SettingsRecord& record) {
            record.controlType = c.controlType;
            record.turnCompensation = c.turnCompensation;
        });
        SetClientSize(c.width, ScreenSize.client.height);
        SetMouseAxis(0, c.mouseX, InputState.mousePosition[0]);
        controls.screenOpen = c.screenOpen;
        Axes[SteerAxis] = c.axis;
        controls.smoothedSteer = 0;
        Step();
        EXPECT_NEAR(Word(0), c.expected, 1);
    }
}

TEST_F(ControlsTest, HShifterWord)
{
    struct Case {
        const char* name;
        int controlType, shiftMode, kind, held, second;
        uint16_t expected;
    } cases[] = {
        {"no gear control: neutral", 1, 2, 1, -1, -1, 1},
        {"reverse", 1, 2, 1, Reverse, -1, 0},
        {"third", 1, 2, 1, GearFirst + 2, -1, 4},
        {"seventh on five gears gives the top gear", 1, 2, 1, GearFirst + 6, -1, 6},
        {"fifth is the top gear", 1, 2, 1, GearFirst + 4, -1, 6},
        {"the first active control wins", 1, 2, 1, GearFirst + 1, Reverse, 0},
        {"sequential gearbox: no shifter", 1, 2, 3, GearFirst, -1, 255},
        {"sequential shifting chosen", 1, 1, 1, GearFirst, -1, 255},
        {"keyboard and mouse", 0, 2, 1, GearFirst, -1, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ButtonsDown.fill(false);
        EditSettings([&](SettingsRecord& record) { record.controlType = c.controlType; });
        EditPlayerProfile([&](PlayerProfileRecord& record) { record.gearShiftMode = c.shiftMode; });
        car.data.gearboxKind = c.kind;
        if (c.held >= 0)
            ButtonsDown[c.held] = true;
        if (c.second >= 0)
            ButtonsDown[c.second] = true;
        Step();
        EXPECT_EQ(Word(14), c.expected);
    }
}

TEST_F(ControlsTest, RequestsFireOnTheStepTheirControlBecomesActive)
{
    const std::pair<int, int> cases[] = {{PitSpeed, 16}, {TcDisable, 17}, {Ignition, 5}};
    for (const auto& [control, word] : cases) {
        SCOPED_TRACE(word);
        KeysDown[control] = true;
        std::vector<int> words;
        for (int i = 0; i < 3; i++) {
            Step();
            words.push_back(Word(word));
        }
        KeysDown[control] = false;
        Step();
        KeysDown[control] = true;
        Step();
        words.push_back(Word(word));
        KeysDown[control] = false;
        EXPECT_EQ(words, (std::vector<int>{1, 0, 0, 1}));
    }

    // The key handler's requests go into their words for one step.
    controls.headlightRequest = 1;
    controls.indicatorRequest = 3;
    Step();
    EXPECT_EQ(Word(7), 1);
    EXPECT_EQ(Word(13), 3);
    Step();
    EXPECT_EQ(Word(7), 0);
    EXPECT_EQ(Word(13), 0);
}

TEST_F(ControlsTest, HornAndFlashPacketsGoOnChangeOnly)
{
    using Bytes = std::vector<uint8_t>;
    struct Case {
        const char* name;
        int online, replay, carClass, control, shiftHeld;
        int word;
        uint16_t heldWord;
        std::vector<Bytes> packets;
    } cases[] = {
        {"horn online", 1, 0, 2, Horn, 0, 9, 3, {{30, 3, 0, 0}, {30, 0, 0, 0}}},
        {"flash online", 1, 0, 2, Flash, 0, 10, 1, {{31, 1, 0, 0}, {31, 0, 0, 0}}},
        {"offline: the word, no packets", 0, 0, 2, Horn, 0, 9, 3, {}},
        {"multiplayer replay: no packets", 1, 1, 2, Horn, 0, 9, 3, {}},
        {"single-seater: no horn", 1, 0, 10, Horn, 0, 9, 0, {}},
        {"the horn key does not count with Shift held", 1, 0, 2, Horn, 1, 9, 0, {}},
    };
    EditPlayerProfile([&](PlayerProfileRecord& record) { record.horn = 2; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Packets.clear();
        OnlineGame = c.online;
        ReplayPlaying = c.replay;
        car.data.carClass = c.carClass;
        SetModifierKeys(c.shiftHeld, InputState.ctrlHeld, InputState.altHeld);
        KeysDown[c.control] = true;
        for (int i = 0; i < 3; i++) {
            Step();
            EXPECT_EQ(Word(c.word), c.heldWord);
        }
        KeysDown[c.control] = false;
        for (int i = 0; i < 3; i++) {
            Step();
            EXPECT_EQ(Word(c.word), 0);
        }
        EXPECT_EQ(Packets, c.packets);
    }
}

TEST_F(ControlsTest, NoControlCentresAndReleasesEverything)
{
    KeysDown[Throttle] = KeysDown[SteerLeft] = KeysDown[ShiftUp] = KeysDown[Clutch] = true;
    for (int i = 0; i < 5; i++)
        Step();
    ASSERT_GT(Word(1), 0);
    controls.noControl = 1;
    Step();
    EXPECT_EQ(Word(0), SteeringCentre);
    for (int word : {1, 2, 3, 4, 11, 12})
        EXPECT_EQ(Word(word), 0) << word;
}

} // namespace
