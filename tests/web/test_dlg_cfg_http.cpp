#include "TestHome.h"

#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/CQrCodeView.h"
#include "core/StringTable.h"
#include "web/CDlgCfgHttp.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

QLineEdit *edit(const CDlgCfgHttp &dialog, int id)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("edit%1").arg(id));
}

QCheckBox *enable(const CDlgCfgHttp &dialog)
{
    return dialog.findChild<QCheckBox *>(u"check1067"_qs);
}

// The boxes shown since the last call, as "caption|text".
QStringList shownMessages()
{
    QStringList texts;
    for (const CDialogs::Message &message : CDialogs::takeAsked())
        texts.append(message.caption + u'|' + message.text);
    return texts;
}

QString refusal(const QString &text)
{
    return CStringTable::get(116) + u'|' + text;
}

} // namespace

class TestDlgCfgHttp final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        CDialogs::setScripted(true);
    }
    void cleanup()
    {
        CDialogs::reset();
        m_home.reset();
    }

    void opensWithTheSettings();
    void checks_data();
    void checks();
    void refusedValuesThenCancelStoreNothing();
    void serverThatCannotListenKeepsTheDialogOpen_data();
    void serverThatCannotListenKeepsTheDialogOpen();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestDlgCfgHttp::opensWithTheSettings()
{
    CConfig config;
    config.SetString(u"communication.http.bgcolor"_qs, u"102030"_qs);
    config.SetInt(u"communication.http.letter_i"_qs, 20);
    CDlgCfgHttp dialog(true, u"http://192.0.2.1:8080/\r\nhttp://198.51.100.2:8080/"_qs, config);

    QVERIFY(enable(dialog)->isChecked());
    auto *access = dialog.findChild<QPlainTextEdit *>(u"edit1068"_qs);
    QVERIFY(access->isReadOnly());
    QCOMPARE(access->toPlainText(), u"http://192.0.2.1:8080/\nhttp://198.51.100.2:8080/"_qs);
    QCOMPARE(edit(dialog, CDlgCfgHttp::kIdBackgroundColor)->text(), u"102030"_qs);
    QCOMPARE(edit(dialog, CDlgCfgHttp::kIdLetters)->text(), u"20"_qs);
}

void TestDlgCfgHttp::checks_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("message"); // 0: taken

    const auto row = [](const char *name, int id, const char16_t *key, const char16_t *value, int message) {
        QTest::newRow(name) << id << QString::fromUtf16(key) << QString::fromUtf16(value) << message;
    };
    const char16_t *size = u"communication.http.fontsize_i";
    const char16_t *lines = u"communication.http.line_i";
    row("colour upper case", CDlgCfgHttp::kIdTextColor, u"communication.http.color", u"ABCDEF", 0);
    row("colour number sign", CDlgCfgHttp::kIdTextColor, u"communication.http.color", u"#FFFFF", 142);
    row("background empty", CDlgCfgHttp::kIdBackgroundColor, u"communication.http.bgcolor", u"", 143);
    row("font size 10", CDlgCfgHttp::kIdFontSize, size, u"10", 0);
    row("font size 1000", CDlgCfgHttp::kIdFontSize, size, u"1000", 0);
    row("font size 9", CDlgCfgHttp::kIdFontSize, size, u"9", 144);
    row("font size not a number", CDlgCfgHttp::kIdFontSize, size, u"150%", 144);
    row("line height 201", CDlgCfgHttp::kIdLineHeight, u"communication.http.lineheight_i", u"201", 145);
    row("reload 499", CDlgCfgHttp::kIdReload, u"communication.http.reload_i", u"499", 146);
    row("lines 15", CDlgCfgHttp::kIdLines, lines, u"15", 0);
    row("lines empty counts as 0", CDlgCfgHttp::kIdLines, lines, u"", 147);
    row("letters 42", CDlgCfgHttp::kIdLetters, u"communication.http.letter_i", u"42", 148);
}

void TestDlgCfgHttp::checks()
{
    QFETCH(int, id);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, message);
    CConfig config;
    const QString before = config.GetStringOr(key);
    CDlgCfgHttp dialog(false, QString(), config);
    edit(dialog, id)->setText(value);
    dialog.show();
    dialog.accept();

    QCOMPARE(shownMessages(), message ? QStringList{refusal(CStringTable::get(message))} : QStringList{});
    QCOMPARE(dialog.isVisible(), message != 0);
    QCOMPARE(config.GetStringOr(key), message ? before : value);
}

void TestDlgCfgHttp::refusedValuesThenCancelStoreNothing()
{
    CConfig config;
    {
        // Two refused values come in one box, on two lines; nothing is stored.
        CDlgCfgHttp dialog(false, QString(), config);
        enable(dialog)->setChecked(true);
        edit(dialog, CDlgCfgHttp::kIdFontSize)->setText(u"5"_qs);
        edit(dialog, CDlgCfgHttp::kIdLines)->setText(u"20"_qs);
        edit(dialog, CDlgCfgHttp::kIdLetters)->setText(u"30"_qs);
        dialog.show();
        dialog.accept();
        QCOMPARE(shownMessages(),
                 QStringList{refusal(CStringTable::get(144) + u"\r\n"_qs + CStringTable::get(147))});
        dialog.reject();
    }
    QCOMPARE(config.GetIntOr(u"communication.http.fontsize_i"_qs, 0), 150);
    QCOMPARE(config.GetIntOr(u"communication.http.line_i"_qs, 0), 7);
    QCOMPARE(config.GetIntOr(u"communication.http.letter_i"_qs, 0), 16);
}

void TestDlgCfgHttp::serverThatCannotListenKeepsTheDialogOpen_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("listens");
    QTest::addColumn<bool>("closes");
    QTest::newRow("on and listening") << true << true << true;
    QTest::newRow("on, cannot listen") << true << false << false;
    QTest::newRow("off") << false << true << true;
}

void TestDlgCfgHttp::serverThatCannotListenKeepsTheDialogOpen()
{
    QFETCH(bool, checked);
    QFETCH(bool, listens);
    QFETCH(bool, closes);
    CConfig config;
    CDlgCfgHttp dialog(false, u"http://192.0.2.1:8080/"_qs, config);
    dialog.setServerView(u"停止中"_qs, u"http://192.0.2.1:8080/"_qs, u"http://192.0.2.1:8080/live"_qs);
    auto *code = dialog.findChild<CQrCodeView *>(u"httpQrCode"_qs);
    QVERIFY(code->isVisibleTo(&dialog) && code->hasCode());
    QList<bool> applied;
    int linesWhenApplied = 0;
    dialog.setApplyHook([&](bool on) {
        applied.append(on);
        linesWhenApplied = config.GetIntOr(u"communication.http.line_i"_qs, 0);
        if (!listens)
            dialog.setServerView(u"待ち受けできません"_qs, QString(), QString());
        return listens;
    });
    enable(dialog)->setChecked(checked);
    edit(dialog, CDlgCfgHttp::kIdLines)->setText(u"3"_qs);
    dialog.show();
    dialog.accept();
    QCOMPARE(applied, QList<bool>{checked});
    // Stored before the server is switched, so that it starts with the new page settings.
    QCOMPARE(linesWhenApplied, 3);
    QCOMPARE(dialog.isVisible(), !closes);
    QCOMPARE(dialog.findChild<QLabel *>(u"httpStatus"_qs)->text(),
             listens ? u"停止中"_qs : u"待ち受けできません"_qs);
    QCOMPARE(code->isVisibleTo(&dialog), listens);
}

QTEST_MAIN(TestDlgCfgHttp)
#include "test_dlg_cfg_http.moc"
