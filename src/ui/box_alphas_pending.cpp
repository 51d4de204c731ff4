// Temporary box alphas, until the interface options derive them from the
// opacities of the interface settings: the alphas of the default opacities.
#include "ui/local.h"

namespace {

// The default opacities 0.4 (buttons) and 0.3 (big boxes) of 255.
constexpr uint8_t DefaultButtonAlpha = 102, DefaultBigAlpha = 77;

} // namespace

uint8_t ButtonAlpha() { return DefaultButtonAlpha; }
uint8_t BigAlpha() { return DefaultBigAlpha; }
