#include "CStoreWatcher.h"

#include "ToolText.h"
#include "timeline/ReceivedMain.h"

#include <vector>

CStoreWatcher::CStoreWatcher(const ReceivedMain &store) : m_store(store) {}

void CStoreWatcher::scan(qint64 stamp)
{
    const int count = m_store.count();
    auto identityAt = [this](int pos) {
        const CReceivedMainData *r = m_store.at(pos);
        return r ? Identity{r->strIpAddress, r->nTimeSent, r->nType, r->strRaw, r->nFlag} : Identity{};
    };

    // Walk both from the newest end; whatever in the store has no partner in the shadow is new.
    std::vector<Identity> added;
    std::vector<Identity> flagged;
    std::vector<Identity> suffix; // the store from the stopping point on, newest first
    int i = count - 1;
    auto j = static_cast<std::ptrdiff_t>(m_shadow.size()) - 1;
    int run = 0;
    while (i >= 0 && run < kSettledRun) {
        Identity now = identityAt(i);
        if (j >= 0 && sameLine(now, m_shadow[static_cast<size_t>(j)])) {
            if (now.flag != m_shadow[static_cast<size_t>(j)].flag) {
                flagged.push_back(now);
                run = 0;
            } else {
                ++run;
            }
            --j;
        } else {
            added.push_back(now);
            run = 0;
        }
        suffix.push_back(std::move(now));
        --i;
    }
    // Oldest first, the order in which the store holds them.
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        ToolText::emitLine(QStringLiteral("STORED %1 %2 %3 %4")
                               .arg(stamp)
                               .arg(it->author)
                               .arg(it->timeSent)
                               .arg(ToolText::escape(it->text)));
    }
    for (auto it = flagged.rbegin(); it != flagged.rend(); ++it) {
        ToolText::emitLine(QStringLiteral("FLAG %1 %2 %3 %4 %5")
                               .arg(stamp)
                               .arg(it->author)
                               .arg(it->timeSent)
                               .arg(it->flag)
                               .arg(ToolText::escape(it->text)));
    }

    // The shadow keeps its unchanged prefix, takes the walked part, and drops at its oldest end
    // what the store dropped.
    m_shadow.erase(m_shadow.begin() + (j + 1), m_shadow.end());
    for (auto it = suffix.rbegin(); it != suffix.rend(); ++it)
        m_shadow.push_back(std::move(*it));
    while (m_shadow.size() > static_cast<size_t>(count))
        m_shadow.pop_front();
}
