#include "relay/CRelayRequestFormat.h"

#include <QtTest>

// Edge cases of the request formats that the exchanges with the fake services do not reach.
class RelayFormatTest final : public QObject
{
    Q_OBJECT

private slots:
    void captionUrl_data()
    {
        QTest::addColumn<RelayKind>("kind");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("captionUrl");
        QTest::addColumn<QByteArray>("seqUrl");

        QTest::newRow("signature's escapes kept byte for byte")
            << RelayKind::Zoom << u" https://wmcc.example/closedcaption?id=1&signature=a%2Fb%3D%3D "_qs
            << QByteArray("https://wmcc.example/closedcaption?id=1&signature=a%2Fb%3D%3D&seq=9&lang=ja-JP")
            << QByteArray("https://wmcc.example/closedcaption/seq?id=1&signature=a%2Fb%3D%3D");
        QTest::newRow("no query yet") << RelayKind::YouTube << u"http://upload.example/closedcaption"_qs
                                      << QByteArray("http://upload.example/closedcaption?seq=9")
                                      << QByteArray("http://upload.example/closedcaption/seq");
        QTest::newRow("no closedcaption in the path: no seq endpoint")
            << RelayKind::Zoom << u"https://h.example/captions?id=1"_qs
            << QByteArray("https://h.example/captions?id=1&seq=9&lang=ja-JP") << QByteArray();
    }

    void captionUrl()
    {
        QFETCH(RelayKind, kind);
        QFETCH(QString, url);
        QFETCH(QByteArray, captionUrl);
        QFETCH(QByteArray, seqUrl);

        QCOMPARE(CRelayRequestFormat::CaptionUrl(kind, url, 9, u"ja-JP"_qs).toEncoded(), captionUrl);
        QCOMPARE(CRelayRequestFormat::ZoomSeqUrl(url).toEncoded(), seqUrl);
    }

    void youTubeTime_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QDateTime>("time");

        const QDateTime time(QDate(2024, 3, 31), QTime(1, 30, 5, 250), Qt::UTC);
        QTest::newRow("with milliseconds") << QByteArray("2024-03-31T01:30:05.250\n") << time;
        QTest::newRow("with Z, blanks around") << QByteArray("  2024-03-31T01:30:05.250Z \r\n") << time;
        QTest::newRow("without milliseconds") << QByteArray("2024-03-31T01:30:05") << time.addMSecs(-250);
        QTest::newRow("date only") << QByteArray("2024-03-31") << QDateTime();
        QTest::newRow("not a time") << QByteArray("ok") << QDateTime();
        QTest::newRow("empty") << QByteArray() << QDateTime();
    }

    void youTubeTime()
    {
        QFETCH(QByteArray, body);
        QFETCH(QDateTime, time);

        QCOMPARE(CRelayRequestFormat::ParseYouTubeTime(body).value_or(QDateTime()), time);
    }

    void redacted_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("url quoted in an error")
            << QStringLiteral(
                   "Error transferring https://wmcc.example:443/closedcaption?id=1&signature=S - server "
                   "replied: Bad Gateway")
            << u"Error transferring wmcc.example - server replied: Bad Gateway"_qs;
        QTest::newRow("no url") << u"Connection refused"_qs << u"Connection refused"_qs;
        QTest::newRow("two urls") << u"a http://x.example/p?k=1 b https://y.example/q"_qs
                                  << u"a x.example b y.example"_qs;
    }

    void redacted()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);

        QCOMPARE(CRelayRequestFormat::Redacted(text), expected);
    }
};

QTEST_APPLESS_MAIN(RelayFormatTest)
#include "RelayFormatTest.moc"
