#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The shared protocol spoken with Quorel peers: comma-separated text in code page 932, one port
// per message kind, no terminator on the wire. Builders return the bytes of one datagram (or of a
// sequence of datagrams); the receive side decodes the bytes and splits them into fields.
class CSharedProtocol final
{
public:
    CSharedProtocol() = delete;

    // Head and tail counts of the field split, per receiving endpoint.
    static constexpr int kLoginHead = 1;
    static constexpr int kLoginTail = 2; // address, name, "Req", group
    static constexpr int kResponseHead = 2;
    static constexpr int kResponseTail = 1; // responder, requester, name, "Ans" / "Ful"
    static constexpr int kMonitorHead = 1;
    static constexpr int kMonitorTail = 0; // address, text (logoff: address, name + ",離脱")

    // Raw code page 932 markers; receivers compare them as bytes, before any conversion.
    static constexpr char kEraseMarker[] = {'\x24', '\x8F', '\xC1', '\x8B', '\x8E', '\x24'};   // "$消去$"
    static constexpr char kNewlineMarker[] = {'\x24', '\x89', '\xFC', '\x8D', '\x73', '\x24'}; // "$改行$"
    static constexpr char kNullLine[] = {'$', 'n', 'u', 'l', 'l', '$'};                        // "$null$"
    static constexpr char kBlockEnd[] = {'\x60', '\x40'};                                      // "`@"

    static QByteArrayView eraseMarker() { return QByteArrayView(kEraseMarker, sizeof kEraseMarker); }
    static QByteArrayView newlineMarker() { return QByteArrayView(kNewlineMarker, sizeof kNewlineMarker); }
    static QByteArrayView nullLine() { return QByteArrayView(kNullLine, sizeof kNullLine); }
    static QByteArrayView blockEnd() { return QByteArrayView(kBlockEnd, sizeof kBlockEnd); }
    // The block end marker as a line of text: a pre-roll block ends with it.
    static QString blockEndLine() { return QStringLiteral("`@"); }

    enum class Answer
    {
        Accept, // "Ans"
        Full,   // "Ful": the group is full, the login is refused
    };

    // "%s,%s,Req,%d": own address, own name, own group number.
    static QByteArray login(const QString &ownAddress, const QString &name, int group);
    // "%s,%s,%s,Ans" (or "Ful"): responder's address, requester's address, responder's name.
    static QByteArray response(const QString &responderAddress, const QString &requesterAddress,
                               const QString &responderName, Answer answer = Answer::Accept);
    // "%s,%s": own address, the text being typed.
    static QByteArray monitor(const QString &ownAddress, const QString &text);
    // "%s,%s" over own address and the name followed by ",離脱".
    static QByteArray logoff(const QString &ownAddress, const QString &name);
    // The caption line alone; an empty line travels as "$改行$".
    static QByteArray mainLine(const QString &line);
    // The contact message alone.
    static QByteArray chat(const QString &text);
    // One pre-roll half (former or latter): "$消去$", then each line, "$改行$" for an empty one.
    static QList<QByteArray> preRoll(const QStringList &lines);
    static QByteArray undo();        // "undo": remove the sender's last line
    static QByteArray clearScreen(); // "cls"
    // Each line of a multi-line send, "$null$" for an empty one, closed by the block end marker
    // (sent once: a list that already ends with it is not given a second one).
    static QList<QByteArray> mainGross(const QStringList &lines);

    // Received bytes to text; bytes that form no character become U+30FB.
    static QString decode(QByteArrayView datagram);
    // Splits at commas. With no comma, one field. With fewer than head + tail commas, every comma
    // separates. Otherwise the first head fields end at the first head commas, the last tail
    // fields begin after the last tail commas, and all between (commas included) is one field.
    static QStringList split(QStringView text, int head, int tail);
    static QStringList fields(QByteArrayView datagram, int head, int tail)
    {
        return split(decode(datagram), head, tail);
    }

    static bool startsWithEraseMarker(QByteArrayView datagram) { return datagram.startsWith(eraseMarker()); }
    static bool startsWithNewlineMarker(QByteArrayView datagram)
    {
        return datagram.startsWith(newlineMarker());
    }
    static bool isNullLine(QByteArrayView datagram) { return datagram == nullLine(); }
    static bool isBlockEnd(QByteArrayView datagram) { return datagram == blockEnd(); }
};
