// The keys of "cfg.txt": name, kind, default, range or mask and written
// format of every setting, in the order the file is written. The loader,
// the saver and their test all walk this table.
#include "core/services.h"

#include <cstddef>
#include <numbers>

namespace {

#define QV_FIELD(field) static_cast<uint16_t>(offsetof(SettingsRecord, field))

constexpr ConfigKey IntKey(const char* name, uint16_t offset, int value, int min, int max)
{
    return {name, ConfigValueKind::Int, 0, offset, 0, 0, double(value), double(min), double(max), 0, nullptr, {}};
}
constexpr ConfigKey ByteKey(const char* name, uint16_t offset, int value, int min, int max)
{
    return {name, ConfigValueKind::Byte, 0, offset, 0, 0, double(value), double(min), double(max), 0, nullptr, {}};
}
constexpr ConfigKey MaskedKey(const char* name, uint16_t offset, int value, int mask)
{
    return {name, ConfigValueKind::IntMasked, 0, offset, 0, 0, double(value), 0, 0, mask, nullptr, {}};
}
constexpr ConfigKey UnclampedKey(const char* name, uint16_t offset, int value)
{
    return {name, ConfigValueKind::IntUnclamped, 0, offset, 0, 0, double(value), 0, 0, 0, nullptr, {}};
}
// Defaults and limits are the float nearest to the decimal given.
constexpr ConfigKey FloatKey(const char* name, uint16_t offset, double value, double min, double max,
                             int decimals)
{
    return {name, ConfigValueKind::Float, 0, offset, 0, decimals, double(float(value)),
            double(float(min)), double(float(max)), 0, nullptr, {}};
}
constexpr ConfigKey TextKey(const char* name, uint16_t offset, int length, const char* value)
{
    return {name, ConfigValueKind::Text, 0, offset, length, 0, 0, 0, 0, 0, value, {}};
}
constexpr ConfigKey NameKey(const char* name, uint16_t offset, int length, const char* value)
{
    return {name, ConfigValueKind::Name, 0, offset, length, 0, 0, 0, 0, 0, value, {}};
}
constexpr ConfigKey VersionKey(const char* name, uint16_t offset, int length)
{
    return {name, ConfigValueKind::Version, 0, offset, length, 0, 0, 0, 0, 0, "", {}};
}
constexpr ConfigKey ColourKey(const char* name, uint16_t offset, int r, int g, int b)
{
    return {name, ConfigValueKind::Colour, 0, offset, 0, 0, 0, 0, 0, 0, nullptr, {r, g, b, 0}};
}
constexpr ConfigKey ModeKey(const char* name, uint16_t offset, int lowColour, int refreshHz, int width,
                            int height)
{
    return {name, ConfigValueKind::Mode, 0, offset, 0, 0, 0, 0, 0, 0, nullptr,
            {lowColour, refreshHz, width, height}};
}
// The stored car, track, setup and colours are ignored on a first run.
constexpr ConfigKey KeptAfterFirstRun(ConfigKey key)
{
    key.flags |= ConfigKeptAfterFirstRun;
    return key;
}
// The language names a file, so characters that file names cannot hold go.
constexpr ConfigKey WithoutFileNameChars(ConfigKey key)
{
    key.flags |= ConfigNoFileNameChars;
    return key;
}

} // namespace

const ConfigKey ConfigKeyTable[ConfigKeyCount] = {
    VersionKey("Version ", QV_FIELD(version), 7),
    IntKey("Start Windowed ", QV_FIELD(startWindowed), 0, 0, 1),
    IntKey("Welcome Z ", QV_FIELD(welcomeZ), 1, 0, 1),
    IntKey("Show FPS ", QV_FIELD(showFps), 1, 0, 2),
    IntKey("Sky Res ", QV_FIELD(skyRes), 2, 0, 2),
    IntKey("Haze Effect ", QV_FIELD(hazeEffect), 1, 0, 1),
    IntKey("Mirror Internal ", QV_FIELD(mirrorInternal), 1, 0, 3),
    IntKey("Clocks Internal ", QV_FIELD(clocksInternal), 1, 0, 3),
    IntKey("Clocks External ", QV_FIELD(clocksExternal), 0, 0, 1),
    IntKey("Control Type ", QV_FIELD(controlType), 0, 0, 1),
    IntKey("Steer KB ", QV_FIELD(steerKb), 0, 0, 2),
    IntKey("Next Shot ", QV_FIELD(nextShot), 1, 1, 99999999),
    FloatKey("Thr Brk Rate ", QV_FIELD(thrBrkRate), 6.0, 2.0, 10.0, 2),
    FloatKey("KB Steer Rate ", QV_FIELD(kbSteerRate), 0.4, 0.0, 1.0, 2),
    FloatKey("KB Return Rate ", QV_FIELD(kbReturnRate), 0.2, 0.0, 1.0, 2),
    FloatKey("KB Fast Mul ", QV_FIELD(kbFastMul), 2.0, 1.0, 3.0, 2),
    FloatKey("KB Slow Mul ", QV_FIELD(kbSlowMul), 0.5, 0.0, 1.0, 2),
    FloatKey("KB Limit Mul ", QV_FIELD(kbLimitMul), 0.8, 0.4, 1.2, 2),
    IntKey("Update Path ", QV_FIELD(updatePath), 2, 0, 2),
    IntKey("Replay Skins ", QV_FIELD(replaySkins), 1, 0, 2),
    IntKey("FF Step Num ", QV_FIELD(ffStepNum), 256, 64, 256),
    FloatKey("FF Strength ", QV_FIELD(ffStrength), 50.0, 0.0, 200.0, 2),
    ByteKey("Fuel Start ", QV_FIELD(fuelStart), 50, 1, 100),
    ByteKey("Fuel Pit ", QV_FIELD(fuelPit), 30, 0, 100),
    ByteKey("Tyre Limit ", QV_FIELD(tyreLimit), 30, 0, 90),
    ByteKey("Strategy ", QV_FIELD(strategy), 1, 0, 1),
    IntKey("MP Speedup Opt ", QV_FIELD(mpSpeedupOpt), 1, 0, 1),
    IntKey("Auto Get Skins ", QV_FIELD(autoGetSkins), 1, 0, 2),
    IntKey("Helmet Skins ", QV_FIELD(helmetSkins), -1, 0, 2),
    IntKey("Instant Look ", QV_FIELD(instantLook), 0, 0, 1),
    IntKey("Steer Look ", QV_FIELD(steerLook), 0, 0, 3),
    FloatKey("Steer Look Amount ", QV_FIELD(steerLookAmount), 1.0, 0.0, 2.0, 2),
    FloatKey("Steer Look Reduce ", QV_FIELD(steerLookReduce), 0.0, 0.0, 1.0, 2),
    FloatKey("Tilt DPG ", QV_FIELD(tiltDpg), 1.5, 0.0, 3.0, 2),
    FloatKey("LSPG ", QV_FIELD(lspg), 0.0, 0.0, 0.1, 3),
    FloatKey("FSPG ", QV_FIELD(fspg), 0.0, 0.0, 0.1, 3),
    FloatKey("VSPG ", QV_FIELD(vspg), 0.0, 0.0, 0.1, 3),
    FloatKey("Camera Delay ", QV_FIELD(cameraDelay), 1.0, 0.5, 1.5, 2),
    FloatKey("MP Draw Dist ", QV_FIELD(mpDrawDist), 160.0, 80.0, 240.0, 2),
    FloatKey("Dynamic Lod ", QV_FIELD(dynamicLod), 0.5, 0.0, 1.0, 2),
    FloatKey("Rubber Lay ", QV_FIELD(rubberLay), 0.6, 0.0, 1.0, 2),
    FloatKey("Rubber Dark ", QV_FIELD(rubberDark), 0.8, 0.0, 1.0, 2),
    FloatKey("MIP_0 ", QV_FIELD(mip0), -1.0, -6.0, 0.0, 1),
    FloatKey("MIP_1 ", QV_FIELD(mip1), -2.0, -6.0, 0.0, 1),
    FloatKey("MIP_2 ", QV_FIELD(mip2), -3.0, -6.0, 0.0, 1),
    FloatKey("MIP_3 ", QV_FIELD(mip3), -4.0, -6.0, 0.0, 1),
    FloatKey("Sun Intensity ", QV_FIELD(sunIntensity), 1.0, 0.0, 4.0, 2),
    FloatKey("Main LOD ", QV_FIELD(mainLod), 0.8, 0.4, 1.0, 2),
    FloatKey("Mirr LOD ", QV_FIELD(mirrLod), 0.25, 0.2, 0.3, 2),
    FloatKey("Dust LOD ", QV_FIELD(dustLod), 1.0, 0.2, 1.0, 2),
    ModeKey("Screen Info ", QV_FIELD(screenInfo), 0, 0, 0, 0),
    UnclampedKey("TrackEd Speed ", QV_FIELD(trackEdSpeed), 65536),
    UnclampedKey("ModelEd Speed ", QV_FIELD(modelEdSpeed), 65536),
    MaskedKey("Editor Options ", QV_FIELD(editorOptions), 1, 0x819F),
    MaskedKey("Screen Flags ", QV_FIELD(screenFlags), 119296, 0x7F7FC),
    ColourKey("Sun Colour ", QV_FIELD(sunColour), 255, 255, 255),
    ColourKey("Sky High ", QV_FIELD(skyHigh), 150, 160, 200),
    ColourKey("Ground ", QV_FIELD(ground), 100, 100, 100),
    ColourKey("Background ", QV_FIELD(background), 30, 30, 30),
    ColourKey("Back Texture ", QV_FIELD(backTexture), 100, 100, 100),
    ColourKey("GEX Dash ", QV_FIELD(gexDash), 64, 96, 128),
    ColourKey("NQ1 Dash ", QV_FIELD(nq1Dash), 48, 48, 255),
    ColourKey("GQ8 Dash ", QV_FIELD(gq8Dash), 200, 32, 32),
    ColourKey("KTA Dash ", QV_FIELD(ktaDash), 96, 128, 96),
    ColourKey("Split Text ", QV_FIELD(splitText), 200, 200, 200),
    ColourKey("Clock Text ", QV_FIELD(clockText), 200, 200, 200),
    ColourKey("Clock Needle ", QV_FIELD(clockNeedle), 200, 32, 32),
    FloatKey("User FOV ", QV_FIELD(userFov), 90.0, 30.0, 160.0, 0),
    FloatKey("Wide FOV ", QV_FIELD(wideFov), 120.0, 30.0, 160.0, 0),
    FloatKey("Editor FOV ", QV_FIELD(editorFov), 60.0, 10.0, 120.0, 1),
    FloatKey("Editor Soft ", QV_FIELD(editorSoft), 0.3, 0.1, 2.5, 2),
    FloatKey("Button Look ", QV_FIELD(buttonLook), 45.0, 30.0, 90.0, 0),
    FloatKey("FV Lag ", QV_FIELD(fvLag), 0.1, 0.1, 0.5, 2),
    FloatKey("FV Height ", QV_FIELD(fvHeight), 0.5, 0.0, 1.0, 2),
    FloatKey("FV Angle ", QV_FIELD(fvAngle), std::numbers::pi / 15, 0.0, std::numbers::pi / 4, 2),
    FloatKey("FV Dist ", QV_FIELD(fvDist), 6.0, 1.0, 10.0, 2),
    IntKey("FV Dir ", QV_FIELD(fvDir), 1, 0, 1),
    KeptAfterFirstRun(TextKey("Selected Car ", QV_FIELD(selectedCar), 31, "WQ SPORT")),
    KeptAfterFirstRun(TextKey("Map Name ", QV_FIELD(mapName), 31, "Hollowmere")),
    NameKey("Ply Name ", QV_FIELD(plyName), 23, ""),
    KeptAfterFirstRun(NameKey("Setup Name ", QV_FIELD(setupName), 15, "")),
    KeptAfterFirstRun(NameKey("Colours Name ", QV_FIELD(coloursName), 15, "")),
    IntKey("Master Port ", QV_FIELD(masterPort), 29339, 1, 65535),
    IntKey("Auto Kick ", QV_FIELD(autoKick), 3, 0, 3),
    IntKey("Address Name ", QV_FIELD(addressName), 1, 0, 1),
    TextKey("Server IP ", QV_FIELD(serverIp), 15, "0.0.0.0"),
    TextKey("Server Name ", QV_FIELD(serverName), 31, ""),
    TextKey("Server Port ", QV_FIELD(serverPort), 7, "63392"),
    TextKey("Server Pass ", QV_FIELD(serverPass), 15, ""),
    TextKey("Game Name ", QV_FIELD(gameName), 31, ""),
    TextKey("Game IP ", QV_FIELD(gameIp), 15, "auto"),
    TextKey("Game Port ", QV_FIELD(gamePort), 7, "63392"),
    TextKey("Game Pass ", QV_FIELD(gamePass), 15, ""),
    TextKey("Game Admin ", QV_FIELD(gameAdmin), 15, ""),
    WithoutFileNameChars(TextKey("Language ", QV_FIELD(language), 31, "")),
    TextKey("Find User ", QV_FIELD(findUser), 23, ""),
    TextKey("Upload Bandwidth ", QV_FIELD(uploadBandwidth), 7, "128"),
    IntKey("Setup Index ", QV_FIELD(setupIndex), 0, -1, 3),
    IntKey("Colours Index ", QV_FIELD(coloursIndex), 0, -1, 14),
    IntKey("Lighting ", QV_FIELD(lighting), 0, 0, 3),
    IntKey("Flip ", QV_FIELD(flip), 0, 0, 1),
    IntKey("Config ", QV_FIELD(config), 1, 1, 8),
    IntKey("Race Start ", QV_FIELD(raceStart), 1, 0, 3),
    FloatKey("SCREEN_CX ", QV_FIELD(screenCx), 0.0, -0.5, 0.5, 2),
    FloatKey("SCREEN_CY ", QV_FIELD(screenCy), 0.0, -0.5, 0.5, 2),
    FloatKey("SCREEN_XMUL ", QV_FIELD(screenXmul), 1.0, 0.5, 1.0, 2),
    FloatKey("SCREEN_YMUL ", QV_FIELD(screenYmul), 1.0, 0.5, 1.0, 2),
    FloatKey("Combined Non Linear ", QV_FIELD(combinedNonLinear), 0.0, 0.0, 1.0, 2),
    FloatKey("Turn Compensation ", QV_FIELD(turnCompensation), 1.0, 0.0, 1.0, 2),
    FloatKey("Mouse Non Linear ", QV_FIELD(mouseNonLinear), 0.8, 0.0, 1.0, 2),
    FloatKey("Steer Smooth ", QV_FIELD(steerSmooth), 0.0, 0.0, 0.95, 2),
    FloatKey("Speed Steer Reduction WM ", QV_FIELD(speedSteerReductionWm), 0.0, 0.0, 1.0, 2),
    FloatKey("Half Reduce Speed m/s WM ", QV_FIELD(halfReduceSpeedWm), 50.0, 10.0, 200.0, 2),
    FloatKey("Speed Steer Reduction KB ", QV_FIELD(speedSteerReductionKb), 1.0, 0.0, 1.0, 2),
    FloatKey("Half Reduce Speed m/s KB ", QV_FIELD(halfReduceSpeedKb), 50.0, 10.0, 200.0, 2),
    IntKey("SMOW_MODES ", QV_FIELD(smowModes), 3, 1, 3),
    ModeKey("INFO_F9 ", QV_FIELD(infoF9), 1, 0, 640, 480),
    ModeKey("INFO_F10 ", QV_FIELD(infoF10), 1, 0, 800, 600),
    ModeKey("INFO_F11 ", QV_FIELD(infoF11), 1, 0, 1024, 768),
    ModeKey("INFO_F12 ", QV_FIELD(infoF12), 1, 0, 1280, 960),
    IntKey("Disable Anim View ", QV_FIELD(disableAnimView), 1, 0, 1),
    IntKey("Driver Pos View ", QV_FIELD(driverPosView), 0, 0, 1),
    IntKey("Show Names ", QV_FIELD(showNames), 0, 0, 2),
    IntKey("Internal Show ", QV_FIELD(internalShow), 1, 0, 2),
    IntKey("Show Map ", QV_FIELD(showMap), 2, 0, 2),
    IntKey("Start Lights ", QV_FIELD(startLights), 2, 0, 2),
    IntKey("Skill Level ", QV_FIELD(skillLevel), 4, 0, 4),
    IntKey("Blob Size ", QV_FIELD(blobSize), 3, 2, 5),
    IntKey("Windowed Link ", QV_FIELD(windowedLink), 1, 0, 1),
    IntKey("No Trees ", QV_FIELD(noTrees), 1, 0, 2),
    IntKey("No Flags ", QV_FIELD(noFlags), 1, 0, 2),
    IntKey("No Rubber ", QV_FIELD(noRubber), 1, 0, 2),
    TextKey("Music Dir ", QV_FIELD(musicDir), 79, "data\\ogg"),
    IntKey("Music Setup ", QV_FIELD(musicSetup), 1, 0, 1),
    IntKey("Music Game ", QV_FIELD(musicGame), 0, 0, 1),
    IntKey("Music Replay ", QV_FIELD(musicReplay), 0, 0, 1),
    FloatKey("MUSIC ", QV_FIELD(music), 10.0, 0.0, 20.0, 1),
    FloatKey("BEEPS ", QV_FIELD(beeps), 10.0, 0.0, 20.0, 1),
    FloatKey("CAR_V ", QV_FIELD(carV), 15.0, 0.0, 20.0, 1),
    FloatKey("ECHO_B ", QV_FIELD(echoB), 0.5, 0.0, 1.0, 1),
    FloatKey("SKID_B ", QV_FIELD(skidB), 0.5, 0.0, 1.0, 1),
    FloatKey("WIND_B ", QV_FIELD(windB), 0.5, 0.0, 1.0, 1),
    FloatKey("Sound Delay ", QV_FIELD(soundDelay), 0.1, 0.05, 0.2, 2),
    FloatKey("Message Size ", QV_FIELD(messageSize), 0.04, 0.03, 0.05, 3),
    FloatKey("Car Shine ", QV_FIELD(carShine), 1.0, 0.0, 1.0, 2),
    UnclampedKey("Music Channel ", QV_FIELD(musicChannel), 3),
    IntKey("Antialiasing ", QV_FIELD(antialiasing), 0, 0, 16),
    IntKey("Mip Filter ", QV_FIELD(mipFilter), 1, 0, 16),
    IntKey("Local Skins DDS ", QV_FIELD(localSkinsDds), 1, 0, 1),
    IntKey("Shadow Mode ", QV_FIELD(shadowMode), 2, 0, 2),
    IntKey("Vertical Sync ", QV_FIELD(verticalSync), 0, 0, 1),
    IntKey("Lag Prevent ", QV_FIELD(lagPrevent), 1, 0, 1),
    IntKey("Min Frame Time ", QV_FIELD(minFrameTime), 10, 10, 100),
    IntKey("Game Limit FPS ", QV_FIELD(gameLimitFps), 1, 0, 1),
    IntKey("Min Sleep ", QV_FIELD(minSleep), 1, 1, 20),
    IntKey("Debounce ", QV_FIELD(debounce), 40, 20, 250),
    IntKey("Half Tex Res ", QV_FIELD(halfTexRes), 0, 0, 1),
    IntKey("Dedicated Host ", QV_FIELD(dedicatedHost), 0, 0, 1),
    IntKey("AI Use Ply Setup ", QV_FIELD(aiUsePlySetup), 0, 0, 1),
    IntKey("AI Use Ply Colours ", QV_FIELD(aiUsePlyColours), 0, 0, 1),
    IntKey("SPR Auto Save ", QV_FIELD(sprAutoSave), 1, 0, 2),
    IntKey("MPR Auto Save ", QV_FIELD(mprAutoSave), 1, 0, 2),
    IntKey("MPR Message Block ", QV_FIELD(mprMessageBlock), 0, 0, 2),
    IntKey("Options ", QV_FIELD(options), 1, 1, 10),
    IntKey("Ed Char Size ", QV_FIELD(edCharSize), 1, 0, 3),
    IntKey("Max Conns ", QV_FIELD(maxConns), 4, 2, 48),
    IntKey("Modem Type ", QV_FIELD(modemType), 0, 3, 6),
    IntKey("Packs Per Sec ", QV_FIELD(packsPerSec), 4, 3, 12),
    IntKey("Cars In Race ", QV_FIELD(carsInRace), 4, 1, 48),
    IntKey("Cars Per Guest ", QV_FIELD(carsPerGuest), 1, 0, 3),
    IntKey("Cars Per Host ", QV_FIELD(carsPerHost), 1, 0, 3),
    IntKey("Admin Slots ", QV_FIELD(adminSlots), 0, 0, 8),
    MaskedKey("MP Rules ", QV_FIELD(mpRules), 1048575, 0xFFFFF),
    MaskedKey("MP Flags ", QV_FIELD(mpFlags), 35, 0x3FF),
    MaskedKey("MP Filter ", QV_FIELD(mpFilter), 212, 0xFC),
    UnclampedKey("Cars Y ", QV_FIELD(carsY), 0),
    UnclampedKey("Cars N ", QV_FIELD(carsN), 0),
    IntKey("Conn To Master ", QV_FIELD(connToMaster), 1, 0, 2),
    IntKey("OutSim Mode ", QV_FIELD(outSimMode), 0, 0, 2),
    IntKey("OutSim Delay ", QV_FIELD(outSimDelay), 1, 1, 100),
    TextKey("OutSim IP ", QV_FIELD(outSimIp), 15, "0.0.0.0"),
    TextKey("OutSim Port ", QV_FIELD(outSimPort), 7, "0"),
    IntKey("OutSim ID ", QV_FIELD(outSimId), 0, 0, 65535),
    IntKey("OutGauge Mode ", QV_FIELD(outGaugeMode), 0, 0, 2),
    IntKey("OutGauge Delay ", QV_FIELD(outGaugeDelay), 1, 1, 100),
    TextKey("OutGauge IP ", QV_FIELD(outGaugeIp), 15, "0.0.0.0"),
    TextKey("OutGauge Port ", QV_FIELD(outGaugePort), 7, "0"),
    IntKey("OutGauge ID ", QV_FIELD(outGaugeId), 0, 0, 65535),
    TextKey("FN_J ", QV_FIELD(fnJ), 63, ""),
    TextKey("FN_H ", QV_FIELD(fnH), 63, ""),
    TextKey("FN_S ", QV_FIELD(fnS), 63, ""),
    TextKey("FN_K ", QV_FIELD(fnK), 63, ""),
    IntKey("FW_J ", QV_FIELD(fwJ), 600, 100, 900),
    IntKey("FW_H ", QV_FIELD(fwH), 600, 100, 900),
    IntKey("FW_S ", QV_FIELD(fwS), 600, 100, 900),
    IntKey("FW_K ", QV_FIELD(fwK), 600, 100, 900),
};

int FindConfigKey(const char* name)
{
    for (int k = 0; k < ConfigKeyCount; ++k) {
        const char* a = ConfigKeyTable[k].name;
        const char* b = name;
        while (*a != 0 && *a == *b)
            ++a, ++b;
        if (*a == 0 && *b == 0)
            return k;
    }
    return -1;
}
