#include "app/CWindowTitle.h"

#include "core/StringTable.h"

#include <QStringList>

namespace {

// The string table's insert syntax: "%1", "%1!d!", "%2!c!" take the argument of that number,
// "%%" is a percent sign.
QString formatInserts(const QString &pattern, const QStringList &args)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar next = pattern.at(i + 1);
        if (next == u'%') {
            out += c;
            ++i;
            continue;
        }
        if (!next.isDigit() || next == u'0') {
            out += c;
            continue;
        }
        const int index = next.digitValue() - 1;
        i += 1;
        if (i + 1 < pattern.size() && pattern.at(i + 1) == u'!') {
            const qsizetype end = pattern.indexOf(u'!', i + 2);
            if (end > 0)
                i = end;
        }
        if (index < args.size())
            out += args.at(index);
    }
    return out;
}

QString groupLetter(int group)
{
    if (group < 1 || group > 26)
        return QStringLiteral("?");
    return QString(QChar(u'A' + group - 1));
}

} // namespace

QString CWindowTitle::ShortVersion(const QString &version)
{
    const qsizetype first = version.indexOf(u'.');
    const qsizetype second = first < 0 ? -1 : version.indexOf(u'.', first + 1);
    return second < 0 ? version : version.left(second);
}

QString CWindowTitle::Compose(const QString &version, bool online, const QString &memberName, int channel,
                              int group, const QString &notice)
{
    QString title = CStringTable::get(101);
    if (!version.isEmpty())
        title += u' ' + ShortVersion(version);
    if (online) {
        title += QStringLiteral(" [") + memberName + QStringLiteral("] ") +
                 formatInserts(CStringTable::get(165), {QString::number(channel), groupLetter(group)});
    } else {
        title += u' ' + CStringTable::get(164);
    }
    title += u' ' + CStringTable::get(167);
    if (!notice.isEmpty())
        title += u' ' + notice;
    return title;
}
