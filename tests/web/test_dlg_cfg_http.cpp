#include "TestHome.h"

#include "config/CConfig.h"
#include "core/StringTable.h"
#include "web/CDlgCfgHttp.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

QLineEdit *edit(const CDlgCfgHttp &dialog, int id)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("edit%1").arg(id));
}

QString stored(const CConfig &config, const char16_t *key)
{
    QString value;
    config.GetString(QString::fromUtf16(key), value);
    return value;
}

} // namespace

class TestDlgCfgHttp final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void opensWithTheSettings();
    void checks_data();
    void checks();
    void okStoresAndSwitches_data();
    void okStoresAndSwitches();
    void cancelStoresNothing();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestDlgCfgHttp::opensWithTheSettings()
{
    CConfig config;
    config.SetString(u"communication.http.bgcolor"_qs, u"102030"_qs);
    config.SetInt(u"communication.http.letter_i"_qs, 20);
    CDlgCfgHttp dialog(true, u"http://192.0.2.1:8080/\r\nhttp://198.51.100.2:8080/"_qs, config);

    QCOMPARE(dialog.windowTitle(), u"簡易Webサーバー設定"_qs);
    QVERIFY(dialog.findChild<QCheckBox *>(u"check1067"_qs)->isChecked());
    auto *access = dialog.findChild<QPlainTextEdit *>(u"edit1068"_qs);
    QVERIFY(access->isReadOnly());
    QCOMPARE(access->toPlainText(), u"http://192.0.2.1:8080/\nhttp://198.51.100.2:8080/"_qs);
    const std::pair<int, QString> shown[] = {
        {CDlgCfgHttp::kIdTextColor, u"ffffff"_qs}, {CDlgCfgHttp::kIdBackgroundColor, u"102030"_qs},
        {CDlgCfgHttp::kIdFontSize, u"150"_qs},     {CDlgCfgHttp::kIdLineHeight, u"140"_qs},
        {CDlgCfgHttp::kIdReload, u"800"_qs},       {CDlgCfgHttp::kIdLines, u"7"_qs},
        {CDlgCfgHttp::kIdLetters, u"20"_qs},
    };
    for (const auto &[id, text] : shown)
        QCOMPARE(edit(dialog, id)->text(), text);

    const QStringList log = operationLogLines();
    QVERIFY(log.contains(u"CDlgCfgHttp::OnInitDialog() begins."_qs));
    QVERIFY(log.contains(u"CDlgCfgHttp::OnInitDialog() finished."_qs));
}

void TestDlgCfgHttp::checks_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("message");

    QTest::newRow("colour upper case") << int(CDlgCfgHttp::kIdTextColor) << u"ABCDEF"_qs << 0;
    QTest::newRow("colour number sign") << int(CDlgCfgHttp::kIdTextColor) << u"#FFFFF"_qs << 142;
    QTest::newRow("colour five digits") << int(CDlgCfgHttp::kIdTextColor) << u"FFFFF"_qs << 142;
    QTest::newRow("colour letter beyond f") << int(CDlgCfgHttp::kIdTextColor) << u"fffffg"_qs << 142;
    QTest::newRow("background lower case") << int(CDlgCfgHttp::kIdBackgroundColor) << u"0a0b0c"_qs << 0;
    QTest::newRow("background empty") << int(CDlgCfgHttp::kIdBackgroundColor) << QString() << 143;
    QTest::newRow("font size 10") << int(CDlgCfgHttp::kIdFontSize) << u"10"_qs << 0;
    QTest::newRow("font size 1000") << int(CDlgCfgHttp::kIdFontSize) << u"1000"_qs << 0;
    QTest::newRow("font size 9") << int(CDlgCfgHttp::kIdFontSize) << u"9"_qs << 144;
    QTest::newRow("font size 1001") << int(CDlgCfgHttp::kIdFontSize) << u"1001"_qs << 144;
    QTest::newRow("font size not a number") << int(CDlgCfgHttp::kIdFontSize) << u"150%"_qs << 144;
    QTest::newRow("line height 100") << int(CDlgCfgHttp::kIdLineHeight) << u"100"_qs << 0;
    QTest::newRow("line height 201") << int(CDlgCfgHttp::kIdLineHeight) << u"201"_qs << 145;
    QTest::newRow("reload 500") << int(CDlgCfgHttp::kIdReload) << u"500"_qs << 0;
    QTest::newRow("reload 100000") << int(CDlgCfgHttp::kIdReload) << u"100000"_qs << 0;
    QTest::newRow("reload 499") << int(CDlgCfgHttp::kIdReload) << u"499"_qs << 146;
    QTest::newRow("reload too large for a number") << int(CDlgCfgHttp::kIdReload) << u"99999999999"_qs << 146;
    QTest::newRow("lines 15") << int(CDlgCfgHttp::kIdLines) << u"15"_qs << 0;
    QTest::newRow("lines 16") << int(CDlgCfgHttp::kIdLines) << u"16"_qs << 147;
    QTest::newRow("lines empty counts as 0") << int(CDlgCfgHttp::kIdLines) << QString() << 147;
    QTest::newRow("lines negative") << int(CDlgCfgHttp::kIdLines) << u"-1"_qs << 147;
    QTest::newRow("letters 5") << int(CDlgCfgHttp::kIdLetters) << u"5"_qs << 0;
    QTest::newRow("letters 42") << int(CDlgCfgHttp::kIdLetters) << u"42"_qs << 148;
}

void TestDlgCfgHttp::checks()
{
    QFETCH(int, id);
    QFETCH(QString, value);
    QFETCH(int, message);
    CConfig config;
    CDlgCfgHttp dialog(false, QString(), config);
    QStringList shown;
    dialog.setMessageBox([&shown](const QString &text, const QString &caption) {
        shown.append(text);
        shown.append(caption);
    });
    edit(dialog, id)->setText(value);
    dialog.show();
    dialog.accept();
    if (message == 0) {
        QVERIFY(shown.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(stored(config, id == CDlgCfgHttp::kIdTextColor         ? u"communication.http.color"
                                : id == CDlgCfgHttp::kIdBackgroundColor ? u"communication.http.bgcolor"
                                : id == CDlgCfgHttp::kIdFontSize        ? u"communication.http.fontsize_i"
                                : id == CDlgCfgHttp::kIdLineHeight      ? u"communication.http.lineheight_i"
                                : id == CDlgCfgHttp::kIdReload          ? u"communication.http.reload_i"
                                : id == CDlgCfgHttp::kIdLines           ? u"communication.http.line_i"
                                                                        : u"communication.http.letter_i"),
                 value);
    } else {
        QCOMPARE(shown, (QStringList{CStringTable::get(message), CStringTable::get(116)}));
        QVERIFY(dialog.isVisible());
        QVERIFY(!operationLogLines().contains(u"CDlgCfgHttp finished by [OK]."_qs));
    }
}

void TestDlgCfgHttp::okStoresAndSwitches_data()
{
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("checked");
    QTest::newRow("switch on") << false << true;
    QTest::newRow("switch off") << true << false;
    QTest::newRow("stay on") << true << true;
}

void TestDlgCfgHttp::okStoresAndSwitches()
{
    QFETCH(bool, before);
    QFETCH(bool, checked);
    CConfig config;
    CDlgCfgHttp dialog(before, QString(), config);
    dialog.findChild<QCheckBox *>(u"check1067"_qs)->setChecked(checked);
    edit(dialog, CDlgCfgHttp::kIdLines)->setText(u"12"_qs);
    edit(dialog, CDlgCfgHttp::kIdTextColor)->setText(u"FfEe00"_qs);
    dialog.show();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.serverOn(), checked);
    QCOMPARE(stored(config, u"communication.http.line_i"), u"12"_qs);
    QCOMPARE(stored(config, u"communication.http.color"), u"FfEe00"_qs);
    QVERIFY(operationLogLines().contains(u"CDlgCfgHttp finished by [OK]."_qs));
}

void TestDlgCfgHttp::cancelStoresNothing()
{
    CConfig config;
    {
        // Two refused values come in one box, on two lines; nothing is stored.
        CDlgCfgHttp dialog(false, QString(), config);
        QStringList shown;
        dialog.setMessageBox([&shown](const QString &text, const QString &) { shown.append(text); });
        dialog.findChild<QCheckBox *>(u"check1067"_qs)->setChecked(true);
        edit(dialog, CDlgCfgHttp::kIdFontSize)->setText(u"5"_qs);
        edit(dialog, CDlgCfgHttp::kIdLines)->setText(u"20"_qs);
        edit(dialog, CDlgCfgHttp::kIdLetters)->setText(u"30"_qs);
        dialog.show();
        dialog.accept();
        QCOMPARE(shown, QStringList{CStringTable::get(144) + u"\r\n"_qs + CStringTable::get(147)});
        QVERIFY(!dialog.serverOn());
        QCOMPARE(stored(config, u"communication.http.letter_i"), u"16"_qs);

        dialog.reject();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.serverOn());
    }
    QCOMPARE(stored(config, u"communication.http.fontsize_i"), u"150"_qs);
    QCOMPARE(stored(config, u"communication.http.line_i"), u"7"_qs);
    QCOMPARE(stored(config, u"communication.http.letter_i"), u"16"_qs);
    QVERIFY(operationLogLines().contains(u"CDlgCfgHttp finished by [cancel]."_qs));
}

QTEST_MAIN(TestDlgCfgHttp)
#include "test_dlg_cfg_http.moc"
