// The headless race program: runs a whole race of robot drivers, or of the
// program's AI drivers, in a data builder's folder and prints its trace
// (every processed packet, the cars' state every 100 steps, the cars' laps
// and times, the results table), an AI race's figures and the trace's
// check value.
//   headless_race <game folder> <frame ms> [cars] [laps] [most seconds] [site] [configuration]
//                 [--ai] [--skill 0..4] [--cars CODE,CODE,...] [--reversed]
// Exit code 0 when every car finished, 1 when not, 2 when the race could
// not be set up, 3 when the configuration has no racing route.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "support/headless_race.h"
#include "world/services.h"

namespace {

// The named options; what is left are the positional arguments.
bool ReadOptions(int argc, char** argv, HeadlessRaceOptions& options, std::vector<const char*>& positional)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ai") == 0)
            options.aiDrivers = 1;
        else if (std::strcmp(argv[i], "--reversed") == 0)
            options.reversed = 1;
        else if (std::strcmp(argv[i], "--skill") == 0 && i + 1 < argc)
            options.aiSkill = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--cars") == 0 && i + 1 < argc)
            options.carCodes = argv[++i];
        else if (std::strncmp(argv[i], "--", 2) == 0)
            return false;
        else
            positional.push_back(argv[i]);
    }
    return positional.size() >= 2;
}

// An AI race's figures: one line for the race, one per car.
void PrintFigures(const HeadlessRaceOptions& options, const HeadlessRaceFigures& figures)
{
    std::printf("figures finishers %d of %d stuck %.2f s car %d outside %.3f %% of %.0f m contacts %d\n",
                figures.finishers, options.cars, double(figures.longestStuckSeconds), figures.longestStuckSlot,
                100.0 * double(figures.outsideShare), double(figures.distanceMetres), figures.contacts);
    for (int slot = 0; slot < options.cars && slot < 32; ++slot)
        std::printf("figures car %2d %s best lap %.2f s knowledge %.2f s\n", slot, figures.carCode[slot].c_str(),
                    double(figures.bestLapSeconds[slot]), double(figures.knowledgeLapSeconds[slot]));
}

} // namespace

int main(int argc, char** argv)
{
    HeadlessRaceOptions options;
    std::vector<const char*> args;
    if (!ReadOptions(argc, argv, options, args)) {
        std::fprintf(stderr, "usage: headless_race <game folder> <frame ms> [cars] [laps] [most seconds] [site] "
                             "[configuration] [--ai] [--skill 0..4] [--cars CODE,CODE,...] [--reversed]\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::current_path(args[0], error);
    if (error) {
        std::fprintf(stderr, "headless_race : no folder : %s\n", args[0]);
        return 2;
    }
    options.frameMs = std::atoi(args[1]);
    if (args.size() > 2)
        options.cars = std::atoi(args[2]);
    if (args.size() > 3)
        options.laps = std::atoi(args[3]);
    if (args.size() > 4)
        options.maxSeconds = std::atoi(args[4]);
    if (args.size() > 5)
        options.site = std::atoi(args[5]);
    if (args.size() > 6)
        options.configuration = std::atoi(args[6]);
    if (options.frameMs < 1 || options.cars < 1 || options.cars > 32 || options.laps < 1 || options.maxSeconds < 1 ||
        options.site < 0 || options.site >= SiteCount || options.configuration < 0 || options.aiSkill < 0 ||
        options.aiSkill > 4) {
        std::fprintf(stderr, "headless_race : bad frame length, car count, lap count, site or skill\n");
        return 2;
    }
    if (options.configuration > SiteTable[options.site].configCount)
        return 3;
    const HeadlessRaceOutcome outcome = RunHeadlessRace(options);
    std::fwrite(outcome.trace.data(), 1, outcome.trace.size(), stdout);
    if (options.aiDrivers && outcome.loaded)
        PrintFigures(options, outcome.figures);
    std::printf("trace crc %08x\n", unsigned(outcome.traceCrc));
    if (!outcome.loaded)
        return outcome.worldLoaded && !outcome.racingRoute ? 3 : 2;
    return outcome.finished ? 0 : 1;
}
