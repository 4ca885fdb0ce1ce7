#include "vell/renderer.h"
#include "vell/wave_line.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace vell {

uint8_t colorByte(float v)
{
    const float shifted = v + 0.5f;
    if (!(shifted > 0)) // also catches NaN
        return 0;
    if (shifted >= 255)
        return 255;
    return uint8_t(shifted);
}

namespace {

// Below this effective alpha a primitive draws nothing.
constexpr float kInvisibleAlpha = 0.5f;
// At or above this effective alpha fills switch blending off.
constexpr float kOpaqueAlpha = 254.5f;
constexpr float kMinScale = 0.1f;
constexpr float kScaleEpsilon = 0.0001f;

struct DeviceBox {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return width() <= 0 || height() <= 0; }
};

DeviceBox deviceBox(const Transform& t, float x, float y, float w, float h)
{
    const float s = t.scale;
    return { int(std::lround(t.tx + x * s)), int(std::lround(t.ty + y * s)), int(std::lround(t.tx + x * s + w * s)),
             int(std::lround(t.ty + y * s + h * s)) };
}

// Corner radius in device px: the logical radius scaled, at most half the smaller side.
int deviceRadius(const DeviceBox& box, float radius, float scale)
{
    const float r = std::min(std::min(box.width(), box.height()) / 2.0f, radius * scale);
    return r > 0 ? int(std::lround(r)) : 0;
}

// What the rounded-rectangle calls share: the device box, the clamped corner radius and
// the effective alpha. Empty when nothing would be drawn.
struct RoundBox {
    DeviceBox box;
    int radius;
    float alpha;
};

std::optional<RoundBox> roundBox(const Transform& t, float x, float y, float w, float h, float radius, float alpha)
{
    alpha *= t.opacity;
    if (!(alpha >= kInvisibleAlpha))
        return std::nullopt;
    const DeviceBox box = deviceBox(t, x, y, w, h);
    if (box.empty())
        return std::nullopt;
    return RoundBox { box, deviceRadius(box, radius, t.scale), alpha };
}

void tintTexture(SDL_Texture* texture, Color color, float alpha)
{
    SDL_SetTextureColorMod(texture, colorByte(color.r), colorByte(color.g), colorByte(color.b));
    SDL_SetTextureAlphaMod(texture, colorByte(alpha));
}

} // namespace

Renderer::~Renderer()
{
    shutdown();
}

void Renderer::attach(SDL_Renderer* renderer, std::string fontPath, std::string iconFontPath)
{
    m_renderer = renderer;
    SDL_RendererInfo info {};
    m_software = renderer && SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
    if (iconFontPath.empty())
        iconFontPath = fontPath;
    m_text.setFontPaths(std::move(fontPath), std::move(iconFontPath));
    resetTransform();
}

bool Renderer::setScale(float scale, float offsetX, float offsetY, float logicalWidth, float logicalHeight)
{
    const float clamped = scale >= kMinScale ? scale : kMinScale; // NaN falls to the minimum too
    m_offsetX = offsetX;
    m_offsetY = offsetY;
    m_logicalSize = { logicalWidth, logicalHeight };
    const bool changed = std::fabs(clamped - m_scale) > kScaleEpsilon;
    if (changed)
        m_scale = clamped;
    const DeviceRect screen = letterboxRect();
    m_copies.setBudget(std::max<int64_t>(1 << 20, int64_t(screen.w) * screen.h * 4));
    // Layout measures text between frames, against the root entry: keep it current.
    if (m_transforms.size() == 1)
        m_transforms[0] = Transform { m_scale, m_offsetX, m_offsetY, 1 };
    if (!changed)
        return false;
    m_text.clear(); // fonts are opened per pixel size, so every one is now the wrong size
    ++m_generation;
    return true;
}

void Renderer::resetTransform()
{
    m_transforms.assign(1, Transform {});
}

void Renderer::beginFrame()
{
    flushBackground();
    m_transforms.assign(1, Transform { m_scale, m_offsetX, m_offsetY, 1 });
    m_clips.clear();
    m_letterboxClip = m_offsetX > 0.5f || m_offsetY > 0.5f;
    reapplyClip();
}

DeviceRect Renderer::letterboxRect() const
{
    return { int(std::lround(m_offsetX)), int(std::lround(m_offsetY)), int(std::lround(m_logicalSize.w * m_scale)),
             int(std::lround(m_logicalSize.h * m_scale)) };
}

bool Renderer::currentClip(DeviceRect& out) const
{
    if (!m_clips.empty()) {
        out = m_clips.back();
        return true;
    }
    return baseClip(out);
}

bool Renderer::baseClip(DeviceRect& out) const
{
    if (m_damageClip) {
        out = m_letterboxClip ? intersect(*m_damageClip, letterboxRect()) : *m_damageClip;
        return true;
    }
    if (m_letterboxClip) {
        out = letterboxRect();
        return true;
    }
    return false;
}

bool Renderer::reaches(const Rect& r) const
{
    DeviceRect clip;
    if (!currentClip(clip))
        clip = letterboxRect();
    return !intersect(deviceArea(r.x, r.y, r.w, r.h, 0), clip).empty();
}

void Renderer::reapplyClip()
{
    if (!m_renderer || m_recording)
        return;
    DeviceRect clip;
    if (!currentClip(clip)) {
        SDL_RenderSetClipRect(m_renderer, nullptr);
        return;
    }
    const SDL_Rect rect { clip.x, clip.y, clip.w, clip.h };
    SDL_RenderSetClipRect(m_renderer, &rect);
}

void Renderer::fillBackground(const DeviceRect& area, uint8_t r, uint8_t g, uint8_t b)
{
    flushBackground();
    if (m_renderer && !m_recording && !area.empty())
        m_background = Background { area, r, g, b };
}

void Renderer::flushBackground()
{
    if (!m_background)
        return;
    const Background bg = *m_background;
    m_background.reset();
    const SDL_Rect rect { bg.area.x, bg.area.y, bg.area.w, bg.area.h };
    SDL_RenderSetClipRect(m_renderer, &rect);
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(m_renderer, bg.r, bg.g, bg.b, 255);
    SDL_RenderFillRect(m_renderer, &rect);
    reapplyClip();
}

void Renderer::settleBackground(const DeviceRect& reach)
{
    if (!m_background)
        return;
    DeviceRect clip;
    const DeviceRect drawn = currentClip(clip) ? intersect(reach, clip) : reach;
    if (!intersect(drawn, m_background->area).empty())
        flushBackground();
}

// The fill overwrites its box but for the corner squares, within the clip. When the
// clip holds the whole background, what is left of it is the part outside the box and
// the part under the corners, which are blended over it: those are filled now.
void Renderer::coverBackground(int left, int top, int right, int bottom, int radius)
{
    if (!m_background)
        return;
    const DeviceRect box { left, top, right - left, bottom - top };
    const DeviceRect area = m_background->area;
    if (intersect(box, area).empty())
        return;
    DeviceRect clip;
    if (currentClip(clip) && intersect(clip, area) != area)
        return flushBackground();
    const Background bg = *m_background;
    m_background.reset();
    const int r = radius;
    const DeviceRect pieces[] = {
        // around the box
        { area.x, area.y, area.w, top - area.y },
        { area.x, bottom, area.w, area.bottom() - bottom },
        { area.x, std::max(area.y, top), left - area.x, std::min(area.bottom(), bottom) - std::max(area.y, top) },
        { right, std::max(area.y, top), area.right() - right, std::min(area.bottom(), bottom) - std::max(area.y, top) },
        // under the corners
        intersect({ left, top, r, r }, area),
        intersect({ right - r, top, r, r }, area),
        intersect({ left, bottom - r, r, r }, area),
        intersect({ right - r, bottom - r, r, r }, area),
    };
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(m_renderer, bg.r, bg.g, bg.b, 255);
    for (const DeviceRect& piece : pieces) {
        if (piece.w <= 0 || piece.h <= 0)
            continue;
        const SDL_Rect rect { piece.x, piece.y, piece.w, piece.h };
        SDL_RenderFillRect(m_renderer, &rect);
    }
}

void Renderer::tickFrame()
{
    ++m_frameCounter;
    if (m_frameCounter % TextCache::kEvictEvery == 0)
        m_text.evict(m_frameCounter);
    m_copies.evict(m_frameCounter);
}

void Renderer::shutdown()
{
    m_text.clear();
    m_shapes.clear();
    m_copies.clear();
}

// ---- Stacks ---------------------------------------------------------------------------

void Renderer::pushClip(float x, float y, float w, float h)
{
    const Transform& t = transform();
    const float left = std::floor(t.tx + x * t.scale);
    const float top = std::floor(t.ty + y * t.scale);
    const float right = std::ceil(left + w * t.scale);
    const float bottom = std::ceil(top + h * t.scale);
    DeviceRect rect { int(left), int(top), std::max(0, int(right - left)), std::max(0, int(bottom - top)) };
    // The letterbox counts as the outermost clip so nothing escapes into the bars.
    DeviceRect outer;
    if (currentClip(outer)) {
        const int l = std::max(rect.x, outer.x), tp = std::max(rect.y, outer.y);
        const int r = std::min(rect.x + rect.w, outer.x + outer.w), b = std::min(rect.y + rect.h, outer.y + outer.h);
        rect = r > l && b > tp ? DeviceRect { l, tp, r - l, b - tp } : DeviceRect { l, tp, 0, 0 };
    }
    m_clips.push_back(rect);
    reapplyClip();
}

void Renderer::pushClipGrown(float pad)
{
    DeviceRect rect = m_clips.empty() ? letterboxRect() : m_clips.back();
    const int grow = int(std::ceil(std::max(0.0f, pad) * transform().scale));
    rect = { rect.x - grow, rect.y - grow, rect.w + 2 * grow, rect.h + 2 * grow };
    DeviceRect base;
    if (baseClip(base))
        rect = intersect(rect, base);
    m_clips.push_back(rect);
    reapplyClip();
}

void Renderer::popClip()
{
    if (m_clips.empty())
        return;
    m_clips.pop_back();
    reapplyClip();
}

void Renderer::pushTransform(const Transform& t)
{
    m_transforms.push_back(t);
}

void Renderer::pushTransformAbout(float factor, float cx, float cy, float opacity)
{
    Transform next = transform();
    next.opacity *= opacity;
    if (factor != 1) {
        next.tx += cx * (1 - factor) * next.scale;
        next.ty += cy * (1 - factor) * next.scale;
        next.scale *= factor;
    }
    m_transforms.push_back(next);
}

void Renderer::popTransform()
{
    if (m_transforms.size() > 1)
        m_transforms.pop_back();
}

// ---- Pictures ---------------------------------------------------------------------------

// What the clip (or the output) does to a picture drawn at `dst`.
Renderer::ClipCut Renderer::clipCut(const SDL_Rect& dst) const
{
    DeviceRect clip;
    if (!currentClip(clip)) {
        clip = { 0, 0, 0, 0 };
        if (SDL_GetRendererOutputSize(m_renderer, &clip.w, &clip.h) != 0)
            return ClipCut::Partly;
    }
    const int right = dst.x + dst.w, bottom = dst.y + dst.h;
    if (right <= clip.x || bottom <= clip.y || dst.x >= clip.x + clip.w || dst.y >= clip.y + clip.h)
        return ClipCut::Hidden;
    if (dst.x >= clip.x && dst.y >= clip.y && right <= clip.x + clip.w && bottom <= clip.y + clip.h)
        return ClipCut::None;
    return ClipCut::Partly;
}

void Renderer::drawImage(SDL_Texture* texture, uint64_t identity, const SDL_Rect& src, const SDL_Rect& dst, uint8_t alpha)
{
    if (!m_renderer || m_recording || !texture || dst.w <= 0 || dst.h <= 0)
        return;
    const ClipCut cut = clipCut(dst);
    if (cut == ClipCut::Hidden)
        return;
    settleBackground({ dst.x, dst.y, dst.w, dst.h });
    Uint32 format = 0;
    int textureW = 0, textureH = 0;
    SDL_QueryTexture(texture, &format, nullptr, &textureW, &textureH);
    const bool opaque = alpha == 255 && !SDL_ISPIXELFORMAT_ALPHA(format);
    SDL_Texture* drawn = texture;
    const SDL_Rect* from = &src;
    const SDL_Rect* to = &dst;
    SDL_Rect part;
    // SDL blends a translucent copy with other rounding than a scaled draw, so only
    // opaque pictures come from copies.
    std::optional<ScaledCut> copyable;
    if (m_software && opaque && (src.w != dst.w || src.h != dst.h))
        copyable = copyableCut(src, dst, textureW, textureH, cut);
    if (copyable) {
        if (copyable->to.w <= 0 || copyable->to.h <= 0)
            return;
        SDL_Texture* copy = m_copies.find(identity, copyable->from, copyable->to.w, copyable->to.h, m_frameCounter);
        if (!copy) {
            copy = m_copies.add(m_renderer, texture, identity, copyable->from, copyable->to.w, copyable->to.h,
                                m_frameCounter);
            reapplyClip();
        }
        if (copy) {
            drawn = copy;
            from = nullptr;
            part = copyable->to;
            to = &part;
        }
    }
    SDL_SetTextureColorMod(drawn, 255, 255, 255);
    SDL_SetTextureAlphaMod(drawn, alpha);
    SDL_SetTextureBlendMode(drawn, opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_RenderCopy(m_renderer, drawn, from, to);
}

// Which copy, drawn 1:1, gives exactly the pixels of a scaled draw of `src` into `dst`
// on the software renderer; none when no copy is worth keeping. A whole picture is
// the whole copy. So is one reaching past the output, which SDL scales whole into a
// scratch surface before cutting. Otherwise SDL resamples only the part the clip lets
// through, which is a copy of its own: kept when it is the picture short of a pixel
// or so at its sides (the picture's own clip rounds inwards, so this cut is the same
// every frame), not for a cover sliding under the edge of a list, cut anew each frame.
std::optional<ScaledCut> Renderer::copyableCut(const SDL_Rect& src, const SDL_Rect& dst, int textureW, int textureH,
                                               ClipCut cut) const
{
    constexpr int kCutSlack = 2; // device px a steady cut may take off each axis
    SDL_Rect output { 0, 0, 0, 0 }, viewport;
    if (SDL_GetRendererOutputSize(m_renderer, &output.w, &output.h) != 0)
        return std::nullopt;
    SDL_RenderGetViewport(m_renderer, &viewport);
    if (!SDL_RectEquals(&viewport, &output))
        return std::nullopt;
    const bool whole = cut == ClipCut::None || dst.x < 0 || dst.y < 0 || dst.x + dst.w > output.w
        || dst.y + dst.h > output.h;
    if (whole)
        return ScaledCut { src, dst };
    DeviceRect clip;
    SDL_Rect surfaceClip = output;
    if (currentClip(clip)) {
        const SDL_Rect wanted { clip.x, clip.y, clip.w, clip.h };
        if (!SDL_IntersectRect(&wanted, &output, &surfaceClip))
            return ScaledCut {};
    }
    const ScaledCut part = scaledCut(src, dst, textureW, textureH, surfaceClip);
    if (part.to.w + kCutSlack < dst.w || part.to.h + kCutSlack < dst.h)
        return std::nullopt;
    return part;
}

// ---- Shapes -----------------------------------------------------------------------------

SDL_Texture* Renderer::shapeTexture(int kind, int radius, int thickness)
{
    return m_shapes.get(m_renderer, kind, radius, thickness);
}

void Renderer::setDrawColor(Color color, float alpha)
{
    SDL_SetRenderDrawBlendMode(m_renderer, alpha >= kOpaqueAlpha ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(m_renderer, colorByte(color.r), colorByte(color.g), colorByte(color.b), colorByte(alpha));
}

void Renderer::fillDeviceRect(int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    const SDL_Rect rect { x, y, w, h };
    SDL_RenderFillRect(m_renderer, &rect);
}

void Renderer::drawCorners(int left, int top, int right, int bottom, int radius, SDL_Texture* tex, Color color,
                           float alpha)
{
    if (!tex)
        return;
    tintTexture(tex, color, alpha);
    const int r = radius;
    const SDL_Rect corners[4] = { { left, top, r, r }, { right - r, top, r, r }, { left, bottom - r, r, r },
                                  { right - r, bottom - r, r, r } };
    const SDL_RendererFlip flips[4] = { SDL_FLIP_NONE, SDL_FLIP_HORIZONTAL, SDL_FLIP_VERTICAL,
                                        SDL_RendererFlip(SDL_FLIP_HORIZONTAL | SDL_FLIP_VERTICAL) };
    for (int i = 0; i < 4; ++i)
        SDL_RenderCopyEx(m_renderer, tex, nullptr, &corners[i], 0, nullptr, flips[i]);
}

// ---- Frame signature ----

namespace {
constexpr uint64_t kFnvOffset = 1469598103934665603ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;
enum RecordKind { kRecFill = 1, kRecCover, kRecStroke, kRecCircle, kRecWave, kRecText, kRecNote };
} // namespace

void Renderer::beginRecording()
{
    m_recording = true;
    m_signature = kFnvOffset;
    m_calls.clear();
}

uint64_t Renderer::endRecording()
{
    m_recording = false;
    return m_signature;
}

void Renderer::fold(const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        m_callHash = (m_callHash ^ bytes[i]) * kFnvPrime;
}

void Renderer::beginCall(int kind)
{
    m_callHash = kFnvOffset;
    fold(&kind, sizeof kind);
}

void Renderer::endCall(DeviceRect area)
{
    foldState();
    DeviceRect clip;
    if (currentClip(clip))
        area = intersect(area, clip);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&m_callHash);
    for (size_t i = 0; i < sizeof m_callHash; ++i)
        m_signature = (m_signature ^ bytes[i]) * kFnvPrime;
    m_calls.push_back({ m_callHash, area });
}

void Renderer::foldState()
{
    const Transform& t = transform();
    fold(&t, sizeof t);
    DeviceRect clip;
    const bool clipped = currentClip(clip);
    fold(&clipped, sizeof clipped);
    if (clipped)
        fold(&clip, sizeof clip);
}

DeviceRect Renderer::deviceArea(float x, float y, float w, float h, int pad) const
{
    const Transform& t = transform();
    // Far outside any screen, so wild values cannot overflow int.
    auto px = [](float v) { return std::clamp(v, -1e8f, 1e8f); };
    const float left = std::floor(px(t.tx + std::min(x, x + w) * t.scale));
    const float top = std::floor(px(t.ty + std::min(y, y + h) * t.scale));
    const float right = std::ceil(px(t.tx + std::max(x, x + w) * t.scale));
    const float bottom = std::ceil(px(t.ty + std::max(y, y + h) * t.scale));
    if (!(right >= left) || !(bottom >= top)) // NaN
        return {};
    return { int(left) - pad, int(top) - pad, int(right - left) + 2 * pad, int(bottom - top) + 2 * pad };
}

void Renderer::note(const void* data, size_t size)
{
    beginCall(kRecNote);
    fold(&size, sizeof size);
    fold(data, size);
    // What a note draws is not known here: it counts for all the clip lets through.
    constexpr int kEverything = 1 << 28;
    endCall({ -kEverything, -kEverything, 2 * kEverything, 2 * kEverything });
}

// ---- Drawing ----

void Renderer::fillRoundRect(float x, float y, float w, float h, float radius, Color color)
{
    if (m_recording)
        return record(deviceArea(x, y, w, h), kRecFill, x, y, w, h, radius, color);
    const auto shape = roundBox(transform(), x, y, w, h, radius, color.a);
    if (!m_renderer || !shape)
        return;
    const auto [box, r, alpha] = *shape;
    if (alpha >= kOpaqueAlpha)
        coverBackground(box.left, box.top, box.right, box.bottom, r);
    else
        settleBackground({ box.left, box.top, box.width(), box.height() });
    setDrawColor(color, alpha);
    if (r < 1) {
        fillDeviceRect(box.left, box.top, box.width(), box.height());
        return;
    }
    fillDeviceRect(box.left + r, box.top, box.width() - 2 * r, box.height());
    fillDeviceRect(box.left, box.top + r, r, box.height() - 2 * r);
    fillDeviceRect(box.right - r, box.top + r, r, box.height() - 2 * r);
    drawCorners(box.left, box.top, box.right, box.bottom, r, shapeTexture(kQuarterDisc, r, 0), color, alpha);
}

void Renderer::coverCorners(float x, float y, float w, float h, float radius, Color color)
{
    if (m_recording)
        return record(deviceArea(x, y, w, h), kRecCover, x, y, w, h, radius, color);
    const auto shape = roundBox(transform(), x, y, w, h, radius, color.a);
    if (!m_renderer || !shape)
        return;
    const auto [box, r, alpha] = *shape;
    if (r < 1)
        return;
    settleBackground({ box.left, box.top, box.width(), box.height() });
    drawCorners(box.left, box.top, box.right, box.bottom, r, shapeTexture(kInvertedQuarterDisc, r, 0), color, alpha);
}

void Renderer::strokeRoundRect(float x, float y, float w, float h, float radius, float lineWidth, Color color)
{
    if (m_recording)
        return record(deviceArea(x, y, w, h), kRecStroke, x, y, w, h, radius, lineWidth, color);
    const auto shape = roundBox(transform(), x, y, w, h, radius, color.a);
    if (!m_renderer || !shape)
        return;
    const auto [box, r, alpha] = *shape;
    const long scaled = std::lround(lineWidth * transform().scale);
    const int t = scaled > 1 ? int(std::min<long>(scaled, std::max(1, std::min(box.width(), box.height()) / 2))) : 1;
    settleBackground({ box.left, box.top, box.width(), box.height() });
    setDrawColor(color, alpha);
    // With square corners the side edges stop short of the top and bottom ones, so a
    // translucent outline does not blend its corner pixels twice.
    const int sideInset = r > 0 ? r : t;
    fillDeviceRect(box.left + r, box.top, box.width() - 2 * r, t);
    fillDeviceRect(box.left + r, box.bottom - t, box.width() - 2 * r, t);
    fillDeviceRect(box.left, box.top + sideInset, t, box.height() - 2 * sideInset);
    fillDeviceRect(box.right - t, box.top + sideInset, t, box.height() - 2 * sideInset);
    if (r > 0)
        drawCorners(box.left, box.top, box.right, box.bottom, r, shapeTexture(kQuarterRing, r, std::min(r, t)), color,
                    alpha);
}

void Renderer::fillCircle(float cx, float cy, float radius, Color color)
{
    if (m_recording)
        return record(deviceArea(cx - radius, cy - radius, 2 * radius, 2 * radius, 3), kRecCircle, cx, cy, radius, color);
    const float alpha = effectiveAlpha(color.a);
    if (!m_renderer || !(alpha >= kInvisibleAlpha))
        return;
    const Transform& t = transform();
    const int r = std::max(1, int(std::lround(radius * t.scale)));
    SDL_Texture* tex = shapeTexture(kDisc, r, 0);
    if (!tex)
        return;
    tintTexture(tex, color, alpha);
    const SDL_Rect dst { int(std::lround(t.tx + cx * t.scale)) - r, int(std::lround(t.ty + cy * t.scale)) - r, 2 * r,
                         2 * r };
    settleBackground({ dst.x, dst.y, dst.w, dst.h });
    SDL_RenderCopy(m_renderer, tex, nullptr, &dst);
}

void Renderer::drawWave(float x, float centreY, float length, float amplitude, float wavelength, float phase,
                        float lineWidth, Color color)
{
    if (m_recording) {
        const float reach = std::fabs(amplitude) + std::fabs(lineWidth);
        return record(deviceArea(x, centreY - reach, length, 2 * reach, 3), kRecWave, x, centreY, length, amplitude,
                      wavelength, phase, lineWidth, color);
    }
    const float alpha = effectiveAlpha(color.a);
    if (!m_renderer || !(alpha >= kInvisibleAlpha))
        return;
    const Transform& t = transform();
    const float s = t.scale;
    const float columns = std::floor(length * s);
    if (!(columns >= 1))
        return;
    {
        const float reach = std::fabs(amplitude) + std::fabs(lineWidth);
        settleBackground(deviceArea(x, centreY - reach, length, 2 * reach, 3));
    }
    const WaveLine wave = rasterizeWave(int(std::lround(t.tx + x * s)), int(std::min(columns, 1e6f)),
                                        t.ty + centreY * s, amplitude * s, wavelength * s, phase, lineWidth * s);
    setDrawColor(color, alpha);
    std::vector<SDL_Rect> rects;
    rects.reserve(wave.runs.size());
    for (const WaveLine::Run& run : wave.runs)
        rects.push_back({ run.x, run.y, 1, run.h });
    if (!rects.empty())
        SDL_RenderFillRects(m_renderer, rects.data(), int(rects.size()));
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
    for (const WaveLine::Pixel& p : wave.partial) {
        SDL_SetRenderDrawColor(m_renderer, colorByte(color.r), colorByte(color.g), colorByte(color.b),
                               colorByte(alpha * p.coverage));
        const SDL_Rect px { p.x, p.y, 1, 1 };
        SDL_RenderFillRect(m_renderer, &px);
    }
}

// ---- Text ---------------------------------------------------------------------------------

int Renderer::fontPixelSize(float size) const
{
    const float px = size * transform().scale;
    // Bounded so a runaway size cannot ask FreeType for an absurd face.
    if (!(px < 4096))
        return px >= 4096 ? 4096 : 4;
    return std::max(4, int(std::lround(px)));
}

static int wrapPixels(float wrapWidth, float scale)
{
    if (!(wrapWidth > 0))
        return 0;
    return std::max(1, int(std::lround(std::min(wrapWidth * scale, 1e6f))));
}

TextTexture Renderer::textTexture(std::string_view text, int fontKind, int pixelSize, int wrapPx)
{
    return m_text.texture(m_renderer, text, fontKind, pixelSize, wrapPx, m_frameCounter);
}

Size Renderer::measureText(std::string_view text, int fontKind, float size, float wrapWidth)
{
    const float s = transform().scale;
    const int px = fontPixelSize(size);
    TTF_Font* font = m_text.font(fontKind, px);
    if (!font)
        return { 0, size };
    if (text.empty())
        return { 0, std::ceil(TTF_FontHeight(font) / s) };
    const int wrapPx = wrapPixels(wrapWidth, s);
    if (wrapPx > 0) {
        const TextTexture tex = textTexture(text, fontKind, px, wrapPx);
        if (!tex.texture)
            return { 0, size };
        return { tex.w / s, tex.h / s };
    }
    int w = 0, h = 0;
    const std::string terminated(text);
    if (TTF_SizeUTF8(font, terminated.c_str(), &w, &h) != 0)
        return { 0, size };
    return { std::ceil(w / s), std::ceil(h / s) };
}

// Where drawText puts `text`: its texture's rectangle (the texture is made
// now if needed; drawing will want it anyway).
DeviceRect Renderer::textArea(std::string_view text, int fontKind, float size, float wrapWidth, float x, float y)
{
    const Transform& t = transform();
    if (!m_renderer || text.empty())
        return {};
    const TextTexture tex = textTexture(text, fontKind, fontPixelSize(size), wrapPixels(wrapWidth, t.scale));
    if (!tex.texture)
        return {};
    return { int(std::lround(t.tx + x * t.scale)) - 1, int(std::lround(t.ty + y * t.scale)) - 1, tex.w + 2, tex.h + 2 };
}

void Renderer::drawText(std::string_view text, int fontKind, float size, float wrapWidth, float x, float y,
                        Color color)
{
    if (m_recording) {
        beginCall(kRecText);
        for (float v : { float(fontKind), size, wrapWidth, x, y, color.r, color.g, color.b, color.a })
            fold(&v, sizeof v);
        fold(&m_generation, sizeof m_generation);
        fold(text.data(), text.size());
        return endCall(textArea(text, fontKind, size, wrapWidth, x, y));
    }
    const float alpha = effectiveAlpha(color.a);
    if (!m_renderer || text.empty() || !(alpha >= kInvisibleAlpha))
        return;
    const Transform& t = transform();
    const TextTexture tex = textTexture(text, fontKind, fontPixelSize(size), wrapPixels(wrapWidth, t.scale));
    if (!tex.texture)
        return;
    const SDL_Rect dst { int(std::lround(t.tx + x * t.scale)), int(std::lround(t.ty + y * t.scale)), tex.w, tex.h };
    settleBackground({ dst.x, dst.y, dst.w, dst.h });
    tintTexture(tex.texture, color, alpha);
    SDL_RenderCopy(m_renderer, tex.texture, nullptr, &dst);
}

} // namespace vell
