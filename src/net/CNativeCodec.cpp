#include "net/CNativeCodec.h"

#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "core/TextFormat.h"
#include "timeline/IRecordHistory.h"

#include <QHostAddress>
#include <QtEndian>

#include <algorithm>
#include <climits>

namespace {

constexpr char16_t kBlank = u' ';

// The first n code units, one fewer when the cut would split a surrogate pair: a lone high
// surrogate at the end of a caption is a broken character on every receiver.
QStringView cutUnits(QStringView text, qsizetype n)
{
    if (n >= text.size())
        return text;
    QStringView kept = text.first(std::max<qsizetype>(n, 0));
    if (!kept.isEmpty() && kept.back().isHighSurrogate())
        kept.chop(1);
    return kept;
}

// An address that does not parse is sent as ffffffff, as the caption record does.
quint32 addressValue(const QString &dotted)
{
    bool ok = false;
    const quint32 value = QHostAddress(dotted).toIPv4Address(&ok);
    return ok ? value : 0xFFFFFFFFu;
}

QByteArray toLittleEndianBytes(const QString &datagram)
{
    QByteArray bytes(datagram.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(datagram.utf16(), datagram.size(), bytes.data());
    return bytes;
}

// A field must lie wholly inside the string. Leading blanks stand for zeros (the peer's formatter
// may pad with blanks); once a digit was seen, anything but a digit fails the field.
bool parseField(QStringView s, qsizetype pos, int width, int base, quint32 &value)
{
    if (pos < 0 || pos + width > s.size())
        return false;
    quint32 v = 0;
    bool started = false;
    for (qsizetype i = pos; i < pos + width; ++i) {
        const char16_t c = s[i].unicode();
        if (!started && c == kBlank) {
            v *= static_cast<quint32>(base);
            continue;
        }
        started = true;
        quint32 digit = 0;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        v = v * static_cast<quint32>(base) + digit;
    }
    value = v;
    return true;
}

bool parseAddress(QStringView s, qsizetype pos, QString &dotted)
{
    quint32 octets[4];
    for (int i = 0; i < 4; ++i) {
        if (!parseField(s, pos + 2 * i, 2, 16, octets[i]))
            return false;
    }
    dotted.clear();
    dotted.reserve(15);
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            dotted.append(QLatin1Char('.'));
        CTextFormat::appendDecimal(dotted, octets[i], 1);
    }
    return true;
}

void appendRecordHeader(QString &out, quint32 address, quint32 timeSent, quint32 timeReceived, char16_t kind,
                        int flag, qsizetype length)
{
    out.append(QChar(CNativeCodec::kRecordSeparator));
    CTextFormat::appendHex(out, address, 8);
    CTextFormat::appendDecimal(out, timeSent, 8);
    CTextFormat::appendDecimal(out, timeReceived, 8);
    out.append(QChar(kind));
    out.append(QChar(static_cast<char16_t>(u'0' + flag)));
    CTextFormat::appendDecimal(out, length, 4);
}

char16_t normaliseKind(QStringView kind)
{
    if (kind.isEmpty() || kind.front().unicode() == 0)
        return NativeKind::Plain;
    if (kind.front().unicode() < 0x20)
        return NativeKind::Control;
    return kind.front().unicode();
}

} // namespace

CNativeCodec::CNativeCodec(const IRecordHistory *captionHistory, const IRecordHistory *contactHistory)
{
    m_caption.history = captionHistory;
    m_contact.history = contactHistory;
    if (captionHistory)
        m_caption.version = captionHistory->historyVersion();
    if (contactHistory)
        m_contact.version = contactHistory->historyVersion();
}

void CNativeCodec::setMaxMessageSize(int bytes)
{
    m_nMaxMessageSize = std::clamp(bytes, kHeaderBytes, kMaxMessageSize);
}

QByteArray CNativeCodec::build(int ownGroup, QStringView kind, QStringView text, const QString &ownAddress,
                               quint32 *sendTime, std::optional<QStringView> companion)
{
    const quint32 now = ContinuousTime::SystemTimeToIntLimited();
    const int textLimit = m_nMaxMessageSize - kHeaderBytes;
    const QStringView body = text.size() * 2 > textLimit ? cutUnits(text, textLimit / 2) : text;
    const char16_t kindChar = normaliseKind(kind);

    QString datagram;
    datagram.reserve(m_nMaxMessageSize / 2 + 1);
    datagram.append(QChar(static_cast<char16_t>(kGroupBase + ownGroup)));
    CTextFormat::appendDecimal(datagram, now, kTimeWidth);
    datagram.append(QChar(kindChar));
    CTextFormat::appendDecimal(datagram, body.size() * 2, kLengthWidth);
    datagram.append(body);
    if (sendTime)
        *sendTime = now;

    if (companion && (kindChar == NativeKind::Former || kindChar == NativeKind::Latter)) {
        // The companion is not bound by the datagram size, but a datagram longer than the receive
        // buffer never arrives anywhere: cut the companion so the whole stays deliverable.
        const qsizetype room = (kReceiveBufferSize / 2) - datagram.size() - kRecordHeaderUnits;
        const QStringView other = cutUnits(*companion, room);
        appendRecordHeader(datagram, addressValue(ownAddress), now, now,
                           kindChar == NativeKind::Former ? NativeKind::Latter : NativeKind::Former, 0,
                           other.size());
        datagram.append(other);
    }

    switch (kindChar) {
    case NativeKind::Contact:
        appendHistory(m_contact, datagram);
        break;
    case NativeKind::Caption:
    case NativeKind::Clear:
    case NativeKind::Gross:
    case NativeKind::Undo:
        appendHistory(m_caption, datagram);
        break;
    default:
        // Heartbeats and the like alternate, so both histories reach members who only listen.
        ++m_nMessageCounter;
        appendHistory(m_nMessageCounter % 3 == 0 ? m_contact : m_caption, datagram);
        break;
    }
    return toLittleEndianBytes(datagram);
}

void CNativeCodec::appendHistory(HistoryCache &cache, QString &datagram)
{
    if (!cache.history)
        return;
    const qint64 version = cache.history->historyVersion();
    const bool current = version == cache.version;
    const qsizetype builtBytes = datagram.size() * 2;
    if (current && cache.block.size() * 2 + builtBytes <= m_nMaxMessageSize) {
        datagram.append(cache.block);
        return;
    }

    m_wireLines.clear();
    cache.history->newestWireLines(kHistoryLength, m_wireLines);
    QString block;
    bool overflow = false;
    const qsizetype lines = std::min<qsizetype>(m_wireLines.size(), kHistoryLength);
    for (qsizetype i = 0; i < lines; ++i) {
        const QString &line = m_wireLines.at(i);
        if (!overflow && builtBytes + (block.size() + 1 + line.size()) * 2 > m_nMaxMessageSize) {
            datagram.append(block);
            overflow = true;
            // The cached block is still the whole one for this version; nothing more to learn.
            if (current)
                return;
        }
        block.append(QChar(kRecordSeparator));
        block.append(line);
    }
    if (!overflow)
        datagram.append(block);
    if (!current) {
        cache.block = block;
        cache.version = version;
    }
}

int CNativeCodec::TokenizeMessage(QByteArrayView datagram, const QString &sourceAddress, int ownGroup,
                                  QList<TavrinRecord> &out)
{
    out.clear();
    const qsizetype byteCount = datagram.size();
    // A longer datagram cannot come through the receive buffer; refuse it rather than read it.
    if (byteCount < kHeaderBytes || byteCount > kReceiveBufferSize)
        return 0;
    const auto *bytes = reinterpret_cast<const uchar *>(datagram.data());
    const auto unitAt = [bytes](int index) {
        return static_cast<char16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
    };

    const char16_t kind = unitAt(kKindOffset);
    if (kind < u'A' || kind > u'Z') {
        logIllegal(sourceAddress);
        return 0;
    }
    // Other groups share the port on the same channel; their datagrams are not for us.
    if (static_cast<int>(unitAt(0)) - kGroupBase != ownGroup)
        return 0;

    const quint32 receivedAt = ContinuousTime::SystemTimeToIntLimited();
    const quint32 receivedTick = ContinuousTime::SystemTimeToInt();

    // The receive buffer holds the data followed by NUL bytes: an odd last byte is a code unit
    // with a zero high byte, and the text ends at the first NUL code unit.
    char16_t units[kReceiveBufferSize / 2 + 1];
    qFromLittleEndian<quint16>(bytes, byteCount / 2, units);
    qsizetype unitCount = byteCount / 2;
    if (byteCount % 2 != 0)
        units[unitCount++] = bytes[byteCount - 1];
    const QStringView whole(units, unitCount);
    const qsizetype nul = whole.indexOf(QChar(0));
    const QStringView s = nul < 0 ? whole : whole.first(nul);
    if (s.size() < kHeaderUnits)
        return 0;

    quint32 sent = 0;
    if (!parseField(s, kTimeOffset, kTimeWidth, 10, sent)) {
        if (m_malformedLog.count(sourceAddress)) {
            WriteLog(QStringLiteral("CUdpSockTavrin::TokenizeMessage() send-time error!"));
            WriteLog(s.toString());
        }
        return 0;
    }
    quint32 byteLength = 0;
    // A stated length beyond the text is as malformed as an unreadable one. Dropping it lets the
    // line come back intact as a repeated record of the sender's next datagram.
    if (!parseField(s, kLengthOffset, kLengthWidth, 10, byteLength) ||
        kHeaderUnits + byteLength / 2 > static_cast<quint32>(s.size())) {
        if (m_malformedLog.count(sourceAddress)) {
            WriteLog(QStringLiteral("CUdpSockTavrin::TokenizeMessage() string error!"));
            WriteLog(s.toString());
        }
        return 0;
    }

    TavrinRecord main;
    main.kind = kind;
    main.address = sourceAddress;
    main.text = s.sliced(kHeaderUnits, byteLength / 2).toString();
    main.receivedAt = receivedAt;
    main.firstTime = sent;
    main.receivedTick = receivedTick;
    out.append(std::move(main));

    qsizetype pos = kHeaderUnits + byteLength / 2;
    while (pos < s.size() && s[pos].unicode() == kRecordSeparator) {
        if (pos + kRecordHeaderUnits > s.size())
            break;
        TavrinRecord record;
        quint32 length = 0;
        if (!parseAddress(s, pos + kRecordAddressOffset, record.address) ||
            !parseField(s, pos + kRecordSentOffset, kTimeWidth, 10, record.firstTime) ||
            !parseField(s, pos + kRecordReceivedOffset, kTimeWidth, 10, record.secondTime) ||
            !parseField(s, pos + kRecordLengthOffset, kLengthWidth, 10, length) ||
            pos + kRecordHeaderUnits + static_cast<qsizetype>(length) > s.size())
            break;
        record.kind = s[pos + kRecordKindOffset].unicode();
        record.flag = static_cast<int>(s[pos + kRecordFlagOffset].unicode()) - u'0';
        record.text = s.sliced(pos + kRecordHeaderUnits, length).toString();
        record.receivedAt = receivedAt;
        record.receivedTick = receivedTick;
        out.append(std::move(record));
        pos += kRecordHeaderUnits + length;
    }
    return static_cast<int>(out.size());
}

void CNativeCodec::logIllegal(const QString &sourceAddress)
{
    // One count per sender, but only for as many senders as a LAN segment holds: past that, the
    // newcomers share one count, so neither the table nor the log grows with forged addresses.
    auto it = m_illegalCounts.find(sourceAddress);
    if (it == m_illegalCounts.end() && m_illegalCounts.size() < kMaxIllegalSources)
        it = m_illegalCounts.insert(sourceAddress, 0);
    int &count = it == m_illegalCounts.end() ? m_illegalOthers : *it;
    // A misconfigured or hostile sender must not flood the log: the first three, then every tenth.
    if (count < 3 || (count % 10 == 0 && count < 100))
        WriteLogInt(QStringLiteral("Illegal packet from ") + sourceAddress, count);
    if (count < INT_MAX)
        ++count;
}

QString CNativeCodec::FormatUndoText(qint32 firstTime, int group, qint32 kind, const QString &authorAddress)
{
    QString out = QString::number(firstTime).rightJustified(8, QLatin1Char(' '));
    out.append(QLatin1Char(','));
    out.append(QChar(static_cast<char16_t>(kGroupBase + group)));
    out.append(QLatin1Char(','));
    out.append(QChar(kindLetter(kind)));
    out.append(QLatin1Char(','));
    out.append(authorAddress);
    return out;
}

char16_t CNativeCodec::kindLetter(qint32 kind)
{
    if (kind == 0)
        return NativeKind::Plain;
    if (kind < 0x20)
        return NativeKind::Control;
    return static_cast<char16_t>(kind);
}
