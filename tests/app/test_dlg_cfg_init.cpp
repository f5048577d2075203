#include "TestHome.h"

#include "app/CDlgCfgInit.h"
#include "app/CSettingsFiles.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

QRadioButton *radio(QDialog &dialog, int id)
{
    return dialog.findChild<QRadioButton *>(QStringLiteral("radio%1").arg(id));
}

QPushButton *button(QDialog &dialog, QDialogButtonBox::StandardButton which)
{
    return dialog.findChild<QDialogButtonBox *>()->button(which);
}

qint32 storedType(const CConfig &config)
{
    qint32 type = -1;
    config.GetInt(QStringLiteral("miscellaneous.init.type_i"), type);
    return type;
}

QString storedFont(const QString &path)
{
    CConfig config;
    if (!config.LoadFromFile(path))
        return QStringLiteral("<no file>");
    QString font;
    config.GetString(QStringLiteral("main.font.name"), font);
    return font;
}

} // namespace

class DlgCfgInitTest final : public QObject
{
    Q_OBJECT

private slots:
    void checksStoredType_data();
    void checksStoredType();
    void okStoresSelection_data();
    void okStoresSelection();
    void cancelStoresNothing();
    void commandActsOnSelection_data();
    void commandActsOnSelection();
};

void DlgCfgInitTest::checksStoredType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("checkedId");
    QTest::newRow("0 none") << 0 << 1079;
    QTest::newRow("1 current") << 1 << 1078;
    QTest::newRow("2 last exit") << 2 << 1077;
}

void DlgCfgInitTest::checksStoredType()
{
    QFETCH(int, type);
    QFETCH(int, checkedId);
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("miscellaneous.init.type_i"), type);
    CDlgCfgInit dialog(config);

    for (const int id : CDlgCfgInit::kButtonIds)
        QCOMPARE(radio(dialog, id)->isChecked(), id == checkedId);
    QCOMPARE(dialog.Selection(), type);
}

void DlgCfgInitTest::okStoresSelection_data()
{
    QTest::addColumn<int>("clickedId");
    QTest::addColumn<int>("type");
    QTest::newRow("none") << 1079 << 0;
    QTest::newRow("current") << 1078 << 1;
    QTest::newRow("last exit") << 1077 << 2;
}

void DlgCfgInitTest::okStoresSelection()
{
    QFETCH(int, clickedId);
    QFETCH(int, type);
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("miscellaneous.init.type_i"), type == 0 ? 2 : 0);
    CDlgCfgInit dialog(config);
    QTimer::singleShot(0, &dialog, [&] {
        radio(dialog, clickedId)->click();
        button(dialog, QDialogButtonBox::Ok)->click();
    });

    QCOMPARE(dialog.exec(), int(QDialog::Accepted));

    QCOMPARE(dialog.Selection(), type);
    QCOMPARE(storedType(config), type);
    QCOMPARE(operationLogLines().constLast(), QStringLiteral("CDlgCfgInit finished by [OK]."));
}

void DlgCfgInitTest::cancelStoresNothing()
{
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("miscellaneous.init.type_i"), 1);
    CDlgCfgInit dialog(config);
    QTimer::singleShot(0, &dialog, [&] {
        radio(dialog, CDlgCfgInit::kIdLastExit)->click();
        button(dialog, QDialogButtonBox::Cancel)->click();
    });

    QCOMPARE(dialog.exec(), int(QDialog::Rejected));

    QCOMPARE(storedType(config), 1);
    QCOMPARE(operationLogLines().constLast(), QStringLiteral("CDlgCfgInit finished by [cancel]."));
}

void DlgCfgInitTest::commandActsOnSelection_data()
{
    QTest::addColumn<int>("clickedId");
    QTest::addColumn<QString>("defaultFileFont");
    QTest::newRow("none deletes the default file") << 1079 << QStringLiteral("<no file>");
    QTest::newRow("current writes it now") << 1078 << QStringLiteral("Now");
    QTest::newRow("last exit leaves it") << 1077 << QStringLiteral("Earlier");
}

void DlgCfgInitTest::commandActsOnSelection()
{
    QFETCH(int, clickedId);
    QFETCH(QString, defaultFileFont);
    TestHome home;
    CConfig config;
    CCustomPalette palette;
    CSettingsFiles files(config, palette);
    QString font = QStringLiteral("Earlier");
    files.AddStateCopier(CSettingsFiles::CopyScope::AllWindows,
                         [&font](CConfig &c) { c.SetString(QStringLiteral("main.font.name"), font); });
    QVERIFY(files.SaveDefaultConfig(true, true));
    font = QStringLiteral("Now");

    QTimer::singleShot(0, qApp, [&] {
        auto *dialog = qobject_cast<CDlgCfgInit *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        radio(*dialog, clickedId)->click();
        button(*dialog, QDialogButtonBox::Ok)->click();
    });
    QVERIFY(files.DoCfgInit(nullptr));

    QCOMPARE(storedFont(CSettingsFiles::DefaultFilePath()), defaultFileFont);
}

QTEST_MAIN(DlgCfgInitTest)
#include "test_dlg_cfg_init.moc"
