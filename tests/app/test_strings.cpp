#include "core/StringTable.h"

#include <QtTest>

// The built-in Japanese texts, looked up by their resource numbers.
class TestStrings final : public QObject
{
    Q_OBJECT

private slots:
    void builtInText_data();
    void builtInText();
    void unknownIdIsEmpty_data();
    void unknownIdIsEmpty();
    void idsAreAscendingAndResolvable();
    void overrideWinsAndEmptyRestores();
};

void TestStrings::builtInText_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("101 product") << 101 << u"tavrin"_qs;
    QTest::newRow("104 colon") << 104 << u"："_qs;
    QTest::newRow("105 blank") << 105 << u" "_qs;
    QTest::newRow("111 timer start") << 111 << u"タイマーを開始しました（残り%d分%d秒）。"_qs;
    QTest::newRow("113 port in use, CR LF")
        << 113
        << u"同じネットワークポートが別のプログラムに使われています。\r\n別チャンネルを指定して再ログインしてみてください。"_qs;
    QTest::newRow("117 settings filter")
        << 117 << u"tavrin設定ファイル (*.tvn)|*.tvn|all files (*.*)|*.*||"_qs;
    QTest::newRow("121 name column") << 121 << u"名前"_qs;
    QTest::newRow("125 address column") << 125 << u"IPアドレス"_qs;
    QTest::newRow("132 no version, two CR LF")
        << 132 << u"tavrin - subtitling application\r\n\r\n(version information not available)"_qs;
    QTest::newRow("138 503") << 138 << u"HTTP/1.0 503 Service Unavailable\r\n"_qs;
    QTest::newRow("147 lines") << 147 << u"行数は1～15行の範囲で指定してください。"_qs;
    QTest::newRow("149 reset, CR LF")
        << 149
        << u"設定を全て初期化します。\r\nよければ「OK」を、やめる場合は「キャンセル」を選択してください。"_qs;
    QTest::newRow("152 undo marker, tab") << 152 << u"\t（1行取り消し）"_qs;
    QTest::newRow("154 fill marker") << 154 << u"\t（%1!d!行前の位置に補完）"_qs;
    QTest::newRow("165 channel and group") << 165 << u"%1!d!チャンネル %2!c!班"_qs;
    QTest::newRow("170 folder error")
        << 170 << u"フォルダを開けませんでした。\r\n（エラーコード：%1!lu!）"_qs;
    QTest::newRow("172 no line start") << 172 << u")]}｣）〕］｝〉》」』】>＞,.，．、。ー－！？!?"_qs;
    QTest::newRow("175 font") << 175 << u"ＭＳ Ｐゴシック"_qs;
    QTest::newRow("180 language restart")
        << 180 << u"言語選択を有効にするには、(1)設定を保存、(2)tavrinを再起動してください。"_qs;
}

void TestStrings::builtInText()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QCOMPARE(CStringTable::get(id), text);
    QCOMPARE(CStringTable::source(id), text);
}

void TestStrings::unknownIdIsEmpty_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("below the table") << 100;
    QTest::newRow("gap 122") << 122;
    QTest::newRow("above the table") << 181;
    QTest::newRow("negative") << -1;
}

void TestStrings::unknownIdIsEmpty()
{
    QFETCH(int, id);
    QVERIFY(CStringTable::get(id).isEmpty());
    QVERIFY(!CStringTable::ids().contains(id));
}

void TestStrings::idsAreAscendingAndResolvable()
{
    const QList<int> ids = CStringTable::ids();
    QVERIFY(ids.size() >= 70);
    for (qsizetype i = 0; i < ids.size(); ++i) {
        QVERIFY2(!CStringTable::get(ids[i]).isEmpty(), qPrintable(QString::number(ids[i])));
        if (i > 0)
            QVERIFY(ids[i - 1] < ids[i]);
    }
    // The page template keeps its six placeholders in order.
    const QString page = CStringTable::get(141);
    QVERIFY(page.startsWith(u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\"\r\n"_qs));
    QCOMPARE(page.count(u"%s"_qs), 3);
    QCOMPARE(page.count(u"%d"_qs), 3);
}

void TestStrings::overrideWinsAndEmptyRestores()
{
    CStringTable::setOverride(116, u"Error"_qs);
    QCOMPARE(CStringTable::get(116), u"Error"_qs);
    QCOMPARE(CStringTable::source(116), u"エラー"_qs);
    CStringTable::setOverride(116, QString());
    QCOMPARE(CStringTable::get(116), u"エラー"_qs);
    CStringTable::setOverride(129, u"Warning"_qs);
    CStringTable::clearOverrides();
    QCOMPARE(CStringTable::get(129), u"警告"_qs);
}

QTEST_APPLESS_MAIN(TestStrings)
#include "test_strings.moc"
