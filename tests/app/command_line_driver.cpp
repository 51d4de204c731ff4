// Test driver: reads its own command line as the program does (argv joined
// with blanks) and prints what the parser made of it, one "key=value" line
// each, so that tests can pass command lines through a real shell.
#include "app/services.h"
#include "core/services.h"
#include "net/services.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    ResetCoreTables();
    ResetAppTables();
    ResetNetTables();
    std::string line = JoinCommandLine(argc, argv);
    ParseCommandLine(line.c_str());
    std::printf("line=%s\n", line.c_str());
    std::printf("mode=%d\n", ProgramMode.startMode);
    std::printf("error=%s\n", CommandLine.error);
    std::printf("gameName=%s\n", Settings.gameName);
    std::printf("gamePass=%s\n", Settings.gamePass);
    std::printf("gameAdmin=%s\n", Settings.gameAdmin);
    std::printf("gamePort=%s\n", Settings.gamePort);
    std::printf("serverName=%s\n", Settings.serverName);
    std::printf("serverPass=%s\n", Settings.serverPass);
    std::printf("maxConns=%d\n", Settings.maxConns);
    std::printf("adminSlots=%d\n", Settings.adminSlots);
    std::printf("carsInRace=%d\n", Settings.carsInRace);
    std::printf("packsPerSec=%d\n", Settings.packsPerSec);
    std::printf("connToMaster=%d\n", Settings.connToMaster);
    std::printf("mpRules=%d\n", Settings.mpRules);
    std::printf("mpFlags=%d\n", Settings.mpFlags);
    std::printf("raceLengthCode=%d\n", HostOptions.raceLengthCode);
    std::printf("qualify=%d\n", HostOptions.qualifyMinutes);
    std::printf("track=%s %d %d\n", Settings.mapName, Settings.config, Settings.flip);
    std::printf("lighting=%d\n", Settings.lighting);
    std::printf("replay=%s\n", CommandLine.replayToOpen);
    std::printf("graphics=%d\n", ProgramMode.graphicsOn);
    std::printf("dedicated=%d\n", ProgramMode.dedicatedMode);
    std::printf("player=%s\n", Settings.plyName);
    std::printf("autoKick=%d\n", Settings.autoKick);
    std::printf("insim=%s\n", HostOptions.inSimPortText);
    std::printf("mprTemplate=%s\n", DataPaths.mprFile);
    std::printf("layoutPattern=%s\n", DataPaths.layoutSearch);
    return 0;
}
