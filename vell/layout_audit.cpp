#include "vell/layout_audit.h"

#include <cmath>

#include "vell/flex.h"
#include "vell/label.h"
#include "vell/scroll_core.h"
#include "vell/widget.h"

namespace vell {

namespace {

constexpr float kTolerance = 1.0f;

// The area a widget must stay inside; an axis a scroller moves is unbounded.
struct Bounds {
    float left, top, right, bottom;
};

bool outside(const Rect& r, const Bounds& b) {
    return r.x < b.left - kTolerance || r.y < b.top - kTolerance || r.x + r.w > b.right + kTolerance ||
           r.y + r.h > b.bottom + kTolerance;
}

bool overlapping(const Rect& a, const Rect& b) {
    const float w = std::min(a.x + a.w, b.x + b.w) - std::max(a.x, b.x);
    const float h = std::min(a.y + a.h, b.y + b.h) - std::max(a.y, b.y);
    return w > kTolerance && h > kTolerance;
}

bool shown(const Widget& w) { return w.visible && w.rect.w > 0.5f && w.rect.h > 0.5f; }

// Rows and columns lay their children side by side; a stack overlays them on purpose.
bool laysOutSideBySide(const Widget& w) {
    return dynamic_cast<const Flex*>(&w) && w.resolved.direction.valueOr(Direction::Column) != Direction::Stack;
}

std::string firstText(const Widget& w) {
    if (const auto* label = dynamic_cast<const Label*>(&w); label && !label->text().empty())
        return label->text();
    for (const WidgetPtr& child : w.children)
        if (std::string text = firstText(*child); !text.empty())
            return text;
    return {};
}

struct Audit {
    float scale;
    float minTextPixels;
    std::vector<LayoutProblem> problems;

    void add(const std::string& kind, const Widget& w, const std::string& detail = {}) {
        problems.push_back({kind + " " + describeWidget(w) + detail});
    }

    void walk(const Widget& w, const Bounds& bounds) {
        if (!shown(w))
            return;
        if (outside(w.rect, bounds)) {
            add("offscreen", w); // its children go with it
            return;
        }
        if (const auto* label = dynamic_cast<const Label*>(&w);
            label && !label->text().empty() && std::lround(w.textSize * scale) < minTextPixels)
            add("small text", w, " at " + std::to_string(std::lround(w.textSize * scale)) + " px");
        Bounds inner = bounds;
        if (w.clipsChildren()) {
            inner = {w.rect.x, w.rect.y, w.rect.x + w.rect.w, w.rect.y + w.rect.h};
            if (const auto* scroller = dynamic_cast<const ScrollCore*>(&w)) {
                if (scroller->axis != ScrollCore::kVertical)
                    inner.left = -1e9f, inner.right = 1e9f;
                if (scroller->axis != ScrollCore::kHorizontal)
                    inner.top = -1e9f, inner.bottom = 1e9f;
            }
        }
        if (laysOutSideBySide(w))
            checkSiblings(w);
        for (const WidgetPtr& child : w.children)
            walk(*child, inner);
    }

    void checkSiblings(const Widget& w) {
        for (size_t i = 0; i < w.children.size(); ++i) {
            const Widget& a = *w.children[i];
            if (!shown(a))
                continue;
            for (size_t j = i + 1; j < w.children.size(); ++j) {
                const Widget& b = *w.children[j];
                if (shown(b) && overlapping(a.rect, b.rect))
                    add("overlap", a, " and " + describeWidget(b));
            }
        }
    }
};

} // namespace

std::vector<LayoutProblem> auditLayout(const Widget& root, Size screen, float scale, float minTextPixels) {
    Audit audit{scale, minTextPixels, {}};
    audit.walk(root, {0, 0, screen.w, screen.h});
    return std::move(audit.problems);
}

std::string describeWidget(const Widget& w) {
    std::string out = w.typeName();
    if (!w.classes.empty())
        out += "." + w.classes.front();
    if (const std::string text = firstText(w); !text.empty())
        out += " \"" + text.substr(0, 40) + "\"";
    return out;
}

} // namespace vell
