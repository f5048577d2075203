#include "core/CDialogs.h"

#include <QtTest>

// The seam every window asks its questions through: scripted, it must never show a window, must
// hand out the queued answers in order and must fall back to the answer that changes nothing.
class DialogsTest final : public QObject
{
    Q_OBJECT

private slots:
    void init() { CDialogs::reset(); }
    void cleanup() { CDialogs::reset(); }

    void scriptedAnswersInOrderThenSafeDefaults()
    {
        CDialogs::setScripted(true);
        CDialogs::queueAnswer(CDialogs::Answer::No);
        CDialogs::queueAnswer(CDialogs::Answer::Ok);
        const CDialogs::Message question{CDialogs::Icon::Question, CDialogs::Buttons::YesNoCancel,
                                         QStringLiteral("caption"), QStringLiteral("save?"),
                                         CDialogs::Answer::Yes};
        QCOMPARE(CDialogs::ask(nullptr, question), CDialogs::Answer::No);
        QVERIFY(CDialogs::confirm(nullptr, CDialogs::Icon::Warning, QStringLiteral("c"),
                                  QStringLiteral("sure?")));
        // Nothing queued: a question is cancelled, an OK box is acknowledged.
        QVERIFY(!CDialogs::confirm(nullptr, CDialogs::Icon::Warning, QStringLiteral("c"),
                                   QStringLiteral("again?")));
        QCOMPARE(CDialogs::ask(nullptr, question), CDialogs::Answer::Cancel);
        CDialogs::tell(nullptr, CDialogs::Icon::Critical, QStringLiteral("error"), QStringLiteral("failed"));

        const QList<CDialogs::Message> asked = CDialogs::takeAsked();
        QCOMPARE(asked.size(), 5);
        QCOMPARE(asked.at(0).text, QStringLiteral("save?"));
        QCOMPARE(asked.at(2).text, QStringLiteral("again?"));
        QCOMPARE(asked.at(4).icon, CDialogs::Icon::Critical);
        QVERIFY(CDialogs::takeAsked().isEmpty());
    }

    void scriptedPathsAndCancel()
    {
        CDialogs::setScripted(true);
        CDialogs::queuePath(QStringLiteral("/tmp/a.txt"));
        CDialogs::FileRequest request;
        request.caption = QStringLiteral("open");
        request.selection = QStringLiteral("/tmp/current.txt");
        QCOMPARE(CDialogs::chooseFile(nullptr, request), QStringLiteral("/tmp/a.txt"));
        QCOMPARE(CDialogs::chooseFolder(nullptr, QStringLiteral("folder"), QStringLiteral("/tmp")),
                 QString());
        const QList<CDialogs::Message> asked = CDialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.at(0).caption, QStringLiteral("open"));
        QCOMPARE(asked.at(0).text, QStringLiteral("/tmp/current.txt"));
        QCOMPARE(asked.at(1).caption, QStringLiteral("folder"));
    }

    void resetLeavesScriptedMode()
    {
        CDialogs::setScripted(true);
        CDialogs::queueAnswer(CDialogs::Answer::Yes);
        CDialogs::reset();
        QVERIFY(!CDialogs::scripted());
        CDialogs::setScripted(true);
        // The answer queued before the reset is gone.
        QCOMPARE(CDialogs::ask(nullptr, {}), CDialogs::Answer::Ok);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
