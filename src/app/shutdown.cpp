// Shut-down: everything released in a fixed order, each step announced in
// the debug log, the settings saved last.
#include <cstdio>

#include "app/local.h"
#include "app/services.h"
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
    if (ProgramMode.graphicsOn) {
        DirectInputStarted = InitDirectInput() == 0;
        if (!DirectInputStarted)
            LogLine("Could not initialise DirectInput");
    }
    if (ControlsFilePending) {
        SetControlsFilePending(0);
        LoadControls();
    } else if (ProgramMode.graphicsOn && DirectInputStarted && InitForceFeedback() != 0) {
        LogLine("Could not initialise FF");
    }
}

void RequestControllerReinit() { Shell.controllerReinitRequest = 1; }

void FreeControllers()
{
    if (ProgramMode.graphicsOn)
        ReleaseControllers();
}

void ShutDownProgram()
{
    LogLine("shutting down");
    char path[PathTemplateSize + 16];
    std::snprintf(path, sizeof path, DataPaths.mprFile, "temp_mpr");
    platform::RemoveFile(path);
    CloseInSim();

    LogLine("free objects");
    for (int i = 0; i < BodyCodeCount; ++i) {
        ObjectModel* model = BodyObjects[i];
        if (model != nullptr) {
            SetCarBodyObject(i, nullptr);
            FreeObjectModel(*model);
            delete model;
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
    if (ProgramMode.graphicsOn) {
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
