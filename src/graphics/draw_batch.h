// Dynamic draw batches (draw_batch.cpp): the world batch of 3D vertices and
// the screen batch of pixel or screen-unit vertices. Only one is open.
#pragma once

#include <cstdint>

struct Material;

void BeginWorldBatch(const Material* material);
void BeginScreenBatch(const Material* material);
int AddWorldVertex(float x, float y, float z, float u, float v, uint32_t colour);
int AddScreenVertexPixels(float x, float y, float u, float v, uint32_t colour);
int AddScreenVertex(float x, float y, float u, float v, uint32_t colour);
void AddBatchTriangle(int i0, int i1, int i2);
void AddBatchQuad(int i0, int i1, int i2, int i3);
void EndWorldBatch();
void EndScreenBatch();
void FlushBatches();
void SetScreenScale(int tripleScreen, float xOffset, float yOffset, float xScale, float yScale);
