#include "TestHome.h"
#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "input/CToolWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <memory>

namespace {

// A tool window with one box, as the typist's windows are built.
class CBoxWindow final : public CToolWindow
{
public:
    explicit CBoxWindow(const ToolWindowHost &host)
        : CToolWindow(host, QStringLiteral("monitor"), 40144, 40145)
    {
        addStyledWidget(&m_box);
    }
    QLineEdit m_box{this};
    int fontChanges = 0;

protected:
    void OnFontChanged() override { ++fontChanges; }
};

} // namespace

class TestToolWindow final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void placementRoundTrip();
    void shownFlagFollowsTheStore_data();
    void shownFlagFollowsTheStore();
    void closeHidesAndPostsRefresh();
    void fontAndColourKeysRoundTrip();
    void fontCommandTakesFontAndTextColour();
    void backgroundCommandUsesSharedPalette();
    void cancelledDialogsChangeNothing();
    void menuCarriesTheWindowCommands();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<CConfig> m_config;
    CCustomPalette m_palette;
    QList<int> m_posted;
    ToolWindowHost host();
};

ToolWindowHost TestToolWindow::host()
{
    ToolWindowHost result;
    result.config = m_config.get();
    result.palette = &m_palette;
    result.postCommand = [this](int command) { m_posted.append(command); };
    return result;
}

void TestToolWindow::init()
{
    m_home = std::make_unique<TestHome>();
    m_config = std::make_unique<CConfig>();
    m_config->Initialize();
    m_posted.clear();
}

void TestToolWindow::cleanup()
{
    m_config.reset();
    m_home.reset();
}

void TestToolWindow::placementRoundTrip()
{
    m_config->SetInt(QStringLiteral("monitor.position.x_i"), 120);
    m_config->SetInt(QStringLiteral("monitor.position.y_i"), 140);
    m_config->SetInt(QStringLiteral("monitor.size.x_i"), 333);
    m_config->SetInt(QStringLiteral("monitor.size.y_i"), 222);
    CBoxWindow window(host());
    window.CopyConfigToWindow();
    QCOMPARE(window.geometry(), QRect(120, 140, 333, 222));

    window.setGeometry(50, 60, 300, 200);
    window.CopyWindowToConfig();
    qint32 value = 0;
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.position.x_i"), value));
    QCOMPARE(value, 50);
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.position.y_i"), value));
    QCOMPARE(value, 60);
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.size.x_i"), value));
    QCOMPARE(value, 300);
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.size.y_i"), value));
    QCOMPARE(value, 200);
}

void TestToolWindow::shownFlagFollowsTheStore_data()
{
    QTest::addColumn<int>("display");
    QTest::newRow("shown") << 1;
    QTest::newRow("hidden") << 0;
}

void TestToolWindow::shownFlagFollowsTheStore()
{
    QFETCH(int, display);
    m_config->SetInt(QStringLiteral("monitor.display_i"), display);
    CBoxWindow window(host());
    window.CopyConfigToWindow();
    QCOMPARE(window.isShown(), display == 1);
    QCOMPARE(window.isVisible(), display == 1);

    m_config->SetInt(QStringLiteral("monitor.display_i"), 1 - display);
    window.CopyWindowToConfig();
    qint32 stored = -1;
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.display_i"), stored));
    QCOMPARE(stored, display);
    QVERIFY(m_posted.isEmpty());
}

void TestToolWindow::closeHidesAndPostsRefresh()
{
    CBoxWindow window(host());
    window.ShowWindow();
    QVERIFY(window.isShown());
    QVERIFY(!window.close());
    QVERIFY(!window.isShown());
    QVERIFY(!window.isVisible());
    QCOMPARE(m_posted, QList<int>{CommandId::RefreshWindowState});

    // Shown again without being made anew.
    window.ShowWindow();
    QVERIFY(window.isVisible());

    // The main window's own hide posts nothing from here.
    window.HideWindow();
    QVERIFY(!window.isShown());
    QCOMPARE(m_posted.size(), 1);
}

void TestToolWindow::fontAndColourKeysRoundTrip()
{
    m_config->SetString(QStringLiteral("monitor.font.name"), QStringLiteral("IPAGothic"));
    m_config->SetInt(QStringLiteral("monitor.font.point_i"), 20);
    m_config->SetInt(QStringLiteral("monitor.font.weight_i"), 1);
    m_config->SetInt(QStringLiteral("monitor.font.italic_i"), 1);
    m_config->SetInt(QStringLiteral("monitor.font.charset_i"), 128);
    m_config->SetColor(QStringLiteral("monitor.color.text"), 0x0000ff);
    m_config->SetColor(QStringLiteral("monitor.color.background"), 0xeeddcc);
    CBoxWindow window(host());
    window.CopyConfigToWindow();

    QCOMPARE(window.m_box.font().family(), QStringLiteral("IPAGothic"));
    QCOMPARE(qRound(window.m_box.font().pointSizeF()), 20);
    QVERIFY(window.m_box.font().bold());
    QVERIFY(window.m_box.font().italic());
    QCOMPARE(window.m_box.palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(window.m_box.palette().color(QPalette::Base), QColor(0xcc, 0xdd, 0xee));
    QVERIFY(window.fontChanges > 0);

    // Written back under the same keys, the character set passed through.
    m_config->Initialize();
    window.CopyWindowToConfig();
    QString name;
    QVERIFY(m_config->GetString(QStringLiteral("monitor.font.name"), name));
    QCOMPARE(name, QStringLiteral("IPAGothic"));
    qint32 value = 0;
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.font.point_i"), value));
    QCOMPARE(value, 20);
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.font.weight_i"), value));
    QCOMPARE(value, 1);
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.font.charset_i"), value));
    QCOMPARE(value, 128);
    quint32 color = 0;
    QVERIFY(m_config->GetColor(QStringLiteral("monitor.color.text"), color));
    QCOMPARE(color, 0x0000ffu);
    QVERIFY(m_config->GetColor(QStringLiteral("monitor.color.background"), color));
    QCOMPARE(color, 0xeeddccu);
}

void TestToolWindow::fontCommandTakesFontAndTextColour()
{
    ToolWindowHost withDialog = host();
    withDialog.fontDialog = [](QWidget *, QFont &font, quint32 &color) {
        font.setPointSize(30);
        color = 0x00ff00;
        return true;
    };
    CBoxWindow window(withDialog);
    window.CopyConfigToWindow();
    const int before = window.fontChanges;
    window.OnForwardedCommand(40144);
    QCOMPARE(qRound(window.m_box.font().pointSizeF()), 30);
    QCOMPARE(window.m_box.palette().color(QPalette::Text), QColor(0, 255, 0));
    QCOMPARE(window.fontChanges, before + 1);
    window.CopyWindowToConfig();
    qint32 point = 0;
    QVERIFY(m_config->GetInt(QStringLiteral("monitor.font.point_i"), point));
    QCOMPARE(point, 30);
}

void TestToolWindow::backgroundCommandUsesSharedPalette()
{
    m_palette.setColor(3, 0x123456);
    ToolWindowHost withDialog = host();
    CCustomPalette *seen = nullptr;
    withDialog.colorDialog = [&seen](QWidget *, quint32 &color, CCustomPalette *palette) {
        seen = palette;
        color = palette->color(3);
        return true;
    };
    CBoxWindow window(withDialog);
    window.CopyConfigToWindow();
    window.OnForwardedCommand(40145);
    QCOMPARE(seen, &m_palette);
    QCOMPARE(window.backgroundColor(), 0x123456u);
    QCOMPARE(window.m_box.palette().color(QPalette::Base), QColor(0x56, 0x34, 0x12));
}

void TestToolWindow::cancelledDialogsChangeNothing()
{
    ToolWindowHost withDialogs = host();
    withDialogs.fontDialog = [](QWidget *, QFont &font, quint32 &color) {
        font.setPointSize(50);
        color = 0x00ff00;
        return false;
    };
    withDialogs.colorDialog = [](QWidget *, quint32 &color, CCustomPalette *) {
        color = 0x00ff00;
        return false;
    };
    CBoxWindow window(withDialogs);
    window.CopyConfigToWindow();
    const QFont font = window.boxFont();
    const quint32 text = window.textColor();
    const quint32 background = window.backgroundColor();
    window.OnForwardedCommand(40144);
    window.OnForwardedCommand(40145);
    QCOMPARE(window.boxFont(), font);
    QCOMPARE(window.textColor(), text);
    QCOMPARE(window.backgroundColor(), background);
}

void TestToolWindow::menuCarriesTheWindowCommands()
{
    int fontDialogs = 0;
    ToolWindowHost withDialog = host();
    withDialog.fontDialog = [&fontDialogs](QWidget *, QFont &, quint32 &) {
        ++fontDialogs;
        return false;
    };
    CBoxWindow window(withDialog);
    window.addMenuCommand(40207, QStringLiteral("lost"));
    QMenu menu;
    window.addCommandsToMenu(menu);
    const QList<QAction *> actions = menu.actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0)->data().toInt(), 40144);
    QCOMPARE(actions.at(0)->text(), u"フォント... (&F)"_qs);
    QCOMPARE(actions.at(1)->data().toInt(), 40145);
    QCOMPARE(actions.at(1)->text(), u"背景色... (&B)"_qs);
    QCOMPARE(actions.at(2)->data().toInt(), 40207);

    // The dialog opens after the menu has gone, as a posted command.
    actions.at(0)->trigger();
    QCOMPARE(fontDialogs, 0);
    QCoreApplication::processEvents();
    QCOMPARE(fontDialogs, 1);
}

QTEST_MAIN(TestToolWindow)
#include "test_tool_window.moc"
