// The settings record of "cfg.txt", its loading and saving, and the values
// derived from it.
#pragma once

#include <cstdint>

#include "core/records.h"

// Settings file "cfg.txt" and the other small text settings files.
//
// The settings are one global record, Settings, one field per key of
// "cfg.txt". The file is text: each line a key name (ending in a blank)
// and its value. ConfigKeyTable describes every key (name, kind, default,
// range or mask, written format) and drives reading, writing and clamping.
// A key is recognised wherever its name followed by the blank ends the text
// read so far, so keys may come in any order and unknown lines are passed
// over. Numbers are read and written in the C locale whatever the user's.

// A colour of three bytes and a flags byte (bit 0: unlit), as the drawing
// code keeps it.
struct ColourRecord {
    uint8_t r = 0, g = 0, b = 0;
    uint8_t flags = 0;

    constexpr bool operator==(const ColourRecord&) const = default;
};

// A full-screen mode as the settings keep it; all zero means the desktop's.
struct ScreenModeSetting {
    int lowColour = 0;  // 1 for a 16-bit mode
    int refreshHz = 0;  // 0 = any
    int width = 0;
    int height = 0;

    constexpr bool operator==(const ScreenModeSetting&) const = default;
};

// The fields of "cfg.txt", in file order; each comment names its key.
// Lives for the whole run; LoadConfig fills it at start-up, ResetCoreTables
// sets every field to its default.
struct SettingsRecord {
    char version[7+1] = {};  // "Version"
    int startWindowed = 0;  // "Start Windowed"
    int welcomeZ = 0;  // "Welcome Z"
    int showFps = 0;  // "Show FPS"
    int skyRes = 0;  // "Sky Res"
    int hazeEffect = 0;  // "Haze Effect"
    int mirrorInternal = 0;  // "Mirror Internal"
    int clocksInternal = 0;  // "Clocks Internal"
    int clocksExternal = 0;  // "Clocks External"
    int controlType = 0;  // "Control Type"
    int steerKb = 0;  // "Steer KB"
    int nextShot = 0;  // "Next Shot"
    float thrBrkRate = 0;  // "Thr Brk Rate"
    float kbSteerRate = 0;  // "KB Steer Rate"
    float kbReturnRate = 0;  // "KB Return Rate"
    float kbFastMul = 0;  // "KB Fast Mul"
    float kbSlowMul = 0;  // "KB Slow Mul"
    float kbLimitMul = 0;  // "KB Limit Mul"
    int updatePath = 0;  // "Update Path"
    int replaySkins = 0;  // "Replay Skins"
    int ffStepNum = 0;  // "FF Step Num"
    float ffStrength = 0;  // "FF Strength"
    uint8_t fuelStart = 0;  // "Fuel Start"
    uint8_t fuelPit = 0;  // "Fuel Pit"
    uint8_t tyreLimit = 0;  // "Tyre Limit"
    uint8_t strategy = 0;  // "Strategy"
    int mpSpeedupOpt = 0;  // "MP Speedup Opt"
    int autoGetSkins = 0;  // "Auto Get Skins"
    int helmetSkins = 0;  // "Helmet Skins"
    int instantLook = 0;  // "Instant Look"
    int steerLook = 0;  // "Steer Look"
    float steerLookAmount = 0;  // "Steer Look Amount"
    float steerLookReduce = 0;  // "Steer Look Reduce"
    float tiltDpg = 0;  // "Tilt DPG"
    float lspg = 0;  // "LSPG"
    float fspg = 0;  // "FSPG"
    float vspg = 0;  // "VSPG"
    float cameraDelay = 0;  // "Camera Delay"
    float mpDrawDist = 0;  // "MP Draw Dist"
    float dynamicLod = 0;  // "Dynamic Lod"
    float rubberLay = 0;  // "Rubber Lay"
    float rubberDark = 0;  // "Rubber Dark"
    float mip0 = 0;  // "MIP_0"
    float mip1 = 0;  // "MIP_1"
    float mip2 = 0;  // "MIP_2"
    float mip3 = 0;  // "MIP_3"
    float sunIntensity = 0;  // "Sun Intensity"
    float mainLod = 0;  // "Main LOD"
    float mirrLod = 0;  // "Mirr LOD"
    float dustLod = 0;  // "Dust LOD"
    ScreenModeSetting screenInfo;  // "Screen Info"
    int trackEdSpeed = 0;  // "TrackEd Speed"
    int modelEdSpeed = 0;  // "ModelEd Speed"
    int editorOptions = 0;  // "Editor Options"
    int screenFlags = 0;  // "Screen Flags"
    ColourRecord sunColour;  // "Sun Colour"
    ColourRecord skyHigh;  // "Sky High"
    ColourRecord ground;  // "Ground"
    ColourRecord background;  // "Background"
    ColourRecord backTexture;  // "Back Texture"
    ColourRecord gexDash;  // "GEX Dash"
    ColourRecord nq1Dash;  // "NQ1 Dash"
    ColourRecord gq8Dash;  // "GQ8 Dash"
    ColourRecord ktaDash;  // "KTA Dash"
    ColourRecord splitText;  // "Split Text"
    ColourRecord clockText;  // "Clock Text"
    ColourRecord clockNeedle;  // "Clock Needle"
    float userFov = 0;  // "User FOV"
    float wideFov = 0;  // "Wide FOV"
    float editorFov = 0;  // "Editor FOV"
    float editorSoft = 0;  // "Editor Soft"
    float buttonLook = 0;  // "Button Look"
    float fvLag = 0;  // "FV Lag"
    float fvHeight = 0;  // "FV Height"
    float fvAngle = 0;  // "FV Angle"
    float fvDist = 0;  // "FV Dist"
    int fvDir = 0;  // "FV Dir"
    char selectedCar[31+1] = {};  // "Selected Car"
    char mapName[31+1] = {};  // "Map Name"
    char plyName[23+1] = {};  // "Ply Name"
    char setupName[15+1] = {};  // "Setup Name"
    char coloursName[15+1] = {};  // "Colours Name"
    int masterPort = 0;  // "Master Port"
    int autoKick = 0;  // "Auto Kick"
    int addressName = 0;  // "Address Name"
    char serverIp[15+1] = {};  // "Server IP"
    char serverName[31+1] = {};  // "Server Name"
    char serverPort[7+1] = {};  // "Server Port"
    char serverPass[15+1] = {};  // "Server Pass"
    char gameName[31+1] = {};  // "Game Name"
    char gameIp[15+1] = {};  // "Game IP"
    char gamePort[7+1] = {};  // "Game Port"
    char gamePass[15+1] = {};  // "Game Pass"
    char gameAdmin[15+1] = {};  // "Game Admin"
    char language[31+1] = {};  // "Language"
    char findUser[23+1] = {};  // "Find User"
    char uploadBandwidth[7+1] = {};  // "Upload Bandwidth"
    int setupIndex = 0;  // "Setup Index"
    int coloursIndex = 0;  // "Colours Index"
    int lighting = 0;  // "Lighting"
    int flip = 0;  // "Flip"
    int config = 0;  // "Config"
    int raceStart = 0;  // "Race Start"
    float screenCx = 0;  // "SCREEN_CX"
    float screenCy = 0;  // "SCREEN_CY"
    float screenXmul = 0;  // "SCREEN_XMUL"
    float screenYmul = 0;  // "SCREEN_YMUL"
    float combinedNonLinear = 0;  // "Combined Non Linear"
    float turnCompensation = 0;  // "Turn Compensation"
    float mouseNonLinear = 0;  // "Mouse Non Linear"
    float steerSmooth = 0;  // "Steer Smooth"
    float speedSteerReductionWm = 0;  // "Speed Steer Reduction WM"
    float halfReduceSpeedWm = 0;  // "Half Reduce Speed m/s WM"
    float speedSteerReductionKb = 0;  // "Speed Steer Reduction KB"
    float halfReduceSpeedKb = 0;  // "Half Reduce Speed m/s KB"
    int smowModes = 0;  // "SMOW_MODES"
    ScreenModeSetting infoF9;  // "INFO_F9"
    ScreenModeSetting infoF10;  // "INFO_F10"
    ScreenModeSetting infoF11;  // "INFO_F11"
    ScreenModeSetting infoF12;  // "INFO_F12"
    int disableAnimView = 0;  // "Disable Anim View"
    int driverPosView = 0;  // "Driver Pos View"
    int showNames = 0;  // "Show Names"
    int internalShow = 0;  // "Internal Show"
    int showMap = 0;  // "Show Map"
    int startLights = 0;  // "Start Lights"
    int skillLevel = 0;  // "Skill Level"
    int blobSize = 0;  // "Blob Size"
    int windowedLink = 0;  // "Windowed Link"
    int noTrees = 0;  // "No Trees"
    int noFlags = 0;  // "No Flags"
    int noRubber = 0;  // "No Rubber"
    char musicDir[79+1] = {};  // "Music Dir"
    int musicSetup = 0;  // "Music Setup"
    int musicGame = 0;  // "Music Game"
    int musicReplay = 0;  // "Music Replay"
    float music = 0;  // "MUSIC"
    float beeps = 0;  // "BEEPS"
    float carV = 0;  // "CAR_V"
    float echoB = 0;  // "ECHO_B"
    float skidB = 0;  // "SKID_B"
    float windB = 0;  // "WIND_B"
    float soundDelay = 0;  // "Sound Delay"
    float messageSize = 0;  // "Message Size"
    float carShine = 0;  // "Car Shine"
    int musicChannel = 0;  // "Music Channel"
    int antialiasing = 0;  // "Antialiasing"
    int mipFilter = 0;  // "Mip Filter"
    int localSkinsDds = 0;  // "Local Skins DDS"
    int shadowMode = 0;  // "Shadow Mode"
    int verticalSync = 0;  // "Vertical Sync"
    int lagPrevent = 0;  // "Lag Prevent"
    int minFrameTime = 0;  // "Min Frame Time"
    int gameLimitFps = 0;  // "Game Limit FPS"
    int minSleep = 0;  // "Min Sleep"
    int debounce = 0;  // "Debounce"
    int halfTexRes = 0;  // "Half Tex Res"
    int dedicatedHost = 0;  // "Dedicated Host"
    int aiUsePlySetup = 0;  // "AI Use Ply Setup"
    int aiUsePlyColours = 0;  // "AI Use Ply Colours"
    int sprAutoSave = 0;  // "SPR Auto Save"
    int mprAutoSave = 0;  // "MPR Auto Save"
    int mprMessageBlock = 0;  // "MPR Message Block"
    int options = 0;  // "Options"
    int edCharSize = 0;  // "Ed Char Size"
    int maxConns = 0;  // "Max Conns"
    int modemType = 0;  // "Modem Type"
    int packsPerSec = 0;  // "Packs Per Sec"
    int carsInRace = 0;  // "Cars In Race"
    int carsPerGuest = 0;  // "Cars Per Guest"
    int carsPerHost = 0;  // "Cars Per Host"
    int adminSlots = 0;  // "Admin Slots"
    int mpRules = 0;  // "MP Rules"
    int mpFlags = 0;  // "MP Flags"
    int mpFilter = 0;  // "MP Filter"
    int carsY = 0;  // "Cars Y"
    int carsN = 0;  // "Cars N"
    int connToMaster = 0;  // "Conn To Master"
    int outSimMode = 0;  // "OutSim Mode"
    int outSimDelay = 0;  // "OutSim Delay"
    char outSimIp[15+1] = {};  // "OutSim IP"
    char outSimPort[7+1] = {};  // "OutSim Port"
    int outSimId = 0;  // "OutSim ID"
    int outGaugeMode = 0;  // "OutGauge Mode"
    int outGaugeDelay = 0;  // "OutGauge Delay"
    char outGaugeIp[15+1] = {};  // "OutGauge IP"
    char outGaugePort[7+1] = {};  // "OutGauge Port"
    int outGaugeId = 0;  // "OutGauge ID"
    char fnJ[63+1] = {};  // "FN_J"
    char fnH[63+1] = {};  // "FN_H"
    char fnS[63+1] = {};  // "FN_S"
    char fnK[63+1] = {};  // "FN_K"
    int fwJ = 0;  // "FW_J"
    int fwH = 0;  // "FW_H"
    int fwS = 0;  // "FW_S"
    int fwK = 0;  // "FW_K"

    bool operator==(const SettingsRecord&) const = default;
};
// The settings. Lives for the whole run; LoadConfig fills it at start-up,
// ResetCoreTables sets every field to its default. Read-only outside core:
// others change it with SetSettings or EditSettings.
extern const SettingsRecord& Settings;
// Replaces the whole record. The derived values are not recomputed (only
// loading the file does that).
void SetSettings(const SettingsRecord& settings);
// Changes a copy of the settings and puts it in their place:
// EditSettings([](SettingsRecord& s) { s.startWindowed = 1; }).
template <typename Change>
void EditSettings(Change change)
{
    EditRecord(Settings, SetSettings, change);
}

// Sets every field of Settings to its default, and the values derived from
// them; no file is read.
void SetConfigDefaults();
// Fills Settings: defaults, then "cfg.txt" when it exists, then the fix-ups
// (default car, host list filter, mip filter, language, derived values).
// Never fails.
void LoadConfig();
// Writes "cfg.txt" (CR LF line ends) with every key in table order, through
// a temporary file so that a failed save keeps the old one. Returns 1 when saved.
int SaveConfig();
// "Fuel Start" 50, "Fuel Pit" 30, "Tyre Limit" 30, "Strategy" 1.
void SetDefaultStrategy();
// "Selected Car" = the display name of the first car.
void SetDefaultCarName();
// Sets the update flag to 1, then reads "update_cfg.txt" ("Version ",
// "Update "); a file of another program version sets the flag to 1 again.
void ReadUpdateConfig();

// Format of a music file path: the "Music Dir" folder (any "%" in it
// doubled, so it stays text), a backslash and "%s.ogg".
constexpr int MusicTemplateSize = 96;

// Values derived from the settings and from what the graphics device can
// do. Lives for the whole run; loading the settings computes it and the
// device's report fits it to the device.
struct DerivedSettingsRecord {
    int updateFlag = 1;             // 1 when the updater should look for a new version;
                                    // sent to the master server
    float fovTangent = 2.0f;        // 2 x tan(fov / 2) of the field of view in use
    float editorFovTangent = 2.0f;  // the same of "Editor FOV"
    float mainLodFactor = 1.0f;     // 1 / "Main LOD"
    char musicFileTemplate[MusicTemplateSize] = "data\\ogg\\%s.ogg";
    int shadowTextureSize = 64;     // 32 when "Shadow Mode" is 1, else 64
    int maxTextureSize = 4096;      // largest texture size used; 4096 until the device
                                    // reports a smaller limit
    int maxAnisotropy = 2;          // the device's largest anisotropy (at least 2)
    int canModulate2x = 1;          // textures may be doubled by the modulate-2x operation
    int canMultiTexture = 1;        // more than one texture may be drawn at once
    int menuMinFrameTime = 25;      // the front end's second minimum frame time, in ms:
                                    // 25, or 10 while the game list searches for hosts
    int wideScreen = 0;             // 1 while the drawing area is at least three times as
                                    // wide as high (three screens side by side)

    constexpr bool operator==(const DerivedSettingsRecord&) const = default;
};
extern const DerivedSettingsRecord& DerivedSettings;
// Replaces the whole record (tests that need given values).
void SetDerivedSettings(const DerivedSettingsRecord& derived);
// Changes a copy of the derived values and puts it in their place.
template <typename Change>
void EditDerivedSettings(Change change)
{
    EditRecord(DerivedSettings, SetDerivedSettings, change);
}

// What the graphics device can do, as its capabilities report it.
struct DeviceLimits {
    int maxTextureSize = 0;     // 0 when the device reports no limit
    int maxAnisotropy = 0;
    bool shadows = false;       // frames may be multiplied by a clamped texture
    bool modulate2x = false;    // textures may be doubled by the modulate-2x operation
    bool multiTexture = false;  // more than one texture at once
    bool compressed = false;    // DXT1 and DXT3 textures
};
// Fits the settings to the device: the texture size limit, the largest
// anisotropy (at least 2) with "Mip Filter" held to it, "Shadow Mode" off
// without shadows, the feature flags, and "Half Tex Res" on without
// compressed textures.
void FitSettingsToDevice(const DeviceLimits& limits);

// Stores 2 x tan(fov / 2) of the field of view in use as fovTangent, for
// the projection: "Wide FOV" when the drawing area spans three screens
// (which sets wideScreen), else "User FOV".
void UpdateFovTangent();

// The user's language as a Windows language id: the primary language in
// the low 10 bits and the sub-language above them, taken from the locale
// variables (LC_ALL, LC_MESSAGES, LANG); English (9) when they name none.
int GetUserDefaultLanguageId();
// Makes GetUserDefaultLanguageId return id (tests); -1 returns to the locale.
void OverrideUserLanguageId(int id);
// The language of LanguageTable that suits a Windows language id: a record
// with the same primary id scores 1, 2 when it also lists the sub-language;
// the first with the highest score wins. -1 when none matches.
int ChooseLanguageForId(int languageId);
