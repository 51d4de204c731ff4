// The frame as the program shell drives it: beginning the 3D frame, its
// background, screenshots, and the in-race display's sky and replay bar.
#pragma once

// Begins the 3D frame unless begun (DisplayPass.frameBegun); marks the pass
// not drawn (DisplayPass.skipDrawing) when the device cannot be drawn to.
void BeginFrame();
// Begins the frame with the top screen's background.
// Pending: no background pictures yet; the frame is cleared to black.
void DrawBackground();
// Saves the back buffer as a BMP file; 0 on success, 1 when it could not be
// saved (the reason goes to the message list).
int SaveScreenshot(const char* fileName);
// Forgets the sky meshes; the next sky draw builds them again.
// Pending: no sky is drawn yet; does nothing.
void ResetSky();
// Ends a drag of the replay bar.
// Pending: no replay bar yet; does nothing.
void EndReplayDrag();
