#include "members/CMonitorTextFit.h"

#include <QTest>

namespace {

// Ten pixels a code unit: the reserve " ... " is 50 pixels wide.
int tenEach(QStringView text)
{
    return static_cast<int>(text.size()) * 10;
}

} // namespace

class MonitorTextFitTest final : public QObject
{
    Q_OBJECT

private slots:
    void fit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits exactly") << QStringLiteral("abcde") << 100 << QStringLiteral("abcde");
        QTest::newRow("one too many keeps the end")
            << QStringLiteral("abcdef") << 100 << QStringLiteral("bcdef");
        QTest::newRow("long text keeps the end")
            << QStringLiteral("0123456789abcdef") << 90 << QStringLiteral("cdef");
        QTest::newRow("empty") << QString() << 10 << QString();
        QTest::newRow("column narrower than the reserve") << QStringLiteral("abc") << 20 << QString();
        QTest::newRow("surrogate pair not split")
            << QStringLiteral("ab\U0001F600cd") << 80 << QStringLiteral("cd");
    }
    void fit()
    {
        QFETCH(QString, text);
        QFETCH(int, column);
        QFETCH(QString, shown);
        QCOMPARE(CMonitorTextFit::Fit(text, column, tenEach), shown);
    }

    void proportionalWidthsFindTheLongestFittingTail()
    {
        // Wide "W" (30) and narrow "i" (5): the tail is the longest one within 100 - 50 pixels.
        const auto width = [](QStringView text) {
            int w = 0;
            for (QChar c : text)
                w += c == u'W' ? 30 : c == u'i' ? 5 : 10;
            return w;
        };
        QCOMPARE(CMonitorTextFit::Fit(QStringLiteral("WWWiiiiWiiii"), 100, width), QStringLiteral("Wiiii"));
    }
};

QTEST_APPLESS_MAIN(MonitorTextFitTest)
#include "test_dlg_member_text_fit.moc"
