#include "TestHome.h"

#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/StringTable.h"
#include "display/CDlgCfgDisplay.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

int intKey(const CConfig &config, const QString &key)
{
    qint32 value = -1;
    config.GetInt(key, value);
    return value;
}

QLineEdit *edit(const CDlgCfgDisplay &dialog, int id)
{
    return dialog.findChild<QLineEdit *>(QString::number(id));
}

QCheckBox *check(const CDlgCfgDisplay &dialog, int id)
{
    return dialog.findChild<QCheckBox *>(QString::number(id));
}

struct Refusal
{
    int count = 0;
    QString text;
    QString caption;
};

// What the refusals asked since the last call.
Refusal refusals()
{
    Refusal refusal;
    for (const CDialogs::Message &message : CDialogs::takeAsked()) {
        ++refusal.count;
        refusal.text = message.text;
        refusal.caption = message.caption;
    }
    return refusal;
}

// The keys in the order the dialog checks them, with their edits.
const QList<QPair<int, QString>> kNumbers = {
    {1052, QStringLiteral("main.scroll.period_i")},       {1053, QStringLiteral("main.scroll.pixel_i")},
    {1054, QStringLiteral("main.line.height_i")},         {1084, QStringLiteral("main.font.outline.width_i")},
    {1086, QStringLiteral("main.translucent.opacity_i")},
};

} // namespace

class TestDlgCfgDisplay final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void filledFromSettings();
    void rangeChecks_data();
    void rangeChecks();
    void firstRefusedInOrder_data();
    void firstRefusedInOrder();
    void okWritesEightKeys();
    void cancelWritesNothing();
    void runAppliesOnOkOnly_data();
    void runAppliesOnOkOnly();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<CConfig> m_config;
};

void TestDlgCfgDisplay::init()
{
    m_home = std::make_unique<TestHome>();
    m_config = std::make_unique<CConfig>();
    m_config->Initialize();
    CDialogs::setScripted(true);
}

void TestDlgCfgDisplay::cleanup()
{
    CDialogs::reset();
    m_config.reset();
    m_home.reset();
}

void TestDlgCfgDisplay::filledFromSettings()
{
    m_config->SetInt(QStringLiteral("main.scroll.period_i"), 45);
    m_config->SetInt(QStringLiteral("main.scroll.pixel_i"), 3);
    m_config->SetInt(QStringLiteral("main.line.height_i"), 150);
    m_config->SetInt(QStringLiteral("main.font.outline.width_i"), 7);
    m_config->SetInt(QStringLiteral("main.font.outline_i"), 1);
    m_config->SetInt(QStringLiteral("main.topmost_i"), 0);
    m_config->SetInt(QStringLiteral("main.translucent.opacity_i"), 33);
    m_config->SetInt(QStringLiteral("main.translucent_i"), 1);
    CDlgCfgDisplay dialog(*m_config);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("表示設定"));
    QCOMPARE(edit(dialog, 1052)->text(), QStringLiteral("45"));
    QCOMPARE(edit(dialog, 1053)->text(), QStringLiteral("3"));
    QCOMPARE(edit(dialog, 1054)->text(), QStringLiteral("150"));
    QCOMPARE(edit(dialog, 1084)->text(), QStringLiteral("7"));
    QVERIFY(check(dialog, 1083)->isChecked());
    QVERIFY(!check(dialog, 1087)->isChecked());
    QCOMPARE(edit(dialog, 1086)->text(), QStringLiteral("33"));
    QVERIFY(check(dialog, 1085)->isChecked());
}

void TestDlgCfgDisplay::rangeChecks_data()
{
    QTest::addColumn<int>("control");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("period 9") << 1052 << QStringLiteral("9") << false;
    QTest::newRow("period 10") << 1052 << QStringLiteral("10") << true;
    QTest::newRow("period large") << 1052 << QStringLiteral("100000") << true;
    QTest::newRow("period empty") << 1052 << QString() << false;
    QTest::newRow("pixels 0") << 1053 << QStringLiteral("0") << false;
    QTest::newRow("pixels 1") << 1053 << QStringLiteral("1") << true;
    QTest::newRow("line height 69") << 1054 << QStringLiteral("69") << false;
    QTest::newRow("line height 70") << 1054 << QStringLiteral("70") << true;
    QTest::newRow("line height 200") << 1054 << QStringLiteral("200") << true;
    QTest::newRow("line height 201") << 1054 << QStringLiteral("201") << false;
    QTest::newRow("outline width 0") << 1084 << QStringLiteral("0") << false;
    QTest::newRow("outline width 1") << 1084 << QStringLiteral("1") << true;
    QTest::newRow("outline width 99") << 1084 << QStringLiteral("99") << true;
    QTest::newRow("outline width 100") << 1084 << QStringLiteral("100") << false;
    QTest::newRow("opacity 0") << 1086 << QStringLiteral("0") << true;
    QTest::newRow("opacity 100") << 1086 << QStringLiteral("100") << true;
    QTest::newRow("opacity 101") << 1086 << QStringLiteral("101") << false;
    QTest::newRow("opacity empty") << 1086 << QString() << false;
}

void TestDlgCfgDisplay::rangeChecks()
{
    QFETCH(int, control);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QString key;
    for (const auto &[id, name] : kNumbers) {
        if (id == control)
            key = name;
    }
    const int before = intKey(*m_config, key);

    CDlgCfgDisplay dialog(*m_config);
    dialog.show();
    edit(dialog, control)->setText(value);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("1")), Qt::LeftButton);
    const Refusal refusal = refusals();

    if (accepted) {
        QCOMPARE(refusal.count, 0);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(intKey(*m_config, key), value.toInt());
        QVERIFY(operationLogLines().contains(QStringLiteral("CDlgCfgDisplay finished by [OK].")));
    } else {
        QCOMPARE(refusal.count, 1);
        QCOMPARE(refusal.text, CStringTable::get(168));
        QCOMPARE(refusal.text,
                 QStringLiteral("パラメータが範囲外です。設定ダイアログをよく読んで、再設定してください。"));
        QCOMPARE(refusal.caption, CStringTable::get(116));
        // Still open, with the value as typed, and nothing written.
        QVERIFY(dialog.isVisible());
        QCOMPARE(edit(dialog, control)->text(), value);
        QCOMPARE(intKey(*m_config, key), before);
        QVERIFY(!operationLogLines().contains(QStringLiteral("CDlgCfgDisplay finished by [OK].")));
    }
}

void TestDlgCfgDisplay::firstRefusedInOrder_data()
{
    QTest::addColumn<QList<int>>("badControls");
    QTest::addColumn<QString>("firstKey");
    QTest::newRow("opacity and period") << QList<int>{1086, 1052} << QStringLiteral("main.scroll.period_i");
    QTest::newRow("line height and pixels")
        << QList<int>{1054, 1053} << QStringLiteral("main.scroll.pixel_i");
    QTest::newRow("opacity and outline")
        << QList<int>{1086, 1084} << QStringLiteral("main.font.outline.width_i");
    QTest::newRow("opacity and line height")
        << QList<int>{1086, 1054} << QStringLiteral("main.line.height_i");
    QTest::newRow("opacity alone") << QList<int>{1086} << QStringLiteral("main.translucent.opacity_i");
}

void TestDlgCfgDisplay::firstRefusedInOrder()
{
    QFETCH(QList<int>, badControls);
    QFETCH(QString, firstKey);
    CDlgCfgDisplay dialog(*m_config);
    QVERIFY(!dialog.FirstOutOfRange());
    for (int control : badControls)
        edit(dialog, control)->setText(QStringLiteral("999"));
    // 999 is above every bound but the scroll period's and pixels'; those take 0.
    for (int control : badControls) {
        if (control == 1052 || control == 1053)
            edit(dialog, control)->setText(QStringLiteral("0"));
    }
    QCOMPARE(dialog.FirstOutOfRange(), std::optional<QString>(firstKey));
}

void TestDlgCfgDisplay::okWritesEightKeys()
{
    CDlgCfgDisplay dialog(*m_config);
    edit(dialog, 1052)->setText(QStringLiteral("25"));
    edit(dialog, 1053)->setText(QStringLiteral("6"));
    edit(dialog, 1054)->setText(QStringLiteral("120"));
    edit(dialog, 1084)->setText(QStringLiteral("5"));
    check(dialog, 1083)->setChecked(false);
    check(dialog, 1087)->setChecked(true);
    edit(dialog, 1086)->setText(QStringLiteral("50"));
    check(dialog, 1085)->setChecked(true);
    dialog.accept();
    QCOMPARE(refusals().count, 0);
    QCOMPARE(intKey(*m_config, QStringLiteral("main.scroll.period_i")), 25);
    QCOMPARE(intKey(*m_config, QStringLiteral("main.scroll.pixel_i")), 6);
    QCOMPARE(intKey(*m_config, QStringLiteral("main.line.height_i")), 120);
    // Unchecking the outline keeps its width.
    QCOMPARE(intKey(*m_config, QStringLiteral("main.font.outline.width_i")), 5);
    QCOMPARE(intKey(*m_config, QStringLiteral("main.font.outline_i")), 0);
    QCOMPARE(intKey(*m_config, QStringLiteral("main.topmost_i")), 1);
    QCOMPARE(intKey(*m_config, QStringLiteral("main.translucent.opacity_i")), 50);
    QCOMPARE(intKey(*m_config, QStringLiteral("main.translucent_i")), 1);
}

void TestDlgCfgDisplay::cancelWritesNothing()
{
    const QStringList keys = {QStringLiteral("main.scroll.period_i"), QStringLiteral("main.topmost_i"),
                              QStringLiteral("main.translucent_i")};
    QList<int> before;
    for (const QString &key : keys)
        before.append(intKey(*m_config, key));
    CDlgCfgDisplay dialog(*m_config);
    dialog.show();
    edit(dialog, 1052)->setText(QStringLiteral("500"));
    check(dialog, 1087)->setChecked(true);
    check(dialog, 1085)->setChecked(true);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("2")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(intKey(*m_config, keys.at(i)), before.at(i));
    QVERIFY(operationLogLines().contains(QStringLiteral("CDlgCfgDisplay finished by [cancel].")));
}

void TestDlgCfgDisplay::runAppliesOnOkOnly_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel") << false;
}

void TestDlgCfgDisplay::runAppliesOnOkOnly()
{
    QFETCH(bool, ok);
    int applied = 0;
    int periodSeenByApply = -1;
    QTimer::singleShot(0, this, [ok] {
        auto *dialog = qobject_cast<CDlgCfgDisplay *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        edit(*dialog, 1052)->setText(QStringLiteral("77"));
        if (ok)
            dialog->accept();
        else
            dialog->reject();
    });
    const bool result = CDlgCfgDisplay::Run(*m_config, nullptr, [&] {
        ++applied;
        // The display reads the settings already written.
        periodSeenByApply = intKey(*m_config, QStringLiteral("main.scroll.period_i"));
    });
    QCOMPARE(result, ok);
    QCOMPARE(applied, ok ? 1 : 0);
    if (ok)
        QCOMPARE(periodSeenByApply, 77);
}

QTEST_MAIN(TestDlgCfgDisplay)
#include "test_dlg_cfg_display.moc"
