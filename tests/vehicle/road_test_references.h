// What each of the 20 generated cars should do, taken from published road
// tests and race figures of real cars of the same kind, mass and power:
// the ranges a road test of our car must land in. Written down before our
// cars were measured, so that the figures are a target and not a copy.
#pragma once

struct FigureRange {
    double low = 0, high = 0;  // low 0 and high 0: the car does not reach it
    bool Applies() const { return high > 0; }
    bool Holds(double value) const { return value >= low && value <= high; }
};

struct RoadTestReference {
    const char* code;       // the car's short code
    const char* kind;       // the real car of its kind, in words
    double massKg;          // the real car's kerb mass
    double powerKw;         // and its peak power
    FigureRange to100S;     // 0 to 100 km/h, s
    FigureRange to200S;     // 0 to 200 km/h, s
    FigureRange quarterMileS;  // standing 402.3 m, s
    FigureRange topSpeedKmh;
    FigureRange brake100M;  // 100 to 0 km/h with the brake help, m
    FigureRange skidpad50G;   // steady cornering on a 50 m radius, g
    FigureRange skidpad150G;  // and on a 150 m radius (wings count here)
};

// In car table order.
inline constexpr RoadTestReference RoadTestReferences[] = {
    {"WQG", "front-drive 1.6 litre hot hatch", 1000, 85, {8.5, 10.5}, {}, {16.5, 17.8}, {185, 205}, {37, 44}, {0.76, 0.88}, {0.76, 0.90}},
    {"VOG", "front-drive 1.8 litre coupe", 1080, 100, {8.0, 10.0}, {}, {16.2, 17.4}, {195, 215}, {37, 43}, {0.77, 0.89}, {0.77, 0.90}},
    {"VOT", "front-drive 2.0 litre turbo hot hatch", 1250, 150, {6.2, 7.8}, {26, 36}, {14.6, 15.8}, {225, 250}, {36, 42}, {0.80, 0.92}, {0.80, 0.93}},
    {"JB4", "rear-drive 2.0 litre coupe", 1200, 110, {7.5, 9.5}, {}, {15.8, 17.0}, {205, 225}, {36, 42}, {0.80, 0.92}, {0.80, 0.92}},
    {"HLO", "four-wheel-drive 2.0 litre turbo saloon", 1300, 190, {4.8, 6.2}, {19, 27}, {13.4, 14.6}, {230, 255}, {35, 41}, {0.82, 0.95}, {0.82, 0.95}},
    {"SN4", "front-drive 1.8 litre saloon", 1100, 95, {8.5, 10.5}, {}, {16.4, 17.6}, {190, 210}, {37, 44}, {0.76, 0.88}, {0.76, 0.89}},
    {"SN6", "rear-drive 2.5 litre six coupe", 1250, 125, {7.0, 8.8}, {}, {15.2, 16.5}, {215, 240}, {36, 42}, {0.80, 0.92}, {0.80, 0.92}},
    {"YAS", "light open car with a 600 cc motorbike engine on track road tyres", 480, 80, {3.6, 4.8}, {}, {12.2, 13.4}, {175, 215}, {31, 38}, {1.00, 1.30}, {1.00, 1.30}},
    {"DY1", "front-drive 1.0 litre city car", 870, 50, {11.5, 15.0}, {}, {18.3, 19.8}, {155, 180}, {39, 46}, {0.74, 0.86}, {0.74, 0.86}},
    {"ZEB", "rear-drive 4.2 litre V8 grand tourer", 1450, 250, {4.5, 5.6}, {15, 21}, {12.8, 13.9}, {265, 300}, {34, 39}, {0.88, 0.99}, {0.88, 1.00}},
    {"QP5", "mid-engined 2.8 litre six sports car", 1250, 180, {5.2, 6.5}, {18, 25}, {13.4, 14.6}, {240, 270}, {34, 39}, {0.88, 1.00}, {0.88, 1.00}},
    {"GEX", "2.0 litre formula car with wings and slicks", 500, 140, {3.6, 4.6}, {11, 15}, {11.4, 12.4}, {230, 260}, {26, 33}, {1.50, 2.00}, {1.80, 2.60}},
    {"WQR", "front-engined turbo GT racer on slicks", 1150, 240, {3.8, 5.0}, {12.5, 17}, {11.8, 13.0}, {250, 285}, {29, 35}, {1.30, 1.60}, {1.35, 1.75}},
    {"DYR", "front-engined 2.0 litre GT racer on slicks", 1050, 190, {4.3, 5.5}, {14.5, 20}, {12.3, 13.4}, {235, 265}, {29, 35}, {1.30, 1.60}, {1.35, 1.75}},
    {"GQ8", "turbo formula car with wings and slicks", 540, 200, {3.0, 4.0}, {9, 12.5}, {10.6, 11.6}, {250, 285}, {25, 32}, {1.60, 2.10}, {2.00, 2.80}},
    {"HLU", "front-engined turbo GT racer on slicks", 1150, 240, {3.8, 5.0}, {12.5, 17}, {11.8, 13.0}, {250, 285}, {29, 35}, {1.30, 1.60}, {1.35, 1.75}},
    {"VOQ", "front-engined turbo GT racer on slicks", 1170, 245, {3.8, 5.0}, {12.5, 17}, {11.8, 13.0}, {250, 285}, {29, 35}, {1.30, 1.60}, {1.35, 1.75}},
    {"QPZ", "mid-engined 3.0 litre six GT racer on slicks", 1200, 240, {3.9, 5.0}, {13, 17.5}, {11.9, 13.0}, {255, 290}, {29, 35}, {1.30, 1.60}, {1.35, 1.75}},
    {"NQ1", "2.4 litre V8 grand prix car", 600, 550, {2.4, 3.2}, {4.6, 6.0}, {9.4, 10.4}, {300, 340}, {17, 24}, {2.30, 3.00}, {3.20, 4.20}},
    {"KTA", "1.6 litre formula car with wings and slicks", 520, 131, {3.8, 4.8}, {12, 16}, {11.6, 12.6}, {225, 255}, {27, 34}, {1.40, 1.90}, {1.60, 2.30}},
};
