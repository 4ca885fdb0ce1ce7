#pragma once
// Objects that hold raw widget pointers (the engine's focused, hovered and
// pressed widgets) register here; every widget's destructor tells them, so
// they never dereference a freed widget.

namespace vell {

class Widget;

class WidgetWatcher {
public:
    virtual ~WidgetWatcher();
    virtual void widgetDestroyed(Widget* widget) = 0;
};

// The process-wide list of live watchers (UI thread only).
void addWidgetWatcher(WidgetWatcher* watcher);
void removeWidgetWatcher(WidgetWatcher* watcher);

// Called by Widget's destructor.
void notifyWidgetDestroyed(Widget* widget);

} // namespace vell
