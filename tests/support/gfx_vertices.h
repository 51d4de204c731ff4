// The two vertex layouts of the drawing batches, as tests and benchmarks
// fill vertex buffers with them: world vertices (position, colour, one
// coordinate pair) and screen vertices (pixels, 1/w, colour, one pair).
#pragma once

#include <cstdint>

struct WorldVertex {
    float x, y, z;
    std::uint32_t colour;
    float u, v;
};
struct ScreenVertex {
    float x, y, z, rhw;
    std::uint32_t colour;
    float u, v;
};
