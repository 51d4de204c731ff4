// Players entering the race: the join record every computer applies in the
// same order, the AI drivers' car, set-up and colour choice, the add rules
// a live host enforces and the checks made before a race starts.
#pragma once

#include <cstdint>

#include "session/race.h"

struct DriverNameEntry;

// The join record's game packet type (its layout is with the grid files).
constexpr uint8_t JoinRecordType = 5;

// Fills an AI driver's descriptor from its name entry, skill and car,
// loading its track knowledge; 1 when filled.
// Pending: the AI drivers are not built; logs once and answers 0 (the
// knowledge could not be loaded).
int FillAiDriverInfo(PlayerDescriptor& descriptor, const DriverNameEntry& entry, int skill, const char* carName);
// The car block of a car: its name, the chosen set-up and colour files;
// a forced set-up or colour index (SetAiPlayerCar) picks the car data's
// own entry instead.
void SetPlayerCarFromName(PlayerCarBlock& block, const char* carName);
// The car block of an AI driver with name index n: the loose-surface
// set-up on a mostly off-road world, the driver's own colour file when it
// has one, else colour configuration n of the car.
void SetAiPlayerCar(PlayerCarBlock& block, int nameIndex, const char* carName);
// Builds the slot's join record and sends it at once; the slot is marked
// as having sent it. A guest sends nothing for a car it does not know.
void AddLocalPlayer(RacePlayer& slot, int nameIndex, const char* carName);
// A player-update packet: the slot of the same player id takes the
// descriptor, or the player is appended.
void UpdatePlayerInfo(Race& race, const PlayerDescriptor& descriptor);
// A join packet: the player is added under the add rules; a refused player
// is told to leave on a live host; a slot of this computer sends its join
// record.
void AddPlayerFromRecord(Race& race, const PlayerDescriptor& descriptor);
// A human's new descriptor for the connection's existing human slot; 1
// when such a slot took it.
int UpdatePlayerControls(Race& race, const PlayerDescriptor& descriptor);
// 1 when the race already holds a human of the descriptor's connection (for
// a human), or an AI driver of the same name (for an AI driver).
int HasPlayerOfKind(const Race& race, const PlayerDescriptor& descriptor);
// 1 when the race has as many players as the world has start places (at
// most 32; 1 without a world; offline also the race settings' limit).
int IsRaceFull(const Race& race);
// The next local or AI slot without a car block sends its join record,
// unless a join is under way.
void AddNextAiDriver(Race& race);
// The warning a set-up earns on the loaded world: 0 none, 1 road tyres on
// a mostly off-road track, 2 loose-surface tyres on both axles on a road
// track; ShowTyreWarning shows it as a notice.
int CheckSetupTyres(const CarSetup& setup, int offRoad);
void ShowTyreWarning(int warning);
// Before a race starts: too many players for the start places clears them
// all; AI cars that cannot run off-road leave a mostly off-road track;
// tyres that do not suit the track are warned about. 0 without a world.
int CheckPlayersBeforeStart(Race& race);
