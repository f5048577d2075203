#include "TestHome.h"

#include "app/CDlgMessage.h"
#include "core/StringTable.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class DlgMessageTest final : public QObject
{
    Q_OBJECT

private slots:
    void aboutText_data();
    void aboutText();
    void aboutTextOfThisRun();
    void showsTextReadOnlyAndLogsOk();
};

void DlgMessageTest::aboutText_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");
    QTest::newRow("japanese layout")
        << QStringLiteral("tavrin - subtitling application for windows") << QStringLiteral("1.4.1.0")
        << 0x0411
        << QStringLiteral("tavrin - subtitling application for windows\r\nバージョン 1.4.1.0\r\n\r\n"
                          "KeyLayout:0411 Codepage=932");
    QTest::newRow("small layout value is padded")
        << QStringLiteral("P") << QStringLiteral("2.0") << 0x9
        << QStringLiteral("P\r\nバージョン 2.0\r\n\r\nKeyLayout:0009 Codepage=932");
    QTest::newRow("no version") << QStringLiteral("P") << QString() << 0
                                << CStringTable::get(132) +
                                       QStringLiteral("\r\n\r\nKeyLayout:0000 Codepage=932");
}

void DlgMessageTest::aboutText()
{
    QFETCH(QString, product);
    QFETCH(QString, version);
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QCOMPARE(CDlgMessage::BuildAboutText(product, version, static_cast<quint16>(layout), 932), expected);
}

void DlgMessageTest::aboutTextOfThisRun()
{
    const QString text = CDlgMessage::AboutText();
    QVERIFY2(text.startsWith(
                 QStringLiteral("tavrin - subtitling application for windows\r\nバージョン 1.4.1.0\r\n\r\n"
                                "KeyLayout:")),
             qPrintable(text));
    QVERIFY(text.endsWith(QStringLiteral(" Codepage=932")));
    QVERIFY(CDlgMessage::AboutText(0x0411).startsWith(
        QStringLiteral("パソコン要約筆記ソフト tavrin for windows\r\n")));
}

void DlgMessageTest::showsTextReadOnlyAndLogsOk()
{
    TestHome home;
    CDlgMessage dialog(QStringLiteral("line 1\r\nline 2"));
    const auto *edit = dialog.findChild<QPlainTextEdit *>();
    QVERIFY(edit->isReadOnly());
    QCOMPARE(edit->toPlainText(), QStringLiteral("line 1\nline 2"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("メッセージ"));
    QTimer::singleShot(
        0, &dialog, [&] { dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click(); });

    QCOMPARE(dialog.exec(), int(QDialog::Accepted));

    QCOMPARE(operationLogLines(), QStringList{QStringLiteral("CDlgMessage finished by [OK].")});
}

QTEST_MAIN(DlgMessageTest)
#include "test_dlg_message.moc"
