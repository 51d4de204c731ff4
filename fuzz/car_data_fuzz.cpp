// Fuzz target for the car data reader: any bytes, read as a car data image,
// must be read or refused without reading outside the image, and a car that
// reads must come out with its counts inside their tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "vehicle/services.h"
#include "world/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        ResetCoreTables();
        ResetVehicleTables();
        InstallWorldVehicleHooks();  // the body model in the car data
        BuildTrigTables();
        return true;
    }();
    (void)ready;
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    CarObject car;
    ConstructCar(car);
    if (ReadCarData(car, reader, version, "FUZ", 0, 0, 0, nullptr, 0, nullptr, nullptr, nullptr, 0)) {
        if (car.wheelCount < 1 || car.wheelCount > MaxCarWheels || car.data.optionCount > MaxBodyOptions ||
            car.data.dashboardLength > DashboardLayoutSize || car.data.carClass < 0 ||
            car.data.carClass >= CarClassCount || car.data.setupCount < 1)
            std::abort();
        DamageRecord record;
        MakeDamageRecord(car, record, 0);
        ApplyDamageRecord(car, record);
        RepairCar(car, 50, 1);
    }
    DestroyCar(car);
    CloseDataFile(reader);
    return 0;
}
