// The interface settings file "interface_cfg.txt": the opacities and colours
// of the menu items, read, clamped and written through one key table, and
// the box alphas and map colours derived from them.
#include <cstddef>
#include <string>

#include "graphics/services.h"
#include "platform/files.h"
#include "ui/local.h"

InterfaceSettingsRecord MutableInterfaceSettings;
const InterfaceSettingsRecord& InterfaceSettings = MutableInterfaceSettings;
InterfaceColoursRecord MutableInterfaceColours;
const InterfaceColoursRecord& InterfaceColours = MutableInterfaceColours;

namespace {

constexpr const char* InterfaceConfigFileName = "interface_cfg.txt";

constexpr ConfigKey OpacityKey(const char* name, size_t offset, double defaultValue)
{
    return {name, ConfigValueKind::Float, 0, static_cast<uint16_t>(offset), 0, 2, defaultValue, 0, 1, 0, nullptr, {}};
}

constexpr ConfigKey ColourKey(const char* name, size_t offset, ColourRecord colour)
{
    return {name, ConfigValueKind::Colour, ConfigClampParts, static_cast<uint16_t>(offset), 0, 0, 0, 0, 0, 0,
            nullptr, {colour.r, colour.g, colour.b, 0}};
}

#define QV_OPACITY(name, field) OpacityKey(name, offsetof(InterfaceSettingsRecord, field), Defaults.field)
#define QV_COLOUR(name, field) ColourKey(name, offsetof(InterfaceSettingsRecord, field), Defaults.field)

constexpr InterfaceSettingsRecord Defaults;

// The keys in file order, each ending in its blank.
const ConfigKey InterfaceKeys[] = {
    QV_OPACITY("Big Opacity ", bigOpacity),
    QV_COLOUR("Big Col ", bigColour),
    QV_OPACITY("Button Opacity ", buttonOpacity),
    QV_COLOUR("Button Col ", buttonColour),
    QV_COLOUR("Title Grey ", titleGrey),
    QV_COLOUR("Big Text ", bigText),
    QV_COLOUR("Text Unselected ", textUnselected),
    QV_COLOUR("Text Selected ", textSelected),
    QV_COLOUR("Text Unavailable ", textUnavailable),
    QV_COLOUR("Text String ", textString),
    QV_COLOUR("Button Green ", buttonGreen),
    QV_COLOUR("Button Red ", buttonRed),
    QV_COLOUR("Button Alt ", buttonAlt),
    QV_COLOUR("Small Map Light ", smallMapLight),
    QV_COLOUR("Small Map Dark ", smallMapDark),
    QV_COLOUR("Car Lap Ahead ", carLapAhead),
    QV_COLOUR("Car Ahead ", carAhead),
    QV_COLOUR("AI Ahead ", aiAhead),
    QV_COLOUR("Own Car ", ownCar),
    QV_COLOUR("AI Behind ", aiBehind),
    QV_COLOUR("Car Behind ", carBehind),
    QV_COLOUR("Car Lap Behind ", carLapBehind),
};
constexpr int InterfaceKeyCount = sizeof InterfaceKeys / sizeof InterfaceKeys[0];
static_assert(InterfaceKeyCount == 22);

#undef QV_OPACITY
#undef QV_COLOUR

} // namespace

namespace {

// An opacity (0..1) as an alpha byte.
uint8_t OpacityAlpha(float opacity) { return static_cast<uint8_t>(Clamp(RoundToInt32(opacity * 255.0f), 0, 255)); }

uint32_t OpaqueColour(const ColourRecord& colour)
{
    return 0xFF000000u | static_cast<uint32_t>(colour.r) << 16 | static_cast<uint32_t>(colour.g) << 8 | colour.b;
}

} // namespace

void UpdateInterfaceColours()
{
    const InterfaceSettingsRecord& s = MutableInterfaceSettings;
    InterfaceColoursRecord& c = MutableInterfaceColours;
    c.buttonAlpha = OpacityAlpha(s.buttonOpacity);
    c.bigAlpha = OpacityAlpha(s.bigOpacity);
    c.smallMapLight = OpaqueColour(s.smallMapLight);
    c.smallMapDark = OpaqueColour(s.smallMapDark);
    c.ownCar = OpaqueColour(s.ownCar);
    c.carAhead = OpaqueColour(s.carAhead);
    c.carBehind = OpaqueColour(s.carBehind);
    c.aiAhead = OpaqueColour(s.aiAhead);
    c.aiBehind = OpaqueColour(s.aiBehind);
    c.carLapBehind = OpaqueColour(s.carLapBehind);
    c.carLapAhead = OpaqueColour(s.carLapAhead);
}

uint8_t ButtonAlpha() { return MutableInterfaceColours.buttonAlpha; }
uint8_t BigAlpha() { return MutableInterfaceColours.bigAlpha; }

void SetInterfaceSettings(const InterfaceSettingsRecord& settings)
{
    MutableInterfaceSettings = settings;
    UpdateInterfaceColours();
}

void LoadInterfaceConfig()
{
    InterfaceSettingsRecord settings;
    std::string text;
    if (platform::ReadTextFile(InterfaceConfigFileName, text))
        ReadConfigKeys(text, InterfaceKeys, InterfaceKeyCount, &settings);
    SetInterfaceSettings(settings);
}

int SaveInterfaceConfig()
{
    std::string bytes =
        platform::TextWithCrLf(FormatConfigKeys(InterfaceKeys, InterfaceKeyCount, &MutableInterfaceSettings));
    if (!platform::WriteWholeFile(InterfaceConfigFileName, bytes.data(), bytes.size())) {
        LogPrintf("SaveInterfaceConfig : could not save : %s", InterfaceConfigFileName);
        return 0;
    }
    return 1;
}

void SaveAllConfig()
{
    SaveConfig();
    SaveCardConfig();
    SaveInterfaceConfig();
    SaveProfile();
}

const ColourRecord* InterfaceColour(UiColour which)
{
    const InterfaceSettingsRecord& s = MutableInterfaceSettings;
    switch (which) {
    case UiColour::BigCol: return &s.bigColour;
    case UiColour::ButtonCol: return &s.buttonColour;
    case UiColour::TitleGrey: return &s.titleGrey;
    case UiColour::BigText: return &s.bigText;
    case UiColour::TextUnselected: return &s.textUnselected;
    case UiColour::TextSelected: return &s.textSelected;
    case UiColour::TextUnavailable: return &s.textUnavailable;
    case UiColour::TextString: return &s.textString;
    case UiColour::ButtonGreen: return &s.buttonGreen;
    case UiColour::ButtonRed: return &s.buttonRed;
    case UiColour::ButtonAlt: return &s.buttonAlt;
    default: return &s.bigColour;
    }
}
