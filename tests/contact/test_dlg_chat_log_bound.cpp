// The contact window's log keeps a bounded number of lines however many messages arrive: a peer
// can send them as fast as it likes.
#include "contact/CDlgChat.h"

#include "TestHome.h"

#include "config/CConfig.h"
#include "config/CCustomPalette.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <memory>

class DlgChatLogBoundTest final : public QObject
{
    Q_OBJECT

private slots:
    void logKeepsTheNewestLines_data()
    {
        QTest::addColumn<int>("messages");
        QTest::newRow("below the bound") << 10;
        QTest::newRow("well past the bound") << CDlgChat::kMaxLogLines + 700;
    }

    void logKeepsTheNewestLines()
    {
        QFETCH(int, messages);
        TestHome home;
        CConfig config;
        CCustomPalette palette;
        ToolWindowHost host;
        host.config = &config;
        host.palette = &palette;
        CDlgChat dlg(
            host, [](const QString &) {}, [] { return QTime(12, 0); });
        dlg.CopyConfigToWindow();

        for (int i = 0; i < messages; ++i)
            dlg.contactAppendLine(QStringLiteral("peer: message %1").arg(i));

        const QTextDocument *log = dlg.log()->document();
        QVERIFY(log->blockCount() <= CDlgChat::kMaxLogLines);
        // The newest message is the last line (an empty line follows the last break).
        QTextBlock last = log->lastBlock();
        if (last.text().isEmpty())
            last = last.previous();
        QCOMPARE(last.text(), QStringLiteral("peer: message %1").arg(messages - 1));
        // The oldest line kept follows on from the ones dropped, with no gap.
        const int kept = messages < CDlgChat::kMaxLogLines ? messages : log->blockCount() - 1;
        QCOMPARE(log->firstBlock().text(), QStringLiteral("peer: message %1").arg(messages - kept));
        QVERIFY(!log->isUndoAvailable());
    }
};

QTEST_MAIN(DlgChatLogBoundTest)
#include "test_dlg_chat_log_bound.moc"
