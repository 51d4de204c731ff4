// The car name table: the 20 cars, the order car lists show them in, and
// the body codes whose models related cars share.
#include "core/local.h"
#include "core/services.h"

#include <cstring>

const CarName CarNameTable[CarCount] = {
    {"WQ SPORT", "WQG", 1, 1},
    {"VO GT", "VOG", 1, 1},
    {"VO GT TURBO", "VOT", 1, 1},
    {"JB4 GT", "JB4", 1, 1},
    {"HLO TURBO", "HLO", 1, 1},
    {"SN4", "SN4", 1, 1},
    {"SN6", "SN6", 1, 0},
    {"YAS5", "YAS", 2, 0},
    {"DY 1000", "DY1", 1, 1},
    {"ZEBALOR", "ZEB", 1, 0},
    {"QP50", "QP5", 1, 0},
    {"FORMULA VO", "GEX", 4, 0},
    {"WQ GTR", "WQR", 4, 0},
    {"DY GTR", "DYR", 1, 0},
    {"FORMULA N8", "GQ8", 4, 0},
    {"HLO GTR", "HLU", 4, 0},
    {"VO GTR", "VOQ", 4, 0},
    {"QP50 GTR", "QPZ", 1, 0},
    {"NQ1 GRAND PRIX", "NQ1", 5, 0},
    {"FORMULA KT02", "KTA", 3, 0},
};

const uint8_t CarListOrder[CarCount] = {8, 0, 1, 5, 6, 3, 4, 2, 9, 10,
                                        13, 12, 15, 16, 17, 7, 19, 11, 14, 18};

const char* const BodyCodeTable[BodyCodeCount] = {"WQ", "VO", "JB", "HL", "SN", "YA", "DY",
                                                  "ZE", "QP", "GE", "N8", "N1", "KT"};

ObjectModel* MutableBodyObjects[BodyCodeCount] = {};
ObjectModel* const (&BodyObjects)[BodyCodeCount] = MutableBodyObjects;

void SetCarBodyObject(int index, ObjectModel* model)
{
    if (index >= 0 && index < BodyCodeCount)
        MutableBodyObjects[index] = model;
}

int FindCarByName(const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < CarCount; ++i)
        if (EqualsNoCase(CarNameTable[i].name, name))
            return i;
    return -1;
}

int FindCarByCode(const char* code)
{
    if (!code)
        return -1;
    for (int i = 0; i < CarCount; ++i)
        if (EqualsNoCase(CarNameTable[i].code, code))
            return i;
    return -1;
}

const char* GetCarCode(const char* name)
{
    int car = FindCarByName(name);
    return car < 0 ? nullptr : CarNameTable[car].code;
}

int GetCarGearboxKind(const char* name)
{
    int car = FindCarByName(name);
    return car < 0 ? 0 : CarNameTable[car].gearboxKind;
}

int GetCarOffRoadFlag(const char* name)
{
    int car = FindCarByName(name);
    return car < 0 ? 0 : CarNameTable[car].offRoad;
}

ObjectModel* GetCarBodyObject(const char* bodyCode)
{
    if (!bodyCode)
        return nullptr;
    for (int i = 0; i < BodyCodeCount; ++i)
        if (std::strcmp(BodyCodeTable[i], bodyCode) == 0)
            return BodyObjects[i];
    return nullptr;
}
