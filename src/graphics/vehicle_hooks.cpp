// What drawing gives the cars: number plates, skid marks, smoke and dust, the colours of
// the surfaces they come from and the driver view's look.
#include "graphics/services.h"
#include "vehicle/services.h"

void InstallGraphicsVehicleHooks()
{
    CarDrawHooks draw = GetCarDrawHooks();
    draw.numberPlate = GetNumberPlate;
    draw.releaseNumberPlate = ReleaseNumberPlate;
    draw.addSkidMark = AddSkidMark;
    draw.closeSkidMark = CloseSkidMark;
    draw.addParticle = AddParticle;
    draw.surfaceDrawColour = GetTextureDrawColour;
    draw.driverLookState = GetDriverLookState;
    SetCarDrawHooks(draw);
}
