#include "core/StringTable.h"
#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"

#include <QtTest>

namespace {

// A store holding one record per text, on channel 1 group 1, oldest first.
void fill(ReceivedMain &store, const QStringList &texts)
{
    store.Configure(100, 10);
    store.SetChannelGroup(1, 1);
    for (const QString &text : texts)
        store.AddString(text, QStringLiteral("192.0.2.1"), 'i');
}

} // namespace

class TestHttpPage final : public QObject
{
    Q_OBJECT

private slots:
    void pageText_data();
    void pageText();
    void oldChannelNotShown();
    void withdrawnSkipped();
    void screenClearEndsThePage();
    void walkEndsLPlacesBack();
    void recordLines_data();
    void recordLines();
    void escape_data();
    void escape();
    void fillTemplate();
    void fillTemplateMarkers_data();
    void fillTemplateMarkers();
    void hexColor_data();
    void hexColor();
};

void TestHttpPage::pageText_data()
{
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("letters");
    QTest::addColumn<QString>("expected");

    const QString forty(40, QLatin1Char('x'));
    QTest::newRow("empty store") << QStringList() << 7 << 16 << QString();
    QTest::newRow("one line") << QStringList{u"abc"_qs} << 7 << 16 << u"abc"_qs;
    QTest::newRow("typing order, newest at the bottom")
        << QStringList{u"one"_qs, u"two"_qs, u"three"_qs} << 7 << 16 << u"one<br>two<br>three"_qs;
    QTest::newRow("40 characters cost 3 lines at W 16")
        << QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs, forty} << 7 << 16
        << QStringLiteral("b<br>c<br>d<br>e<br>") + forty;
    QTest::newRow("16 characters cost 1 line") << QStringList{u"a"_qs, QString(16, QLatin1Char('y'))} << 2
                                               << 16 << QStringLiteral("a<br>") + QString(16, u'y');
    QTest::newRow("17 characters cost 2 lines")
        << QStringList{u"a"_qs, QString(17, QLatin1Char('y'))} << 2 << 16 << QString(17, u'y');
    QTest::newRow("a line over the whole budget shows nothing")
        << QStringList{u"a"_qs, forty} << 2 << 16 << QString();
    QTest::newRow("empty record between lines")
        << QStringList{u"a"_qs, QString(), u"b"_qs} << 7 << 16 << u"a<br><br>b"_qs;
    QTest::newRow("empty record costs a line")
        << QStringList{u"a"_qs, u"b"_qs, QString(), u"c"_qs} << 3 << 16 << u"b<br><br>c"_qs;
    QTest::newRow("line feeds only count as one empty line")
        << QStringList{u"a"_qs, u"\n\n\n"_qs, u"b"_qs} << 3 << 16 << u"a<br><br>b"_qs;
    QTest::newRow("lines of one record in typing order")
        << QStringList{u"x"_qs, u"first\r\nsecond\rthird\n\nfourth"_qs} << 7 << 16
        << u"x<br>first<br>second<br>third<br>fourth"_qs;
    QTest::newRow("budget keeps the newest lines of a record")
        << QStringList{u"x"_qs, u"l1\nl2\nl3"_qs} << 2 << 16 << u"l2<br>l3"_qs;
    QTest::newRow("escaped") << QStringList{u"a<b & c"_qs} << 7 << 16 << u"a&lt;b &amp; c"_qs;
    QTest::newRow("Japanese counts characters")
        << QStringList{u"前"_qs, u"あいうえおかきくけこさしすせそたち"_qs} << 2 << 16
        << u"あいうえおかきくけこさしすせそたち"_qs;
}

void TestHttpPage::pageText()
{
    QFETCH(QStringList, records);
    QFETCH(int, lines);
    QFETCH(int, letters);
    QFETCH(QString, expected);
    ReceivedMain store;
    fill(store, records);
    QCOMPARE(CHttpPage::BuildPageText(store, lines, letters), expected);
}

void TestHttpPage::oldChannelNotShown()
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

void TestHttpPage::withdrawnSkipped()
{
    ReceivedMain store;
    fill(store, {u"kept"_qs, u"taken back"_qs});
    QVERIFY(store.RemoveLastString(true) >= 0);
    store.AddString(u"after"_qs, u"192.0.2.1"_qs, 'i');
    QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), u"kept<br>after"_qs);

    CReceivedMainData shared;
    QVERIFY(store.GetAt(0, shared));
    shared.nFlag = CReceivedMainData::kFlagWithdrawnShared;
    QVERIFY(store.SetAt(0, shared));
    QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), u"after"_qs);
}

void TestHttpPage::screenClearEndsThePage()
{
    ReceivedMain store;
    fill(store, {u"before"_qs});
    CReceivedMainData clear;
    clear.strRaw = u"\n"_qs;
    clear.strIpAddress = u"192.0.2.1"_qs;
    clear.strIpAddressSender = clear.strIpAddress;
    clear.nType = 'E';
    clear.nChannel = 1;
    clear.nGroup = 1;
    store.AppendData(clear);
    QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), QString());
    store.AddString(u"after"_qs, u"192.0.2.1"_qs, 'i');
    QCOMPARE(CHttpPage::BuildPageText(store, 7, 16), u"after"_qs);
}

void TestHttpPage::walkEndsLPlacesBack()
{
    // Withdrawn records still count as places walked: with L 2 only the newest three are seen.
    ReceivedMain store;
    fill(store, {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs});
    for (int pos : {3, 4}) {
        CReceivedMainData record;
        QVERIFY(store.GetAt(pos, record));
        record.nFlag = CReceivedMainData::kFlagWithdrawnLocal;
        QVERIFY(store.SetAt(pos, record));
    }
    QCOMPARE(CHttpPage::BuildPageText(store, 2, 16), u"c"_qs);
}

void TestHttpPage::recordLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("plain") << u"abc"_qs << QStringList{u"abc"_qs};
    QTest::newRow("empty") << QString() << QStringList{QString()};
    QTest::newRow("breaks only") << u"\r\n\r\n"_qs << QStringList{QString()};
    QTest::newRow("CR LF, CR and LF")
        << u"a\r\nb\rc\nd"_qs << QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs};
    QTest::newRow("empty lines dropped") << u"\na\n\n\nb\n"_qs << QStringList{u"a"_qs, u"b"_qs};
    QTest::newRow("LF CR is two breaks") << u"a\n\rb"_qs << QStringList{u"a"_qs, u"b"_qs};
}

void TestHttpPage::recordLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(CHttpPage::RecordLines(text), lines);
}

void TestHttpPage::escape_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("plain") << u"abc"_qs << u"abc"_qs;
    QTest::newRow("caption") << u"a<b & c"_qs << u"a&lt;b &amp; c"_qs;
    QTest::newRow("entity typed") << u"&lt;"_qs << u"&amp;lt;"_qs;
    QTest::newRow("tag") << u"<script>"_qs << u"&lt;script&gt;"_qs;
    QTest::newRow("quotes stay") << u"\"'"_qs << u"\"'"_qs;
}

void TestHttpPage::escape()
{
    QFETCH(QString, line);
    QFETCH(QString, escaped);
    QCOMPARE(CHttpPage::EscapeLine(line), escaped);
}

void TestHttpPage::fillTemplate()
{
    const QString page = CHttpPage::FillTemplate(CStringTable::get(141), CHttpPageStyle(), u"a<br>b"_qs);
    const QString expected = QStringLiteral(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML "
        "4.01//EN\"\r\n\"http://www.w3.org/TR/html4/strict.dtd\">\r\n"
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
        "<title>tavrin情報保障字幕</title><meta name=\"apple-mobile-web-app-capable\" content=\"yes\"></head>"
        "<body style=\"font-family:sans-serif; font-size:xx-large; color:#FFFFFF; "
        "background-color:#000000;\" "
        "onLoad=\"setInterval('location.reload()',800)\"><p style=\"font-size:150%; font-weight:bold; "
        "line-height:140%; margin:0; padding:0;\">a<br>b</p></body></html>");
    QCOMPARE(page, expected);
}

void TestHttpPage::fillTemplateMarkers_data()
{
    QTest::addColumn<QString>("pageTemplate");
    QTest::addColumn<QString>("expected");
    QTest::newRow("in order") << u"%s|%s|%d|%d|%d|%s"_qs << u"123456|abcdef|500|10|200|T%s"_qs;
    QTest::newRow("percent sign") << u"%s%%"_qs << u"123456%"_qs;
    QTest::newRow("other markers stay") << u"%x %"_qs << u"%x %"_qs;
    QTest::newRow("more markers than values") << u"%s%s%s%s%s%s%s"_qs << u"123456abcdef50010200T%s"_qs;
}

void TestHttpPage::fillTemplateMarkers()
{
    QFETCH(QString, pageTemplate);
    QFETCH(QString, expected);
    CHttpPageStyle style;
    style.textColor = u"123456"_qs;
    style.backgroundColor = u"abcdef"_qs;
    style.reloadMs = 500;
    style.fontSizePercent = 10;
    style.lineHeightPercent = 200;
    // The page text is put in as it is, never read as a template.
    QCOMPARE(CHttpPage::FillTemplate(pageTemplate, style, u"T%s"_qs), expected);
}

void TestHttpPage::hexColor_data()
{
    QTest::addColumn<QString>("color");
    QTest::addColumn<bool>("valid");
    QTest::newRow("upper") << u"FFFFFF"_qs << true;
    QTest::newRow("lower") << u"a0b1c2"_qs << true;
    QTest::newRow("mixed") << u"00aAfF"_qs << true;
    QTest::newRow("number sign") << u"#FFFFF"_qs << false;
    QTest::newRow("five digits") << u"FFFFF"_qs << false;
    QTest::newRow("seven digits") << u"FFFFFFF"_qs << false;
    QTest::newRow("letter beyond f") << u"fffffg"_qs << false;
    QTest::newRow("quote") << u"\"><b>x"_qs << false;
    QTest::newRow("full-width digits") << u"０００００１"_qs << false;
    QTest::newRow("empty") << QString() << false;
}

void TestHttpPage::hexColor()
{
    QFETCH(QString, color);
    QFETCH(bool, valid);
    QCOMPARE(CHttpPage::IsHexColor(color), valid);
}

QTEST_APPLESS_MAIN(TestHttpPage)
#include "test_http_page.moc"
