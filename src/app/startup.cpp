// Start-up: from the command line to the first pass of the main loop, in
// a fixed order, each step announced in the debug log. A failing step shows
// its message, says what to do about it where the user can act, and ends
// the program with the exit code of its kind (app/exit_codes.h).
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/local.h"
#include "app/services.h"
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

namespace {

// Whether another copy answered at the first step.
bool AnotherCopyRuns = false;

constexpr const char* FontPath = "data\\abc\\qvn.abc";

const char* const StartupFolders[] = {"spr",       "mpr",     "knw",     "raf",   "layout", "skins_dds",
                                      "skins_x",   "skins_y", "views",   "shots", "grids"};

// What the user can do about a data folder that is missing or incomplete.
constexpr const char* DataBuilderAdvice =
    "The data builder makes the data folder: build/bin/mkdata game (./run.sh does this and starts QVN in game/).";

// Shows a start-up failure in an error box and, once the log runs, logs
// each of its lines (the first after the caption, when there is one).
void ShowStartupFailure(const char* caption, const std::string& text)
{
    if (DebugLogging) {
        size_t begin = 0;
        while (begin <= text.size()) {
            size_t end = std::min(text.find('\n', begin), text.size());
            std::string line = text.substr(begin, end - begin);
            if (begin == 0 && caption[0] != 0)
                line = std::string(caption) + " : " + line;
            LogLine(line.c_str());
            begin = end + 1;
        }
    }
    platform::ShowMessageBox(platform::MessageBoxKind::Error, caption, text.c_str());
}

// Shows an error whose cause the user can mend: the message, then the
// advice on a line of its own.
void ShowErrorWithAdvice(const std::string& text, const std::string& advice)
{
    ShowStartupFailure("", text + "\n" + advice);
}

// The message for a start-up file that could not be used, from the reason
// its reader gave: the data-file layer's own texts ("Could not open file :",
// "File failed header check :") go before the path; a record the reader
// refused is named as damage, with the reader's words.
std::string UnusableFileText(const char* gamePath, const char* reason)
{
    std::string path = DisplayPath(gamePath);
    if (reason == nullptr)
        reason = GetText(TX_3a_cnocolon);
    size_t length = std::strlen(reason);
    if (length > 0 && reason[length - 1] == ':')
        return std::string(reason) + " " + path;
    return "File is damaged : " + path + " (" + reason + ")";
}

void ShowUnusableFile(const char* gamePath, const char* reason)
{
    ShowErrorWithAdvice(UnusableFileText(gamePath, reason), DataBuilderAdvice);
}

void ShowMissingFile(const char* gamePath) { ShowUnusableFile(gamePath, nullptr); }

// The folder the program runs in, for messages.
std::string CurrentFolder()
{
    char folder[4096];
    return getcwd(folder, sizeof folder) != nullptr ? folder : ".";
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

// The data folder must take a file. When it does not, the program cannot
// go on: the box is an error, and it says whether the folder is missing
// (the data builder makes it) or refuses writing (the system's reason).
bool WriteTestDataFolder()
{
    FILE* file = platform::OpenFile("data\\file.fl", "wb");
    if (file == nullptr) {
        const char* why = std::strerror(errno);
        std::string text = "Is QVN correctly installed on a hard drive?\n";
        if (!platform::FolderExists("data"))
            text += "There is no data folder in " + CurrentFolder() + ". " + DataBuilderAdvice;
        else
            text += CurrentFolder() + "/data cannot be written: " + why + ".";
        ShowStartupFailure("Could not write to data folder", text);
        return false;
    }
    std::fclose(file);
    Shell.startTimeMinutes = GetFileTimeMinutes("data\\file.fl");
    platform::RemoveFile("data\\file.fl");
    return true;
}

bool PreInitGraphics()
{
    LogLine("preinit d3d");
    SetGraphicsBackEnd(platform::CreateGlGfxSystem);
    int result = -1;
    bool displayOpened = platform::OpenWindowSystem(platform::WindowBackEnd::Sdl) != 0;
    if (displayOpened) {
        int width = 0, height = 0;
        platform::GetDesktopSize(width, height);
        SetDesktopSize(width, height);
        result = PreInitDirect3D(1, CardSettings.depthClass, Settings.hazeEffect, Settings.verticalSync,
                                 CardSettings.adapterIndex);
    }
    if (result == -2) {
        ShowStartupFailure("Could not detect any suitable screen modes", "Probable error in graphics driver");
        return false;
    }
    if (result != 0) {
        std::string text = "DirectX 8.1 or later is required\n";
        if (!displayOpened)
            text += "No display could be opened (DISPLAY is not set, or its X server does not answer). "
                    "Without a display QVN runs as a dedicated host: /host=NAME /dedicated=nogfx";
        else
            text += std::string("The OpenGL device could not be prepared (") + DebugLogName() + " tells more).";
        ShowStartupFailure("Could not pre-initialise D3D", text);
        return false;
    }
    if (Settings.startWindowed && CheckWindowedAllowed())
        EditSettings([](SettingsRecord& settings) { settings.startWindowed = 0; });
    CardSettingsRecord card = CardSettings;
    card.depthClass = SettledDepthClass();
    if (HardwareVertexProcessingInUse())
        card.simpleTrack = 0;
    SetCardSettings(card);
    return true;
}

bool MakeDataFolders()
{
    for (const char* folder : StartupFolders) {
        if (MakeDataFolder(folder) != 0) {
            const char* why = std::strerror(errno);
            std::string text = "Is QVN correctly installed on a hard drive?\n" + CurrentFolder() + "/data/" + folder +
                               " cannot be made or written: " + why + ".";
            ShowStartupFailure("Could not create a data folder", text);
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
    SettingsRecord settings = Settings;
    if (settings.config > record.configCount || settings.config < 1)
        settings.config = 1;
    if (!record.mapPathFlags[settings.config - 1])
        settings.flip = 0;
    // The site record's third value is its count of light schemes.
    if (settings.lighting >= record.carried || settings.lighting < 0)
        settings.lighting = 0;
    SetSettings(settings);
}

bool LoadBodyModels()
{
    for (int i = 0; i < BodyCodeCount; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "data\\veh\\%s.vob", BodyCodeTable[i]);
        ObjectModel* model = new ObjectModel;
        InitObjectModel(*model);
        SetCarBodyObject(i, model);
        const char* reason = nullptr;
        if (!LoadObjectModel(*model, nullptr, path, 1, &reason)) {
            ShutdownGraphics();
            FreeHumans();
            FreeCharacterMap();
            ShowUnusableFile(path, reason);
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

namespace {

// The steps of start-up, in their order. A step that can fail returns
// StartUpDone to go on, or the exit code the program ends with (its
// message shown).

// The debug log: this copy's own, the folder's "deb.log" unless another
// running copy writes that one.
void StartLog()
{
    std::string logNote = StartDebugLog();
    LogVersion();
    if (!logNote.empty()) {
        LogLine(logNote.c_str());
        std::fprintf(stderr, "%s\n", logNote.c_str());
    }
}

// The system timer at its finest period.
int StartTimer()
{
    uint32_t period = platform::TimerMinPeriodMs();
    LogPrintf("timer resolution %d ms", static_cast<int>(period));
    if (!platform::BeginTimerPeriod(period < 1 ? 1 : period)) {
        ShowErrorBox("Could not set time period");
        return ExitMachineRefused;
    }
    return StartUpDone;
}

// The settings files and the defaults that come before the command line.
void ReadSettingsFiles()
{
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
}

// The command line (not read when this copy plays a handed-over replay); a
// copy started to end the running one asks it and ends.
int ReadCommandLine(const char* commandLine, const platform::HandOverPeer& peer)
{
    LogLine("get command line");
    if (CommandLine.replayOpenRequest == 0 && commandLine != nullptr && commandLine[0] != 0)
        ParseCommandLine(commandLine);
    if (ProgramMode.startMode == 0) {
        ShowErrorBox(CommandLine.error);
        return ExitBadCommandLine;
    }
    if (ProgramMode.startMode == 6)
        return EndRunningCopy(AnotherCopyRuns ? &peer : nullptr) ? ExitNormal : ExitBadCommandLine;
    return StartUpDone;
}

// The data folder: writable, with the default skins and engines; the
// graphics layer prepared; the data folders made and the driver's profile.
int PrepareDataAndGraphics()
{
    if (!ProgramMode.graphicsOn)
        EditSettings([](SettingsRecord& settings) { settings.startWindowed = 1; });
    if (!WriteTestDataFolder())
        return ExitDataFolder;
    if (!CheckDefaultFiles())
        return ExitContentMissing;
    if (ProgramMode.graphicsOn && !PreInitGraphics())
        return ExitMachineRefused;
    if (!MakeDataFolders())
        return ExitDataFolder;
    if (Settings.plyName[0] != 0)
        LoadProfile(true);
    return StartUpDone;
}

// The display mode, and the main window: a console without graphics, none
// when invisible.
int OpenDisplay()
{
    if (ProgramMode.graphicsOn) {
        ChooseDisplayMode();
        const ScreenSizeRecord& size = ScreenSize;
        if (Settings.startWindowed && size.desktop.width > 0 && size.desktop.height > 0)
            SetClientSize(std::min(size.client.width, size.desktop.width - 128),
                          std::min(size.client.height, size.desktop.height - 96));
    } else {
        SetClientSize(0, 0);
        Shell.fullScreenModeIndex = 0;
        platform::OpenWindowSystem(platform::WindowBackEnd::Null);
    }
    if (ProgramMode.dedicatedMode < 3) {
        if (!CreateMainWindow(ProgramMode.graphicsOn ? 0 : 1)) {
            ShowErrorBox("Could not create window");
            return ExitMachineRefused;
        }
        Shell.hasConsoleWindow = ProgramMode.graphicsOn ? 0 : 1;
        platform::HandOverListen();
        platform::UseWindowMessageBoxes(1);
    }
    return StartUpDone;
}

// Tables and locks, the bans and the font.
int LoadTablesAndFont()
{
    BuildCrcTable();
    InitStandardColours();
    if (!ProgramMode.graphicsOn)
        InitHostConsole();
    InitDownloadLocks();
    InitNetworkLock();
    LogLine("load bans");
    LoadBans();
    LogLine("load font");
    const char* fontReason = nullptr;
    if (!LoadCharacterMap(FontPath, &fontReason)) {
        ShowErrorWithAdvice("Could not load font : " + UnusableFileText(FontPath, fontReason), DataBuilderAdvice);
        return ExitContentMissing;
    }
    BuildSegmentTables();
    if (Shell.hasConsoleWindow)
        PaintHostWindow();
    return StartUpDone;
}

// The 3D device with its report and the built-in textures.
int StartGraphicsDevice()
{
    if (!ProgramMode.graphicsOn)
        return StartUpDone;
    if (!InitGraphicsDevice()) {
        FreeCharacterMap();
        ShowErrorBox("Could not initialise graphics");
        return ExitMachineRefused;
    }
    ReportGraphicsCaps();
    // The built-in textures are not built yet: the program carries on
    // without them, as it does without the things drawn with them.
    if (!CreateBuiltinTextures())
        LogLine("Could not set up textures");
    return StartUpDone;
}

// The English reference file and the configured language.
void LoadLanguages()
{
    LogLine("create english file");
    WriteEnglishFile();
    if (Settings.language[0] != 0) {
        LogLine("load language");
        LoadLanguage(Settings.language, false);
    }
    SelectTranslationCodePage();
    ReadKeyboardLayoutName(0);
}

// The subsystems' own initialisations and the figures.
int InitialiseSubsystems()
{
    LogLine("initialisations");
    std::fesetenv(FE_DFL_ENV);
    BuildTreeShell();
    LoadDriverNames();
    LoadMessageKeys();
    ClearParticles();
    if (ProgramMode.dedicatedMode < 2) {
        LogLine("human system");
        const char* humansReason = nullptr;
        if (!LoadHumans(nullptr, &humansReason)) {
            ShutdownGraphics();
            FreeCharacterMap();
            ShowErrorWithAdvice("Could not load humans : " + UnusableFileText(HumanSystemFile, humansReason),
                                DataBuilderAdvice);
            return ExitContentMissing;
        }
    }
    return StartUpDone;
}

// The drawing target, the tables, the helmet, the controllers and the
// camera.
void PrepareDrawingAndControls()
{
    SetSoftwareTarget(ScreenSize.client.height, nullptr);
    EditSettings([](SettingsRecord& settings) { settings.edCharSize = 1; });
    LogLine("tables");
    BuildTrigTables();
    if (ProgramMode.graphicsOn) {
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
}

// The current track checked, the car body models loaded, and the light map
// that serves before any world brings its own.
int LoadTrackAndBodies()
{
    CheckCurrentTrack();
    LogLine("load objects");
    if (!LoadBodyModels())
        return ExitContentMissing;
    if (ProgramMode.graphicsOn) {
        LogLine("default light map");
        BuildFlatLightMap();
        SetFogEnabled(0);
        SetFogRange(0xFFFFFFFFu, 4.0f, 4096.0f);
    }
    return StartUpDone;
}

// The first screen, and the game clock at 0.
void OpenFirstScreen()
{
    LogLine("start intro");
    Shell.topScreen = CreateEntryScreen(CreateRootScreen);
    if (AnotherCopyRuns)
        PrintMessage(GetText(TX_3a_wrninsta), 9);
    ApplyCursorClip();
    LogLine("end of initialisation");
    StartGameClock();
}

} // namespace

int StartProgram(const char* commandLine)
{
    // Every subsystem's hooks, before anything can call them.
    InstallSubsystemHooks();

    // A data file named on the command line goes to a running copy.
    platform::HandOverPeer peer;
    AnotherCopyRuns = platform::FindRunningCopy(peer) != 0;
    FormatVersion();
    if (!HandOverFile(AnotherCopyRuns ? &peer : nullptr, commandLine))
        return CommandLine.handOverRefused ? ExitBadCommandLine : ExitNormal;

    // The rest in order; the first step that fails ends start-up.
    StartLog();
    int ended = StartTimer();
    if (ended == StartUpDone) {
        ReadSettingsFiles();
        ended = ReadCommandLine(commandLine, peer);
    }
    if (ended == StartUpDone)
        ended = PrepareDataAndGraphics();
    if (ended == StartUpDone)
        ended = OpenDisplay();
    if (ended == StartUpDone)
        ended = LoadTablesAndFont();
    if (ended == StartUpDone)
        ended = StartGraphicsDevice();
    if (ended == StartUpDone) {
        LoadLanguages();
        ended = InitialiseSubsystems();
    }
    if (ended == StartUpDone) {
        PrepareDrawingAndControls();
        ended = LoadTrackAndBodies();
    }
    if (ended == StartUpDone)
        OpenFirstScreen();
    return ended;
}

int RunProgram(const char* commandLine)
{
    int ended = StartProgram(commandLine);
    if (ended != StartUpDone) {
        platform::HandOverClose();
        platform::CloseWindowSystem();
        return ended;
    }
    RunMainLoop();
    ShutDownProgram();
    return Shell.exitCode;
}
