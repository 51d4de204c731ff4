// The car name table and its look-ups, in the C locale and under a locale
// whose case rules differ.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/services.h"

namespace {

class CarNamesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
};

} // namespace

TEST_F(CarNamesTest, EveryNameAndCodeFindsItsOwnCar)
{
    for (int i = 0; i < CarCount; ++i) {
        const CarName& car = CarNameTable[i];
        EXPECT_EQ(FindCarByName(car.name), i) << car.name;
        EXPECT_EQ(FindCarByCode(car.code), i) << car.code;
        EXPECT_STREQ(GetCarCode(car.name), car.code);
        EXPECT_LE(std::string(car.name).size(), 31u);
        EXPECT_EQ(std::string(car.code).size(), 3u);
        EXPECT_GE(car.gearboxKind, 1);
        EXPECT_LE(car.gearboxKind, 5);
    }
}

TEST_F(CarNamesTest, LookUpsIgnoreCaseButNotBlanks)
{
    EXPECT_EQ(FindCarByName("wq sport"), 0);
    EXPECT_EQ(FindCarByName("WQ SPORT "), -1);
    EXPECT_EQ(FindCarByName(""), -1);
    EXPECT_EQ(FindCarByName(nullptr), -1);
    EXPECT_EQ(FindCarByCode("kta"), 19);
    EXPECT_EQ(FindCarByCode("KT"), -1);
    EXPECT_EQ(GetCarCode("no such car"), nullptr);
    EXPECT_EQ(GetCarGearboxKind("no such car"), 0);
    EXPECT_EQ(GetCarOffRoadFlag("no such car"), 0);
    EXPECT_EQ(GetCarGearboxKind("formula kt02"), 3);
    EXPECT_EQ(GetCarGearboxKind("Yas5"), 2);
    EXPECT_EQ(GetCarGearboxKind("NQ1 Grand Prix"), 5);
    EXPECT_EQ(GetCarOffRoadFlag("sn4"), 1);
    EXPECT_EQ(GetCarOffRoadFlag("sn6"), 0);
}

TEST_F(CarNamesTest, LookUpsIgnoreTheLocale)
{
    ASSERT_NE(std::setlocale(LC_ALL, "tr_TR.UTF-8"), nullptr)
        << "locale tr_TR.UTF-8 is missing: scripts/setup.sh makes it";
    int byCode = FindCarByCode("wqg");
    int byName = FindCarByName("nq1 grand prix");
    int byShortCode = FindCarByCode("nq1");
    const char* code = GetCarCode("wq sport");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(byCode, 0);
    EXPECT_EQ(byName, 18);
    EXPECT_EQ(byShortCode, 18);
    EXPECT_STREQ(code, "WQG");
}

TEST_F(CarNamesTest, ListOrderShowsEveryCarOnce)
{
    const char* expected[CarCount] = {"DY1", "WQG", "VOG", "SN4", "SN6", "JB4", "HLO",
                                      "VOT", "ZEB", "QP5", "DYR", "WQR", "HLU", "VOQ",
                                      "QPZ", "YAS", "KTA", "GEX", "GQ8", "NQ1"};
    unsigned shown = 0;
    for (int position = 0; position < CarCount; ++position) {
        int car = CarListOrder[position];
        ASSERT_LT(car, CarCount);
        EXPECT_STREQ(CarNameTable[car].code, expected[position]);
        shown |= 1u << car;
    }
    EXPECT_EQ(shown, 0xFFFFFu);
    EXPECT_STREQ(CarNameTable[19].name, "FORMULA KT02");
}

TEST_F(CarNamesTest, BodyObjectsByExactCode)
{
    int models[BodyCodeCount];
    for (int i = 0; i < BodyCodeCount; ++i)
        SetCarBodyObject(i, reinterpret_cast<ObjectModel*>(&models[i]));
    EXPECT_EQ(GetCarBodyObject("WQ"), BodyObjects[0]);
    EXPECT_EQ(GetCarBodyObject("KT"), BodyObjects[12]);
    EXPECT_EQ(GetCarBodyObject("wq"), nullptr);
    EXPECT_EQ(GetCarBodyObject("WQG"), nullptr);
    EXPECT_EQ(GetCarBodyObject(nullptr), nullptr);
    SetCarBodyObject(1, nullptr); // not loaded
    EXPECT_EQ(GetCarBodyObject("VO"), nullptr);
    for (int i = 0; i < BodyCodeCount; ++i)
        SetCarBodyObject(i, nullptr);
}

TEST_F(CarNamesTest, CarListsOfCodesAndGroupWords)
{
    struct {
        const char* text;
        int ok;
        uint32_t mask;
    } cases[] = {
        {"ALL", 1, 0xFFFFF},
        {"ALL-KTA", 1, 0x7FFFF},
        {"all-kta+kta", 1, 0xFFFFF},
        {"ROAD", 1, 0x0077F},
        {"RACE-GTR", 1, 0xFF800 & ~0x38000u},
        {"TBO+SZQ", 1, (1u << 2 | 1u << 3 | 1u << 4) | (1u << 6 | 1u << 9 | 1u << 10)},
        {"WQG+XRT", 0, 0},
        {"WQ", 0, 0},
        {"GTR ALL", 1, 0x38000},  // the list ends at the blank
        {"KTA-KTA", 0, 0},        // no car left
        {"", 0, 0},
        {"ROADRACE", 0, 0},       // "ROADRAC" names nothing
    };
    for (const auto& c : cases) {
        uint32_t mask = 12345;
        EXPECT_EQ(ParseCarList(c.text, mask), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(mask, c.mask) << c.text;
        else
            EXPECT_EQ(mask, 12345u) << c.text;
    }
}
