#include "input/CMonitorTextGate.h"

#include <QTest>

// Which monitor texts go out: each row is what the boxes report, one report per letter ("r" a
// refresh by a composition change, a commit or the focus, "k" a key release) with its text, and
// the texts the peers must get.
class MonitorTextGateTest final : public QObject
{
    Q_OBJECT

private slots:
    void oncePerChange_data()
    {
        QTest::addColumn<QString>("causes");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("the first text goes out, even empty")
            << u"r"_qs << QStringList{u""_qs} << QStringList{u""_qs};
        QTest::newRow("composition step: change, then its release")
            << u"rkrk"_qs << QStringList{u"ｋ"_qs, u"ｋ"_qs, u"き"_qs, u"き"_qs}
            << QStringList{u"ｋ"_qs, u"き"_qs};
        QTest::newRow("the same composition reported twice")
            << u"rrk"_qs << QStringList{u"き"_qs, u"き"_qs, u"き"_qs} << QStringList{u"き"_qs};
        QTest::newRow("commit that keeps the text: its release only")
            << u"rkrk"_qs << QStringList{u"今日"_qs, u"今日"_qs, u"今日"_qs, u"今日"_qs}
            << QStringList{u"今日"_qs, u"今日"_qs};
        QTest::newRow("release that changed nothing, twice")
            << u"kkk"_qs << QStringList{u"a"_qs, u"a"_qs, u"a"_qs} << QStringList{u"a"_qs, u"a"_qs, u"a"_qs};
        QTest::newRow("plain typing: each release carries its change")
            << u"kk"_qs << QStringList{u"a"_qs, u"ab"_qs} << QStringList{u"a"_qs, u"ab"_qs};
        QTest::newRow("line sent: the emptied box once")
            << u"rkk"_qs << QStringList{u"abc"_qs, u"abc"_qs, u""_qs} << QStringList{u"abc"_qs, u""_qs};
        QTest::newRow("focus to the other box with other text")
            << u"rkr"_qs << QStringList{u"abc"_qs, u"abc"_qs, u"xy"_qs} << QStringList{u"abc"_qs, u"xy"_qs};
        QTest::newRow("focus back with the text already shown")
            << u"rkrr"_qs << QStringList{u"abc"_qs, u"abc"_qs, u"abc"_qs, u"abc"_qs}
            << QStringList{u"abc"_qs};
        QTest::newRow("a change back to an earlier text")
            << u"rrr"_qs << QStringList{u"か"_qs, u"かな"_qs, u"か"_qs}
            << QStringList{u"か"_qs, u"かな"_qs, u"か"_qs};
    }
    void oncePerChange()
    {
        QFETCH(QString, causes);
        QFETCH(QStringList, texts);
        QCOMPARE(causes.size(), texts.size());
        CMonitorTextGate gate;
        QStringList sent;
        for (qsizetype i = 0; i < causes.size(); ++i) {
            const auto cause =
                causes.at(i) == u'k' ? CMonitorTextGate::Cause::KeyRelease : CMonitorTextGate::Cause::Refresh;
            if (gate.Pass(texts.at(i), cause))
                sent.append(texts.at(i));
        }
        QTEST(sent, "sent");
    }
};

QTEST_APPLESS_MAIN(MonitorTextGateTest)
#include "MonitorTextGateTest.moc"
