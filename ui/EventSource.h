// CEventSource: an ordered list of subscribers called with one pointer.
// Raising stops at the first subscriber that refuses (returns false).
#pragma once

#include <functional>
#include <vector>

namespace Ui {

class CEventSource {
public:
    using Handler = std::function<bool(void*)>;

    void Subscribe(Handler handler) { m_handlers.push_back(std::move(handler)); }
    bool IsEmpty() const { return m_handlers.empty(); }
    void Clear() { m_handlers.clear(); }
    // True when every subscriber accepted (or there were none).
    bool Raise(void* argument) const {
        // Copy first: a subscriber may subscribe or clear while being called.
        std::vector<Handler> handlers = m_handlers;
        for (const Handler& handler : handlers) {
            if (!handler(argument)) {
                return false;
            }
        }
        return true;
    }

private:
    std::vector<Handler> m_handlers;
};

} // namespace Ui
