// Shut-down: everything released in a fixed order, each step announced in
// the debug log, the settings saved last.
#include <cstdio>

#include "core/local.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "platform/files.h"
#include "platform/handover.h"
#include "platform/window.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

void SaveAllConfig()
{
    SaveConfig();
    SaveCardConfig();
    SaveInterfaceConfig();
    SaveProfile();
}

void InitHeadTracker()
{
    if (HeadTrackerState != 2)
        return;
    LoadHeadTracker();
    if (HeadTrackerState == 0) {
        LogLine("TrackIR initialised");
        StartHeadTracking();
    } else {
        LogLine("TrackIR not initialised");
    }
}

namespace {
// Whether the controllers' set-up has started them.
bool DirectInputStarted = false;
}

void InitControllers()
{
    if (GraphicsOn) {
        DirectInputStarted = InitDirectInput() == 0;
        if (!DirectInputStarted)
            LogLine("Could not initialise DirectInput");
    }
    if (ControlsFilePending) {
        SetControlsFilePending(0);
        LoadControls();
    } else if (GraphicsOn && DirectInputStarted && InitForceFeedback() != 0) {
        LogLine("Could not initialise FF");
    }
}

void RequestControllerReinit() { ControllerReinitRequest = 1; }

void FreeControllers()
{
    if (GraphicsOn)
        ReleaseControllers();
}

void ShutDownProgram()
{
    LogLine("shutting down");
    char path[PathTemplateSize + 16];
    std::snprintf(path, sizeof path, MprFileTemplate, "temp_mpr");
    platform::RemoveFile(path);
    CloseInSim();

    LogLine("free objects");
    for (ObjectModel*& model : BodyObjects) {
        if (model != nullptr) {
            FreeObjectModel(*model);
            delete model;
            model = nullptr;
        }
    }

    LogLine("free languages");
    FreeLanguage();
    platform::RemoveFile("data\\spr\\temp_spr.spr");

    LogLine("free controllers");
    FreeControllers();
    LogLine("clear light map");
    FreeLightMapTextures();
    LogLine("close sound");
    CloseSound();
    if (HeadTrackerState == 0) {
        LogLine("close TrackIR");
        UnloadHeadTracker();
    }
    LogLine("free humans");
    FreeHumans();
    LogLine("free font");
    FreeCharacterMap();
    LogLine("free helmet");
    FreeHelmet();
    LogLine("free host list");
    FreeHostList();
    LogLine("kill graphics");
    ShutdownGraphics();
    if (GraphicsOn) {
        LogLine("save calibrations");
        SaveCalibration();
    }
    LogLine("save controls");
    SaveControls();
    LogLine("save config");
    SaveAllConfig();
    LogLine("free mouse");
    ReleaseCursorClip();
    LogLine("EXIT");
    platform::HandOverClose();
    platform::CloseWindowSystem();
}
