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

        QTest::newRow("former lines of 2, 0 and 5") << QStringLiteral("ab\r\n\r\nabcde\r\nnext\r\n") << 13
                                                    << QStringLiteral("ab\n\nabcde\nnext\n") << 10 << false;
        QTest::newRow("nothing yet") << QString() << 0 << QString() << 0 << false;
        QTest::newRow("no former text")
            << QStringLiteral("x\r\n") << 0 << QStringLiteral("x\n") << 0 << false;
        QTest::newRow("no latter text, line end last")
            << QStringLiteral("ab\r\n") << 4 << QStringLiteral("ab\n") << 3 << false;
        QTest::newRow("no latter text, characters last")
            << QStringLiteral("ab\r\ncd") << 6 << QStringLiteral("ab\ncd") << 5 << true;
        QTest::newRow("lone CR and lone LF")
            << QStringLiteral("a\rb\nc") << 4 << QStringLiteral("a\nb\nc") << 4 << false;
        QTest::newRow("between CR and LF")
            << QStringLiteral("ab\r\ncd") << 3 << QStringLiteral("ab\ncd") << 2 << false;
        QTest::newRow("CR before CR LF")
            << QStringLiteral("a\r\r\nb") << 4 << QStringLiteral("a\n\nb") << 3 << false;
        QTest::newRow("beyond the text")
            << QStringLiteral("ab\r\n") << 99 << QStringLiteral("ab\n") << 3 << false;
        QTest::newRow("negative") << QStringLiteral("ab\r\n") << -5 << QStringLiteral("ab\n") << 0 << false;
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

    void sameLineAsTheBoundaryCharacter()
    {
        // The marker's line is the line of the character at the boundary, before and after.
        const QString shown = QStringLiteral("one\r\ntwo\r\nthree\r\n");
        for (int boundary = 0; boundary <= shown.size(); ++boundary) {
            const CPftMonitorText result(shown, boundary);
            const int linesBefore = static_cast<int>(shown.left(boundary).count(QStringLiteral("\r\n")));
            QCOMPARE(result.text().left(result.boundary()).count(u'\n'), linesBefore);
        }
    }
};

QTEST_APPLESS_MAIN(CPftMonitorTextTest)
#include "CPftMonitorTextTest.moc"
