// Named meshes: the registry and the building of a mesh's parts block by
// block into one static vertex buffer and one 16-bit index buffer a part.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

std::map<std::string, NamedMesh*, CaseInsensitiveLess> MeshRegistry;

namespace {

void ReleasePartBuffers(MeshPart& part)
{
    FreeVertexBuffer(part.vertices);
    FreeIndexBuffer(part.indices);
    part.vertices = nullptr;
    part.indices = nullptr;
}

void ReleaseMesh(NamedMesh* mesh)
{
    for (MeshPart& part : mesh->parts)
        ReleasePartBuffers(part);
    mesh->parts.clear();
}

int MarkWords(int blocks) { return (blocks + 63) / 32; }

// Writes the vertex's components that the FVF holds, in FVF order.
uint8_t* WriteVertex(uint8_t* out, const MeshVertex& v, uint32_t fvf)
{
    auto put = [&out](const void* data, size_t size) {
        std::memcpy(out, data, size);
        out += size;
    };
    const float position[3] = {v.x, v.y, v.z};
    put(position, sizeof position);
    if (fvf & FvfNormal) {
        const float normal[3] = {v.nx, v.ny, v.nz};
        put(normal, sizeof normal);
    }
    if (fvf & FvfDiffuse)
        put(&v.diffuse, 4);
    if (fvf & FvfSpecular)
        put(&v.specular, 4);
    if (fvf & FvfTexCountMask) {
        const float uv[2] = {v.u, v.v};
        put(uv, sizeof uv);
    }
    return out;
}

} // namespace

NamedMesh* GetMesh(const char* name)
{
    const std::string key = name ? name : "";
    auto found = MeshRegistry.find(key);
    if (found != MeshRegistry.end())
        return found->second;
    auto* mesh = new NamedMesh;
    std::snprintf(mesh->name, sizeof mesh->name, "%s", key.c_str());
    MeshRegistry[mesh->name] = mesh;
    return mesh;
}

void FreeMesh(NamedMesh* mesh)
{
    if (!mesh)
        return;
    if (!mesh->notRegistered) {
        auto found = MeshRegistry.find(mesh->name);
        if (found != MeshRegistry.end() && found->second == mesh)
            MeshRegistry.erase(found);
    }
    ReleaseMesh(mesh);
    delete mesh;
}

void FreeAllMeshes()
{
    while (!MeshRegistry.empty())
        FreeMesh(MeshRegistry.begin()->second);
}

void SetMeshPartCount(NamedMesh* mesh, int parts, int blocksHint)
{
    ReleaseMesh(mesh);
    mesh->parts.resize(static_cast<size_t>(std::max(parts, 0)));
    for (MeshPart& part : mesh->parts)
        part.blocks.reserve(static_cast<size_t>(std::max(blocksHint, 0)));
    mesh->blockCount = 0;
    mesh->finished = 0;
    mesh->partOfMaterial.clear();
    std::fill(std::begin(mesh->box), std::end(mesh->box), 0.0f);
}

void SetMeshPartMaterial(NamedMesh* mesh, int part, Material* material, int vertexType)
{
    if (part < 0 || part >= static_cast<int>(mesh->parts.size()))
        return;
    MeshPart& p = mesh->parts[size_t(part)];
    p.material = material;
    p.vertexType = vertexType == MeshVertexTypeOfMaterial ? VertexTypeOfMaterial(material) : vertexType;
    mesh->partOfMaterial[material] = part;
}

int BeginMeshBlock(NamedMesh* mesh)
{
    for (MeshPart& part : mesh->parts) {
        part.blockVertices.clear();
        part.blockTriangles.clear();
    }
    return mesh->blockCount;
}

void ReserveMeshPart(MeshPart* part, int triangles, int vertices)
{
    part->blockTriangles.reserve(part->blockTriangles.size() + size_t(std::max(triangles, 0)) * 3);
    part->blockVertices.reserve(part->blockVertices.size() + size_t(std::max(vertices, 0)));
}

int AddMeshVertex(MeshPart* part, const MeshVertex& vertex)
{
    part->blockVertices.push_back(vertex);
    return static_cast<int>(part->blockVertices.size()) - 1;
}

void AddMeshTriangle(MeshPart* part, int i0, int i1, int i2)
{
    part->blockTriangles.insert(part->blockTriangles.end(),
                                {static_cast<uint32_t>(i0), static_cast<uint32_t>(i1), static_cast<uint32_t>(i2)});
}

void GetMeshPartBlockCounts(const MeshPart* part, int& triangles, int& vertices)
{
    triangles = static_cast<int>(part->blockTriangles.size() / 3);
    vertices = static_cast<int>(part->blockVertices.size());
}

void EndMeshBlock(NamedMesh* mesh)
{
    for (MeshPart& part : mesh->parts) {
        const uint32_t base = static_cast<uint32_t>(part.builtVertices.size());
        const uint32_t firstIndex = static_cast<uint32_t>(part.builtIndices.size());
        const size_t count = part.blockVertices.size();
        bool used = !part.blockTriangles.empty() && count > 0;
        // A part's 16-bit indices reach 65536 vertices: a block that would
        // pass them is left out of the part rather than drawn wrongly.
        if (used && base + count > MaxMeshPartVertices) {
            if (!part.overflowLogged)
                LogPrintf("EndMeshBlock : part holds more than %d vertices : %s", MaxMeshPartVertices, mesh->name);
            part.overflowLogged = true;
            used = false;
        }
        if (used) {
            for (size_t t = 0; t + 2 < part.blockTriangles.size(); t += 3) {
                const uint32_t* tri = &part.blockTriangles[t];
                // A triangle naming a vertex the block does not hold is dropped.
                if (tri[0] >= count || tri[1] >= count || tri[2] >= count)
                    continue;
                for (int k = 0; k < 3; ++k)
                    part.builtIndices.push_back(static_cast<uint16_t>((tri[k] & 0xFFFF) + base));
            }
            part.builtVertices.insert(part.builtVertices.end(), part.blockVertices.begin(), part.blockVertices.end());
        }
        MeshBlockRange range;
        range.firstIndex = firstIndex;
        range.firstVertex = base;
        range.endIndex = static_cast<uint32_t>(part.builtIndices.size());
        range.endVertex = static_cast<uint32_t>(part.builtVertices.size());
        part.blocks.push_back(range);
        part.blockVertices.clear();
        part.blockTriangles.clear();
        ++part.blockCount;
    }
    ++mesh->blockCount;
}

void FinishMesh(NamedMesh* mesh)
{
    const int words = MarkWords(mesh->blockCount);
    for (MeshPart& part : mesh->parts) {
        ReleasePartBuffers(part);
        part.vertexCount = static_cast<int>(part.builtVertices.size());
        part.indexCount = static_cast<int>(part.builtIndices.size());
        if (part.vertexCount > 0) {
            part.vertices = NewVertexBuffer(part.vertexType, UsageWriteOnly, part.vertexCount);
            const uint32_t fvf = GetVertexFvf(part.vertexType);
            auto* out = static_cast<uint8_t*>(
                part.vertices ? LockVertexBuffer(part.vertices, LockNoSysLock, 0, part.vertexCount) : nullptr);
            if (out) {
                for (const MeshVertex& v : part.builtVertices)
                    out = WriteVertex(out, v, fvf);
                UnlockVertexBuffer(part.vertices);
            }
        }
        if (part.indexCount > 0) {
            part.indices = NewIndexBuffer(false, UsageWriteOnly, part.indexCount);
            auto* out = static_cast<uint16_t*>(
                part.indices ? LockIndexBuffer(part.indices, LockNoSysLock, 0, part.indexCount) : nullptr);
            if (out) {
                std::memcpy(out, part.builtIndices.data(), part.builtIndices.size() * sizeof(uint16_t));
                UnlockIndexBuffer(part.indices);
            }
        }
        part.emptyBlocks.assign(size_t(words), 0);
        for (int b = 0; b < part.blockCount; ++b)
            if (part.blocks[size_t(b)].firstIndex == part.blocks[size_t(b)].endIndex)
                part.emptyBlocks[size_t(b) / 32] |= 1u << (b % 32);
        part.drawState.assign(size_t(part.blockCount) * 2, 0);
        part.builtVertices = {};
        part.builtIndices = {};
    }
    mesh->markWords = words;
    mesh->plainMarks.assign(size_t(words), 0);
    mesh->shadowMarks.assign(size_t(words), 0);
    mesh->shadowMasks.assign(size_t(mesh->blockCount), 0);
    mesh->partOfMaterial.clear();
    mesh->finished = 1;
    mesh->plainFirst = mesh->shadowFirst = mesh->blockCount;
    mesh->plainLast = mesh->shadowLast = 0;
}
