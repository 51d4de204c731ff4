// The adapter table: every graphics adapter with the full-screen modes it
// can show, and the depth-buffer format chosen for each display format.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "core/services.h"
#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

AdapterTableRecord MutableAdapterTable;
const AdapterTableRecord& AdapterTable = MutableAdapterTable;
GfxCaps AdapterCaps[MaxAdapters];

namespace {

struct ModeEntry {
    uint32_t width, height, refresh, format;
};

constexpr int DepthCandidateCount = 6;
struct DepthCandidate {
    uint32_t format;
    int depthClass;
};
// Candidates in the order of each current depth class.
constexpr DepthCandidate DepthOrder[4][DepthCandidateCount] = {
    {{FmtD15S1, 0}, {FmtD16, 1}, {FmtD24X8, 2}, {FmtD24S8, 2}, {FmtD24X4S4, 2}, {FmtD32, 3}},
    {{FmtD16, 1}, {FmtD24X8, 2}, {FmtD24S8, 2}, {FmtD24X4S4, 2}, {FmtD32, 3}, {FmtD15S1, 0}},
    {{FmtD24X8, 2}, {FmtD24S8, 2}, {FmtD24X4S4, 2}, {FmtD32, 3}, {FmtD16, 1}, {FmtD15S1, 0}},
    {{FmtD32, 3}, {FmtD24X8, 2}, {FmtD24S8, 2}, {FmtD24X4S4, 2}, {FmtD16, 1}, {FmtD15S1, 0}},
};

uint8_t AspectClass(uint32_t width, uint32_t height)
{
    uint64_t w = width, h = height;
    if (w * 3 == h * 4 || w * 4 == h * 5)
        return 0;
    if (w * 3 == h * 12 || w * 4 == h * 15)
        return 1;
    return 2;
}

void ClearRecord(AdapterRecord& record)
{
    delete[] record.modes;
    record = AdapterRecord{};
}

} // namespace

void FreeAdapterTable()
{
    for (AdapterRecord& record : MutableAdapterTable.adapters)
        ClearRecord(record);
    MutableAdapterTable.count = 0;
    MutableAdapterTable.chosen = 0;
    std::fill(std::begin(AdapterCaps), std::end(AdapterCaps), GfxCaps{});
}

void SetAdapterTable(const AdapterTableRecord& table)
{
    FreeAdapterTable();
    MutableAdapterTable = table;
    for (AdapterRecord& record : MutableAdapterTable.adapters) {
        const DisplayModeRecord* given = record.modes;
        record.modes = nullptr;
        if (given && record.modeCount > 0)
            record.modes = new DisplayModeRecord[size_t(record.modeCount)];
        else
            record.modeCount = 0;
        std::copy(given, given + record.modeCount, record.modes);
    }
}

AdapterRecord* GetCurrentAdapter()
{
    return &MutableAdapterTable.adapters[MutableAdapterTable.chosen];
}

int SelectDepthFormat(uint32_t adapterOrdinal, uint32_t displayFormat, uint32_t& depthFormat)
{
    if (!Gfx.system)
        return 0;
    int row = Gfx.depthClass < 0 ? 1 : std::min(Gfx.depthClass, 3);
    int found = 0;
    DepthCandidate chosen{};
    for (const DepthCandidate& candidate : DepthOrder[row]) {
        bool formatOk = GfxSucceeded(Gfx.system->CheckDeviceFormat(adapterOrdinal, DeviceHal, displayFormat,
                                                                   UsageDepthStencil, ResourceSurface,
                                                                   candidate.format));
        bool matchOk = formatOk && GfxSucceeded(Gfx.system->CheckDepthStencilMatch(
                                       adapterOrdinal, DeviceHal, displayFormat, displayFormat, candidate.format));
        if (!matchOk)
            continue;
        Gfx.depthClassAvailable[candidate.depthClass] = true;
        if (!found) {
            found = 1;
            chosen = candidate;
        }
    }
    if (found) {
        depthFormat = chosen.format;
        Gfx.depthClass = chosen.depthClass;
    }
    return found;
}

namespace {

// The adapter's names, identifiers and desktop mode.
void DescribeAdapter(GfxSystem* system, uint32_t ordinal, AdapterRecord& record, GfxDisplayMode& desktop)
{
    GfxAdapterIdentifier identifier;
    system->GetAdapterIdentifier(ordinal, 0, identifier);
    std::memcpy(record.driver, identifier.driver, sizeof record.driver);
    std::memcpy(record.description, identifier.description, sizeof record.description);
    record.driver[sizeof record.driver - 1] = 0;
    record.description[sizeof record.description - 1] = 0;
    record.vendorId = identifier.vendorId;
    record.deviceId = identifier.deviceId;
    system->GetAdapterDisplayMode(ordinal, desktop);
    record.desktopWidth = desktop.width;
    record.desktopHeight = desktop.height;
    record.desktopRefresh = desktop.refreshRate;
    record.desktopFormat = desktop.format;
}

// The adapter's modes of at least 640 x 480, each size and format also
// offered at the default rate, sorted by size, then format (highest first),
// then rate; formats collects every display format seen (the desktop's
// first).
std::vector<ModeEntry> ListAdapterModes(GfxSystem* system, uint32_t ordinal, std::vector<uint32_t>& formats)
{
    std::vector<ModeEntry> entries;
    uint32_t modeCount = system->GetAdapterModeCount(ordinal);
    for (uint32_t i = 0; i < modeCount; ++i) {
        GfxDisplayMode mode;
        if (!GfxSucceeded(system->EnumAdapterModes(ordinal, i, mode)))
            continue;
        if (mode.width < 640 || mode.height < 480)
            continue;
        auto same = [&](const ModeEntry& e) {
            return e.width == mode.width && e.height == mode.height && e.format == mode.format;
        };
        bool duplicate = std::any_of(entries.begin(), entries.end(),
                                     [&](const ModeEntry& e) { return same(e) && e.refresh == mode.refreshRate; });
        if (duplicate)
            continue;
        entries.push_back({mode.width, mode.height, mode.refreshRate, mode.format});
        if (mode.refreshRate != 0 &&
            !std::any_of(entries.begin(), entries.end(), [&](const ModeEntry& e) { return same(e) && e.refresh == 0; }))
            entries.push_back({mode.width, mode.height, 0, mode.format});
        if (std::find(formats.begin(), formats.end(), mode.format) == formats.end())
            formats.push_back(mode.format);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const ModeEntry& a, const ModeEntry& b) {
        if (a.width != b.width)
            return a.width < b.width;
        if (a.height != b.height)
            return a.height < b.height;
        if (a.format != b.format)
            return a.format > b.format;
        return a.refresh < b.refresh;
    });
    return entries;
}

// A display format the device can use, with the vertex processing and the
// depth format it is created with.
struct FormatChoice {
    uint32_t format, behaviour, depth;
};

// The formats the hardware device takes, each with a depth format; on the
// way the adapter learns whether it renders windowed and processes
// vertices in hardware, and an automatic depth class is settled.
std::vector<FormatChoice> ChooseDeviceFormats(GfxSystem* system, uint32_t ordinal, const GfxCaps& caps,
                                              const std::vector<uint32_t>& formats, AdapterRecord& record)
{
    record.canRenderWindowed = 0;
    record.hardwareVertexProcessing = 0;
    std::vector<FormatChoice> valid;
    for (uint32_t format : formats) {
        if (!GfxSucceeded(system->CheckDeviceType(ordinal, DeviceHal, format, format, false)))
            continue;
        record.canRenderWindowed = (caps.caps2 & Caps2CanRenderWindowed) ? 1 : 0;
        if (caps.vertexShaderVersion >= VertexShaderVersion(1, 1) && (caps.devCaps & DevCapsHwTransformAndLight))
            record.hardwareVertexProcessing = 1;
        uint32_t behaviour = (record.hardwareVertexProcessing && Gfx.hardwareVertexProcessing)
                                 ? CreateMixedVertexProcessing
                                 : CreateSoftwareVertexProcessing;
        if (Gfx.depthClass == -1)
            Gfx.depthClass = record.hardwareVertexProcessing ? 2 : 1;
        uint32_t depth = 0;
        if (!SelectDepthFormat(ordinal, format, depth))
            continue;
        valid.push_back({format, behaviour, depth});
    }
    return valid;
}

// The mode records of the listed modes whose format the device takes.
std::vector<DisplayModeRecord> MakeModeRecords(const std::vector<ModeEntry>& entries,
                                               const std::vector<FormatChoice>& valid)
{
    std::vector<DisplayModeRecord> modes;
    for (const ModeEntry& entry : entries) {
        auto choice = std::find_if(valid.begin(), valid.end(),
                                   [&](const FormatChoice& c) { return c.format == entry.format; });
        if (choice == valid.end())
            continue;
        DisplayModeRecord mode;
        mode.width = entry.width;
        mode.height = entry.height;
        mode.format = entry.format;
        mode.behaviourFlags = choice->behaviour;
        mode.depthFormat = choice->depth;
        mode.aspectClass = AspectClass(entry.width, entry.height);
        mode.sixteenBit = (entry.format == FmtR5G6B5 || entry.format == FmtX1R5G5B5) ? 1 : 0;
        mode.refreshRate = static_cast<uint8_t>(std::min(entry.refresh, 255u));
        modes.push_back(mode);
    }
    return modes;
}

// Fills the next record of the table from the adapter; false when the
// adapter has no usable mode (its record is left cleared).
bool AddAdapter(GfxSystem* system, uint32_t ordinal)
{
    AdapterRecord& record = MutableAdapterTable.adapters[MutableAdapterTable.count];
    ClearRecord(record);
    GfxDisplayMode desktop;
    DescribeAdapter(system, ordinal, record, desktop);
    std::vector<uint32_t> formats{desktop.format};
    const std::vector<ModeEntry> entries = ListAdapterModes(system, ordinal, formats);
    GfxCaps& caps = AdapterCaps[MutableAdapterTable.count];
    caps = GfxCaps{};
    system->GetDeviceCaps(ordinal, DeviceHal, caps);
    const std::vector<FormatChoice> valid = ChooseDeviceFormats(system, ordinal, caps, formats, record);
    const std::vector<DisplayModeRecord> modes = MakeModeRecords(entries, valid);
    if (modes.empty()) {
        LogPrintf("adapter %d : no valid modes", static_cast<int>(ordinal));
        ClearRecord(record);
        return false;
    }
    record.modeCount = static_cast<int>(modes.size());
    record.modes = new DisplayModeRecord[modes.size()];
    std::copy(modes.begin(), modes.end(), record.modes);
    record.currentMode = 0;
    record.ordinal = ordinal;
    LogPrintf("adapter %d - valid modes : %d", static_cast<int>(ordinal), record.modeCount);
    return true;
}

} // namespace

bool EnumerateAdapters(int adapterIndex)
{
    FreeAdapterTable();
    GfxSystem* system = Gfx.system;
    uint32_t adapterCount = system ? system->GetAdapterCount() : 0;
    LogPrintf("number of adapters : %d", static_cast<int>(adapterCount));
    for (uint32_t ordinal = 0; ordinal < adapterCount && MutableAdapterTable.count < MaxAdapters; ++ordinal)
        if (AddAdapter(system, ordinal))
            ++MutableAdapterTable.count;
    if (MutableAdapterTable.count == 0)
        return false;
    MutableAdapterTable.chosen = (adapterIndex >= 0 && adapterIndex < MutableAdapterTable.count) ? adapterIndex : 0;
    if (MutableAdapterTable.count > 1)
        LogPrintf("using adapter : %d", MutableAdapterTable.chosen);
    if (!GetCurrentAdapter()->hardwareVertexProcessing)
        Gfx.hardwareVertexProcessing = 0;
    return true;
}
