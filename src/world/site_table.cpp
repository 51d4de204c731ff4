// The fixed table of track sites and its look-ups.
#include "world/services.h"

const SiteRecord SiteTable[SiteCount] = {
    {"Hollowmere", "HM", 3, 3, 1, {1, 1, 0}, {3, 4, 5, 0}, {0, 1, 1, 0}},
    {"Dockside", "DK", 6, 3, 1, {1, 1, 1, 1, 1, 1}, {4, 3, 5, 0}, {0, 2, 1, 0}},
    {"Gullhaven", "GH", 6, 3, 1, {1, 1, 1, 1, 1, 1}, {3, 5, 6, 0}, {0, 1, 2, 0}},
    {"Autocross", "AU", 4, 3, 0, {0, 0, 0, 0}, {4, 2, 5, 0}, {2, 0, 1, 0}},
    {"Orrin Ring", "OG", 3, 3, 1, {1, 1, 1}, {3, 4, 2, 0}, {0, 1, 1, 0}},
    {"Caldrow", "CW", 1, 3, 1, {1}, {3, 4, 5, 0}, {0, 1, 1, 0}},
    {"Brennick", "BN", 7, 2, 1, {1, 1, 1, 1, 1, 1, 1}, {3, 4, 0, 0}, {0, 1, 0, 0}},
};

namespace {

// Letters compared without regard to case, A to Z only, the same in every locale.
bool SameName(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

} // namespace

int FindSite(const char* name, int* trackFlag)
{
    for (int i = 0; i < SiteCount; ++i) {
        if (SameName(SiteTable[i].name, name)) {
            if (trackFlag != nullptr)
                *trackFlag = SiteTable[i].trackFlag;
            return i;
        }
    }
    if (trackFlag != nullptr)
        *trackFlag = 0;
    return -1;
}

int GetSiteIndex(const char* name)
{
    return FindSite(name, nullptr);
}
