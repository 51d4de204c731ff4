// Stand-ins for the software drawing target, until the built-in textures
// are built: there is no image to draw into and fills do nothing.
#include "graphics/services.h"

void BeginOffscreenImage16(int) {}
void EndOffscreenImage16() {}
int OffscreenImageSize() { return 0; }
const uint16_t* OffscreenImagePixels() { return nullptr; }
void ClearImage16(uint16_t) {}
void SetFillWindowRows(int, int) {}
void FillTriangle16(const int*, const int*, uint16_t) {}
