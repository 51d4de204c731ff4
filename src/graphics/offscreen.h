// The software drawing target: a 16-bit image in memory that the vector
// font and the number plates are filled into, one triangle or span at a
// time, and that is made into textures afterwards. While no image is the
// target (the screen is, as at start-up) nothing is filled.
#pragma once

#include <cstdint>

// Points the target at the screen (its height in pixels, no image) or at a
// 16-bit image of that many rows and as many columns.
void SetSoftwareTarget(int height, void* image);

// Makes a size × size image of 16-bit texels (cleared to 0) the target,
// with the 5-6-5 packer and every row open to fills; EndOffscreenImage16
// frees it and puts the previous target back. Nested begins are refused
// (logged): the second end then does nothing.
void BeginOffscreenImage16(int size);
void EndOffscreenImage16();
// Side of the current offscreen image in pixels; 0 when there is none.
int OffscreenImageSize();
// Its texels, row after row, top row first; null when there is none.
const uint16_t* OffscreenImagePixels();

// Fills the whole image.
void ClearImage16(uint16_t colour);
// Rows that fills may touch, top to bottom inclusive (held to the image).
void SetFillWindowRows(int top, int bottom);
// The colour of the spans that follow, and the row they fill.
void SetFillColour16(uint16_t colour);
void SetFillRow(int row);
// Fills columns left to right - 1 of the current row (held to the image
// and the window rows), two texels to a 32-bit store.
void FillSpan16(int left, int right);
// Fills rows top to bottom - 1, columns left to right - 1.
void FillRect16(int left, int top, int right, int bottom, uint16_t colour);

// Fills a triangle whose corners are in quarter pixels of the image (x to
// the right, y down; a pixel's centre is at quarter position 4 n + 2).
// A pixel is filled when its centre lies inside the triangle; a centre
// exactly on an edge belongs to the triangle on the edge's right (for a
// vertical walk, the triangle below), so triangles sharing an edge neither
// overlap nor leave a gap. Rows run from the top corner's row down to the
// bottom corner's, cut at the window rows; each edge is stepped row by row
// as an integer line (a pixel step and a remainder).
void FillTriangle16(const int x[3], const int y[3], uint16_t colour);
