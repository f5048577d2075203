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
                                         u"caption"_qs, u"save?"_qs, CDialogs::Answer::Yes};
        QCOMPARE(CDialogs::ask(nullptr, question), CDialogs::Answer::No);
        QVERIFY(CDialogs::confirm(nullptr, CDialogs::Icon::Warning, u"c"_qs, u"sure?"_qs));
        // Nothing queued: a question is cancelled, an OK box is acknowledged.
        QVERIFY(!CDialogs::confirm(nullptr, CDialogs::Icon::Warning, u"c"_qs, u"again?"_qs));
        QCOMPARE(CDialogs::ask(nullptr, question), CDialogs::Answer::Cancel);
        CDialogs::tell(nullptr, CDialogs::Icon::Critical, u"error"_qs, u"failed"_qs);

        const QList<CDialogs::Message> asked = CDialogs::takeAsked();
        QCOMPARE(asked.size(), 5);
        QCOMPARE(asked.at(0).text, u"save?"_qs);
        QCOMPARE(asked.at(2).text, u"again?"_qs);
        QCOMPARE(asked.at(4).icon, CDialogs::Icon::Critical);
        QVERIFY(CDialogs::takeAsked().isEmpty());
    }

    void scriptedPathsAndCancel()
    {
        CDialogs::setScripted(true);
        CDialogs::queuePath(u"/tmp/a.txt"_qs);
        CDialogs::FileRequest request;
        request.caption = u"open"_qs;
        request.selection = u"/tmp/current.txt"_qs;
        QCOMPARE(CDialogs::chooseFile(nullptr, request), u"/tmp/a.txt"_qs);
        QCOMPARE(CDialogs::chooseFolder(nullptr, u"folder"_qs, u"/tmp"_qs), QString());
        const QList<CDialogs::Message> asked = CDialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.at(0).caption, u"open"_qs);
        QCOMPARE(asked.at(0).text, u"/tmp/current.txt"_qs);
        QCOMPARE(asked.at(1).caption, u"folder"_qs);
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
