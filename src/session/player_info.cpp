// The local driver's descriptor, from the settings and the profile.
#include <cstring>

#include "session/race_car.h"
#include "session/services.h"

namespace {
// "Control Type" 0 is the keyboard or the mouse; "Steer KB" then names
// mouse steering (0), keyboard steering (1) and keyboard steering with help (2).
constexpr int KeyboardOrMouseControl = 0;
constexpr uint16_t SteeringKindFlags[3] = {PlayerMouseSteer, PlayerKeyboardSteer, PlayerKeyboardSteerHelp};
constexpr uint16_t DriverSeatedLeft = 0x1;
} // namespace

void FillLocalDriverInfo(PlayerDescriptor& descriptor, const CarObject* car)
{
    PlayerDescriptor& d = descriptor;
    d = {};
    d.type = PlayerLocal;
    const int gearbox = car ? ViewRaceCar(*car).gearboxKind : GetCarGearboxKind(Settings.selectedCar);
    int flags = GetAssistFlags(gearbox);
    if (PlayerProfile.driverPosition == 1)
        flags |= DriverSeatedLeft;
    if (Settings.controlType == KeyboardOrMouseControl && Settings.steerKb >= 0 && Settings.steerKb <= 2)
        flags |= SteeringKindFlags[Settings.steerKb];
    d.flags = static_cast<uint16_t>(flags);
    const RaceHooks& hooks = GetRaceHooks();
    d.connection = static_cast<uint8_t>(hooks.ownConnection());
    CopyFixedString(d.name, Settings.plyName, PlayerNameSize);
    std::memcpy(d.plate, PlayerProfile.numberPlate, NumberPlateSize);
    d.figure = static_cast<uint8_t>(PlayerProfile.driverFigure);
    CopyFixedString(d.helmetSkin, PlayerProfile.helmetSkin, HelmetSkinSize);
    d.helmetExists = hooks.helmetSkinExists(d.helmetSkin);
    d.pitStrategy[0] = Settings.fuelStart;
    d.pitStrategy[1] = Settings.fuelPit;
    d.pitStrategy[2] = Settings.tyreLimit;
    d.pitStrategy[3] = Settings.strategy;
}
