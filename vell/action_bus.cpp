#include "vell/action_bus.h"

#include <algorithm>

namespace vell {

uint64_t ActionBus::subscribe(Handler handler)
{
    uint64_t id = m_nextId++;
    m_subscribers.push_back({ id, std::move(handler) });
    return id;
}

void ActionBus::unsubscribe(uint64_t id)
{
    std::erase_if(m_subscribers, [id](const Subscriber& s) { return s.id == id; });
}

void ActionBus::emit(const std::string& name, const ActionValue& value)
{
    // A copy, so handlers can change the subscriptions safely.
    auto subscribers = m_subscribers;
    for (const auto& s : subscribers) {
        if (s.handler)
            s.handler(name, value);
    }
}

} // namespace vell
