// The axle's tyre: the shape and stiffness of the tyre that the tyre model
// uses.
#include <cmath>

#include "vehicle/local.h"

void BuildTyreProfile(Axle& axle, int bikeTyre)
{
    const float w = axle.tyreWidth, e = axle.rimRadius;
    axle.bikeTyre = bikeTyre;
    axle.tyreRadius = w * axle.sidewallRatio + e;
    const float r = axle.tyreRadius;
    const float lip = e + 0.015f;  // the rim lip's radius
    const float u = w / 2;
    float crown, sidewall;         // the tread's cross-section radius; the sidewall's height
    if (!bikeTyre) {
        // A flat tread that drops 0.02 of the width to its shoulders.
        const float c = 0.02f * w;
        const float shoulder = r - c;
        const float f = 0.3f * (shoulder - lip);
        const float drop = c + f;
        crown = drop > 0 ? (drop * drop + u * u) / (2 * drop) : w;
        axle.treadWidth = 2 * (u - f);
        sidewall = shoulder - f - lip;
    } else {
        // A round tread: the crown radius is the half width times sqrt 2.
        crown = u * 1.4142f;
        axle.treadWidth = 2 * (0.4539f * crown);
        sidewall = r - 0.2929f * crown - lip;
    }
    axle.profileRadius = crown;
    const int compound = axle.tyreType >= 0 && axle.tyreType < TyreCompoundCount ? axle.tyreType : 0;
    axle.pressureStiffness = sidewall > 0 ? CompoundTable[compound].stiffnessFactor * w / std::sqrt(sidewall) : 0;
    // The contact patch of a torus pressed flat: 2 pi sqrt(R rho) per metre
    // of deflection.
    axle.radialStiffness = std::sqrt(r) * std::sqrt(crown) * TwoPi;
    axle.tyreDamping = std::sqrt(r * w) * 3000.0f;
    axle.drawRadius = FixedFromMetres(r).raw;
    axle.drawWidth = FixedFromMetres(w).raw;
}
