#include "TestHome.h"

#include "app/CDlgCfgInit.h"
#include "app/CDlgCfgLang.h"
#include "app/CDlgMessage.h"
#include "app/CDlgNic.h"
#include "app/CLanguageResources.h"
#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/StringTable.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// Loopback entries only: the dialog never touches a network, and neither may its test.
QList<AdapterEntry> adapters(int count)
{
    QList<AdapterEntry> list;
    for (int i = 1; i <= count; ++i)
        list.append({i, QStringLiteral("Adapter %1").arg(i), QStringLiteral("127.0.40.%1").arg(i),
                     QStringLiteral("127.255.255.255")});
    return list;
}

template <typename Widget> Widget *child(QWidget &dialog, const QString &name)
{
    return dialog.findChild<Widget *>(name);
}

QStringList items(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

// Presses the button once the dialog's loop runs.
void pressWhenShown(QDialog &dialog, const QString &text, const std::function<void()> &before = {})
{
    QTimer::singleShot(0, &dialog, [&dialog, text, before] {
        if (before)
            before();
        for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == text)
                return button->click();
        }
    });
}

} // namespace

class TestAppDialogs final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup()
    {
        CDialogs::reset();
        m_home.reset();
    }

    void loginDialog_data();
    void loginDialog();
    void startupTypeDialog_data();
    void startupTypeDialog();
    void aboutText_data();
    void aboutText();
    void languageDialogListsTheFiles();
    void languageDialogOk_data();
    void languageDialogOk();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestAppDialogs::loginDialog_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("storedNic");
    QTest::addColumn<int>("shown"); // the adapter entry chosen when the dialog opens
    QTest::addColumn<int>("adapter");
    QTest::addColumn<int>("channelIndex");
    QTest::addColumn<int>("groupIndex");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("nicName");
    QTest::newRow("no adapter: the stored name stays") << 0 << "Remembered" << 0 << 0 << 7 << 2 << "ログイン"
                                                       << "Remembered";
    QTest::newRow("stored adapter shown, third chosen, channel 1, group A")
        << 3 << "Adapter 2" << 1 << 2 << 0 << 0 << "ログイン"
        << "Adapter 3";
    QTest::newRow("unknown adapter: the first") << 2 << "Gone" << 0 << 0 << 6 << 4 << "ログイン"
                                                << "Adapter 1";
    QTest::newRow("cancel writes nothing") << 2 << "Remembered" << 0 << 1 << 5 << 5 << "キャンセル"
                                           << "Remembered";
}

void TestAppDialogs::loginDialog()
{
    QFETCH(int, count);
    QFETCH(QString, storedNic);
    QFETCH(int, adapter);
    QFETCH(int, channelIndex);
    QFETCH(int, groupIndex);
    QFETCH(QString, button);
    const bool login = button == u"ログイン";
    CConfig config;
    config.SetString(u"communication.name"_qs, u"member1"_qs);
    config.SetString(u"communication.nic.name"_qs, storedNic);
    config.SetInt(u"communication.channel_i"_qs, 12);
    config.SetInt(u"communication.group_i"_qs, 26);
    CDlgNic dialog(adapters(count), config);
    auto *list = child<QComboBox>(dialog, u"adapters"_qs);
    QCOMPARE(items(list).size(), std::max(count, 1));
    QCOMPARE(list->itemText(0), count ? u"Adapter 1 127.0.40.1"_qs : CStringTable::get(115));
    QTEST(list->currentIndex(), "shown");
    QCOMPARE(child<QLineEdit>(dialog, u"name"_qs)->text(), u"member1"_qs);
    QCOMPARE(child<QComboBox>(dialog, u"channels"_qs)->currentText(), u"12"_qs);
    QCOMPARE(child<QComboBox>(dialog, u"groups"_qs)->currentText(), u"Z"_qs);
    pressWhenShown(dialog, button, [&] {
        list->setCurrentIndex(adapter);
        // The name is cut at the store's bound while it is typed.
        child<QLineEdit>(dialog, u"name"_qs)->clear();
        QTest::keyClicks(child<QLineEdit>(dialog, u"name"_qs), u"abcdefghijklmnopqrstu"_qs);
        child<QComboBox>(dialog, u"channels"_qs)->setCurrentIndex(channelIndex);
        child<QComboBox>(dialog, u"groups"_qs)->setCurrentIndex(groupIndex);
    });

    QCOMPARE(dialog.DoModal(), login ? adapter : -1);

    QCOMPARE(config.GetStringOr(u"communication.name"_qs), login ? u"abcdefghijklmnop"_qs : u"member1"_qs);
    QCOMPARE(config.GetIntOr(u"communication.channel_i"_qs, 0), login ? channelIndex + 1 : 12);
    QCOMPARE(config.GetIntOr(u"communication.group_i"_qs, 0), login ? groupIndex + 1 : 26);
    QTEST(config.GetStringOr(u"communication.nic.name"_qs), "nicName");
}

void TestAppDialogs::startupTypeDialog_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("after");
    QTest::newRow("0 shown, 2 chosen") << 0 << int(CDlgCfgInit::kIdLastExit) << u"OK"_qs << 2;
    QTest::newRow("1 shown, 0 chosen") << 1 << int(CDlgCfgInit::kIdNone) << u"OK"_qs << 0;
    QTest::newRow("2 shown, 1 chosen") << 2 << int(CDlgCfgInit::kIdCurrent) << u"OK"_qs << 1;
    QTest::newRow("cancel stores nothing") << 1 << int(CDlgCfgInit::kIdLastExit) << u"キャンセル"_qs << 1;
}

void TestAppDialogs::startupTypeDialog()
{
    QFETCH(int, stored);
    QFETCH(int, clicked);
    QFETCH(QString, button);
    QFETCH(int, after);
    CConfig config;
    config.SetInt(u"miscellaneous.init.type_i"_qs, stored);
    CDlgCfgInit dialog(config);
    for (int type = 0; type < 3; ++type)
        QCOMPARE(child<QRadioButton>(dialog, u"radio%1"_qs.arg(CDlgCfgInit::kButtonIds[type]))->isChecked(),
                 type == stored);
    QDialogButtonBox *buttons = dialog.findChild<QDialogButtonBox *>();
    QTimer::singleShot(0, &dialog, [&] {
        child<QRadioButton>(dialog, u"radio%1"_qs.arg(clicked))->click();
        buttons->button(button == u"OK" ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });

    QCOMPARE(dialog.exec(), int(button == u"OK" ? QDialog::Accepted : QDialog::Rejected));

    QCOMPARE(config.GetIntOr(u"miscellaneous.init.type_i"_qs, -1), after);
}

void TestAppDialogs::aboutText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");
    QTest::newRow("small layout value is padded")
        << "2.0" << 0x9 << "P\r\nバージョン 2.0\r\n\r\nKeyLayout:0009 Codepage=932";
    QTest::newRow("no version") << "" << 0x0411
                                << CStringTable::get(132) + u"\r\n\r\nKeyLayout:0411 Codepage=932"_qs;
}

void TestAppDialogs::aboutText()
{
    QFETCH(QString, version);
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QCOMPARE(CDlgMessage::BuildAboutText(u"P"_qs, version, static_cast<quint16>(layout), 932), expected);
    CDlgMessage dialog(u"line 1\r\nline 2"_qs);
    QVERIFY(dialog.findChild<QPlainTextEdit *>()->isReadOnly());
    QCOMPARE(dialog.Text(), u"line 1\nline 2"_qs);
}

void TestAppDialogs::languageDialogListsTheFiles()
{
    CConfig config;
    CDlgCfgLang dialog(config, {0x0409, 0x0411}, 0x0411);
    QListWidget *list = dialog.listBox();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), CLanguageResources::displayName(0x0409));
    QCOMPARE(list->item(1)->text(), u"日本語 (日本)"_qs);
    QCOMPARE(list->currentRow(), 1);

    // Rows and identifiers stay paired: the list ends at the first nameless entry, and the
    // chosen language is then not among the rows shown.
    CDlgCfgLang cut(config, {0x0409, 0x1234, 0x0411}, 0x0411);
    QCOMPARE(cut.listBox()->count(), 1);
    QCOMPARE(cut.listBox()->selectedItems().size(), 0);
}

void TestAppDialogs::languageDialogOk_data()
{
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("selectRow");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("notice");
    QTest::newRow("another language: stored, restart notice") << 0x0411 << 0 << 0x0409 << true;
    QTest::newRow("same language: stored, no notice") << 0x0411 << 1 << 0x0411 << false;
    QTest::newRow("first choice ever: stored, restart notice") << 0 << 1 << 0x0411 << true;
    QTest::newRow("nothing selected: nothing stored") << 0 << -1 << 0 << false;
}

void TestAppDialogs::languageDialogOk()
{
    QFETCH(int, chosen);
    QFETCH(int, selectRow);
    QFETCH(int, stored);
    QFETCH(bool, notice);
    CDialogs::setScripted(true);
    CConfig config;
    CDlgCfgLang dialog(config, {0x0409, 0x0411}, static_cast<quint16>(chosen));
    if (selectRow >= 0)
        dialog.listBox()->setCurrentRow(selectRow);
    dialog.accept();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(config.GetIntOr(u"miscellaneous.resource.lcid_i"_qs, -1), stored);
    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(asked.size(), notice ? 1 : 0);
}

QTEST_MAIN(TestAppDialogs)
#include "test_app_dialogs.moc"
