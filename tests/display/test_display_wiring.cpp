#include "TestHome.h"

#include "app/CMainWindow.h"
#include "display/CDlgMain.h"
#include "net/CNetController.h"
#include "net/IAdapterSource.h"

#include <QTest>

namespace {

// No adapter at all: the main window stays offline and never touches a network interface.
class NoAdapters final : public IAdapterSource
{
public:
    QList<AdapterEntry> adapters() const override { return {}; }
};

// An offline main window whose display shows 30 lines' worth of store in a small window.
struct OfflineProgram
{
    OfflineProgram()
    {
        window.setLoginDialog([](QWidget *, const QList<AdapterEntry> &, CConfig &) { return -1; });
        window.setMessageBox([](const QString &, const QString &, bool) { return true; });
        CConfig &config = window.config();
        config.SetInt(QStringLiteral("main.line.max_i"), 30);
        config.SetString(QStringLiteral("main.font.name"), QStringLiteral("IPAGothic"));
        config.SetInt(QStringLiteral("main.font.point_i"), 15);
        config.SetInt(QStringLiteral("main.size.x_i"), 480);
        config.SetInt(QStringLiteral("main.size.y_i"), 300);
        if (!window.Create())
            return;
        if (!QTest::qWaitForWindowExposed(window.displayWindow()))
            return;
        display = window.displayWindow();
        paint();
    }
    ~OfflineProgram() { window.Destroy(); }

    void paint()
    {
        QCoreApplication::processEvents();
        display->canvas()->repaint();
    }

    TestHome home;
    NoAdapters adapters;
    CMainWindow window{&adapters};
    CDlgMain *display = nullptr;
};

} // namespace

class TestDisplayWiring final : public QObject
{
    Q_OBJECT

private slots:
    void startsWithBlankScreen();
    void typedLineScrollsIn();
    void undoneLineDisappears();
    void screenClearEmptiesTheScreen();
    void grossTextShowsNewestLines();
};

void TestDisplayWiring::startsWithBlankScreen()
{
    OfflineProgram p;
    QVERIFY(p.display);
    QVERIFY(!p.display->isScrolling());
    const QStringList lines = p.display->collectedLines();
    QCOMPARE(lines.size(), p.display->shownLines());
    for (const QString &line : lines)
        QVERIFY(line.isEmpty());
}

void TestDisplayWiring::typedLineScrollsIn()
{
    OfflineProgram p;
    QVERIFY(p.display);

    p.window.net().SendCaptionLine(QStringLiteral("打った行"));

    // The screen is full of blank lines, so the new one comes in from below.
    QVERIFY(p.display->isScrolling());
    QCOMPARE(p.display->collectedLines().last(), QStringLiteral("打った行"));
    while (p.display->isScrolling())
        p.display->ScrollStep();
    QCOMPARE(p.display->collectedLines().last(), QStringLiteral("打った行"));
}

void TestDisplayWiring::undoneLineDisappears()
{
    OfflineProgram p;
    QVERIFY(p.display);
    p.window.net().SendCaptionLine(QStringLiteral("一行目"));
    p.window.net().SendCaptionLine(QStringLiteral("取り消す行"));
    while (p.display->isScrolling())
        p.display->ScrollStep();
    QCOMPARE(p.display->collectedLines().last(), QStringLiteral("取り消す行"));

    p.window.net().Undo();
    p.paint();

    QVERIFY(!p.display->collectedLines().contains(QStringLiteral("取り消す行")));
    QVERIFY(p.display->collectedLines().contains(QStringLiteral("一行目")));
}

void TestDisplayWiring::screenClearEmptiesTheScreen()
{
    OfflineProgram p;
    QVERIFY(p.display);
    for (int i = 1; i <= 5; ++i)
        p.window.net().SendCaptionLine(QStringLiteral("消える行%1").arg(i));

    p.window.net().ClearScreen();
    p.paint();

    QVERIFY(!p.display->isScrolling());
    for (const QString &line : p.display->collectedLines())
        QVERIFY2(line.trimmed().isEmpty(), qPrintable(line));
}

void TestDisplayWiring::grossTextShowsNewestLines()
{
    OfflineProgram p;
    QVERIFY(p.display);

    p.window.net().SendGross({QStringLiteral("まとめ1"), QStringLiteral("まとめ2")});
    p.paint();

    QVERIFY(!p.display->isScrolling());
    const QString shown = p.display->collectedLines().join(u'|');
    QVERIFY2(shown.contains(QStringLiteral("まとめ1")) && shown.contains(QStringLiteral("まとめ2")),
             qPrintable(shown));
}

QTEST_MAIN(TestDisplayWiring)
#include "test_display_wiring.moc"
