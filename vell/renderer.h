#pragma once
#include "vell/damage.h"
#include "vell/geometry.h"
#include "vell/scaled_copies.h"
#include "vell/shape_cache.h"
#include "vell/text_cache.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;

namespace vell {

// One entry of the transform stack. A logical point (x, y) maps to the device
// pixel (tx + x * scale, ty + y * scale); opacity multiplies every colour's alpha.
struct Transform {
    float scale = 1, tx = 0, ty = 0, opacity = 1;
    bool operator==(const Transform&) const = default;
};


// Font kinds accepted by the text calls.
inline constexpr int kTextFont = 0;
inline constexpr int kIconFont = 1;

// The only drawing object: wraps an SDL_Renderer and draws in logical coordinates
// through a stack of transforms and a stack of clip rectangles. Anti-aliased corners
// and discs come from cached white coverage textures tinted at draw time; text is
// rasterised once into cached textures. UI thread only.
//
// Typical frame, as the engine drives it:
//     r.setScale(letterboxScale, offsetX, offsetY, logicalW, logicalH); // may flush text
//     r.tickFrame();                                                     // text-cache upkeep
//     r.beginFrame();                          // stacks back to the root entry
//     ... clear ..., r.reapplyClip();          // widgets paint through the calls below
class Renderer {
public:
    Renderer() = default;
    // Releases whatever shutdown() has not released yet. The engine calls shutdown()
    // itself before destroying the SDL renderer and calling TTF_Quit.
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // ---- Engine side ---------------------------------------------------------------

    // Binds the SDL renderer (never owned) and the font files. An empty iconFontPath
    // uses fontPath. Resets the transform stack to one identity entry.
    void attach(SDL_Renderer* renderer, std::string fontPath, std::string iconFontPath);
    SDL_Renderer* sdlRenderer() const { return m_renderer; }

    // Sets the letterbox (scale clamped to at least 0.1, device offsets, logical size).
    // When the clamped scale differs from the previous one by more than 0.0001 every
    // text texture is destroyed, every font closed and generation() bumped, so text
    // is re-opened at the new pixel size on the next call. Outside a frame (only the root
    // entry on the stack) the root entry follows at once, so layout measures at the new
    // scale. Returns true when it flushed.
    bool setScale(float scale, float offsetX = 0, float offsetY = 0, float logicalWidth = 0,
                  float logicalHeight = 0);
    float scale() const { return m_scale; }
    float offsetX() const { return m_offsetX; }
    float offsetY() const { return m_offsetY; }
    Size logicalSize() const { return m_logicalSize; }
    // Bumped whenever the text and font caches are flushed; holders of measured text
    // compare it to know their sizes are stale.
    uint32_t generation() const { return m_generation; }

    // Transform stack back to one identity entry (used at attach).
    void resetTransform();
    // Start of a frame: transform stack reset to the root entry {scale, offsetX, offsetY, 1},
    // clip stack emptied. When either offset exceeds 0.5 px the letterboxed area becomes
    // the base clip, applied now and whenever the clip stack is empty.
    void beginFrame();
    // The background of a partly redrawn frame: `area` (device px) filled opaquely with
    // (r, g, b), but only where it still shows. The fill waits; an opaque fill drawn
    // over part of it takes that part off (what is left around it is filled then), and
    // anything else that reaches it fills it first. So a background hidden under an
    // opaque panel is never written, with the same pixels as filling it at once.
    // Code drawing through sdlRenderer() directly calls flushBackground() first.
    void fillBackground(const DeviceRect& area, uint8_t r, uint8_t g, uint8_t b);
    void flushBackground();
    // Re-applies the current clip (top of the stack, else the letterbox, else none) to
    // SDL, for instance after a clear.
    void reapplyClip();
    bool letterboxClipActive() const { return m_letterboxClip; }
    DeviceRect letterboxRect() const;

    // Per-frame text-cache upkeep: increments frameCounter(); every 90th frame, when the
    // text cache holds more than 299 entries, destroys entries unused for more than
    // 120 frames; drops picture copies idle for more than ScaledCopies::kMaxIdleFrames.
    void tickFrame();
    uint32_t frameCounter() const { return m_frameCounter; }

    // Destroys every cached shape and text texture and closes every font. Call before
    // the SDL renderer is destroyed and before TTF_Quit. Safe to call twice.
    void shutdown();

    // ---- Drawing (logical coordinates, current transform and clip) -----------------

    // Filled rounded rectangle; the radius is clamped to half the smaller side, so a
    // large radius gives a pill and one that rounds to 0 device px a plain rectangle.
    void fillRoundRect(float x, float y, float w, float h, float radius, Color color);
    void fillRoundRect(const Rect& r, float radius, Color color) { fillRoundRect(r.x, r.y, r.w, r.h, radius, color); }

    // Paints the outside of the rounded corners of a rectangle (inverted quarter
    // discs) in `color`, so content drawn square looks rounded against a
    // background of that colour. Nothing when the radius rounds below 1 device px.
    void coverCorners(float x, float y, float w, float h, float radius, Color color);

    // Outline of a rounded rectangle, drawn inside the rectangle. The line is at least
    // 1 device pixel and at most half the smaller side.
    void strokeRoundRect(float x, float y, float w, float h, float radius, float lineWidth, Color color);
    void strokeRoundRect(const Rect& r, float radius, float lineWidth, Color color)
    {
        strokeRoundRect(r.x, r.y, r.w, r.h, radius, lineWidth, color);
    }

    // Filled disc centred on (cx, cy); at least 1 device pixel in radius.
    void fillCircle(float cx, float cy, float radius, Color color);
    void fillCircle(Point centre, float radius, Color color) { fillCircle(centre.x, centre.y, radius, color); }

    // Anti-aliased sine-wave line from x over `length`, around centreY:
    // y = centreY + amplitude * sin(2*pi/wavelength * dx + phase). Used by wavy progress bars.
    void drawWave(float x, float centreY, float length, float amplitude, float wavelength, float phase,
                  float lineWidth, Color color);

    // Size of `text` in logical pixels. fontKind: kTextFont or kIconFont; size and
    // wrapWidth in logical px (wrapWidth 0 = single line). A missing font measures
    // {0, size}.
    Size measureText(std::string_view text, int fontKind, float size, float wrapWidth = 0);

    // Draws `text` with its top-left corner at (x, y), tinted with `color`.
    void drawText(std::string_view text, int fontKind, float size, float wrapWidth, float x, float y, Color color);

    // Cached white texture of `text` at a device pixel size (wrapPx 0 = single line).
    // The texture stays owned by the cache; it is valid until the next flush or eviction
    // (at the earliest the next tickFrame/setScale). Null texture when it cannot render.
    TextTexture textTexture(std::string_view text, int fontKind, int pixelSize, int wrapPx);

    // Device pixel size of a font for a logical size under the current transform:
    // max(4, lround(size * scale)).
    int fontPixelSize(float size) const;

    // Clip to a logical rectangle, intersected with the current clip. Balanced by popClip.
    void pushClip(float x, float y, float w, float h);
    void pushClip(const Rect& r) { pushClip(r.x, r.y, r.w, r.h); }
    // Clip to the current clip grown by `pad` logical px on every side, still inside the
    // letterbox and the area being redrawn: for a decoration that overhangs the
    // containers its widget sits in (the focus ring). Balanced by popClip.
    void pushClipGrown(float pad);
    void popClip();
    // Current clip rectangle in device px; false when nothing clips.
    bool currentClip(DeviceRect& out) const;
    // Whether drawing in the logical rectangle `r` would reach any pixel: it meets the
    // current clip, or the letterboxed output when nothing clips. Widgets use it to
    // tell whether they are on screen.
    bool reaches(const Rect& r) const;
    size_t clipDepth() const { return m_clips.size(); }

    // Pushes an absolute transform entry. Balanced by popTransform; the root entry is never popped.
    void pushTransform(const Transform& t);
    // Pushes the transform of a child scaled by `factor` about the logical point
    // (cx, cy) with its opacity multiplied by `opacity`, relative to the current top:
    // {factor*s, tx + cx*(1-factor)*s, ty + cy*(1-factor)*s, top.opacity*opacity}.
    void pushTransformAbout(float factor, float cx, float cy, float opacity);
    void popTransform();
    const Transform& transform() const { return m_transforms.back(); }
    size_t transformDepth() const { return m_transforms.size(); }

    // Colour alpha (0-255) times the current opacity; primitives draw nothing below 0.5.
    float effectiveAlpha(float alpha) const { return alpha * transform().opacity; }

    // Draws the `src` part of `texture` (texture pixels) into `dst` (device px) at
    // `alpha` (0-255), under the current clip. A texture without an alpha channel at
    // full alpha is copied without blending, which gives the same pixels faster; on a
    // software renderer such a picture, scaled and whole or cut steadily by the clip
    // (at most a pixel or so off its sides), is drawn from a copy at its shown size
    // (see ScaledCopies and scaledCut). `identity` names the picture
    // for that copy and is never reused. Draws nothing while recording.
    //   r.drawImage(asset->texture, asset->serial, {0, 0, 300, 300}, {40, 80, 180, 180}, 255);
    void drawImage(SDL_Texture* texture, uint64_t identity, const SDL_Rect& src, const SDL_Rect& dst, uint8_t alpha);

    // Cached white coverage texture (see ShapeKind); null on failure or size <= 0.
    SDL_Texture* shapeTexture(int kind, int radius, int thickness);

    // ---- Frame signature ----------------------------------------------------------

    // While recording, the drawing calls draw nothing: they fold what they would draw
    // (shape, geometry, colour, text, current transform and clip) into a 64-bit
    // signature. The engine paints each frame this way first and draws it for real only
    // when the signature differs from that of the last presented frame. Code that draws
    // with SDL directly must check recording() and, instead of drawing, note() whatever
    // decides its pixels (texture and asset identity, rectangles, colour and alpha mods).
    //
    // Each call also leaves a DrawnCall (its own hash and the device area it can
    // touch; notes count for the current clip, or everything without one), so the
    // engine can redraw only what changed (see damagedAreas).
    void beginRecording();
    uint64_t endRecording();
    bool recording() const { return m_recording; }
    const std::vector<DrawnCall>& recordedCalls() const { return m_calls; }
    // Trades the recorded calls for `other` (whose buffer the next recording reuses).
    void swapRecordedCalls(std::vector<DrawnCall>& other) { m_calls.swap(other); }
    void note(const void* data, size_t size);
    template <class T>
    void note(const T& value)
    {
        note(&value, sizeof value);
    }

    // Limits everything drawn to `area` (device px), inside the letterbox, until
    // cleared with nullopt: the part of a frame being redrawn. Takes effect at
    // the next beginFrame or reapplyClip.
    void setDamageClip(std::optional<DeviceRect> area) { m_damageClip = area; }

    // Introspection, mainly for tests and diagnostics.
    const TextCache& textCache() const { return m_text; }
    const ShapeCache& shapeCache() const { return m_shapes; }
    const ScaledCopies& scaledCopies() const { return m_copies; }

private:
    void setDrawColor(Color color, float alpha);
    void drawCorners(int left, int top, int right, int bottom, int radius, SDL_Texture* tex, Color color, float alpha);
    void fillDeviceRect(int x, int y, int w, int h);
    void fold(const void* data, size_t size);
    // Records a drawing call that can touch `area` (device px, before clipping):
    // its kind, its arguments, the transform and the clip.
    template <class... Args>
    void record(DeviceRect area, int kind, const Args&... args)
    {
        beginCall(kind);
        (fold(&args, sizeof args), ...);
        endCall(area);
    }
    void beginCall(int kind);
    void endCall(DeviceRect area);
    void foldState();
    DeviceRect textArea(std::string_view text, int fontKind, float size, float wrapWidth, float x, float y);
    // The device area of a logical rectangle under the current transform, grown by `pad` device px.
    DeviceRect deviceArea(float x, float y, float w, float h, int pad = 2) const;
    // The clip under the stack: the damage area and the letterbox; false when none.
    bool baseClip(DeviceRect& out) const;
    // The waiting background meets what is about to be drawn in `reach` (device px, before clipping).
    void settleBackground(const DeviceRect& reach);
    // An opaque rounded fill of `box` (device px) with corner radius `radius` is about to be drawn.
    void coverBackground(int left, int top, int right, int bottom, int radius);
    enum class ClipCut { None, Partly, Hidden };
    ClipCut clipCut(const SDL_Rect& dst) const;
    std::optional<ScaledCut> copyableCut(const SDL_Rect& src, const SDL_Rect& dst, int textureW, int textureH,
                                         ClipCut cut) const;

    SDL_Renderer* m_renderer = nullptr;
    std::vector<Transform> m_transforms { Transform {} };
    std::vector<DeviceRect> m_clips;
    TextCache m_text;
    ShapeCache m_shapes;
    ScaledCopies m_copies;
    bool m_software = false; // the SDL renderer draws on the CPU
    float m_scale = 1;
    float m_offsetX = 0, m_offsetY = 0;
    Size m_logicalSize;
    uint32_t m_frameCounter = 0;
    uint32_t m_generation = 0;
    bool m_letterboxClip = false;
    bool m_recording = false;
    uint64_t m_signature = 0;
    uint64_t m_callHash = 0;
    std::vector<DrawnCall> m_calls;
    std::optional<DeviceRect> m_damageClip;
    struct Background {
        DeviceRect area;
        uint8_t r, g, b;
    };
    std::optional<Background> m_background;
};

// Colour component to byte: add 0.5, truncate, clamp to 0..255.
uint8_t colorByte(float v);

} // namespace vell
