// Start-up: from the command line to the first pass of the main loop, in
// a fixed order, each step announced in the debug log. A failing step shows
// its message and the program ends with exit code 0.
#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>

#include "core/local.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/handover.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

int StartTimeMinutes = 0;
int HasConsoleWindow = 0;

namespace {

// Whether another copy answered at the first step.
bool AnotherCopyRuns = false;

const char* const StartupFolders[] = {"spr",       "mpr",     "knw",     "raf",   "layout", "skins_dds",
                                      "skins_x",   "skins_y", "views",   "shots", "grids"};

void ShowMissingFile(const char* path)
{
    char text[320];
    std::snprintf(text, sizeof text, "%s %s", GetText(TX_3a_cnocolon), path);
    ShowErrorBox(text);
}

// The default skin of a code must exist as DDS or as JPEG; on failure the
// path tried last is shown.
bool CheckDefaultSkin(const char* code)
{
    char path[128];
    std::snprintf(path, sizeof path, "data\\skins_dds\\%s_%s.dds", code, "DEFAULT");
    if (FileExists(path))
        return true;
    std::snprintf(path, sizeof path, "data\\skins\\%s_%s.jpg", code, "DEFAULT");
    if (FileExists(path))
        return true;
    ShowMissingFile(path);
    return false;
}

bool CheckDefaultFiles()
{
    if (!CheckDefaultSkin("HEL"))
        return false;
    for (const CarName& car : CarNameTable) {
        if (!CheckDefaultSkin(car.code))
            return false;
        char path[128];
        std::snprintf(path, sizeof path, "data\\engine\\%s_default.eng", car.code);
        if (!FileExists(path)) {
            ShowMissingFile(path);
            return false;
        }
    }
    return true;
}

bool WriteTestDataFolder()
{
    FILE* file = platform::OpenFile("data\\file.fl", "wb");
    if (file == nullptr) {
        platform::ShowMessageBox(platform::MessageBoxKind::Warning, "Could not write to data folder",
                                 "Is QVN correctly installed on a hard drive?");
        return false;
    }
    std::fclose(file);
    StartTimeMinutes = GetFileTimeMinutes("data\\file.fl");
    platform::RemoveFile("data\\file.fl");
    return true;
}

bool PreInitGraphics()
{
    LogLine("preinit d3d");
    SetGraphicsBackEnd(true);
    int result = -1;
    if (platform::OpenWindowSystem(platform::WindowBackEnd::Sdl)) {
        platform::GetDesktopSize(DesktopSize.width, DesktopSize.height);
        result = PreInitDirect3D(1, CardSettings.depthClass, Settings.hazeEffect, Settings.verticalSync,
                                 CardSettings.adapterIndex);
    }
    if (result == -2) {
        platform::ShowMessageBox(platform::MessageBoxKind::Error, "Could not detect any suitable screen modes",
                                 "Probable error in graphics driver");
        return false;
    }
    if (result != 0) {
        platform::ShowMessageBox(platform::MessageBoxKind::Error, "Could not pre-initialise D3D",
                                 "DirectX 8.1 or later is required");
        return false;
    }
    if (Settings.startWindowed && CheckWindowedAllowed())
        Settings.startWindowed = 0;
    CardSettings.depthClass = SettledDepthClass();
    if (HardwareVertexProcessingInUse())
        CardSettings.simpleTrack = 0;
    return true;
}

bool MakeDataFolders()
{
    for (const char* folder : StartupFolders) {
        if (MakeDataFolder(folder) != 0) {
            platform::ShowMessageBox(platform::MessageBoxKind::Error, "Could not create a data folder",
                                     "Is QVN correctly installed on a hard drive?");
            return false;
        }
    }
    return true;
}

// The current track of the settings must name a site, a configuration it
// has, a direction it can be driven in and one of its light schemes.
void CheckCurrentTrack()
{
    int site = FindSite(Settings.mapName, nullptr);
    if (site < 0) {
        SetDefaultTrack();
        return;
    }
    const SiteRecord& record = SiteTable[site];
    if (Settings.config > record.configCount || Settings.config < 1)
        Settings.config = 1;
    if (!record.mapPathFlags[Settings.config - 1])
        Settings.flip = 0;
    // The site record's third value is its count of light schemes.
    if (Settings.lighting >= record.carried || Settings.lighting < 0)
        Settings.lighting = 0;
}

bool LoadBodyModels()
{
    for (int i = 0; i < BodyCodeCount; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "data\\veh\\%s.vob", BodyCodeTable[i]);
        ObjectModel* model = new ObjectModel;
        InitObjectModel(*model);
        BodyObjects[i] = model;
        if (!LoadObjectModel(*model, nullptr, path, 1)) {
            ShutdownGraphics();
            FreeHumans(Humans);
            FreeCharacterMap();
            ShowMissingFile(path);
            return false;
        }
    }
    return true;
}

} // namespace

void ShowErrorBox(const char* text)
{
    if (DebugLogging)
        LogLine(text);
    platform::ShowMessageBox(platform::MessageBoxKind::Error, "", text);
}

int StartProgram(const char* commandLine)
{
    // 1. A running copy is told about a data file named on the command line.
    platform::HandOverPeer peer;
    AnotherCopyRuns = platform::FindRunningCopy(peer) != 0;
    FormatVersion();
    if (!HandOverFile(AnotherCopyRuns ? &peer : nullptr, commandLine))
        return 0;

    // 2. The debug log.
    StartDebugLog();
    LogVersion();

    // 3. The timer.
    uint32_t period = platform::TimerMinPeriodMs();
    LogPrintf("timer resolution %d ms", static_cast<int>(period));
    if (!platform::BeginTimerPeriod(period < 1 ? 1 : period)) {
        ShowErrorBox("Could not set time period");
        return 0;
    }

    // 4. The settings files.
    LogLine("read config");
    InitFontWeights();
    LoadConfig();
    LoadCardConfig();
    LoadInterfaceConfig();
    ReadUpdateConfig();
    SetProfileDefaults();
    SetRegionalDefaults();
    BuildClockNudgeTable();
    ResetTextTable();

    // 5. The command line (not read when this copy plays a handed-over replay).
    LogLine("get command line");
    if (ReplayOpenRequest == 0 && commandLine != nullptr && commandLine[0] != 0)
        ParseCommandLine(commandLine);
    if (StartMode == 0) {
        ShowErrorBox(CommandLineError);
        return 0;
    }
    // Started to end the running copy: this copy asks it and ends.
    if (StartMode == 6) {
        EndRunningCopy(AnotherCopyRuns ? &peer : nullptr);
        return 0;
    }

    // 6. to 8. The data folder.
    if (!GraphicsOn)
        Settings.startWindowed = 1;
    if (!WriteTestDataFolder() || !CheckDefaultFiles())
        return 0;

    // 9. The graphics layer.
    if (GraphicsOn && !PreInitGraphics())
        return 0;

    // 10. and 11. Data folders and the driver's profile.
    if (!MakeDataFolders())
        return 0;
    if (Settings.plyName[0] != 0)
        LoadProfile(true);

    // 12. The display mode.
    if (GraphicsOn) {
        ChooseDisplayMode();
        if (Settings.startWindowed) {
            if (DesktopSize.width > 0 && DesktopSize.height > 0) {
                ClientSize.width = std::min(ClientSize.width, DesktopSize.width - 128);
                ClientSize.height = std::min(ClientSize.height, DesktopSize.height - 96);
            }
        }
    } else {
        ClientSize = {};
        FullScreenModeIndex = 0;
        platform::OpenWindowSystem(platform::WindowBackEnd::Null);
    }

    // 13. The main window: a console without graphics, none when invisible.
    if (DedicatedMode < 3) {
        if (!CreateMainWindow(GraphicsOn ? 0 : 1)) {
            ShowErrorBox("Could not create window");
            return 0;
        }
        HasConsoleWindow = GraphicsOn ? 0 : 1;
        platform::HandOverListen();
        platform::UseWindowMessageBoxes(1);
    }

    // 14. Tables and locks.
    BuildCrcTable();
    InitStandardColours();
    if (!GraphicsOn)
        InitHostConsole();
    InitDownloadLocks();
    InitNetworkLock();

    // 15. Bans and the font.
    LogLine("load bans");
    LoadBans();
    LogLine("load font");
    if (!LoadCharacterMap("data\\abc\\qvn.abc")) {
        ShowErrorBox("Could not load font");
        return 0;
    }
    BuildSegmentTables();
    if (HasConsoleWindow)
        PaintHostWindow();

    // 16. The 3D device.
    if (GraphicsOn) {
        if (!InitGraphicsDevice()) {
            FreeCharacterMap();
            ShowErrorBox("Could not initialise graphics");
            return 0;
        }
        ReportGraphicsCaps();
        if (!CreateBuiltinTextures()) {
            ShutdownGraphics();
            FreeCharacterMap();
            ShowErrorBox("Could not set up textures");
            return 0;
        }
    }

    // 17. Languages.
    LogLine("create english file");
    WriteEnglishFile();
    if (Settings.language[0] != 0) {
        LogLine("load language");
        LoadLanguage(Settings.language, false);
    }
    SelectTranslationCodePage();
    ReadKeyboardLayoutName(0);

    // 18. and 19. Initialisations and the figures.
    LogLine("initialisations");
    std::fesetenv(FE_DFL_ENV);
    BuildTyreCurves();
    BuildTreeShell();
    LoadDriverNames();
    LoadMessageKeys();
    ClearParticles();
    if (DedicatedMode < 2) {
        LogLine("human system");
        if (!LoadHumans(Humans, nullptr)) {
            ShutdownGraphics();
            FreeCharacterMap();
            ShowErrorBox("Could not load humans");
            return 0;
        }
    }

    // 20. to 22. Drawing target, tables, helmet, controllers, camera.
    SetSoftwareTarget(ClientSize.height, nullptr);
    Settings.edCharSize = 1;
    LogLine("tables");
    BuildTrigTables();
    InitMathConstants();
    if (GraphicsOn) {
        LogLine("helmet");
        LoadHelmet();
        LogLine("controllers");
        SetDefaultKeys();
        ResetAxisCalibration(0);
        InitControllers();
    }
    std::fesetenv(FE_DFL_ENV);
    float length = std::sqrt(10.0f * 10.0f + 10.0f * 10.0f + 5.0f * 5.0f);
    InitCamera({10.0f, 10.0f, 3.0f}, {10.0f / length, 10.0f / length, 5.0f / length}, Settings.ground,
               Settings.skyHigh);

    // 23. and 24. The current track and the car body models.
    CheckCurrentTrack();
    LogLine("load objects");
    if (!LoadBodyModels())
        return 0;

    // 25. The light map before any world brings its own.
    if (GraphicsOn) {
        LogLine("default light map");
        BuildFlatLightMap();
        SetFogEnabled(0);
        SetFogRange(0xFFFFFFFFu, 4.0f, 4096.0f);
    }

    // 26. to 28. The first screen, and the game clock at 0.
    LogLine("start intro");
    TopScreen = CreateEntryScreen();
    if (AnotherCopyRuns)
        PrintMessage(GetText(TX_3a_wrninsta), 9);
    ApplyCursorClip();
    LogLine("end of initialisation");
    GameClock = 0;
    FrameStep = 0;
    PassStart = platform::NowMs();
    return 1;
}

int RunProgram(const char* commandLine)
{
    if (!StartProgram(commandLine)) {
        platform::HandOverClose();
        platform::CloseWindowSystem();
        return 0;
    }
    RunMainLoop();
    ShutDownProgram();
    return ExitCode;
}
