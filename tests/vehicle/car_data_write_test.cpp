// The car data writer against the game's car data reader: what it writes
// reads back item for item, with and without each optional item, and what
// the reader would refuse is never written over a good file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_folder.h"
#include "vehicle/local.h"

namespace {

// A small car's head items, every value distinct, with the optional items
// its flags ask for. The body is left out: a header-only read stops before
// it, so the body model's writer writes nothing.
CarDataContents SmallCar(int32_t flags, int32_t tractionControl, int dashboardBytes)
{
    CarDataContents c;
    c.flags = flags;
    c.carClass = 4;
    c.gearboxKind = 3;
    c.driveAxles = 2;
    InitEngineData(c.engine);
    SetDefaultEngine(c.engine);
    c.engine.displacement = 1998;
    c.engine.cylinders = 4;
    NamedSetup& setup = c.setups.emplace_back();
    std::snprintf(setup.name, sizeof setup.name, "wet");
    setup.setup.maxLock = 23;
    ColourConfig& colour = c.colours.emplace_back();
    std::snprintf(colour.name, sizeof colour.name, "Green");
    BodyOption& option = c.options.emplace_back();
    std::snprintf(option.name, sizeof option.name, "HARDTOP");
    option.value = 5;
    c.enginePosition = {0, 1.1f, 0.2f};
    c.driverSeat = {-0.4f, -0.1f, 0.05f};
    c.rearSeat = {0, -0.8f, 0.1f};
    c.fuelTankPosition = {0, -1.0f, 0.1f};
    c.extraMassPosition = {0, 0.3f, -0.1f};
    c.extraMass = 15;
    c.spareWheelPosition = {0, -1.8f, 0.1f};
    c.spareWheelAngle = 0.5f;
    c.steeringRatio = 720;
    c.steeringValues[0] = 0.25f;
    c.steeringValues[1] = 0.75f;
    c.frontHubLead = 0.02f;
    c.fuelCapacity = 48;
    c.tractionControl = tractionControl;
    c.tractionValues[0] = 7;
    c.tractionValues[1] = 9;
    c.dashboardType = 2;
    for (int i = 0; i < dashboardBytes; i++)
        c.dashboardLayout.push_back(static_cast<uint8_t>(i + 1));
    std::snprintf(c.shortCode, sizeof c.shortCode, "TST");
    for (int i = 0; i < 8; i++)
        c.wingLimits[i] = static_cast<int8_t>(i * 3 - 4);
    c.wheelPositions.assign(4, Vec3{0.7f, 1.2f, 0});
    c.writeBodyModel = [](DataFile&) { return 1; };
    return c;
}

class CarDataWriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
        std::filesystem::create_directories("data/veh");
    }
    void TearDown() override { ResetVehicleTables(); }

    TempFolder folder;
};

// Each mix of optional items reads back: an item written without its flag,
// or left out with it, would shift everything after it, which ends with the
// car's code and wing limits.
TEST_F(CarDataWriteTest, HeadReadsBackWithAndWithoutEachOptionalItem)
{
    struct Case {
        const char* what;
        int32_t flags;
        int32_t tractionControl;
        int dashboardBytes;
    } cases[] = {
        {"every optional item", CarDataRearSeats | CarDataFrontHubLead | CarDataFuelCapacity, 3, 80},
        {"none", 0, 0, 0},
        {"rear seats only", CarDataRearSeats, 0, 12},
        {"hub lead and traction values", CarDataFrontHubLead, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CarDataContents written = SmallCar(c.flags, c.tractionControl, c.dashboardBytes);
        ASSERT_EQ(SaveCarData(written, "data\\veh\\TST.veh"), 1);
        const std::string bytes = folder.ReadFile("data/veh/TST.veh");
        ASSERT_GE(bytes.size(), 8u);
        EXPECT_EQ(bytes.substr(0, 8), std::string("\0\0\0\0\0\0\0\xfb", 8)) << "six zero bytes, version 251";

        CarObject* car = CreateCarFromVeh("TST");
        ASSERT_NE(car, nullptr);
        EXPECT_EQ(car->data.dataFlags, c.flags);
        EXPECT_EQ(car->data.carClass, 4);
        EXPECT_EQ(car->data.gearboxKind, 3);
        EXPECT_EQ(car->tuning.driveAxles, 2);
        EXPECT_EQ(car->engine.displacement, 1998);
        ASSERT_EQ(car->data.setupCount, 1);
        EXPECT_STREQ(car->data.setups[0].name, "wet");
        EXPECT_EQ(car->data.setups[0].setup.maxLock, 23);
        ASSERT_EQ(car->data.colourCount, 1);
        EXPECT_STREQ(car->data.colours[0].name, "Green");
        ASSERT_EQ(car->data.optionCount, 1);
        EXPECT_STREQ(car->data.options[0].name, "HARDTOP");
        EXPECT_EQ(car->data.options[0].value, 5);
        EXPECT_EQ(car->data.driverSeat.x, -0.4f);
        EXPECT_EQ(car->data.rearSeat.y, (c.flags & CarDataRearSeats) ? -0.8f : 0.0f);
        EXPECT_EQ(car->data.extraMass, 15);
        EXPECT_EQ(car->data.spareWheelAngle, 0.5f);
        EXPECT_EQ(car->data.steeringValues[1], 0.75f);
        EXPECT_EQ(car->data.frontHubLead, (c.flags & CarDataFrontHubLead) ? 0.02f : 0.0f);
        if (c.flags & CarDataFuelCapacity) {
            EXPECT_EQ(car->data.fuelCapacity, 48);
        }
        EXPECT_EQ(car->data.tractionControl, c.tractionControl);
        EXPECT_EQ(car->data.dashboardType, 2);
        ASSERT_EQ(car->data.dashboardLength, c.dashboardBytes);
        if (c.dashboardBytes > 0) {
            EXPECT_EQ(car->data.dashboardLayout[0], 1);
            EXPECT_EQ(car->data.dashboardLayout[c.dashboardBytes - 1], c.dashboardBytes);
        }
        EXPECT_STREQ(car->data.shortCode, "TST");
        EXPECT_EQ(car->data.wingLimits[0], -4);
        EXPECT_EQ(car->data.wingLimits[7], 17);
        DestroyCar(*car);
        delete car;
    }
}

// What the reader would refuse is never saved, and a refused or failed
// save leaves the last good file as it was.
TEST_F(CarDataWriteTest, RefusedSavesKeepTheOldFile)
{
    ASSERT_EQ(SaveCarData(SmallCar(0, 0, 0), "data\\veh\\TST.veh"), 1);
    const std::string good = folder.ReadFile("data/veh/TST.veh");
    struct Case {
        const char* what;
        void (*spoil)(CarDataContents&);
    } cases[] = {
        {"too many setups", [](CarDataContents& c) { c.setups.resize(MaxCarSetups + 1); }},
        {"too many colours", [](CarDataContents& c) { c.colours.resize(MaxCarColours + 1); }},
        {"too many body options", [](CarDataContents& c) { c.options.resize(MaxBodyOptions + 1); }},
        {"a dashboard layout over 80 bytes", [](CarDataContents& c) { c.dashboardLayout.resize(81); }},
        {"too many structure bars", [](CarDataContents& c) { c.structureBars.resize(MaxStructureBars + 1); }},
        {"no wheels", [](CarDataContents& c) { c.wheelPositions.clear(); }},
        {"more wheels than a car has", [](CarDataContents& c) { c.wheelPositions.resize(MaxCarWheels + 1); }},
        {"no body model writer", [](CarDataContents& c) { c.writeBodyModel = nullptr; }},
        {"a body model that fails", [](CarDataContents& c) { c.writeBodyModel = [](DataFile&) { return 0; }; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CarDataContents spoiled = SmallCar(CarDataRearSeats, 1, 4);
        c.spoil(spoiled);
        EXPECT_EQ(SaveCarData(spoiled, "data\\veh\\TST.veh"), 0);
        EXPECT_EQ(folder.ReadFile("data/veh/TST.veh"), good);
        EXPECT_FALSE(std::filesystem::exists("data/veh/TST.veh.tmp"));
    }
}

} // namespace
