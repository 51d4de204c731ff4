// Runs vs.1.1 shaders on the OpenGL device, reading back every output of
// each vertex, and on the CPU evaluator, over the same vertices of random
// values, and expects both to give the same outputs.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx.h"
#include "platform/vs11.h"

class ShaderComparison {
public:
    // Loads constants c0..c95 of random values in -1..1 into the device,
    // but for the registers the drawing code keeps fixed: c92 = (1, 1, 1, 1),
    // c93 = (0.5, 0.5, 0.5, 1), c95 = 0.
    explicit ShaderComparison(platform::GfxDevice* device);

    // Runs the shader `handle`, made on the device from `program` with
    // `declaration`, over vertices of random values (floats in -2..2,
    // colours of any bytes; inputs outside the declaration are 0, 0, 0, 1)
    // and expects every output to match the evaluator's within float
    // rounding.
    void ExpectSameOutputs(uint32_t handle, const platform::vs11::Program& program,
                           const std::vector<platform::GfxVertexElement>& declaration);

private:
    // The next random value in low..high, from a fixed sequence.
    float Next(float low, float high);
    // Bytes of `VertexCount` vertices of the declaration, and the same
    // vertices as the evaluator's inputs.
    std::vector<uint8_t> MakeVertices(const std::vector<platform::GfxVertexElement>& declaration,
                                      std::vector<platform::vs11::VertexInputs>& inputs);

    static constexpr uint32_t VertexCount = 7;
    platform::GfxDevice* device;
    uint32_t randomState = 12345;
    platform::vs11::Vec4 constants[platform::vs11::ConstantCount];
};
