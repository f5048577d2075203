#include "preroll/CPftMonitorText.h"

#include <QTest>

class CPftMonitorTextTest final : public QObject
{
    Q_OBJECT

private slots:
    void boundaryFollowsTheLineEnds_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("boundary");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedBoundary");
        QTest::addColumn<bool>("afterLastLine");

        QTest::newRow("former lines of 2, 0 and 5")
            << u"ab\r\n\r\nabcde\r\nnext\r\n"_qs << 13 << u"ab\n\nabcde\nnext\n"_qs << 10 << false;
        QTest::newRow("in a later line") << u"ab\r\ncd\r\n"_qs << 5 << u"ab\ncd\n"_qs << 4 << false;
        QTest::newRow("nothing yet") << QString() << 0 << QString() << 0 << false;
        QTest::newRow("no former text") << u"x\r\n"_qs << 0 << u"x\n"_qs << 0 << false;
        QTest::newRow("no latter text, line end last") << u"ab\r\n"_qs << 4 << u"ab\n"_qs << 3 << false;
        QTest::newRow("no latter text, characters last") << u"ab\r\ncd"_qs << 6 << u"ab\ncd"_qs << 5 << true;
        QTest::newRow("lone CR and lone LF") << u"a\rb\nc"_qs << 4 << u"a\nb\nc"_qs << 4 << false;
        QTest::newRow("between CR and LF") << u"ab\r\ncd"_qs << 3 << u"ab\ncd"_qs << 2 << false;
        QTest::newRow("CR before CR LF") << u"a\r\r\nb"_qs << 4 << u"a\n\nb"_qs << 3 << false;
        QTest::newRow("beyond the text") << u"ab\r\n"_qs << 99 << u"ab\n"_qs << 3 << false;
        QTest::newRow("negative") << u"ab\r\n"_qs << -5 << u"ab\n"_qs << 0 << false;
    }

    void boundaryFollowsTheLineEnds()
    {
        QFETCH(QString, shown);
        QFETCH(int, boundary);
        QFETCH(QString, text);
        QFETCH(int, expectedBoundary);
        QFETCH(bool, afterLastLine);

        const CPftMonitorText result(shown, boundary);
        QCOMPARE(result.text(), text);
        QCOMPARE(result.boundary(), expectedBoundary);
        QCOMPARE(result.boundaryAfterLastLine(), afterLastLine);
    }
};

QTEST_APPLESS_MAIN(CPftMonitorTextTest)
#include "CPftMonitorTextTest.moc"
