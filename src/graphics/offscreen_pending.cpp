// Stand-ins for the software drawing target and the textures made from
// memory images, until the built-in textures are built: there is no image
// to draw into, fills do nothing, and no texture can be made (callers
// report that and draw nothing with it).
#include "graphics/services.h"

void BeginOffscreenImage16(int) {}
void EndOffscreenImage16() {}
int OffscreenImageSize() { return 0; }
const uint16_t* OffscreenImagePixels() { return nullptr; }
void ClearImage16(uint16_t) {}
void SetFillWindowRows(int, int) {}
void FillTriangle16(const int*, const int*, uint16_t) {}
Material* GetMaterialFromImage(const char*, const uint8_t*, int, int, int) { return nullptr; }
