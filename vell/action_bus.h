#pragma once
// Named actions emitted by widgets (a button's `action`, a slider's value)
// to whoever subscribed. Lets the application react to controls without
// holding pointers to them.

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace vell {

// No value, a checkable's new state, a slider's value, or text.
using ActionValue = std::variant<std::monostate, bool, float, std::string>;

class ActionBus {
public:
    using Handler = std::function<void(const std::string& name, const ActionValue& value)>;

    // Returns an id for unsubscribe.
    uint64_t subscribe(Handler handler);
    void unsubscribe(uint64_t id);

    // Calls every subscriber in subscription order. Handlers may subscribe or
    // unsubscribe while running; the change applies from the next emit.
    void emit(const std::string& name, const ActionValue& value = {});

private:
    struct Subscriber {
        uint64_t id;
        Handler handler;
    };
    std::vector<Subscriber> m_subscribers;
    uint64_t m_nextId = 1;
};

} // namespace vell
