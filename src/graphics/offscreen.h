// The software drawing target: a 16-bit image in memory that the vector
// font and the number plates draw into, made into textures afterwards. The
// built-in textures and the software span filler are not built yet: there
// is no image to draw into, and the temporary bodies
// (offscreen_pending.cpp) fill nothing.
#pragma once

#include <cstdint>

// Makes a size × size image of 16-bit texels the drawing target, and puts
// the previous target back.
// Pending: no image is made; both do nothing.
void BeginOffscreenImage16(int size);
void EndOffscreenImage16();
// Side of the current offscreen image in pixels; 0 when there is none.
// Pending: there is none; answers 0.
int OffscreenImageSize();
// Its texels, row after row; null when there is none.
// Pending: there is none; answers null.
const uint16_t* OffscreenImagePixels();
// Fills the whole image.
// Pending: no image; does nothing.
void ClearImage16(uint16_t colour);
// Rows that fills may touch, top to bottom inclusive.
// Pending: no image; does nothing.
void SetFillWindowRows(int top, int bottom);
// Fills a triangle whose corners are in quarter pixels.
// Pending: no image; does nothing.
void FillTriangle16(const int x[3], const int y[3], uint16_t colour);
