#include "vell/widget_watcher.h"

#include <algorithm>
#include <vector>

namespace vell {

namespace {

std::vector<WidgetWatcher*>& liveWatchers()
{
    // Never destroyed: widgets held by other statics may die after it would.
    static auto* watchers = new std::vector<WidgetWatcher*>;
    return *watchers;
}

} // namespace

WidgetWatcher::~WidgetWatcher()
{
    // A watcher that forgot to unregister must not be called after it is gone.
    removeWidgetWatcher(this);
}

void addWidgetWatcher(WidgetWatcher* watcher)
{
    auto& list = liveWatchers();
    if (std::find(list.begin(), list.end(), watcher) == list.end())
        list.push_back(watcher);
}

void removeWidgetWatcher(WidgetWatcher* watcher)
{
    std::erase(liveWatchers(), watcher);
}

void notifyWidgetDestroyed(Widget* widget)
{
    // Index loop: a watcher may unregister itself while being told.
    auto& list = liveWatchers();
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->widgetDestroyed(widget);
}

} // namespace vell
