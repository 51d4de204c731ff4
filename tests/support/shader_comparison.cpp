// The OpenGL device's shaders against the CPU evaluator.
#include "support/shader_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace platform;

namespace {

bool Near(float got, float expected)
{
    return std::fabs(got - expected) <= 2e-4f * std::max(1.0f, std::fabs(expected));
}

bool Near(const vs11::Vec4& got, const vs11::Vec4& expected)
{
    return Near(got.x, expected.x) && Near(got.y, expected.y) && Near(got.z, expected.z) && Near(got.w, expected.w);
}

} // namespace

ShaderComparison::ShaderComparison(GfxDevice* device) : device(device)
{
    float values[vs11::ConstantCount][4];
    for (auto& reg : values)
        for (float& value : reg)
            value = Next(-1.0f, 1.0f);
    const float fixed[][5] = {{92, 1, 1, 1, 1}, {93, 0.5f, 0.5f, 0.5f, 1}, {95, 0, 0, 0, 0}};
    for (const auto& f : fixed)
        std::copy(f + 1, f + 5, values[static_cast<int>(f[0])]);
    EXPECT_EQ(device->SetVertexShaderConstant(0, &values[0][0], vs11::ConstantCount), GfxResult::Ok);
    for (int i = 0; i < vs11::ConstantCount; ++i)
        constants[i] = {values[i][0], values[i][1], values[i][2], values[i][3]};
}

float ShaderComparison::Next(float low, float high)
{
    randomState = randomState * 1103515245u + 12345u;
    return low + (high - low) * static_cast<float>((randomState >> 8) & 0xFFFF) / 65535.0f;
}

std::vector<uint8_t> ShaderComparison::MakeVertices(const std::vector<GfxVertexElement>& declaration,
                                                    std::vector<vs11::VertexInputs>& inputs)
{
    std::vector<uint8_t> bytes;
    inputs.assign(VertexCount, vs11::VertexInputs{});
    for (vs11::VertexInputs& in : inputs) {
        for (vs11::Vec4& v : in.v)
            v = {0, 0, 0, 1};
        for (const GfxVertexElement& element : declaration) {
            vs11::Vec4& v = in.v[element.inputRegister];
            if (element.type == GfxElementType::Colour) {
                uint32_t argb = static_cast<uint32_t>(Next(0, 1) * 4294967295.0f);
                v = {((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f,
                     (argb >> 24) / 255.0f};
                bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&argb), reinterpret_cast<uint8_t*>(&argb) + 4);
            } else {
                float f[4] = {0, 0, 0, 1};
                uint32_t count = GfxElementSize(element.type) / 4;
                for (uint32_t c = 0; c < count; ++c)
                    f[c] = Next(-2.0f, 2.0f);
                v = {f[0], f[1], f[2], f[3]};
                bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(f), reinterpret_cast<uint8_t*>(f) + count * 4);
            }
        }
    }
    return bytes;
}

void ShaderComparison::ExpectSameOutputs(uint32_t handle, const vs11::Program& program,
                                         const std::vector<GfxVertexElement>& declaration)
{
    std::vector<vs11::VertexInputs> inputs;
    std::vector<uint8_t> bytes = MakeVertices(declaration, inputs);
    std::vector<vs11::VertexOutputs> gpu;
    ASSERT_TRUE(GfxGlRunVertexShader(device, handle, bytes.data(), VertexCount, gpu));
    for (uint32_t n = 0; n < VertexCount; ++n) {
        vs11::VertexOutputs cpu;
        vs11::Evaluate(program, inputs[n], constants, cpu);
        EXPECT_TRUE(Near(gpu[n].position, cpu.position)) << "oPos of vertex " << n;
        for (int c = 0; c < vs11::ColourOutputCount; ++c)
            EXPECT_TRUE(Near(gpu[n].colour[c], cpu.colour[c])) << "oD" << c << " of vertex " << n;
        for (int t = 0; t < vs11::TexCoordOutputCount; ++t)
            EXPECT_TRUE(Near(gpu[n].texCoord[t], cpu.texCoord[t])) << "oT" << t << " of vertex " << n;
        EXPECT_TRUE(Near(gpu[n].fog, cpu.fog)) << "oFog of vertex " << n;
    }
}
