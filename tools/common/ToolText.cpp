#include "ToolText.h"

#include <cstdio>

namespace ToolText {

QString escape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

QString unescape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        switch (next.unicode()) {
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        case u't':
            out += u'\t';
            break;
        default:
            out += next;
            break; // "\\" and "\|" and anything else: the character itself
        }
    }
    return out;
}

void emitLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QStringList splitBars(const QString &argument)
{
    QStringList parts;
    if (argument.isEmpty())
        return parts;
    QString current;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        if (c == u'\\' && i + 1 < argument.size()) {
            current += c;
            current += argument.at(++i);
        } else if (c == u'|') {
            parts.append(unescape(current));
            current.clear();
        } else {
            current += c;
        }
    }
    parts.append(unescape(current));
    return parts;
}

void splitCommand(const QString &line, QString &verb, QString &rest)
{
    const qsizetype blank = line.indexOf(u' ');
    if (blank < 0) {
        verb = line.trimmed();
        rest.clear();
        return;
    }
    verb = line.left(blank);
    rest = line.mid(blank + 1);
}

} // namespace ToolText
