#include "CStoreWatcher.h"

#include "ToolText.h"
#include "timeline/ReceivedMain.h"

CStoreWatcher::CStoreWatcher(const ReceivedMain &store)
    : m_store(store)
{
}

void CStoreWatcher::scan(qint64 stamp)
{
    const int count = m_store.count();
    std::vector<Identity> now;
    now.reserve(static_cast<size_t>(count));
    for (int pos = 0; pos < count; ++pos) {
        const CReceivedMainData *r = m_store.at(pos);
        if (!r)
            continue;
        now.push_back({r->strIpAddress, r->nTimeSent, r->nType, r->strRaw, r->nFlag});
    }

    // Walk both from the newest end; whatever in the store has no partner in the shadow is new.
    std::vector<const Identity *> added;
    std::vector<const Identity *> flagged;
    auto i = static_cast<std::ptrdiff_t>(now.size()) - 1;
    auto j = static_cast<std::ptrdiff_t>(m_shadow.size()) - 1;
    while (i >= 0) {
        if (j >= 0 && sameLine(now[static_cast<size_t>(i)], m_shadow[static_cast<size_t>(j)])) {
            if (now[static_cast<size_t>(i)].flag != m_shadow[static_cast<size_t>(j)].flag)
                flagged.push_back(&now[static_cast<size_t>(i)]);
            --i;
            --j;
        } else {
            added.push_back(&now[static_cast<size_t>(i)]);
            --i;
        }
    }
    // Oldest first, the order in which the store holds them.
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        const Identity &r = **it;
        ToolText::emitLine(QStringLiteral("STORED %1 %2 %3 %4")
                               .arg(stamp)
                               .arg(r.author)
                               .arg(r.timeSent)
                               .arg(ToolText::escape(r.text)));
    }
    for (auto it = flagged.rbegin(); it != flagged.rend(); ++it) {
        const Identity &r = **it;
        ToolText::emitLine(QStringLiteral("FLAG %1 %2 %3 %4 %5")
                               .arg(stamp)
                               .arg(r.author)
                               .arg(r.timeSent)
                               .arg(r.flag)
                               .arg(ToolText::escape(r.text)));
    }
    m_shadow = std::move(now);
}
