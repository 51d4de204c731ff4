// Car lists as hosts write them: short codes and group words joined by
// "+" and "-", read into a 20-bit car mask.
#include "core/local.h"
#include "core/services.h"

#include <cstring>

namespace {

// A name is at most this many characters; the characters after it begin
// the next name.
constexpr int MaxCarListName = 7;
constexpr uint32_t AllCars = 0xFFFFF;

struct CarGroup {
    const char* word;
    const char* codes[10];  // null after the last
};

constexpr CarGroup CarGroups[] = {
    {"ROAD", {"WQG", "VOG", "VOT", "JB4", "HLO", "SN4", "SN6", "DY1", "ZEB", "QP5"}},
    {"RACE", {"GEX", "WQR", "DYR", "GQ8", "HLU", "VOQ", "QPZ", "NQ1", "KTA"}},
    {"TBO", {"VOT", "JB4", "HLO"}},
    {"SZQ", {"SN6", "ZEB", "QP5"}},
    {"GTR", {"HLU", "VOQ", "QPZ"}},
};

// The cars a name stands for; 0 when it names none.
uint32_t CarsOfName(const char* name)
{
    if (EqualsNoCase(name, "ALL"))
        return AllCars;
    for (const CarGroup& group : CarGroups) {
        if (!EqualsNoCase(name, group.word))
            continue;
        uint32_t mask = 0;
        for (const char* code : group.codes) {
            if (code == nullptr)
                break;
            int car = FindCarByCode(code);
            if (car >= 0)
                mask |= 1u << car;
        }
        return mask;
    }
    int car = FindCarByCode(name);
    return car >= 0 ? 1u << car : 0;
}

} // namespace

int ParseCarList(const char* text, uint32_t& mask)
{
    uint32_t result = 0;
    bool removing = false;
    const char* p = text;
    while (*p != 0 && *p != ' ') {
        char name[MaxCarListName + 1];
        int length = 0;
        while (*p != 0 && *p != '+' && *p != '-' && *p != ' ' && length < MaxCarListName)
            name[length++] = *p++;
        name[length] = 0;
        if (length < 3)
            return 0;
        uint32_t cars = CarsOfName(name);
        if (cars == 0)
            return 0;
        result = removing ? (result & ~cars) : (result | cars);
        if (*p == '+' || *p == '-')
            removing = *p++ == '-';
    }
    if (result == 0)
        return 0;
    mask = result;
    return 1;
}
