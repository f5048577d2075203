#include "app/CDlgCfgLang.h"
#include "app/CLanguageResources.h"
#include "config/CConfig.h"
#include "core/StringTable.h"
#include "display/CDlgCfgDisplay.h"
#include "display/CDlgMain.h"
#include "timeline/ReceivedMain.h"

#include "TestHome.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

qint32 storedLcid(const CConfig &config)
{
    qint32 value = -1;
    config.GetInt(u"miscellaneous.resource.lcid_i"_qs, value);
    return value;
}

// Every action text of menu and its submenus.
void collectTexts(const QMenu *menu, QStringList &texts)
{
    for (const QAction *action : menu->actions()) {
        if (!action->text().isEmpty())
            texts.append(action->text());
        if (action->menu())
            collectTexts(action->menu(), texts);
    }
}

QStringList menuTexts(const CDlgMain &window)
{
    QStringList texts;
    for (const QAction *action : window.menuBar()->actions()) {
        texts.append(action->text());
        if (action->menu())
            collectTexts(action->menu(), texts);
    }
    collectTexts(window.contextMenu(), texts);
    return texts;
}

struct Notice
{
    int count = 0;
    QString text;
    QString caption;
};

} // namespace

class TestLanguageDialog final : public QObject
{
    Q_OBJECT

private slots:
    void listsTheFilesAndSelectsTheChosen();
    void listStopsAtANamelessEntry();
    void ok_data();
    void ok();
    void cancelStoresNothing();
    void englishMenusOfTheDisplayWindow();
    void englishDisplaySettingsDialog();
};

void TestLanguageDialog::listsTheFilesAndSelectsTheChosen()
{
    TestHome home;
    CConfig config;
    CDlgCfgLang dialog(config, {0x0409, 0x0411}, 0x0411);
    QCOMPARE(dialog.windowTitle(), u"言語の選択"_qs);
    QListWidget *list = dialog.listBox();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), CLanguageResources::displayName(0x0409));
    QCOMPARE(list->item(1)->text(), u"日本語 (日本)"_qs);
    QCOMPARE(list->currentRow(), 1);
    const QStringList log = operationLogLines();
    QCOMPARE(log.first(), u"CDlgCfgLang::OnInitDialog() begins."_qs);
    QVERIFY(log.contains(u"日本語 (日本)"_qs));
}

void TestLanguageDialog::listStopsAtANamelessEntry()
{
    TestHome home;
    CConfig config;
    CDlgCfgLang dialog(config, {0x0409, 0x1234, 0x0411}, 0x0411);
    QCOMPARE(dialog.listBox()->count(), 1);
    // The chosen language is not among the rows shown, so nothing is selected.
    QCOMPARE(dialog.listBox()->selectedItems().size(), 0);
}

void TestLanguageDialog::ok_data()
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

void TestLanguageDialog::ok()
{
    QFETCH(int, chosen);
    QFETCH(int, selectRow);
    QFETCH(int, stored);
    QFETCH(bool, notice);

    TestHome home;
    CConfig config;
    CDlgCfgLang dialog(config, {0x0409, 0x0411}, static_cast<quint16>(chosen));
    Notice shown;
    dialog.setNoticeFunction([&shown](const QString &text, const QString &caption) {
        ++shown.count;
        shown.text = text;
        shown.caption = caption;
    });
    if (selectRow >= 0)
        dialog.listBox()->setCurrentRow(selectRow);
    dialog.accept();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(storedLcid(config), stored);
    QCOMPARE(shown.count, notice ? 1 : 0);
    if (notice) {
        QCOMPARE(shown.text, CStringTable::get(180));
        QCOMPARE(shown.caption, CStringTable::get(150));
    }
    QCOMPARE(operationLogLines().last(), u"CDlgCfgLang finished by [OK]."_qs);
}

void TestLanguageDialog::cancelStoresNothing()
{
    TestHome home;
    CConfig config;
    CDlgCfgLang dialog(config, {0x0409, 0x0411}, 0x0411);
    dialog.listBox()->setCurrentRow(0);
    dialog.reject();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(storedLcid(config), 0);
    QCOMPARE(operationLogLines().last(), u"CDlgCfgLang finished by [cancel]."_qs);
}

void TestLanguageDialog::englishMenusOfTheDisplayWindow()
{
    TestHome home;
    CConfig config;
    ReceivedMain store;
    {
        CDlgMain japanese(config, store);
        QCOMPARE(menuTexts(japanese).first(), u"ファイル(&F)"_qs);
    }

    QTemporaryDir folder;
    QVERIFY(QFile::copy(QStringLiteral(TAVRIN_EN_QM), folder.filePath(u"0904_en-US.qm"_qs)));
    CLanguageResources resources(folder.path(), 0x0409);
    QVERIFY(resources.loadFirst(0));

    CDlgMain english(config, store);
    const QStringList texts = menuTexts(english);
    QCOMPARE(texts.first(), u"&File"_qs);
    QVERIFY(texts.contains(u"E&xit...\tAlt+F4"_qs));
    // Nothing Japanese is left in any menu of the display window.
    for (const QString &text : texts) {
        for (const QChar c : text)
            QVERIFY2(c.unicode() < 0x3000, qPrintable(text));
    }
}

void TestLanguageDialog::englishDisplaySettingsDialog()
{
    // Its texts reach the translator through a helper, so they are kept by hand.
    TestHome home;
    CConfig config;
    QTemporaryDir folder;
    QVERIFY(QFile::copy(QStringLiteral(TAVRIN_EN_QM), folder.filePath(u"0904_en-US.qm"_qs)));
    CLanguageResources resources(folder.path(), 0x0409);
    QVERIFY(resources.loadFirst(0));

    CDlgCfgDisplay dialog(config);
    QCOMPARE(dialog.windowTitle(), u"Display Settings"_qs);
    QStringList texts;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        texts.append(label->text());
    for (const QAbstractButton *button : dialog.findChildren<QAbstractButton *>())
        texts.append(button->text());
    for (const QGroupBox *group : dialog.findChildren<QGroupBox *>())
        texts.append(group->title());
    QVERIFY(texts.size() > 10);
    for (const QString &text : texts) {
        for (const QChar c : text)
            QVERIFY2(c.unicode() < 0x3000, qPrintable(text));
    }
}

QTEST_MAIN(TestLanguageDialog)
#include "test_language_dialog.moc"
