// Temporary bodies of the player slot operations of the session until they
// are built: no player flags are sent, and a car block is only stored.
#include <cstring>

#include "net/local.h"
#include "session/services.h"

void SendPlayerFlags(const RacePlayer&) {}

void ApplyCarInfo(int, RacePlayer& slot, const PlayerCarBlock& block, uint32_t)
{
    LogNotAvailableOnce(MutableNet.carInfoNoted, "ApplyCarInfo");
    if (FindCarByName(block.carName) < 0) {
        ReportLine(ColourLightRed, "Unknown car refused : %s", block.carName);
        return;
    }
    slot.carBlock = block;
    slot.state &= static_cast<uint8_t>(~1u);
}
