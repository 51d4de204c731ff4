// Temporary bodies of replay recording until replays are built: no replay
// is ever recorded, so nothing is stashed and the base frame is 0.
#include "net/local.h"

int IsMprRecording() { return 0; }
void StashReceivedBundle(uint32_t, int, const uint8_t*, int) {}
void AdvanceMprFrames(uint32_t) {}
uint32_t MprBaseFrame() { return 0; }
void RecordSprPacket(const uint8_t*, int) {}
