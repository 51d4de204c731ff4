// The AI drivers as the race object holds them: one per AI slot whose car
// this computer drives. A driver writes its car's input words every
// simulation step, as a player's controls would (ai_driver*.cpp,
// ai_control*.cpp, ai_pit*.cpp).
#pragma once

struct AiDriver;
struct AiKnowledge;
struct RacePlayer;
class CarObject;

// Start kinds of an AI driver's reset: on the grid, in the pit lane after
// a random wait, in the pit lane after a fixed wait.
enum : int { AiStartGrid = 0, AiStartPitRandom = 1, AiStartPit = 2 };
// A new AI driver for a car, with skill 0..4; it stands still until it is
// reset for a start.
AiDriver* CreateAiDriver(CarObject& car, int skill);
// The driver made ready for a start on the grid or in the pit lane.
void ResetAiDriverForStart(AiDriver& ai, int startKind);

// One step of an AI driver: writes its car's input words.
void UpdateAiDriver(AiDriver& ai, float dt, int isViewedCar);
// Gives the driver a racing line built in memory for the loaded world's
// configuration, and a pit line (none for null) that leaves the racing line
// at node pitEntryNode and joins it again at node pitExitNode. The driver
// takes them as it takes a loaded knowledge file: both lines profiled for
// its car and skill, its car's figures set. 0, and nothing taken, without
// a route or when the racing line's node count is not the route's; a pit
// line whose nodes do not fit is left out (the driver then never pits).
int GiveAiKnowledge(AiDriver& driver, const AiKnowledge& main, const AiKnowledge* pit, int pitEntryNode,
                    int pitExitNode);
// Frees an AI driver with its knowledge (nothing for null).
void FreeAiDriver(AiDriver* ai);
// The driver's car counted a timing point (1 the finish line, then the
// checkpoints): the pit decision at the last split, the end of a run at a
// lap.
void AiCarCountedTimingPoint(AiDriver& ai, int timingPoint);
// Before a race or qualifying start: the driver plans its start fuel and
// stints from its knowledge and tells every computer its pit strategy.
void PlanAiFuel(AiDriver& ai, RacePlayer& player, int qualifying);
