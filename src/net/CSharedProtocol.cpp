#include "net/CSharedProtocol.h"

#include "core/CodePage932.h"

#include <algorithm>

namespace {

QByteArray encode(const QString &text)
{
    return CCodePage932::encode(text);
}

QByteArray lineOr(const QString &line, QByteArrayView emptyMarker)
{
    return line.isEmpty() ? emptyMarker.toByteArray() : encode(line);
}

} // namespace

QByteArray CSharedProtocol::login(const QString &ownAddress, const QString &name, int group)
{
    return encode(ownAddress + QLatin1Char(',') + name + QStringLiteral(",Req,") + QString::number(group));
}

QByteArray CSharedProtocol::response(const QString &responderAddress, const QString &requesterAddress,
                                     const QString &responderName, Answer answer)
{
    return encode(responderAddress + QLatin1Char(',') + requesterAddress + QLatin1Char(',') + responderName +
                  (answer == Answer::Full ? QStringLiteral(",Ful") : QStringLiteral(",Ans")));
}

QByteArray CSharedProtocol::monitor(const QString &ownAddress, const QString &text)
{
    return encode(ownAddress + QLatin1Char(',') + text);
}

QByteArray CSharedProtocol::logoff(const QString &ownAddress, const QString &name)
{
    return encode(ownAddress + QLatin1Char(',') + name + QStringLiteral(u",離脱"));
}

QByteArray CSharedProtocol::mainLine(const QString &line)
{
    return lineOr(line, newlineMarker());
}

QByteArray CSharedProtocol::chat(const QString &text)
{
    return encode(text);
}

QList<QByteArray> CSharedProtocol::preRoll(const QStringList &lines)
{
    QList<QByteArray> out;
    out.reserve(lines.size() + 1);
    out.append(eraseMarker().toByteArray());
    for (const QString &line : lines)
        out.append(lineOr(line, newlineMarker()));
    return out;
}

QByteArray CSharedProtocol::undo()
{
    return QByteArrayLiteral("undo");
}

QByteArray CSharedProtocol::clearScreen()
{
    return QByteArrayLiteral("cls");
}

QList<QByteArray> CSharedProtocol::mainGross(const QStringList &lines)
{
    QList<QByteArray> out;
    out.reserve(lines.size() + 1);
    for (const QString &line : lines)
        out.append(lineOr(line, nullLine()));
    // A pre-roll block carries its closing marker as its last line; a second marker would only
    // make the peer close an empty block.
    if (lines.isEmpty() || lines.constLast() != blockEndLine())
        out.append(blockEnd().toByteArray());
    return out;
}

QString CSharedProtocol::decode(QByteArrayView datagram)
{
    return CCodePage932::decode(datagram);
}

QStringList CSharedProtocol::split(QStringView text, int head, int tail)
{
    head = std::max(head, 0);
    tail = std::max(tail, 0);
    QList<qsizetype> commas;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char(','))
            commas.append(i);
    }
    QStringList out;
    const qsizetype n = commas.size();
    if (n < head + tail) {
        // Also covers the text without a comma: one field.
        qsizetype start = 0;
        for (const qsizetype comma : commas) {
            out.append(text.sliced(start, comma - start).toString());
            start = comma + 1;
        }
        out.append(text.sliced(start).toString());
        return out;
    }
    out.reserve(head + tail + 1);
    qsizetype start = 0;
    for (int i = 0; i < head; ++i) {
        out.append(text.sliced(start, commas[i] - start).toString());
        start = commas[i] + 1;
    }
    const qsizetype middleEnd = tail == 0 ? text.size() : commas[n - tail];
    out.append(text.sliced(start, middleEnd - start).toString());
    for (int j = 0; j < tail; ++j) {
        start = commas[n - tail + j] + 1;
        const qsizetype end = j + 1 < tail ? commas[n - tail + j + 1] : text.size();
        out.append(text.sliced(start, end - start).toString());
    }
    return out;
}
