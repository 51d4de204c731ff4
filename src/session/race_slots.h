// The race's player slots: construction and clean-up, adding and removing
// players, look-ups, the running order, hot-lap validity, the race length
// and the checksums that other computers and replays compare.
#pragma once

#include "session/race.h"

// --- Construction and clean-up.

// Zeroes the race, then: selection timer 4000 ms, 5 laps, the AI skill of
// "Skill Level", wind 1.
void InitRace(Race& race);
// Frees every slot's car and AI driver (the flag "left the race" is
// cleared); the player count stays (the caller deletes the race or clears
// the slots). FreePlayerCars is the same.
void RemoveAllPlayers(Race& race);
void FreePlayerCars(Race& race);
// Frees the slot's car and AI driver and clears both pointers.
void FreePlayerSlot(RacePlayer& slot);
// The control copy back to centred steering and no H-shifter gear; no
// state record pending.
void ClearPlayerControls(RacePlayer& slot);
// At the start of a drive: every slot's controls cleared, the running order
// and the hot-lap state reset (a hot lap is timed for a single local driver
// offline when the race asks for it), and the results cleared unless
// keepResults is set or the layout has its own start position.
void ResetRaceProgress(Race& race, int keepResults);
// Zeroes the car block but keeps its car name.
void ClearPlayerCarBlock(RacePlayer& slot);
// Every car's driven distance is reported (a connected guest's).
void ResetPlayerCars(Race& race);
// Points every slot's car at the set-up and colours of its own slot.
void RelinkPlayerCars(Race& race);

// --- Adding and removing players.

// Appends a zero-filled slot for the descriptor and returns it; null when
// the race is full or, online, three slots already belong to the
// descriptor's connection (this computer then shows "Maximum 3 local
// drivers"). A slot of this computer becomes the selected slot; a slot of
// another connection becomes remote (local to remote, AI to remote AI).
RacePlayer* CheckCarsPerConnection(Race& race, const PlayerDescriptor& descriptor);
// Removes a slot (nothing for an index outside the slots in use): InSim and
// the host's list of freed ids are told, its car and AI are freed, later
// slots move down and keep their cars pointed at their own set-ups, the
// running order and the selection follow.
void RemovePlayer(Race& race, int index);
// Texts of a descriptor that came from a file or a packet always end
// inside their fields (name, helmet skin).
void TerminatePlayerTexts(PlayerDescriptor& descriptor);

// --- Look-ups (null or -1 when nothing matches).

// The car of slot 0..count-1; null when the slot is empty or out of range.
CarObject* GetRaceSlotCar(const Race& race, int slot);
RacePlayer* FindLocalPlayer(Race& race);
int FindLocalPlayerIndex(const Race& race);
// Selection timer 0, the last local slot selected (-1 when none).
void SelectLastLocalPlayer(Race& race);
int HasLocalPlayer(const Race& race);
// 1 when a slot belongs to this computer's connection.
int HasPlayerOfConnection(const Race& race);
RacePlayer* FindPlayerById(Race& race, int playerId);
int FindPlayerIndexById(const Race& race, int playerId);
// The first slot whose name equals the name (case ignored, colour codes
// included).
RacePlayer* FindPlayerByName(Race& race, const char* name);
int FindPlayerIndexByName(const Race& race, const char* name);
// The slot of connection c whose name is the connection's driver name.
RacePlayer* FindPlayerOfConnection(Race& race, int connection);
RacePlayer* FindPlayerOfCar(Race& race, const CarObject* car);
int FindPlayerIndexOfCar(const Race& race, const CarObject* car);
// The one slot whose plain name (colour codes removed, case ignored) holds
// the text; only local and AI slots unless all is set; null when none or
// more than one does.
RacePlayer* FindPlayerByPartName(Race& race, const char* text, int all);
// 1 when a slot of another connection than c has the same plain name.
int IsNameUsedElsewhere(const Race& race, const char* name, int connection);
// 1 when a slot of connection c other than its driver's has the plain name,
// or IsNameUsedElsewhere.
int IsNameInUse(const Race& race, const char* name, int connection);

// --- Per step.

// Runs the AI of every AI slot whose car has settled (100 steps after its
// reset), telling it whether its car is the viewed one.
void UpdateAiDrivers(Race& race, const CarObject* viewedCar);
// Rebuilds the running order from the current path (every 128 steps of a
// race): nothing unless a race (not qualifying, not practice) runs on a
// path with a finish node.
void UpdateRunningOrder(Race& race);
// The running order on a path of nodeCount nodes with its finish node and
// first checkpoint node (-1 none): confirmed finishers in results order,
// then the other cars by laps and distance from the finish, ties in slot
// order.
void BuildRunningOrder(Race& race, int nodeCount, int finishNode, int checkpointNode);

// The race's step counter and hot-lap mode, as the physics reads them.
int32_t GetRaceStepCounter(const Race& race);
bool IsHotLapTimed(const Race& race);
// 1 while a race (not qualifying, not practice) is run.
int IsRaceSession();
// 1 while qualifying.
int IsQualifyingSession();

// --- Hot-lap validity.

// At a lap completion the next lap's validity becomes the current one.
void AdvanceLapValidity(Race& race);
// The next lap's validity: valid or invalid.
void SetNextLapValidity(Race& race, int valid);
// Marks the still-valid laps invalid (ground, wall and object both laps,
// wrong way the current lap only) and, when one changed, shows "Hot lap
// invalid (%s)".
void InvalidateHotLap(Race& race, int reason);
void ClearBestLapReference(Race& race);

// --- Race length.

// Laps of the race length code; 1 for a race in hours, 0 for practice.
int GetLapCount(const Race& race);
int LapsFromLengthCode(int code);
// Stores the code (at most 238; 1 when the configuration's path can be
// driven but is no closed lap) in the race and in RaceLengthSetting;
// nothing without a loaded world.
void SetRaceLengthByte(Race& race, int code);

// --- Checksums and skins.

// A CRC of the step counter and every car's 16.16 position, in slot order;
// single-player replays record and compare it.
uint32_t ChecksumRacePlayers(const Race& race);
// Folds a slot into three running CRCs: who (name and plate, connection,
// flags, figure, id, start position and pit start, car name), the colours
// and the set-up.
void ChecksumPlayerSlot(const RacePlayer& slot, uint32_t& who, uint32_t& colours, uint32_t& setup);

// One skin in use: "XXX_name" of a car skin or "HEL_name" of a helmet, and
// whether the file exists.
constexpr int SkinListCapacity = 64;
constexpr int SkinListNameSize = 20;
struct SkinListEntry {
    int32_t value = 0;
    char name[SkinListNameSize] = {};
};
// Lists every slot's car skin and helmet skin once (case ignored).
void ListPlayerSkins(const Race& race, SkinListEntry* list, int& count);
