#include "preroll/CEngagedEdit.h"

#include <QTextDocument>
#include <QtTest>

// A pane's edit as the pre-roll window gets it: nothing typed yet.
class EngagedEditTest final : public QObject
{
    Q_OBJECT

private slots:
    void newEditHoldsNoChanges();
};

void EngagedEditTest::newEditHoldsNoChanges()
{
    CEngagedEdit edit;
    // Opening a file into a pane that nobody typed in must not ask whether to save it.
    QVERIFY(!edit.document()->isModified());
    // Undo in a fresh pane has nothing to take back; the margin stays as set.
    QVERIFY(!edit.document()->isUndoAvailable());
    QCOMPARE(edit.document()->documentMargin(), qreal(CEngagedEdit::kMargin));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit.document()->documentMargin(), qreal(CEngagedEdit::kMargin));

    QTest::keyClicks(&edit, QStringLiteral("a"));
    QVERIFY(edit.document()->isModified());
}

QTEST_MAIN(EngagedEditTest)
#include "EngagedEditTest.moc"
