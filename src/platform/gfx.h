// The graphics device layer: a device in the shape the drawing code was
// written for (adapters and display modes, one device with render and
// texture stage states, textures, surfaces, vertex and index buffers with
// lock and unlock, vertex shaders assembled from vs.1.1 text), with two
// back ends: OpenGL through SDL2, and a null device that keeps everything
// in memory and records the calls for tests and headless runs.
//
// Numbers. Every state, format, flag and code below has the numeric value
// the drawing code stores, sorts, compares or sends (format numbers sort the
// display modes, render-state numbers index the state cache). They are
// part of the interface: do not renumber.
//
// Objects. Every object is reference counted: a Create or Get call hands
// the caller one reference, AddRef adds one, Release drops one and returns
// the number left; at 0 the object is destroyed. Objects stay valid while
// referenced even when their device has been released.
//
// What every back end must do (the OpenGL one in particular):
//
// Coordinates and render targets
// - Matrices are row-major 4 x 4 floats used with row vectors: a point p
//   becomes p x M, the translation is in the fourth row. World, view and
//   projection combine as world x view x projection.
// - Clip space is Direct3D's: x and y from -w to w with y up, z from 0 to w
//   (not -w to w). The viewport maps x = -w to its left edge and y = w to
//   its top edge; z to minZ .. maxZ of the viewport.
// - Window (render-target) coordinates have their origin at the top-left
//   corner, x to the right and y downwards, in pixels; pixel centres lie at
//   integer coordinates: the pixel in column i and row j covers the square
//   from (i - 0.5, j - 0.5) to (i + 0.5, j + 0.5). A pre-transformed vertex
//   (FvfXyzRhw) at (0, 0) is therefore the centre of the top-left pixel, and
//   a quad from (-0.5, -0.5) to (W - 0.5, H - 0.5) covers every pixel of a
//   W x H target exactly once. Transformed geometry lands on the same
//   pixels: the viewport maps clip x = -w to window x = X - 0.5 and clip
//   x = w to X + width - 0.5 (rows likewise). OpenGL's centres lie at
//   half-integers, so the GL back end shifts everything by half a pixel.
// - Every colour surface (back buffer, render-target texture level, render
//   target surface) stores its rows top row first: row 0 of a locked
//   surface, of a texture used as a render target and of a screenshot is
//   the top of the picture. Texture coordinate (0, 0) is the top-left
//   corner of texel (0, 0), the first texel of the first row in memory;
//   texel centres lie at half-integers of the texture's size, as in GL.
//   Drawing into a texture and then sampling it therefore shows the picture
//   upright with the same (u, v) as any loaded texture.
// - CullNone draws both faces; CullCw removes triangles whose vertices run
//   clockwise as seen on the target (x right, y down); CullCcw (the device
//   default) removes those that run counter-clockwise.
// - Depth: less z is nearer. The depth test compares the fragment's
//   viewport z (minZ .. maxZ) with the stored value by RsZFunc. A cleared
//   depth buffer holds the value given to Clear (the program uses 1.0).
//
// Vertices
// - FVF codes (GfxFvf) describe stream 0: components in the order position
//   (3 floats, or 4 floats x, y, z, 1/w for FvfXyzRhw), normal (3 floats),
//   diffuse (32-bit colour), specular (32-bit colour), then texture
//   coordinate sets (2 floats each, count in bits 8 to 11). The stride
//   passed to SetStreamSource is the sum of those sizes.
// - A 32-bit colour is 0xAARRGGBB; in memory (little-endian) its bytes are
//   blue, green, red, alpha.
// - SetVertexShader takes either an FVF code (even numbers: the fixed
//   pipeline, using the world, view and projection transforms, lighting
//   off, no texture-coordinate transforms) or a shader handle from
//   CreateVertexShader (odd numbers). Pre-transformed vertices bypass the
//   transforms: their x, y are window pixels as above, z the depth.
// - Indexed drawing: vertex k of the draw is stream-0 vertex
//   (baseVertex given to SetIndices) + index; minIndex and numVertices
//   bound the indices used.
// - Vertex shaders: the declaration maps stream-0 elements to input
//   registers v0..v15; the program's outputs are oPos (clip space as
//   above), oD0 and oD1 (diffuse and specular colours, clamped to 0..1),
//   oT0..oT7 (texture coordinates; only x and y are used for the 2D
//   textures here) and oFog (the fog factor, see Fog). Inputs the current
//   vertex format does not supply read as (0, 0, 0, 1). Constants c0..c95
//   keep their values until set again, across shader changes.
//
// Pixels
// - Texture stages 0..7 cascade as Direct3D's: stage n computes
//   colour = op(arg1, arg2) and alpha likewise with its own op and args;
//   TaCurrent is the previous stage's result (the diffuse colour at stage
//   0), TaTexture the stage's texture sampled with the coordinate set
//   TssTexCoordIndex, (1, 1, 1, 1) when no texture is bound; TaDiffuse and
//   TaSpecular the interpolated vertex colours, TaTFactor RsTextureFactor.
//   The first stage whose colour op is TopDisable ends the cascade (its
//   alpha op is then ignored too). Ops: SelectArg1/2, Modulate (a x b),
//   Modulate2x (2 a b, clamped), Add (a + b, clamped), the rest unused.
// - RsSpecularEnable adds the specular colour's rgb after the stages.
// - Fog, when RsFogEnable is on: the final rgb = f x colour + (1 - f) x
//   RsFogColour, with the fog factor f clamped to 0..1 (1 no fog). With a
//   vertex shader f is its oFog output. Without one f is linear in the
//   eye-space depth d (z after world x view) by RsFogStart and RsFogEnd:
//   f = (end - d) / (end - start), for untransformed vertices when
//   RsFogVertexMode is FogLinear; pre-transformed vertices get no fog.
// - Alpha test (RsAlphaTestEnable): the fragment is kept when its alpha x
//   255 compared with RsAlphaRef (0..255) by RsAlphaFunc passes.
// - Blending (RsAlphaBlendEnable): result = src x SrcBlend + dst x
//   DestBlend with the factors of GfxBlend. RsZWriteEnable switches depth
//   writes, RsZEnable the depth test, RsColourWriteEnable is not used.
// - Render states carry 32-bit values; the float-valued ones (RsFogStart,
//   RsFogEnd, RsFogDensity, the point sizes, TssMipMapLodBias) carry the
//   float's bit pattern. Every number the cache below treats as existing
//   must be accepted by SetRenderState and GetRenderState, even when the
//   back end does nothing with it.
// - Sampling: TssMagFilter, TssMinFilter (FilterPoint, FilterLinear,
//   FilterAnisotropic with TssMaxAnisotropy), TssMipFilter (FilterNone,
//   FilterPoint, FilterLinear), TssMipMapLodBias (float bits), TssAddressU
//   and TssAddressV (AddressWrap, AddressClamp, AddressBorder with
//   TssBorderColour), all per stage.
//
// Device life
// - Every call comes from the main thread.
// - TestCooperativeLevel returns Ok, DeviceLost (nothing can be drawn and
//   Reset would fail) or DeviceNotReset (Reset now). While lost, Present
//   returns DeviceLost and draws do nothing.
// - Reset fails with InvalidCall while any resource of the default pool
//   (render targets, depth surfaces, dynamic buffers, default-pool
//   textures) or any reference to the back buffer or the automatic depth
//   surface obtained from the device is still held. A successful Reset
//   returns every render and stage state, transform, viewport, texture,
//   stream and index binding to the values after CreateDevice, keeps
//   managed-pool resources and vertex shaders, and makes a new back buffer
//   and automatic depth surface of the new present parameters (fetch them
//   again). Shader constants are undefined after a Reset (the null device
//   zeroes them): the program sets them again.
// - Clear with no rectangles clears the current viewport rectangle of the
//   current render target (colour: ClearTarget, depth: ClearZBuffer).
// - BeginScene/EndScene bracket drawing; Present shows the whole back
//   buffer. Drawing outside a scene is a fault of the caller (the null
//   device records it; the GL device may draw anyway).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx_numbers.h"
#include "platform/gfx_records.h"

namespace platform {

// ---------------------------------------------------------------------------
// Objects.

class GfxObject {
public:
    virtual uint32_t AddRef() = 0;
    // Drops one reference; returns how many are left (0: destroyed).
    virtual uint32_t Release() = 0;

protected:
    virtual ~GfxObject() = default;
};

// A 2D array of pixels: a level of a texture, a render target, a depth
// surface or the back buffer.
class GfxSurface : public GfxObject {
public:
    virtual GfxResult GetDesc(GfxSurfaceDesc& desc) = 0;
    // Locks the whole surface (area null) or a rectangle; the pointer
    // addresses the first pixel of the area, rows top first. Colour
    // surfaces of the default pool may be locked for reading (the program
    // reads 2 x 2 render targets and the back buffer that way); depth
    // surfaces cannot be locked.
    virtual GfxResult LockRect(GfxLockedRect& locked, const GfxRect* area, uint32_t flags) = 0;
    virtual GfxResult UnlockRect() = 0;
};

class GfxTexture : public GfxObject {
public:
    virtual uint32_t GetLevelCount() = 0;
    virtual GfxResult GetLevelDesc(uint32_t level, GfxSurfaceDesc& desc) = 0;
    // One level as a surface (a new reference), to lock or to render into.
    virtual GfxResult GetSurfaceLevel(uint32_t level, GfxSurface** surface) = 0;
    virtual GfxResult LockRect(uint32_t level, GfxLockedRect& locked, const GfxRect* area,
                               uint32_t flags) = 0;
    // The level's new content is used by draws from here on.
    virtual GfxResult UnlockRect(uint32_t level) = 0;
};

class GfxVertexBuffer : public GfxObject {
public:
    // Locks size bytes from offset (size 0: to the end). LockDiscard may
    // hand out fresh memory; LockNoOverwrite keeps the content.
    virtual GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual GfxResult Unlock() = 0;
    virtual GfxResult GetDesc(GfxBufferDesc& desc) = 0;
};

class GfxIndexBuffer : public GfxObject {
public:
    virtual GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual GfxResult Unlock() = 0;
    virtual GfxResult GetDesc(GfxBufferDesc& desc) = 0;
};

class GfxDevice : public GfxObject {
public:
    // Life and frame.
    virtual GfxResult TestCooperativeLevel() = 0;
    virtual GfxResult Reset(GfxPresentParams& params) = 0;
    virtual GfxResult Present() = 0;
    virtual GfxResult BeginScene() = 0;
    virtual GfxResult EndScene() = 0;
    // Clears the current viewport of the current target (rects null) or
    // the given rectangles within it. colour is 0xAARRGGBB.
    virtual GfxResult Clear(uint32_t rectCount, const GfxRect* rects, uint32_t flags,
                            uint32_t colour, float z, uint32_t stencil) = 0;
    virtual GfxResult GetDeviceCaps(GfxCaps& caps) = 0;

    // Surfaces and render targets (each Get returns a new reference).
    virtual GfxResult GetBackBuffer(uint32_t index, GfxSurface** surface) = 0;
    virtual GfxResult GetDepthStencilSurface(GfxSurface** surface) = 0; // current one
    virtual GfxResult GetRenderTarget(GfxSurface** surface) = 0;        // current one
    // Makes the colour surface (null: keep the current one) and the depth
    // surface (null: none) current; sets the viewport to the whole target.
    virtual GfxResult SetRenderTarget(GfxSurface* colour, GfxSurface* depth) = 0;
    virtual GfxResult CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format,
                                                uint32_t multiSampleType, GfxSurface** surface) = 0;
    virtual GfxResult CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format,
                                         uint32_t multiSampleType, bool lockable,
                                         GfxSurface** surface) = 0;

    // Resources. levels 0 asks for the whole chain down to 1 x 1.
    virtual GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                    uint32_t format, uint32_t pool, GfxTexture** texture) = 0;
    virtual GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                         GfxVertexBuffer** buffer) = 0;
    virtual GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format,
                                        uint32_t pool, GfxIndexBuffer** buffer) = 0;

    // Transforms and viewport.
    virtual GfxResult SetTransform(uint32_t which, const GfxMatrix& matrix) = 0;
    virtual GfxResult GetTransform(uint32_t which, GfxMatrix& matrix) = 0;
    virtual GfxResult SetViewport(const GfxViewport& viewport) = 0;
    virtual GfxResult GetViewport(GfxViewport& viewport) = 0;

    // States.
    virtual GfxResult SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual GfxResult GetRenderState(uint32_t state, uint32_t& value) = 0;
    virtual GfxResult SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) = 0;
    virtual GfxResult GetTextureStageState(uint32_t stage, uint32_t type, uint32_t& value) = 0;
    virtual GfxResult SetTexture(uint32_t stage, GfxTexture* texture) = 0; // null: none

    // Geometry.
    virtual GfxResult SetStreamSource(uint32_t stream, GfxVertexBuffer* buffer, uint32_t stride) = 0;
    virtual GfxResult SetIndices(GfxIndexBuffer* buffer, uint32_t baseVertexIndex) = 0;
    virtual GfxResult DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t numVertices,
                                           uint32_t startIndex, uint32_t primitiveCount) = 0;

    // Vertex shaders. CreateVertexShader checks the program against the
    // declaration and the device (InvalidCall when it cannot run it, for
    // instance when the GL back end cannot translate it), and returns an
    // odd handle. SetVertexShader takes a handle or an FVF code.
    virtual GfxResult CreateVertexShader(const GfxVertexElement* declaration, uint32_t elementCount,
                                         const vs11::Program& program, uint32_t* handle,
                                         uint32_t usage) = 0;
    virtual GfxResult SetVertexShader(uint32_t handleOrFvf) = 0;
    virtual GfxResult DeleteVertexShader(uint32_t handle) = 0;
    // Sets count four-float registers from firstRegister (c0 .. c95).
    virtual GfxResult SetVertexShaderConstant(uint32_t firstRegister, const float* values,
                                              uint32_t count) = 0;
};

// The graphics system: adapters, their modes and formats, and device
// creation. Adapter numbers are ordinals 0 .. GetAdapterCount() - 1.
class GfxSystem : public GfxObject {
public:
    virtual uint32_t GetAdapterCount() = 0;
    virtual GfxResult GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                                           GfxAdapterIdentifier& identifier) = 0;
    // The desktop mode the adapter's screen is in now.
    virtual GfxResult GetAdapterDisplayMode(uint32_t adapter, GfxDisplayMode& mode) = 0;
    // Full-screen modes, in any order, possibly with repeats.
    virtual uint32_t GetAdapterModeCount(uint32_t adapter) = 0;
    virtual GfxResult EnumAdapterModes(uint32_t adapter, uint32_t mode, GfxDisplayMode& out) = 0;
    virtual GfxResult GetDeviceCaps(uint32_t adapter, uint32_t deviceType, GfxCaps& caps) = 0;
    // Ok when a device can show displayFormat with that back-buffer format.
    virtual GfxResult CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat,
                                      uint32_t backBufferFormat, bool windowed) = 0;
    // Ok when a resource of the type and usage can have checkFormat.
    virtual GfxResult CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                        uint32_t usage, uint32_t resourceType,
                                        uint32_t checkFormat) = 0;
    virtual GfxResult CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType,
                                             uint32_t adapterFormat, uint32_t renderTargetFormat,
                                             uint32_t depthStencilFormat) = 0;
    virtual GfxResult CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType,
                                                 uint32_t surfaceFormat, bool windowed,
                                                 uint32_t multiSampleType) = 0;
    // Creates the device on the adapter. The back buffer is the present
    // parameters' size (each at least 1); with enableAutoDepthStencil a depth
    // surface of that size and format is made and current. The new device's
    // states are the defaults listed with GfxDefaultRenderState.
    virtual GfxResult CreateDevice(uint32_t adapter, uint32_t deviceType, WindowHandle focusWindow,
                                   uint32_t behaviourFlags, GfxPresentParams& params,
                                   GfxDevice** device) = 0;
};

// The state values a new or reset device holds (those of the fixed
// pipeline's documentation: z test on when there is a depth surface, cull
// counter-clockwise, z function less-or-equal, source blend one,
// destination blend zero, alpha function always, lighting on, fog colour 0,
// texture factor 0xFFFFFFFF, stage 0 colour modulate of texture and
// diffuse and alpha select texture, stages 1 to 7 disabled, coordinate
// index = stage, wrap addressing, point filters without mips, and so on).
// Unknown numbers give 0.
uint32_t GfxDefaultRenderState(uint32_t state, bool hasAutoDepth);
uint32_t GfxDefaultStageState(uint32_t stage, uint32_t type);

// ---------------------------------------------------------------------------
// Back ends.

enum class GfxBackEnd {
    Null,   // in memory, records calls; always available
    OpenGl, // SDL2 and OpenGL; needs a display
};

// Creates the graphics system of a back end (one reference), or nullptr
// when that back end is not available here.
GfxSystem* CreateGfxSystem(GfxBackEnd backEnd);

// The back ends' own constructors (the selector above calls them).
GfxSystem* CreateNullGfxSystem();
// The OpenGL system reports one adapter per display SDL knows, described by
// the GL renderer string, with SDL's full-screen modes, and caps as the GL
// context allows (vs.1.1 through vertex programs, 8 stages, every
// addressing mode and blend factor, modulate-2x). The first device takes
// over the context the system made to learn them. CreateDevice takes the
// window layer's window as its focus window; with nullptr it makes a
// hidden window of the back-buffer size of its own (for tests). nullptr
// when OpenGL cannot be used (no display, no context of the needed
// version).
GfxSystem* CreateGlGfxSystem();

// The OpenGL back end's window. Its devices draw into an SDL window made
// for OpenGL, passed as the present parameters' deviceWindow (or, when that
// is null, as CreateDevice's focus window); with neither, the device makes
// a hidden window of its own of the back buffer's size, for tests and
// tools. Until the window layer makes the program's window, GfxGlOpenWindow
// makes one (shown or hidden) to pass to CreateDevice; close it with
// GfxGlCloseWindow once the device and all its objects are released. A
// window made elsewhere must be an SDL window created with the OpenGL flag.
// nullptr when no window can be made.
WindowHandle GfxGlOpenWindow(const char* title, uint32_t width, uint32_t height, bool shown);
void GfxGlCloseWindow(WindowHandle window);

// Check of the OpenGL back end's vs.1.1 translation: runs vertex shader
// `handle` of an OpenGL device over `count` vertices laid out as its
// declaration says, with the device's current constants, and reads every
// output back as floats (outputs as vs11::Evaluate gives them). False for
// another back end or an unknown handle.
bool GfxGlRunVertexShader(GfxDevice* device, uint32_t handle, const void* vertices, uint32_t count,
                          std::vector<vs11::VertexOutputs>& outputs);

// For back ends: an object of an interface that counts its own references
// and deletes itself when the last one is released; starts at one.
template <class Interface, class... Extras>
class GfxCounted : public Interface, public Extras... {
public:
    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override
    {
        uint32_t left = --refs;
        if (left == 0)
            delete this;
        return left;
    }
    uint32_t RefCount() const { return refs; }

protected:
    uint32_t refs = 1;
};

} // namespace platform

