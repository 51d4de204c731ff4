// The 20 cars' chassis, tyres and characters. Small road cars are light and
// front driven on narrow tyres; the turbo road cars add power and, for one,
// four-wheel drive; the motorbike-geared car is a light open car with a
// bike engine; GT racers are wide and low on slicks; formula cars are light
// single-seaters with wings; the grand prix car is the lightest and widest.
// The racers and the motorbike-engined car (whose class allows only slicks)
// run the softest slick their class allows, which keeps its working
// temperature while the car corners hard; the road cars run the normal
// road compound, the mid-engined sports car the super one.
#include "car_catalogue.h"

namespace {

const CarSpec CarSpecs[CarCount] = {
    // family, kind, drive, dry kg, wheelbase, track, front w, rear w, ratio, rim, engine y, driver x, litres, tyre, gears
    {"WQ", CarKind::Road, 2, 980, 2.46f, 1.46f, 0.185f, 0.185f, 0.55f, 0.178f, 1.05f, -0.37f, 45, 5, 5},      // WQ SPORT
    {"VO", CarKind::Road, 2, 1050, 2.56f, 1.50f, 0.195f, 0.195f, 0.50f, 0.190f, 1.10f, -0.38f, 50, 5, 5},     // VO GT
    {"VO", CarKind::RoadTurbo, 2, 1120, 2.56f, 1.50f, 0.205f, 0.205f, 0.50f, 0.190f, 1.10f, -0.38f, 55, 5, 5},  // VO GT TURBO
    {"JB", CarKind::Road, 1, 1130, 2.62f, 1.50f, 0.205f, 0.215f, 0.50f, 0.190f, 1.15f, -0.38f, 60, 5, 5},     // JB4 GT
    {"HL", CarKind::RoadTurbo, 3, 1200, 2.50f, 1.47f, 0.215f, 0.215f, 0.45f, 0.203f, 1.05f, -0.37f, 60, 5, 6},  // HLO TURBO
    {"SN", CarKind::Road, 2, 1060, 2.45f, 1.48f, 0.195f, 0.195f, 0.55f, 0.178f, 1.05f, -0.37f, 55, 5, 5},     // SN4
    {"SN", CarKind::Road, 1, 1180, 2.45f, 1.48f, 0.205f, 0.215f, 0.50f, 0.190f, 1.10f, -0.37f, 60, 5, 5},     // SN6
    {"YA", CarKind::BikeGeared, 1, 420, 2.20f, 1.34f, 0.200f, 0.220f, 0.50f, 0.165f, -0.70f, 0.0f, 30, 0, 6},  // YAS5
    {"DY", CarKind::Road, 2, 850, 2.32f, 1.40f, 0.165f, 0.165f, 0.60f, 0.165f, 1.00f, -0.35f, 40, 5, 5},      // DY 1000
    {"ZE", CarKind::Road, 1, 1350, 2.66f, 1.60f, 0.235f, 0.255f, 0.45f, 0.216f, 1.20f, -0.40f, 70, 5, 6},     // ZEBALOR
    {"QP", CarKind::Road, 1, 1150, 2.50f, 1.52f, 0.215f, 0.235f, 0.45f, 0.203f, -0.60f, -0.38f, 60, 4, 6},    // QP50
    {"GE", CarKind::Formula, 1, 470, 2.40f, 1.38f, 0.230f, 0.300f, 0.50f, 0.165f, -0.60f, 0.0f, 45, 0, 6},    // FORMULA VO
    {"WQ", CarKind::GtRacer, 1, 1080, 2.46f, 1.55f, 0.245f, 0.265f, 0.40f, 0.229f, 1.05f, -0.37f, 100, 1, 6},  // WQ GTR
    {"DY", CarKind::GtRacer, 1, 1000, 2.32f, 1.50f, 0.245f, 0.265f, 0.40f, 0.229f, 1.00f, -0.35f, 100, 1, 6},  // DY GTR
    {"N8", CarKind::Formula, 1, 500, 2.62f, 1.46f, 0.240f, 0.320f, 0.50f, 0.165f, -0.70f, 0.0f, 60, 0, 6},    // FORMULA N8
    {"HL", CarKind::GtRacer, 1, 1100, 2.50f, 1.55f, 0.250f, 0.270f, 0.40f, 0.229f, 1.05f, -0.37f, 100, 1, 6},  // HLO GTR
    {"VO", CarKind::GtRacer, 1, 1120, 2.56f, 1.58f, 0.250f, 0.280f, 0.40f, 0.229f, 1.10f, -0.38f, 100, 1, 6},  // VO GTR
    {"QP", CarKind::GtRacer, 1, 1150, 2.50f, 1.60f, 0.255f, 0.290f, 0.40f, 0.229f, -0.60f, -0.38f, 110, 1, 6},  // QP50 GTR
    {"N1", CarKind::GrandPrix, 1, 540, 3.00f, 1.50f, 0.270f, 0.350f, 0.45f, 0.165f, -0.80f, 0.0f, 100, 0, 7},  // NQ1 GRAND PRIX
    {"KT", CarKind::Formula, 1, 520, 2.80f, 1.48f, 0.250f, 0.330f, 0.50f, 0.165f, -0.70f, 0.0f, 45, 0, 6},    // FORMULA KT02
};

} // namespace

const CarSpec& GetCarSpec(int car)
{
    return CarSpecs[car];
}
