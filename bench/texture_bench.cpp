// Texture loads per second for each file kind (256 x 256 pictures with
// their mip chains, on the null device: decoding, conversion and DXT
// encoding are the program's own work), and named-mesh draws per second
// (marking blocks and drawing them in runs).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/services.h"
#include "graphics/services.h"
#include "platform/files.h"
#include "platform/gfx_texture_file.h"

namespace {

constexpr int Side = 256;

// A null device in a temporary game folder with a picture of each kind.
struct TextureGround {
    TextureGround()
    {
        folder = std::filesystem::temp_directory_path() / ("qv_texture_bench_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder / "data" / "pic");
        std::filesystem::create_directories(folder / "data" / "dds");
        std::filesystem::current_path(folder);
        ResetCoreTables();
        ResetGraphicsTables();
        PreInitDirect3D(1, -1, 0, 0, 0);
        CreateRenderDevice(nullptr, 0, -1);
        SetUseCompressedTextures(1);
        platform::GfxImage picture;
        picture.width = picture.height = Side;
        std::vector<uint8_t> raw, alpha;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x) {
                const uint8_t rgba[4] = {uint8_t(x), uint8_t(y), uint8_t((x * y) >> 8), uint8_t(x + y)};
                picture.rgba.insert(picture.rgba.end(), rgba, rgba + 4);
                raw.insert(raw.end(), rgba, rgba + 3);
                alpha.push_back(rgba[3]);
            }
        platform::WriteWholeFile("data\\pic\\PLAIN.raw", raw.data(), raw.size());
        platform::WriteWholeFile("data\\pic\\SIGN.raw", raw.data(), raw.size());
        platform::WriteWholeFile("data\\pic\\SIGNDUZEZ.raw", alpha.data(), alpha.size());
        std::vector<uint8_t> jpeg;
        platform::GfxEncodeJpeg(picture, 90, jpeg);
        platform::WriteWholeFile("data\\pic\\photo.jpg", jpeg.data(), jpeg.size());
        // A DXT1 file with its whole chain, and the raw picture's cache.
        SetTextureDdsCache(1);
        platform::WriteWholeFile("data\\pic\\CACHED.raw", raw.data(), raw.size());
        LoadNamedTexture("CACHED", 0);
        platform::GfxSaveTextureToDds("data\\pic\\chain.dds", LoadNamedTexture("photo.jpg", 0)->texture);
        FreeAllTextures(1);
    }
    ~TextureGround()
    {
        ResetGraphicsTables();
        std::filesystem::current_path(folder.parent_path());
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
};

// Loads of one texture name with the DDS flag given.
void Loads(benchmark::State& state, const char* name, int ddsCache)
{
    TextureGround ground;
    SetTextureDdsCache(ddsCache);
    for (auto _ : state) {
        TextureRecord* record = LoadNamedTexture(name, 0);
        if (!record || record == DefaultTexture) {
            state.SkipWithError("texture did not load");
            break;
        }
        // The next load reads the file again (the DDS cache stays).
        FreeAllTextures(1);
    }
    state.SetItemsProcessed(state.iterations());
}

void RawR5G6B5(benchmark::State& state) { Loads(state, "PLAIN", 0); }
void RawWithAlphaA4R4G4B4(benchmark::State& state) { Loads(state, "SIGNDUZEZ.raw", 0); }
void RawFromDdsCache(benchmark::State& state) { Loads(state, "CACHED", 1); }
void JpegAsR5G6B5(benchmark::State& state) { Loads(state, "photo.jpg", 0); }
void JpegAsDxt1(benchmark::State& state) { Loads(state, "photo.jpg", 1); }
void DdsDxt1WithChain(benchmark::State& state) { Loads(state, "chain.dds", 1); }
BENCHMARK(RawR5G6B5)->Unit(benchmark::kMillisecond);
BENCHMARK(RawWithAlphaA4R4G4B4)->Unit(benchmark::kMillisecond);
BENCHMARK(RawFromDdsCache)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegAsR5G6B5)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegAsDxt1)->Unit(benchmark::kMillisecond);
BENCHMARK(DdsDxt1WithChain)->Unit(benchmark::kMillisecond);

// A mesh of 1024 blocks in 4 parts (two triangles a block and part); each
// draw marks every other run of 8 blocks: 64 runs, 256 draw calls.
void NamedMeshDraws(benchmark::State& state)
{
    TextureGround ground;
    BeginDeviceScene();
    NamedMesh* mesh = GetMesh("Bench");
    constexpr int Blocks = 1024, Parts = 4;
    SetMeshPartCount(mesh, Parts, Blocks);
    for (int p = 0; p < Parts; ++p)
        SetMeshPartMaterial(mesh, p, CreateMaterial(nullptr, p & 1, 0, 1, 0, nullptr), MeshVertexTypeOfMaterial);
    for (int b = 0; b < Blocks; ++b) {
        BeginMeshBlock(mesh);
        for (MeshPart& part : mesh->parts) {
            MeshVertex v;
            for (int k = 0; k < 4; ++k) {
                v.x = float(b) + float(k & 1);
                v.y = float(k >> 1);
                AddMeshVertex(&part, v);
            }
            AddMeshTriangle(&part, 0, 1, 2);
            AddMeshTriangle(&part, 2, 1, 3);
        }
        EndMeshBlock(mesh);
    }
    FinishMesh(mesh);
    for (auto _ : state) {
        for (int b = 0; b < Blocks; ++b)
            if ((b / 8) % 2 == 0)
                MarkMeshBlock(mesh, b, 0);
        DrawMarkedBlocks(mesh, 0);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["draw calls"] = 256;
}
BENCHMARK(NamedMeshDraws);

} // namespace
