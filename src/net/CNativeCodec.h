#pragma once

#include "net/CAddressLogLimit.h"
#include "net/TavrinRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

class IRecordHistory;

// Kind letters of the native protocol.
namespace NativeKind {
constexpr char16_t Former = u'A';    // pre-roll former text, latter text as companion
constexpr char16_t Latter = u'B';    // pre-roll latter text, former text as companion
constexpr char16_t Contact = u'C';   // contact message
constexpr char16_t Caption = u'D';   // caption line
constexpr char16_t Clear = u'E';     // screen clear
constexpr char16_t Logoff = u'F';    // going offline
constexpr char16_t Gross = u'G';     // several lines joined by LF
constexpr char16_t Heartbeat = u'H'; // member name
constexpr char16_t Login = u'L';     // member name
constexpr char16_t Monitor = u'M';   // what the member is typing
constexpr char16_t Query = u'Q';     // accepted, no action
constexpr char16_t Response = u'R';  // member name
constexpr char16_t Status = u'S';    // accepted, no action
constexpr char16_t Undo = u'U';      // "%8d,%c,%c,%s" naming the undone line
constexpr char16_t Plain = u'i';     // sent for an empty kind; a stored line of a Quorel peer
constexpr char16_t Control = u'-';   // sent for a kind below 0x20
} // namespace NativeKind

// The native datagram codec: builds outgoing UTF-16LE datagrams with their tail of repeated
// caption or contact lines, and decodes received ones. One instance per native endpoint; it keeps
// what lives as long as the endpoint: the message counter, the cached history blocks and the
// per-address counts of illegal datagrams. No socket here.
class CNativeCodec final
{
public:
    // Wire layout, in UTF-16 code units unless a name says bytes.
    static constexpr int kHeaderUnits = 14; // group, send time, kind, byte length
    static constexpr int kHeaderBytes = kHeaderUnits * 2;
    static constexpr int kTimeOffset = 1;
    static constexpr int kTimeWidth = 8;
    static constexpr int kKindOffset = 9;
    static constexpr int kLengthOffset = 10;
    static constexpr int kLengthWidth = 4;
    static constexpr int kRecordHeaderUnits = 31; // LF, address, two times, kind, flag, length
    static constexpr int kRecordAddressOffset = 1;
    static constexpr int kRecordSentOffset = 9;
    static constexpr int kRecordReceivedOffset = 17;
    static constexpr int kRecordKindOffset = 25;
    static constexpr int kRecordFlagOffset = 26;
    static constexpr int kRecordLengthOffset = 27;
    static constexpr int kHistoryLength = 5;        // lines repeated per history
    static constexpr int kMaxMessageSize = 1500;    // bytes
    static constexpr int kReceiveBufferSize = 4096; // bytes; longer datagrams are never delivered
    static constexpr char16_t kGroupBase = 0x40;    // group 1 is 'A'
    static constexpr char16_t kRecordSeparator = u'\n';
    static constexpr qsizetype kMaxIllegalSources = 256; // senders counted one by one

    // Either history may be null: nothing is repeated from it. The caches start empty but are
    // taken as current for the histories' present versions, so repeating starts with the next change.
    CNativeCodec(const IRecordHistory *captionHistory, const IRecordHistory *contactHistory);
    Q_DISABLE_COPY_MOVE(CNativeCodec)

    int maxMessageSize() const { return m_nMaxMessageSize; }
    // Clamped to 28 … 1500 bytes.
    void setMaxMessageSize(int bytes);
    int messageCounter() const { return m_nMessageCounter; }

    // A complete datagram as raw UTF-16LE bytes. A text longer than maxMessageSize() - 28 bytes is
    // cut, never inside a surrogate pair. ownAddress is dotted IPv4 (used by the companion record);
    // the companion is appended only for the kinds 'A' and 'B', cut so that the whole datagram
    // still fits a receiver's 4096-byte buffer.
    QByteArray build(int ownGroup, QStringView kind, QStringView text, const QString &ownAddress,
                     quint32 *sendTime = nullptr, std::optional<QStringView> companion = std::nullopt);

    // Decodes one received datagram into out (cleared first): the own message, then the repeated
    // records in arrival order. Returns the number of records, 0 when the datagram is dropped
    // (also when it is longer than the receive buffer, which no receive would deliver).
    int TokenizeMessage(QByteArrayView datagram, const QString &sourceAddress, int ownGroup,
                        QList<TavrinRecord> &out);

    // The "U" text naming an undone line: "%8d,%c,%c,%s" over its first time, group letter, kind
    // letter and author address.
    static QString FormatUndoText(qint32 firstTime, int group, qint32 kind, const QString &authorAddress);
    // The character sent for a kind: 'i' for 0, '-' below 0x20, else the kind itself.
    static char16_t kindLetter(qint32 kind);

private:
    struct HistoryCache
    {
        const IRecordHistory *history = nullptr;
        QString block;
        qint64 version = 0;
    };

    void appendHistory(HistoryCache &cache, QString &datagram);
    void logIllegal(const QString &sourceAddress);

    HistoryCache m_caption;
    HistoryCache m_contact;
    int m_nMaxMessageSize = kMaxMessageSize;
    int m_nMessageCounter = 0;
    QHash<QString, int> m_illegalCounts;
    int m_illegalOthers = 0;         // the senders that found the table full
    CAddressLogLimit m_malformedLog; // send-time and length errors, each with the whole text
    QStringList m_wireLines;         // reused by every rebuild of a history block
};
