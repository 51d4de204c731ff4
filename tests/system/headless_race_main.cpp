// The headless race program: runs a whole race of robot drivers in a data
// builder's folder and prints its trace (every processed packet, the cars'
// state every 100 steps, the cars' laps and times, the results table) and
// the trace's check value.
//   headless_race <game folder> <frame ms> [cars] [laps] [most seconds] [site] [configuration]
// Exit code 0 when every car finished, 1 when not, 2 when the race could
// not be set up.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/headless_race.h"
#include "world/services.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: headless_race <game folder> <frame ms> [cars] [laps] [most seconds] [site] "
                             "[configuration]\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::current_path(argv[1], error);
    if (error) {
        std::fprintf(stderr, "headless_race : no folder : %s\n", argv[1]);
        return 2;
    }
    HeadlessRaceOptions options;
    options.frameMs = std::atoi(argv[2]);
    if (argc > 3)
        options.cars = std::atoi(argv[3]);
    if (argc > 4)
        options.laps = std::atoi(argv[4]);
    if (argc > 5)
        options.maxSeconds = std::atoi(argv[5]);
    if (argc > 6)
        options.site = std::atoi(argv[6]);
    if (argc > 7)
        options.configuration = std::atoi(argv[7]);
    if (options.frameMs < 1 || options.cars < 1 || options.cars > 32 || options.laps < 1 || options.maxSeconds < 1 ||
        options.site < 0 || options.site >= SiteCount || options.configuration < 0) {
        std::fprintf(stderr, "headless_race : bad frame length, car count, lap count or site\n");
        return 2;
    }
    const HeadlessRaceOutcome outcome = RunHeadlessRace(options);
    std::fwrite(outcome.trace.data(), 1, outcome.trace.size(), stdout);
    std::printf("trace crc %08x\n", unsigned(outcome.traceCrc));
    if (!outcome.loaded)
        return 2;
    return outcome.finished ? 0 : 1;
}
