#include "vell/damage.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace vell {
namespace {

// Past this many damaged calls merging costs more than it saves: redraw their union.
constexpr size_t kMergeLimit = 64;
// Areas closer than this are drawn as one.
constexpr int kNearby = 8;

struct CallKey {
    uint64_t hash;
    DeviceRect area;
    bool operator==(const CallKey&) const = default;
};

struct CallKeyHash {
    size_t operator()(const CallKey& k) const
    {
        uint64_t h = k.hash;
        for (int v : { k.area.x, k.area.y, k.area.w, k.area.h })
            h = (h ^ uint64_t(uint32_t(v))) * 1099511628211ull;
        return size_t(h);
    }
};

bool near(const DeviceRect& a, const DeviceRect& b)
{
    return a.x <= b.right() + kNearby && b.x <= a.right() + kNearby && a.y <= b.bottom() + kNearby
        && b.y <= a.bottom() + kNearby;
}

std::vector<DeviceRect> merged(std::vector<DeviceRect> areas, size_t maxAreas)
{
    if (areas.size() > kMergeLimit) {
        DeviceRect all;
        for (const DeviceRect& a : areas)
            all = unite(all, a);
        return { all };
    }
    for (bool again = true; again;) {
        again = false;
        for (size_t i = 0; i < areas.size() && !again; ++i) {
            for (size_t j = i + 1; j < areas.size(); ++j) {
                if (!near(areas[i], areas[j]))
                    continue;
                areas[i] = unite(areas[i], areas[j]);
                areas.erase(areas.begin() + std::ptrdiff_t(j));
                again = true;
                break;
            }
        }
    }
    if (areas.size() > maxAreas) {
        DeviceRect all;
        for (const DeviceRect& a : areas)
            all = unite(all, a);
        return { all };
    }
    return areas;
}

} // namespace

DeviceRect intersect(const DeviceRect& a, const DeviceRect& b)
{
    const int l = std::max(a.x, b.x), t = std::max(a.y, b.y);
    const int r = std::min(a.right(), b.right()), btm = std::min(a.bottom(), b.bottom());
    if (r <= l || btm <= t)
        return { l, t, 0, 0 };
    return { l, t, r - l, btm - t };
}

DeviceRect unite(const DeviceRect& a, const DeviceRect& b)
{
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    const int l = std::min(a.x, b.x), t = std::min(a.y, b.y);
    return { l, t, std::max(a.right(), b.right()) - l, std::max(a.bottom(), b.bottom()) - t };
}

std::vector<DeviceRect> damagedAreas(const std::vector<DrawnCall>& before, const std::vector<DrawnCall>& after,
                                     size_t maxAreas)
{
    std::unordered_map<CallKey, std::deque<size_t>, CallKeyHash> waiting;
    for (size_t i = 0; i < before.size(); ++i)
        waiting[{ before[i].hash, before[i].area }].push_back(i);

    std::vector<bool> matched(before.size(), false);
    std::vector<DeviceRect> areas;
    size_t next = 0; // matches must keep the order: only calls after the last match qualify
    for (const DrawnCall& call : after) {
        auto it = waiting.find({ call.hash, call.area });
        if (it != waiting.end()) {
            std::deque<size_t>& indices = it->second;
            while (!indices.empty() && indices.front() < next)
                indices.pop_front();
            if (!indices.empty()) {
                matched[indices.front()] = true;
                next = indices.front() + 1;
                indices.pop_front();
                continue;
            }
        }
        if (!call.area.empty())
            areas.push_back(call.area);
    }
    for (size_t i = 0; i < before.size(); ++i)
        if (!matched[i] && !before[i].area.empty())
            areas.push_back(before[i].area);
    return merged(std::move(areas), std::max<size_t>(1, maxAreas));
}

} // namespace vell
