// Settling the results: rows are confirmed once no running car can pass
// them and announced with their places; cars that stand on track while they
// hold a row back are sent to spectate.
#include <cstdio>
#include <cstring>

#include "session/race_car.h"
#include "session/services.h"
#include "world/services.h"

namespace {

constexpr int SoundSystemMessage = 2;
constexpr int EffectWin = 5, EffectFinish = 6;
// Standard colours of the finishing messages.
constexpr int ColourProvisional = 18, ColourFinished = 16, ColourWinner = 11;
// A car standing this many steps while it holds back a row leaves the race.
constexpr int LappedStopSteps = 800;
constexpr int RaceControlLeave = 1;
// The fourth site counts for the master server's results from this
// configuration on, although its flag byte is clear.
constexpr int ListedOpenSite = 3, ListedOpenSiteFirstConfig = 3;
constexpr int MessageSize = 128;

void GetRowName(const RaceResult& row, char (&name)[PlayerNameSize])
{
    std::memcpy(name, row.nameAndPlate, PlayerNameSize);
    name[PlayerNameSize - 1] = 0;
}

// Whether a provisional row can be confirmed: no car still running has done
// as many laps, and for a row with a time penalty none is one lap behind.
bool NoRunningCarCanPass(const Race& race, const RaceResult& row)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        const CarObject* car = race.players[i].car;
        if (!car || GetCarResult(*car).classified)
            continue;
        const int laps = ViewRaceCar(*car).lapsDone;
        if (laps >= row.laps)
            return false;
        if ((row.flags & ResultTimePenalty) && laps == row.laps - 1)
            return false;
    }
    return true;
}

// A disqualified row is always final, so a provisional row is a finish.
void AnnounceProvisional(const Race& race, const RaceResult& row, const char* name, int slot)
{
    const RaceHooks& hooks = GetRaceHooks();
    char text[MessageSize];
    const char* shown = PrepareColourText(name);
    const int behind = race.results[0].laps - row.laps;
    if (behind <= 0)
        std::snprintf(text, sizeof text, GetText(TX_3a_x_finish), shown);
    else if (behind == 1)
        std::snprintf(text, sizeof text, GetText(TX_3g_x_fin1be), shown);
    else
        std::snprintf(text, sizeof text, GetText(TX_3g_x_finxbe), shown, behind);
    hooks.printMessage(text, ColourProvisional);
    if (slot >= 0 && race.players[slot].descriptor.type == PlayerLocal)
        hooks.playMixedEffect(EffectFinish);
}

// The master server keeps the results of listed hosts on real tracks.
void ReportToMaster(const Race& race, const RaceResult& row, int place)
{
    const RaceHooks& hooks = GetRaceHooks();
    if (!hooks.isHostOnMaster() || HasLayoutFinishLine() || GetLayoutCheckpointCount() > 0)
        return;
    const int site = LoadedWorldSite();
    if (site < 0 || site >= SiteCount)
        return;
    if (!SiteTable[site].trackFlag && !(site == ListedOpenSite && race.configuration >= ListedOpenSiteFirstConfig))
        return;
    char code[4];
    CopyFixedString(code, row.carCode, sizeof code);
    if (FindCarByCode(code) < 0)
        return;
    MasterResultReport report;
    report.userNumber = row.userNumber;
    report.site = site;
    report.configuration = race.configuration;
    report.reversed = race.reversed;
    std::memcpy(report.carCode, code, sizeof code);
    report.place = place;
    report.playerCount = race.playerCount;
    report.raceLength = race.raceLength;
    report.totalTime = row.totalTime;
    report.laps = row.laps;
    report.flags = row.flags;
    report.pitStops = row.pitStops;
    hooks.reportResultToMaster(report);
}

} // namespace

void UpdateRaceResults(Race& race)
{
    const RaceHooks& hooks = GetRaceHooks();
    race.resultsSendFrame = 0;
    race.resultsNotFinal = 0;
    const bool timedRows = IsQualifyingSession() || HasLayoutFinishLine();
    bool confirmedAny = false;
    for (int i = 0; i < RaceResultRows(race); ++i) {
        RaceResult& row = race.results[i];
        if (row.flags & ResultConfirmed)
            continue;
        char name[PlayerNameSize];
        GetRowName(row, name);
        const int slot = FindPlayerIndexByName(race, name);
        const bool final = timedRows || (row.flags & ResultDisqualified) || NoRunningCarCanPass(race, row);
        if (!final) {
            race.resultsNotFinal = 1;
            if (!(row.flags & ResultAnnounced)) {
                row.flags |= ResultAnnounced;
                AnnounceProvisional(race, row, name, slot);
            }
            continue;
        }
        int announcedNow = 1;
        if (row.flags & ResultAnnounced) {
            row.flags &= static_cast<uint8_t>(~ResultAnnounced);
            announcedNow = 0;
        }
        row.flags |= ResultConfirmed;
        confirmedAny = true;
        if (slot >= 0)
            OnLessonRaceResult(slot, i);
        if (hooks.isInSimActive())
            hooks.inSimResult(row, i);
        if (row.flags & ResultDisqualified) {
            if (announcedNow) {
                char text[MessageSize];
                std::snprintf(text, sizeof text, GetText(TX_3g_x_disqua), PrepareColourText(name));
                hooks.printMessage(text, ColourProvisional);
            }
        } else if (slot >= 0) {
            ReportPlayerFinish(race, slot, i, announcedNow);
        }
        ReportToMaster(race, row, i);
    }
    if (confirmedAny)
        hooks.playInterfaceSound(SoundSystemMessage);
}

void ReportPlayerFinish(Race& race, int slot, int place, int announcedNow)
{
    if (slot < 0 || slot >= RaceSlotsInUse(race))
        return;
    const RaceHooks& hooks = GetRaceHooks();
    RacePlayer& player = race.players[slot];
    const char* shown = PrepareColourText(player.descriptor.name);
    char placeName[32];
    GetPlaceName(placeName, sizeof placeName, place + 1);
    char text[MessageSize];
    const bool alone = race.playerCount == 1;
    if (alone) {
        std::snprintf(text, sizeof text, GetText(TX_3a_x_finish), shown);
        hooks.printMessage(text, ColourFinished);
    } else if (place == 0) {
        std::snprintf(text, sizeof text, GetText(TX_3a_x_wonrac), shown);
        hooks.printMessage(text, ColourWinner);
        race.winnerPending = 0;
    } else {
        std::snprintf(text, sizeof text, GetText(announcedNow ? TX_3a_x_finplc : TX_3g_x_conplc), shown, placeName);
        hooks.printMessage(text, ColourFinished);
    }
    if (player.descriptor.type == PlayerLocal && announcedNow)
        hooks.playMixedEffect(place == 0 && !alone ? EffectWin : EffectFinish);
    if (player.car && !alone)
        SetCarStatusTag(*player.car, hooks.languageCodePage(), place == 0 ? GetText(TX_3a_cpwinner) : placeName);
}

void CheckLappedCars(Race& race)
{
    if (IsQualifyingSession() || HasLayoutFinishLine())
        return;
    constexpr uint8_t settled = ResultConfirmed | ResultDisqualified;
    for (int r = 0; r < RaceResultRows(race); ++r) {
        const RaceResult& row = race.results[r];
        if (row.flags & settled)
            continue;
        for (int i = 0; i < RaceSlotsInUse(race); ++i) {
            const CarObject* car = race.players[i].car;
            if (!car || GetCarResult(*car).classified)
                continue;
            const RaceCarView view = ViewRaceCar(*car);
            if (view.stopped && view.lapsDone <= row.laps && view.stoppedSteps > LappedStopSteps &&
                (view.remote || !view.garageHeld)) {
                SendRaceControlValue(race, i, RaceControlLeave);
                return;
            }
        }
    }
}
