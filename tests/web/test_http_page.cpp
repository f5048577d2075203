// The caption page: which lines of the store it shows, how they are escaped, and the template's markers.
#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"

#include <QtTest>

namespace {

// A store holding one plain record per text, on channel 1 group 1, oldest first.
void fill(ReceivedMain &store, const QStringList &texts)
{
    store.Configure(100, 10);
    store.SetChannelGroup(1, 1);
    for (const QString &text : texts)
        store.AddString(text, QStringLiteral("192.0.2.1"), 'i');
}

void setFlag(ReceivedMain &store, int position, qint32 flag)
{
    CReceivedMainData record;
    QVERIFY(store.GetAt(position, record));
    record.nFlag = flag;
    QVERIFY(store.SetAt(position, record));
}

} // namespace

class TestHttpPage final : public QObject
{
    Q_OBJECT

private slots:
    void pageText_data()
    {
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("expected"); // at 16 letters a line
        const auto row = [](const char *name, const QStringList &records, int lines,
                            const QString &expected) { QTest::newRow(name) << records << lines << expected; };
        const QString forty(40, u'x');
        row("empty store", {}, 7, {});
        row("one line", {u"abc"_qs}, 7, u"abc"_qs);
        row("typing order, newest at the bottom", {u"one"_qs, u"two"_qs, u"three"_qs}, 7,
            u"one<br>two<br>three"_qs);
        row("40 characters cost 3 lines", {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs, forty}, 7,
            u"b<br>c<br>d<br>e<br>"_qs + forty);
        row("16 characters cost 1 line", {u"a"_qs, QString(16, u'y')}, 2, u"a<br>"_qs + QString(16, u'y'));
        row("17 characters cost 2 lines", {u"a"_qs, QString(17, u'y')}, 2, QString(17, u'y'));
        row("a line over the whole budget shows nothing", {u"a"_qs, forty}, 2, {});
        row("empty record between lines", {u"a"_qs, QString(), u"b"_qs}, 7, u"a<br><br>b"_qs);
        row("empty record costs a line", {u"a"_qs, u"b"_qs, QString(), u"c"_qs}, 3, u"b<br><br>c"_qs);
        row("line feeds only count as one empty line", {u"a"_qs, u"\n\n\n"_qs, u"b"_qs}, 3, u"a<br><br>b"_qs);
        row("lines of one record in typing order", {u"x"_qs, u"\nfirst\r\nsecond\rthird\n\rfourth\n\n"_qs}, 7,
            u"x<br>first<br>second<br>third<br>fourth"_qs);
        row("budget keeps the newest lines of a record", {u"x"_qs, u"l1\nl2\nl3"_qs}, 2, u"l2<br>l3"_qs);
        row("escaped, quotes kept", {u"a<b & c> &lt; \"'"_qs}, 7, u"a&lt;b &amp; c&gt; &amp;lt; \"'"_qs);
        row("English line costs the rows its words take", {u"a"_qs, u"accessible captions for everyone"_qs},
            3, u"accessible captions for everyone"_qs);
        row("space at a row's end costs nothing", {u"a"_qs, QString(16, u'x') + u' ' + QString(16, u'y')}, 3,
            u"a<br>"_qs + QString(16, u'x') + u' ' + QString(16, u'y'));
        row("Japanese counts characters", {u"前"_qs, u"あいうえおかきくけこさしすせそたち"_qs}, 2,
            u"あいうえおかきくけこさしすせそたち"_qs);
    }

    void pageText()
    {
        QFETCH(QStringList, records);
        QFETCH(int, lines);
        QFETCH(QString, expected);
        ReceivedMain store;
        fill(store, records);
        QCOMPARE(CHttpPage::BuildPageText(store, lines, 16), expected);
    }

    void oldChannelNotShown()
    {
        ReceivedMain store;
        fill(store, {u"old 1"_qs, u"old 2"_qs});
        store.SetChannelGroup(2, 1);
        store.AddString(u"new 1"_qs, u"192.0.2.1"_qs, 'i');
        QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), u"new 1"_qs);
        store.SetChannelGroup(2, 3);
        QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), QString());
        store.SetOffline();
        QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), QString());
    }

    void withdrawnSkipped()
    {
        ReceivedMain store;
        fill(store, {u"kept"_qs, u"taken back"_qs});
        QVERIFY(store.RemoveLastString(true) >= 0);
        store.AddString(u"after"_qs, u"192.0.2.1"_qs, 'i');
        QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), u"kept<br>after"_qs);
        setFlag(store, 0, CReceivedMainData::kFlagWithdrawnShared);
        QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), u"after"_qs);

        // Withdrawn records still count as places walked: with 2 lines only the newest three are seen.
        fill(store, {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs});
        setFlag(store, 6, CReceivedMainData::kFlagWithdrawnLocal);
        setFlag(store, 7, CReceivedMainData::kFlagWithdrawnLocal);
        QCOMPARE(CHttpPage::BuildPageText(store, 2, 16), u"c"_qs);
    }

    void screenClearEndsThePage()
    {
        ReceivedMain store;
        fill(store, {u"before"_qs});
        CReceivedMainData clear;
        clear.strRaw = u"\n"_qs;
        clear.strIpAddress = clear.strIpAddressSender = u"192.0.2.1"_qs;
        clear.nType = 'E';
        clear.nChannel = clear.nGroup = 1;
        store.AppendData(clear);
        QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), QString());
        store.AddString(u"after"_qs, u"192.0.2.1"_qs, 'i');
        QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), u"after"_qs);
    }

    void fillTemplateMarkers_data()
    {
        QTest::addColumn<QString>("pageTemplate");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in order") << u"%s|%s|%d|%d|%d|%s"_qs << u"123456|abcdef|500|10|200|T%s"_qs;
        QTest::newRow("percent sign") << u"%s%%"_qs << u"123456%"_qs;
        QTest::newRow("other markers stay") << u"%x %"_qs << u"%x %"_qs;
        QTest::newRow("more markers than values") << u"%s%s%s%s%s%s%s"_qs << u"123456abcdef50010200T%s"_qs;
    }

    void fillTemplateMarkers()
    {
        QFETCH(QString, pageTemplate);
        QFETCH(QString, expected);
        const CHttpPageStyle style{u"123456"_qs, u"abcdef"_qs, 500, 10, 200};
        // The page text is put in as it is, never read as a template.
        QCOMPARE(CHttpPage::FillTemplate(pageTemplate, style, u"T%s"_qs), expected);
    }

    void hexColor()
    {
        for (const QString &valid : {u"FFFFFF"_qs, u"a0b1c2"_qs, u"00aAfF"_qs})
            QVERIFY2(CHttpPage::IsHexColor(valid), qPrintable(valid));
        for (const QString &invalid : {u"#FFFFF"_qs, u"FFFFF"_qs, u"FFFFFFF"_qs, u"fffffg"_qs, u"\"><b>x"_qs,
                                       u"０００００１"_qs, QString()})
            QVERIFY2(!CHttpPage::IsHexColor(invalid), qPrintable(invalid));
    }
};

QTEST_APPLESS_MAIN(TestHttpPage)
#include "test_http_page.moc"
