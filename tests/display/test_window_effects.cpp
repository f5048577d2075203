#include "TestHome.h"

#include "config/CConfig.h"
#include "display/CWindowEffects.h"
#include "timeline/ReceivedMain.h"

#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// A display window as the program builds it: a menu bar in the layout's menu slot, the captions
// painted below it from an opaque image keyed by the effects.
class FakeDisplay final : public QWidget
{
public:
    FakeDisplay(ReceivedMain &store, CConfig &config)
        : QWidget(nullptr, Qt::Window)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        menuBar = new QMenuBar(this);
        menuBar->addMenu(QStringLiteral("File"));
        layout->setMenuBar(menuBar);
        effects = new CWindowEffects(*this, menuBar, store, config, this);
    }

    QMenuBar *menuBar = nullptr;
    CWindowEffects *effects = nullptr;
    QColor background = QColor(0x20, 0x40, 0x80);
    QColor text = Qt::yellow;
    // A block of text colour and a block drawn in exactly the background colour.
    QRect glyph{10, 10, 20, 20};
    QRect hiddenGlyph{40, 10, 20, 20};

    // Where the text starts on screen.
    QPoint textOrigin() const
    {
        const QMargins insets = effects->frameInsets();
        return mapToGlobal(effects->clientRect().topLeft() + QPoint(insets.left(), insets.top()));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QRect client = effects->clientRect();
        QImage image(client.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(background);
        {
            QPainter painter(&image);
            painter.fillRect(glyph, text);
            painter.fillRect(hiddenGlyph, background);
        }
        effects->KeyBackground(image, background);
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(client.topLeft(), image);
    }
};

QImage renderWithAlpha(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    // Read back without the premultiplication.
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool logHas(const QString &line)
{
    return operationLogLines().contains(line);
}

} // namespace

class TestWindowEffects final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void framelessKeepsTextAndRestoresPlacement_data();
    void framelessKeepsTextAndRestoresPlacement();
    void framelessRestoresMaximised();
    void framelessBeforeShowing();

    void topmostFollowsSetting_data();
    void topmostFollowsSetting();

    void alphaForOpacity_data();
    void alphaForOpacity();
    void translucentBackgroundAlpha_data();
    void translucentBackgroundAlpha();
    void endTranslucentIsOpaque();
    void offscreenDesktop();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<CConfig> m_config;
    std::unique_ptr<ReceivedMain> m_store;
    std::unique_ptr<FakeDisplay> m_display;
};

void TestWindowEffects::init()
{
    m_home = std::make_unique<TestHome>();
    m_config = std::make_unique<CConfig>();
    m_config->Initialize();
    m_store = std::make_unique<ReceivedMain>();
    m_display = std::make_unique<FakeDisplay>(*m_store, *m_config);
}

void TestWindowEffects::cleanup()
{
    m_display.reset();
    m_store.reset();
    m_config.reset();
    m_home.reset();
}

void TestWindowEffects::framelessKeepsTextAndRestoresPlacement_data()
{
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("middle") << QRect(200, 150, 400, 300);
    QTest::newRow("top left") << QRect(0, 0, 320, 200);
    QTest::newRow("wide and low") << QRect(50, 600, 900, 120);
}

void TestWindowEffects::framelessKeepsTextAndRestoresPlacement()
{
    QFETCH(QRect, geometry);
    FakeDisplay &display = *m_display;
    display.setGeometry(geometry);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    const QRect before = display.geometry();
    const QRect outer = display.frameGeometry();
    const QPoint text = display.textOrigin();
    const int menuHeight = display.menuBar->height();
    QSignalSpy changed(display.effects, &CWindowEffects::framelessChanged);

    display.effects->EnterFrameless();
    QVERIFY(display.effects->IsFrameless());
    QVERIFY(display.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(display.isVisible());
    QVERIFY(display.menuBar->isHidden());
    QCOMPARE(display.geometry(), outer);
    QCOMPARE(display.textOrigin(), text);
    QVERIFY(m_store->borderless());
    QCOMPARE(display.effects->frameInsets().top(), before.top() - outer.top() + menuHeight);

    display.effects->LeaveFrameless();
    QVERIFY(!display.effects->IsFrameless());
    QVERIFY(!display.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(!display.menuBar->isHidden());
    QCOMPARE(display.geometry(), before);
    QCOMPARE(display.textOrigin(), text);
    QVERIFY(!m_store->borderless());
    QCOMPARE(display.effects->frameInsets(), QMargins());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toBool(), true);
    QCOMPARE(changed.at(1).at(0).toBool(), false);
}

void TestWindowEffects::framelessRestoresMaximised()
{
    FakeDisplay &display = *m_display;
    const QRect normal(120, 100, 300, 200);
    display.setGeometry(normal);
    display.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QTRY_VERIFY(display.isMaximized());

    display.effects->ToggleFrameless();
    QVERIFY(display.effects->IsFrameless());
    QVERIFY(!display.isMaximized());

    display.effects->ToggleFrameless();
    QTRY_VERIFY(display.isMaximized());
    display.showNormal();
    QTRY_COMPARE(display.geometry(), normal);
}

void TestWindowEffects::framelessBeforeShowing()
{
    // Without a frame on screen yet only the menu bar turns into an inset.
    FakeDisplay &display = *m_display;
    display.setGeometry(10, 20, 300, 200);
    display.effects->EnterFrameless();
    QVERIFY(!display.isVisible());
    QCOMPARE(display.geometry(), QRect(10, 20, 300, 200));
    QCOMPARE(display.effects->frameInsets(), QMargins(0, display.menuBar->height(), 0, 0));
    QVERIFY(display.menuBar->height() > 0);
    display.effects->LeaveFrameless();
    QCOMPARE(display.geometry(), QRect(10, 20, 300, 200));
}

void TestWindowEffects::topmostFollowsSetting_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<bool>("topmost");
    QTest::newRow("on") << 1 << true;
    QTest::newRow("off") << 0 << false;
}

void TestWindowEffects::topmostFollowsSetting()
{
    QFETCH(int, setting);
    QFETCH(bool, topmost);
    FakeDisplay &display = *m_display;
    display.setGeometry(100, 100, 300, 200);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    // Start from the other state, so that the setting is what changes it.
    m_config->SetInt(QStringLiteral("main.topmost_i"), 1 - setting);
    display.effects->ReflectTopmost();
    const QRect before = display.geometry();

    m_config->SetInt(QStringLiteral("main.topmost_i"), setting);
    display.effects->ReflectTopmost();
    QCOMPARE(display.effects->IsTopmost(), topmost);
    QCOMPARE(display.windowFlags().testFlag(Qt::WindowStaysOnTopHint), topmost);
    QVERIFY(display.isVisible());
    QCOMPARE(display.geometry(), before);
    QVERIFY(logHas(QStringLiteral("ReflectTopmost begins.")));
    QVERIFY(logHas(QStringLiteral("ReflectTopmost finished.")));
}

void TestWindowEffects::alphaForOpacity_data()
{
    QTest::addColumn<int>("opacity");
    QTest::addColumn<int>("alpha");
    QTest::newRow("transparent") << 0 << 0;
    QTest::newRow("one") << 1 << 2;
    QTest::newRow("half truncates") << 50 << 127;
    QTest::newRow("default") << 70 << 178;
    QTest::newRow("opaque") << 100 << 255;
    QTest::newRow("above range") << 150 << 255;
    QTest::newRow("below range") << -20 << 0;
}

void TestWindowEffects::alphaForOpacity()
{
    QFETCH(int, opacity);
    QFETCH(int, alpha);
    QCOMPARE(CWindowEffects::AlphaForOpacity(opacity), alpha);
}

void TestWindowEffects::translucentBackgroundAlpha_data()
{
    QTest::addColumn<int>("opacity");
    QTest::newRow("50") << 50;
    QTest::newRow("0") << 0;
    QTest::newRow("70") << 70;
    QTest::newRow("100") << 100;
}

void TestWindowEffects::translucentBackgroundAlpha()
{
    QFETCH(int, opacity);
    FakeDisplay &display = *m_display;
    QVERIFY(display.testAttribute(Qt::WA_TranslucentBackground));
    display.resize(200, 150);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    m_config->SetInt(QStringLiteral("main.translucent.opacity_i"), opacity);
    display.effects->BeginTranslucent();
    display.effects->ApplyTranslucent();
    QVERIFY(display.effects->IsTranslucent());
    QVERIFY(logHas(QStringLiteral("BeginTranslucent begins.")));
    QVERIFY(logHas(QStringLiteral("BeginTranslucent finished.")));

    const QImage image = renderWithAlpha(display);
    const QPoint client = display.effects->clientRect().topLeft();
    const int alpha = opacity * 255 / 100;
    // The background: its colour at the backdrop's alpha.
    const QRgb back = image.pixel(client + QPoint(150, 100));
    QCOMPARE(qAlpha(back), alpha);
    if (alpha > 0) {
        // Premultiplied storage rounds each channel.
        QVERIFY(qAbs(qRed(back) - display.background.red()) <= 2);
        QVERIFY(qAbs(qGreen(back) - display.background.green()) <= 2);
        QVERIFY(qAbs(qBlue(back) - display.background.blue()) <= 2);
    }
    // The glyphs stay fully opaque.
    const QRgb glyph = image.pixel(client + display.glyph.center());
    QCOMPARE(qAlpha(glyph), 255);
    QCOMPARE(QColor::fromRgb(glyph), display.text);
    // Text in exactly the background colour is keyed away with the background.
    QCOMPARE(qAlpha(image.pixel(client + display.hiddenGlyph.center())), alpha);
    QCOMPARE(display.effects->backgroundFill(display.background).alpha(), alpha);
}

void TestWindowEffects::endTranslucentIsOpaque()
{
    FakeDisplay &display = *m_display;
    display.resize(200, 150);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    m_config->SetInt(QStringLiteral("main.translucent.opacity_i"), 30);
    display.effects->BeginTranslucent();
    display.effects->ApplyTranslucent();
    display.effects->EndTranslucent();
    QVERIFY(!display.effects->IsTranslucent());
    QVERIFY(logHas(QStringLiteral("EndTranslucent begins.")));
    QVERIFY(logHas(QStringLiteral("EndTranslucent finished.")));
    const QImage image = renderWithAlpha(display);
    const QPoint client = display.effects->clientRect().topLeft();
    QCOMPARE(qAlpha(image.pixel(client + QPoint(150, 100))), 255);
    QCOMPARE(qAlpha(image.pixel(client + display.hiddenGlyph.center())), 255);
    QCOMPARE(display.effects->backgroundAlpha(), 255);
}

void TestWindowEffects::offscreenDesktop()
{
    // The test desktop keeps alpha and stacking; Wayland would not promise the latter.
    QVERIFY(CWindowEffects::HasCompositor());
    QVERIFY(CWindowEffects::DesktopKeepsOnTop());
}

QTEST_MAIN(TestWindowEffects)
#include "test_window_effects.moc"
