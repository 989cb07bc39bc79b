#include "ui/core/manager/ListenerList.h"

#include <algorithm>

namespace SkinUI {

void CListenerList::Add(const CDelegateBase& delegate) {
    for (const auto& listed : m_delegates)
        if (listed->Equals(delegate)) return;
    m_delegates.emplace_back(delegate.Copy());
}

void CListenerList::Remove(const CDelegateBase& delegate) {
    auto found = std::find_if(m_delegates.begin(), m_delegates.end(),
                              [&](const auto& listed) { return listed->Equals(delegate); });
    if (found != m_delegates.end()) m_delegates.erase(found);
}

bool CListenerList::Invoke(void* param) {
    // Each callback is held while it runs, so that it may remove itself (or others) from the
    // list; the walk then goes on after wherever the running callback is now (or at its old
    // index when it is gone).
    size_t i = 0;
    while (i < m_delegates.size()) {
        std::shared_ptr<CDelegateBase> current = m_delegates[i];
        if (!current->Invoke(param)) return false;
        auto now = std::find(m_delegates.begin(), m_delegates.end(), current);
        i = now != m_delegates.end() ? static_cast<size_t>(now - m_delegates.begin()) + 1 : i;
    }
    return true;
}

}  // namespace SkinUI
