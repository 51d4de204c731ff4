// Temporary interface colours, until the interface settings file is read:
// the colours and box opacities are that file's defaults.
#include "ui/local.h"

namespace {

// In UiColour order.
constexpr ColourRecord DefaultColours[static_cast<int>(UiColour::Count)] = {
    {5, 0, 0, 0},       {200, 200, 200, 0}, {218, 255, 87, 0},  {186, 200, 204, 0},
    {0, 0, 0, 0},       {255, 255, 255, 0}, {114, 114, 111, 0}, {48, 166, 236, 0},
    {117, 179, 77, 0},  {210, 98, 32, 0},   {180, 180, 30, 0},
};
// The default opacities 0.4 (buttons) and 0.3 (big boxes) of 255.
constexpr uint8_t DefaultButtonAlpha = 102, DefaultBigAlpha = 77;

} // namespace

const ColourRecord* InterfaceColour(UiColour which)
{
    const int index = static_cast<int>(which);
    return &DefaultColours[index >= 0 && index < static_cast<int>(UiColour::Count) ? index : 0];
}

uint8_t ButtonAlpha() { return DefaultButtonAlpha; }
uint8_t BigAlpha() { return DefaultBigAlpha; }
