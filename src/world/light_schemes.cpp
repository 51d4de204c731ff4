// The loaded world's light schemes as the race setup offers them: each
// scheme's name (its weather and time of day, in the language's word
// order) and the switch to another scheme at run time.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "world/local.h"

namespace {

constexpr TextId TimeOfDayWords[] = {TX_3g_dt_dawn_, TX_3g_dt_sunri, TX_3g_dt_morni, TX_3g_dt_day__,
                                     TX_3g_dt_after, TX_3g_dt_sunse, TX_3g_dt_dusk_, TX_3g_dt_night};
constexpr TextId WeatherWords[] = {TX_3g_wth_clea, TX_3g_wth_clou, TX_3g_wth_over};

// A word of a table by a byte read from the world file; "" for a byte the
// table does not have.
template <size_t Count>
const char* WordOf(const TextId (&words)[Count], uint8_t index)
{
    return index < Count ? GetText(words[index]) : "";
}

} // namespace

const char* FormatLightSchemeName(const World& world, char* buffer, int index)
{
    if (index < 0 || size_t(index) >= world.schemes.size()) {
        std::memset(buffer, 0, LightSchemeNameSize);
        return nullptr;
    }
    const LightScheme& scheme = world.schemes[size_t(index)];
    const char* timeOfDay = WordOf(TimeOfDayWords, scheme.timeOfDay);
    const char* weather = WordOf(WeatherWords, scheme.weather);
    // Languages that put the noun before its adjective say "na".
    const bool nounFirst = std::strcmp(GetText(TX_tx_noun_adj), "na") == 0;
    std::snprintf(buffer, LightSchemeNameSize, "%s %s", nounFirst ? timeOfDay : weather,
                  nounFirst ? weather : timeOfDay);
    return buffer;
}

void SelectLightScheme(World& world, int index)
{
    const int count = static_cast<int>(world.schemes.size());
    index = std::max(0, std::min(index, count - 1));
    if (index == world.lightScheme)
        return;
    world.lightScheme = index;
    GetWorldDrawHooks().rebuildLightScheme();
}
