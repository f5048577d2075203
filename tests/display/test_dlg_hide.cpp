#include "TestHome.h"

#include "config/CConfig.h"
#include "display/CDlgHide.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

// The cover's settings and the display window it covers for.
struct Bed
{
    TestHome home;
    CConfig config;
    QWidget display{nullptr, Qt::Window};
};

} // namespace

class TestDlgHide final : public QObject
{
    Q_OBJECT

private slots:
    void colorFromSettings();
    void coversTheDisplaysScreen();
    void hideAndCloseOnlyHide();
    void noTargetIsLogged();
};

void TestDlgHide::colorFromSettings()
{
    Bed b;
    // Stored as 0xBBGGRR.
    b.config.SetString(u"hide.color.background"_s, u"806040"_s);
    CDlgHide cover(b.config, &b.display);
    QCOMPARE(cover.color(), QColor(0x40, 0x60, 0x80));
    cover.resize(40, 30);
    QCOMPARE(cover.grab().toImage().pixelColor(20, 15), QColor(0x40, 0x60, 0x80));

    // The cover colour command: the store changes first, then the window follows.
    b.config.SetColor(u"hide.color.background"_s, 0x00ff00);
    cover.CopyConfigToWindow();
    QCOMPARE(cover.color(), QColor(0, 255, 0));
    QCOMPARE(cover.grab().toImage().pixelColor(20, 15), QColor(0, 255, 0));
}

void TestDlgHide::coversTheDisplaysScreen()
{
    Bed b;
    const QRect display(100, 100, 400, 300);
    b.display.setGeometry(display);
    b.display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b.display));
    CDlgHide cover(b.config, &b.display);
    QVERIFY(!cover.isVisible());

    cover.ShowWindow();
    QVERIFY(cover.isShown());
    QVERIFY(cover.isMaximized());
    QTRY_COMPARE(cover.frameGeometry(), screenNamed(u"left"_s)->availableGeometry());
    // The test desktop activates whatever is shown; a real one is asked not to.
    QVERIFY(cover.testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(cover.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(b.display.geometry(), display);

    // It follows the display to another screen, but not while hidden.
    b.display.move(1000, 100);
    QTRY_COMPARE(cover.frameGeometry(), screenNamed(u"right"_s)->availableGeometry());
    cover.HideWindow();
    b.display.move(100, 100);
    QCOMPARE(cover.frameGeometry(), screenNamed(u"right"_s)->availableGeometry());
}

void TestDlgHide::hideAndCloseOnlyHide()
{
    Bed b;
    b.display.show();
    b.config.SetColor(u"hide.color.background"_s, 0x123456);
    int closed = 0;
    {
        CDlgHide cover(b.config, &b.display);
        cover.setClosedHandler([&closed] { ++closed; });
        cover.ShowWindow();
        cover.CopyWindowToConfig();
        QCOMPARE(b.config.GetIntOr(u"hide.display_i"_s, -1), 1);
        cover.HideWindow();
        QVERIFY(!cover.isShown());
        QVERIFY(!cover.isVisible());
        QCOMPARE(closed, 0);
        cover.CopyWindowToConfig();
        QCOMPARE(b.config.GetIntOr(u"hide.display_i"_s, -1), 0);

        // Closed by the user: hidden, and the owner hears of it; it can be shown again.
        cover.ShowWindow();
        QVERIFY(cover.close());
        QVERIFY(!cover.isVisible());
        QVERIFY(!cover.isShown());
        QCOMPARE(closed, 1);
        cover.ShowWindow();
        QVERIFY(cover.isVisible());
        // Someone else changes the keys; destruction writes the cover's own state again.
        b.config.SetInt(u"hide.display_i"_s, 0);
        b.config.SetColor(u"hide.color.background"_s, 0xabcdef);
    }
    QCOMPARE(b.config.GetIntOr(u"hide.display_i"_s, -1), 1);
    QCOMPARE(b.config.GetStringOr(u"hide.color.background"_s), u"123456"_s);
}

void TestDlgHide::noTargetIsLogged()
{
    Bed b;
    CDlgHide cover(b.config);
    cover.ShowWindow();
    QVERIFY(!cover.isVisible());
    QVERIFY(operationLogLines().contains(u"DlgHide::DoShowMeMaximized/GetWindowPlacement failed. Code=0"_s));
}

// Two screens side by side, so that "the display's screen" means something.
int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"screens.json"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "right", "x": 800, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path.toLocal8Bit());
    QApplication app(argc, argv);
    TestDlgHide test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_dlg_hide.moc"
