// The frame road at full load: a host whose guests each send a full bundle
// every frame (247 bytes of packets), its own full bundle, and every packet
// handed to the dispatch when the frame is processed. Reports frames
// processed per second and the heap allocations per frame, counted by the
// operator new of this program (none are expected: bundles and rings are
// fixed buffers).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "core/services.h"
#include "net/services.h"
#include "session/services.h"

namespace {

long long Allocations = 0;

using Packet = std::vector<uint8_t>;

// Bundles of one frame: three large packets (car information, timing state,
// lap time) or 49 lag figures; both fill the 247 bytes of entries exactly.
std::vector<Packet> BundlePackets(bool small)
{
    if (small)
        return std::vector<Packet>(49, Packet{GpLagFigure, 5, 0, 0});
    Packet carInfo(212, 0), timing(20, 0), lap(12, 0);
    carInfo[0] = GpCarInfo;
    timing[0] = GpTimingState;
    lap[0] = GpLapTime;
    return {carInfo, timing, lap};
}

// A guest's bundle frame payload stamped with the frame number.
std::vector<uint8_t> BundleFrame(const std::vector<Packet>& packets)
{
    std::vector<uint8_t> payload = {TransportBundle, 0, 0, 0, 0};
    for (const Packet& packet : packets) {
        payload.push_back(static_cast<uint8_t>(packet.size()));
        payload.insert(payload.end(), packet.begin(), packet.end());
    }
    return payload;
}

// A host with connections - 1 guests, added by its new-connection packets.
void StartSession(int connections)
{
    ResetCoreTables();
    ResetSessionTables();
    ResetNetTables();
    ResetSession(1, 0);
    for (int i = 1; i < connections; ++i) {
        uint8_t packet[60] = {GpNewConnection, static_cast<uint8_t>(10 + i)};
        HandleGamePacket(0, packet, sizeof packet);
    }
    // The host sent its votes for every new guest: the guests send empty
    // bundles until those frames are processed, so that no backlog stays.
    while (ConnectionTable.connections[0].ring.framesReceived > FrameClock.processedFrame) {
        for (int c = 1; c < ConnectionTable.count; ++c) {
            const uint32_t stamp = ConnectionTable.connections[c].ring.framesReceived + 1;
            const uint8_t empty[5] = {TransportBundle, static_cast<uint8_t>(stamp), static_cast<uint8_t>(stamp >> 8)};
            if (ConnectionTable.connections[c].ring.framesReceived <= FrameClock.processedFrame)
                OnConnectionFrame(c, sizeof empty, empty);
        }
        ProcessNextFrame();
    }
}

void RunFrames(benchmark::State& state, bool small)
{
    const int connections = static_cast<int>(state.range(0));
    StartSession(connections);
    const std::vector<Packet> packets = BundlePackets(small);
    std::vector<uint8_t> frame = BundleFrame(packets);
    const int size = static_cast<int>(frame.size());
    long long frames = 0;
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = Allocations;
        for (int c = 1; c < connections; ++c) {
            // The steady state: each bundle is stamped one past the frames
            // its connection's ring has received.
            const uint32_t stamp = ConnectionTable.connections[c].ring.framesReceived + 1;
            frame[1] = static_cast<uint8_t>(stamp);
            frame[2] = static_cast<uint8_t>(stamp >> 8);
            OnConnectionFrame(c, size, frame.data());
        }
        for (const Packet& packet : packets)
            QueueGamePacket(packet.data(), static_cast<int>(packet.size()));
        SendGameBundle(0);
        if (!IsNextFrameReady()) {
            state.SkipWithError("a frame was not ready");
            break;
        }
        ProcessNextFrame();
        allocations += Allocations - before;
        ++frames;
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["packets/frame"] = double(packets.size() * static_cast<size_t>(connections));
    state.counters["allocations/frame"] = frames ? double(allocations) / double(frames) : 0.0;
    ResetNetTables();
}

void BM_FullBundlesOfLargePackets(benchmark::State& state) { RunFrames(state, false); }
void BM_FullBundlesOfLagFigures(benchmark::State& state) { RunFrames(state, true); }

BENCHMARK(BM_FullBundlesOfLargePackets)->Arg(1)->Arg(8)->Arg(32)->Arg(48);
BENCHMARK(BM_FullBundlesOfLagFigures)->Arg(1)->Arg(8)->Arg(32)->Arg(48);

} // namespace

// Every heap allocation of the program is counted.
void* operator new(std::size_t size)
{
    ++Allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
