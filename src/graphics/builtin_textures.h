// The textures no file provides: plain white and black, the mirror and
// clock render targets, the built-in alpha pictures, the screens'
// background picture, and the 2D drawing's start-up tables. They are not
// built yet: the temporary bodies (builtin_textures_pending.cpp) make
// nothing and say so.
#pragma once

// Start-up tables of the 2D drawing.
// Pending: no 2D drawing tables; does nothing.
void BuildSegmentTables();
// The built-in textures and render targets; 1 when made, 0 on failure.
// Pending: nothing is made; logs once and answers 0, and start-up carries
// on without them.
int CreateBuiltinTextures();
// Refills the clock and mirror textures after a device reset; 0 while it
// cannot yet.
// Pending: there are no clock or mirror textures to refill; logs once and
// answers 0.
int RestoreSpecialTextures();
// The screens' background picture (null clears it).
// Pending: no background picture; does nothing.
void SetEntryBackground(const char* name);
// Points the software drawing target at the screen (height, no image) or
// at a memory image.
// Pending: no software drawing target; does nothing.
void SetSoftwareTarget(int height, void* image);
