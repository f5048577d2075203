#include "TestHome.h"

#include "app/CDlgNic.h"
#include "config/CConfig.h"
#include "core/StringTable.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Loopback entries only: the dialog never touches a network, and neither may its test.
QList<AdapterEntry> adapters(int count)
{
    QList<AdapterEntry> list;
    for (int i = 0; i < count; ++i) {
        const QString address = QStringLiteral("127.0.40.%1").arg(i + 1);
        list.append(
            {i + 1, QStringLiteral("Adapter %1").arg(i + 1), address, QStringLiteral("127.255.255.255")});
    }
    return list;
}

QStringList items(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

QPushButton *buttonNamed(QDialog &dialog, const QString &text)
{
    const auto buttons = dialog.findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

QString stored(const CConfig &config, const QString &key)
{
    QString text;
    config.GetString(key, text);
    return text;
}

} // namespace

class DlgNicTest final : public QObject
{
    Q_OBJECT

private slots:
    void listsAdapters_data();
    void listsAdapters();
    void takesSelectionsFromStore_data();
    void takesSelectionsFromStore();
    void loginWritesSettings_data();
    void loginWritesSettings();
    void loginWithoutAdaptersKeepsAdapterName();
    void cancelWritesNothing();
    void nameIsLimitedByStore();
};

void DlgNicTest::listsAdapters_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("none") << 0 << QStringList{CStringTable::get(115)};
    QTest::newRow("one") << 1 << QStringList{QStringLiteral("Adapter 1 127.0.40.1")};
    QTest::newRow("two") << 2
                         << QStringList{QStringLiteral("Adapter 1 127.0.40.1"),
                                        QStringLiteral("Adapter 2 127.0.40.2")};
}

void DlgNicTest::listsAdapters()
{
    QFETCH(int, count);
    QFETCH(QStringList, shown);
    TestHome home;
    CConfig config;
    CDlgNic dialog(adapters(count), config);

    QCOMPARE(items(dialog.findChild<QComboBox *>(QStringLiteral("adapters"))), shown);
    QCOMPARE(items(dialog.findChild<QComboBox *>(QStringLiteral("channels"))).size(), 12);
    QCOMPARE(items(dialog.findChild<QComboBox *>(QStringLiteral("groups"))).join(QString()),
             QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    QCOMPARE(
        operationLogLines(),
        QStringList({QStringLiteral("CDlgNic::OnInitDialog() begins."),
                     QStringLiteral("CDlgNic::OnInitDialog() finished. number of NICs : %1").arg(count)}));
}

void DlgNicTest::takesSelectionsFromStore_data()
{
    QTest::addColumn<QString>("nicName");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("adapter");
    QTest::addColumn<QString>("channelText");
    QTest::addColumn<QString>("groupText");
    QTest::newRow("second adapter") << QStringLiteral("Adapter 2") << 7 << 2 << 1 << QStringLiteral("7")
                                    << QStringLiteral("B");
    QTest::newRow("unknown adapter") << QStringLiteral("Gone") << 1 << 1 << 0 << QStringLiteral("1")
                                     << QStringLiteral("A");
    QTest::newRow("last channel and group")
        << QStringLiteral("Adapter 3") << 12 << 26 << 2 << QStringLiteral("12") << QStringLiteral("Z");
}

void DlgNicTest::takesSelectionsFromStore()
{
    QFETCH(QString, nicName);
    QFETCH(int, channel);
    QFETCH(int, group);
    QFETCH(int, adapter);
    QFETCH(QString, channelText);
    QFETCH(QString, groupText);
    TestHome home;
    CConfig config;
    config.SetString(QStringLiteral("communication.name"), QStringLiteral("member1"));
    config.SetString(QStringLiteral("communication.nic.name"), nicName);
    config.SetInt(QStringLiteral("communication.channel_i"), channel);
    config.SetInt(QStringLiteral("communication.group_i"), group);

    CDlgNic dialog(adapters(3), config);

    QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("name"))->text(), QStringLiteral("member1"));
    QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("adapters"))->currentIndex(), adapter);
    QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("channels"))->currentText(), channelText);
    QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("groups"))->currentText(), groupText);
}

void DlgNicTest::loginWritesSettings_data()
{
    QTest::addColumn<int>("adapter");
    QTest::addColumn<int>("channelIndex");
    QTest::addColumn<int>("groupIndex");
    QTest::newRow("first adapter, channel 1, group A") << 0 << 0 << 0;
    QTest::newRow("third adapter, channel 8, group C") << 2 << 7 << 2;
    QTest::newRow("second adapter, channel 12, group Z") << 1 << 11 << 25;
}

void DlgNicTest::loginWritesSettings()
{
    QFETCH(int, adapter);
    QFETCH(int, channelIndex);
    QFETCH(int, groupIndex);
    TestHome home;
    CConfig config;
    CDlgNic dialog(adapters(3), config);
    QTimer::singleShot(0, &dialog, [&] {
        dialog.findChild<QComboBox *>(QStringLiteral("adapters"))->setCurrentIndex(adapter);
        dialog.findChild<QLineEdit *>(QStringLiteral("name"))->setText(QStringLiteral("typist"));
        dialog.findChild<QComboBox *>(QStringLiteral("channels"))->setCurrentIndex(channelIndex);
        dialog.findChild<QComboBox *>(QStringLiteral("groups"))->setCurrentIndex(groupIndex);
        buttonNamed(dialog, QStringLiteral("ログイン"))->click();
    });

    QCOMPARE(dialog.DoModal(), adapter);

    QCOMPARE(stored(config, QStringLiteral("communication.name")), QStringLiteral("typist"));
    QCOMPARE(stored(config, QStringLiteral("communication.channel_i")), QString::number(channelIndex + 1));
    QCOMPARE(stored(config, QStringLiteral("communication.group_i")), QString::number(groupIndex + 1));
    QCOMPARE(stored(config, QStringLiteral("communication.nic.name")),
             QStringLiteral("Adapter %1").arg(adapter + 1));
    QCOMPARE(operationLogLines().constLast(), QStringLiteral("CDlgNic finished by [OK]."));
}

void DlgNicTest::loginWithoutAdaptersKeepsAdapterName()
{
    TestHome home;
    CConfig config;
    config.SetString(QStringLiteral("communication.nic.name"), QStringLiteral("Remembered"));
    CDlgNic dialog({}, config);
    QTimer::singleShot(0, &dialog, [&] { buttonNamed(dialog, QStringLiteral("ログイン"))->click(); });

    QVERIFY(dialog.DoModal() >= 0);

    QCOMPARE(stored(config, QStringLiteral("communication.nic.name")), QStringLiteral("Remembered"));
}

void DlgNicTest::cancelWritesNothing()
{
    TestHome home;
    CConfig config;
    CDlgNic dialog(adapters(2), config);
    QTimer::singleShot(0, &dialog, [&] {
        dialog.findChild<QLineEdit *>(QStringLiteral("name"))->setText(QStringLiteral("typist"));
        dialog.findChild<QComboBox *>(QStringLiteral("channels"))->setCurrentIndex(5);
        buttonNamed(dialog, QStringLiteral("キャンセル"))->click();
    });

    QCOMPARE(dialog.DoModal(), -1);

    QCOMPARE(stored(config, QStringLiteral("communication.name")), QString());
    QCOMPARE(stored(config, QStringLiteral("communication.channel_i")), QStringLiteral("1"));
    QCOMPARE(stored(config, QStringLiteral("communication.nic.name")), QString());
    QCOMPARE(operationLogLines().constLast(), QStringLiteral("CDlgNic finished by [cancel]."));
}

void DlgNicTest::nameIsLimitedByStore()
{
    TestHome home;
    CConfig config;
    CDlgNic dialog(adapters(1), config);
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("name"));
    name->clear();
    QTest::keyClicks(name, QStringLiteral("abcdefghijklmnopqrstu"));
    QCOMPARE(name->text(), QStringLiteral("abcdefghijklmnop"));
    dialog.accept();
    QCOMPARE(stored(config, QStringLiteral("communication.name")).size(), 16);
}

QTEST_MAIN(DlgNicTest)
#include "test_dlg_nic.moc"
