// The first byte chooses the own group (low five bits) and the mode (high bit): decode the rest
// as a received datagram, or build a datagram from it and decode that again.
#include "FuzzEnvironment.h"

#include "net/CNativeCodec.h"

#include <QtEndian>

#include <cstdint>

#define check(condition) checkAt((condition), #condition, __LINE__)

namespace {

// Null and empty strings alike: the decoder cannot tell them apart.
bool isPrefix(const QString &whole, const QString &part)
{
    return part.size() <= whole.size() && QStringView(whole).first(part.size()) == part;
}

void decodeReceived(CNativeCodec &codec, int group, QByteArrayView datagram)
{
    QList<TavrinRecord> records;
    const int count = codec.TokenizeMessage(datagram, QStringLiteral("10.0.0.1"), group, records);
    check(count == records.size());
    if (count == 0)
        return;
    check(records.at(0).kind >= 'A' && records.at(0).kind <= 'Z');
    check(records.at(0).secondTime == 0 && records.at(0).flag == 0);
    qsizetype units = CNativeCodec::kHeaderUnits + records.at(0).text.size();
    for (qsizetype i = 1; i < records.size(); ++i) {
        check(records.at(i).firstTime < 100000000u && records.at(i).secondTime < 100000000u);
        units += CNativeCodec::kRecordHeaderUnits + records.at(i).text.size();
    }
    // Nothing decoded lies beyond the received bytes.
    check(units <= (datagram.size() + 1) / 2);
}

void roundTrip(CNativeCodec &codec, int group, QByteArrayView input)
{
    if (input.size() < 2)
        return;
    QString kind(1, QChar(static_cast<char16_t>(qFromLittleEndian<quint16>(input.data()))));
    input = input.sliced(2);
    QString text(input.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<quint16>(input.data(), text.size(), text.data());
    const qsizetype split = text.indexOf(QChar(u'\x1e'));
    const QString companion = split < 0 ? QString() : text.mid(split + 1);
    if (split >= 0)
        text.truncate(split);

    quint32 sent = 0;
    const QByteArray datagram =
        codec.build(group, kind, text, QStringLiteral("192.168.1.2"), &sent, companion);
    check(datagram.size() <= CNativeCodec::kReceiveBufferSize);
    QList<TavrinRecord> records;
    const int count = codec.TokenizeMessage(datagram, QStringLiteral("10.0.0.1"), group, records);
    const char16_t sentKind =
        datagram.size() >= 20 ? qFromLittleEndian<quint16>(datagram.constData() + 18) : 0;
    const bool legal = sentKind >= u'A' && sentKind <= u'Z';
    if (!legal || text.contains(QChar(0)) || companion.contains(QChar(0))) {
        check(legal || count == 0);
        return;
    }
    check(count >= 1);
    check(records.at(0).firstTime == sent);
    check(isPrefix(text, records.at(0).text));
    check(records.at(0).text.size() >= std::min<qsizetype>(text.size(), 736) - 1);
    if (sentKind == u'A' || sentKind == u'B') {
        check(count == 2);
        check(records.at(1).kind == (sentKind == u'A' ? 'B' : 'A'));
        check(isPrefix(companion, records.at(1).text));
        check(records.at(1).address == QStringLiteral("192.168.1.2"));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    disableOperationLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // One codec for the run, as one endpoint lives through many datagrams.
    static CNativeCodec codec(nullptr, nullptr);
    const int group = data[0] & 0x1F;
    const QByteArrayView rest(data + 1, static_cast<qsizetype>(size - 1));
    if (data[0] & 0x80)
        roundTrip(codec, group, rest);
    else
        decodeReceived(codec, group, rest);
    return 0;
}
