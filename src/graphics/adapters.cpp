// The adapter table: every graphics adapter with the full-screen modes it
// can show, and the depth-buffer format chosen for each display format.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/services.h"
#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

AdapterTableRecord AdapterTable;
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
    for (AdapterRecord& record : AdapterTable.adapters)
        ClearRecord(record);
    AdapterTable.count = 0;
    AdapterTable.chosen = 0;
}

AdapterRecord* GetCurrentAdapter()
{
    return &AdapterTable.adapters[AdapterTable.chosen];
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

bool EnumerateAdapters(int adapterIndex)
{
    FreeAdapterTable();
    GfxSystem* system = Gfx.system;
    uint32_t adapterCount = system ? system->GetAdapterCount() : 0;
    LogPrintf("number of adapters : %d", static_cast<int>(adapterCount));
    for (uint32_t ordinal = 0; ordinal < adapterCount && AdapterTable.count < MaxAdapters; ++ordinal) {
        AdapterRecord& record = AdapterTable.adapters[AdapterTable.count];
        ClearRecord(record);
        GfxAdapterIdentifier identifier;
        system->GetAdapterIdentifier(ordinal, 0, identifier);
        std::memcpy(record.driver, identifier.driver, sizeof record.driver);
        std::memcpy(record.description, identifier.description, sizeof record.description);
        record.driver[sizeof record.driver - 1] = 0;
        record.description[sizeof record.description - 1] = 0;
        record.vendorId = identifier.vendorId;
        record.deviceId = identifier.deviceId;
        GfxDisplayMode desktop;
        system->GetAdapterDisplayMode(ordinal, desktop);
        record.desktopWidth = desktop.width;
        record.desktopHeight = desktop.height;
        record.desktopRefresh = desktop.refreshRate;
        record.desktopFormat = desktop.format;

        // The modes, each size and format also offered at the default rate.
        std::vector<ModeEntry> entries;
        std::vector<uint32_t> formats{desktop.format};
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

        GfxCaps& caps = AdapterCaps[AdapterTable.count];
        caps = GfxCaps{};
        system->GetDeviceCaps(ordinal, DeviceHal, caps);
        record.canRenderWindowed = 0;
        record.hardwareVertexProcessing = 0;

        struct FormatChoice {
            uint32_t format, behaviour, depth;
        };
        std::vector<FormatChoice> valid;
        for (uint32_t format : formats) {
            if (!GfxSucceeded(system->CheckDeviceType(ordinal, DeviceHal, format, format, false)))
                continue;
            record.canRenderWindowed = (caps.caps2 & Caps2CanRenderWindowed) ? 1 : 0;
            if (caps.vertexShaderVersion >= VertexShaderVersion(1, 1) &&
                (caps.devCaps & DevCapsHwTransformAndLight))
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
        if (modes.empty()) {
            LogPrintf("adapter %d : no valid modes", static_cast<int>(ordinal));
            ClearRecord(record);
            continue;
        }
        record.modeCount = static_cast<int>(modes.size());
        record.modes = new DisplayModeRecord[modes.size()];
        std::copy(modes.begin(), modes.end(), record.modes);
        record.currentMode = 0;
        record.ordinal = ordinal;
        LogPrintf("adapter %d - valid modes : %d", static_cast<int>(ordinal), record.modeCount);
        ++AdapterTable.count;
    }
    if (AdapterTable.count == 0)
        return false;
    AdapterTable.chosen = (adapterIndex >= 0 && adapterIndex < AdapterTable.count) ? adapterIndex : 0;
    if (AdapterTable.count > 1)
        LogPrintf("using adapter : %d", AdapterTable.chosen);
    if (!GetCurrentAdapter()->hardwareVertexProcessing)
        Gfx.hardwareVertexProcessing = 0;
    return true;
}
