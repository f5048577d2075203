#include "TestHome.h"

#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "display/CDlgMain.h"
#include "config/CPaletteColorDialog.h"
#include "timeline/ReceivedMain.h"

#include <QApplication>
#include <QColorDialog>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

int intKey(const CConfig &config, const QString &key)
{
    qint32 value = -1;
    config.GetInt(key, value);
    return value;
}

quint32 colorKey(const CConfig &config, const QString &key)
{
    quint32 value = 0xdeadbeef;
    config.GetColor(key, value);
    return value;
}

bool imageHasColor(const QImage &image, QRgb rgb)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == (rgb | 0xff000000u))
                return true;
        }
    }
    return false;
}

struct ShownDisplay
{
    ShownDisplay()
    {
        config.SetString(QStringLiteral("main.font.name"), QStringLiteral("IPAGothic"));
        config.SetInt(QStringLiteral("main.size.x_i"), 480);
        config.SetInt(QStringLiteral("main.size.y_i"), 300);
        store.Configure(100, 50);
        window = std::make_unique<CDlgMain>(config, store);
        window->CopyConfigToWindow();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return;
        store.AddString(QStringLiteral("字幕"), QStringLiteral("127.0.0.1"), 'i');
        window->canvas()->repaint();
    }

    TestHome home;
    CConfig config;
    ReceivedMain store;
    std::unique_ptr<CDlgMain> window;
};

} // namespace

class TestDisplaySettings final : public QObject
{
    Q_OBJECT

private slots:
    void chosenColorsAreDrawnAndRelaid_data();
    void chosenColorsAreDrawnAndRelaid();
    void cancelledDialogChangesNothing();
    void fontDialogSetsFontAndTextColor();
    void settingsApplied();
    void uncheckedOutlineKeepsWidth();
    void settingsRoundTrip();
    void paletteIntoDialogAndBack();
    void colorDialogSharesPalette();
};

void TestDisplaySettings::chosenColorsAreDrawnAndRelaid_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("key");
    QTest::newRow("background") << CommandId::DisplayBackground << "main.color.background";
    QTest::newRow("outline") << CommandId::DisplayOutlineColor << "main.color.outline";
}

void TestDisplaySettings::chosenColorsAreDrawnAndRelaid()
{
    QFETCH(int, command);
    QFETCH(QString, key);
    ShownDisplay d;
    d.config.SetInt(QStringLiteral("main.font.outline_i"), 1);
    d.window->ApplyDisplaySettings();
    d.window->canvas()->repaint();
    const int generation = d.store.layoutGeneration();
    QColor offered;
    d.window->setColorChooser([&offered](QWidget *, QColor &color) {
        offered = color;
        color = QColor(0x12, 0x34, 0x56);
        return true;
    });

    d.window->action(command)->trigger();
    d.window->canvas()->repaint();

    // The dialog starts from the current colour (defaults: white background, 33ff00 outline).
    QCOMPARE(offered, command == CommandId::DisplayBackground ? QColor(Qt::white) : QColor(0x00, 0xff, 0x33));
    QVERIFY(d.store.layoutGeneration() > generation);
    QVERIFY(imageHasColor(d.window->renderedImage(), qRgb(0x12, 0x34, 0x56)));
    d.window->CopyWindowToConfig();
    QCOMPARE(colorKey(d.config, key), 0x563412u);
}

void TestDisplaySettings::cancelledDialogChangesNothing()
{
    ShownDisplay d;
    const int generation = d.store.layoutGeneration();
    d.window->setColorChooser([](QWidget *, QColor &color) {
        color = Qt::red;
        return false;
    });
    d.window->OnCommand(CommandId::DisplayBackground);
    QCOMPARE(d.store.layoutGeneration(), generation);
    d.window->CopyWindowToConfig();
    QCOMPARE(colorKey(d.config, QStringLiteral("main.color.background")), 0xffffffu);
}

void TestDisplaySettings::fontDialogSetsFontAndTextColor()
{
    ShownDisplay d;
    const int generation = d.store.layoutGeneration();
    const int pitch = d.window->linePitch();
    d.window->setFontChooser([](QWidget *, QFont &font, QColor &color) {
        font.setPointSize(48);
        color = QColor(0x00, 0x00, 0xff);
        return true;
    });

    d.window->OnCommand(CommandId::DisplayFont);
    d.window->canvas()->repaint();

    QVERIFY(d.store.layoutGeneration() > generation);
    QVERIFY(d.window->linePitch() > pitch);
    QVERIFY(imageHasColor(d.window->renderedImage(), qRgb(0, 0, 255)));
    d.window->CopyWindowToConfig();
    QCOMPARE(intKey(d.config, QStringLiteral("main.font.point_i")), 48);
    QCOMPARE(colorKey(d.config, QStringLiteral("main.color.text")), 0xff0000u);
}

void TestDisplaySettings::settingsApplied()
{
    ShownDisplay d;
    const int generation = d.store.layoutGeneration();
    d.config.SetInt(QStringLiteral("main.scroll.period_i"), 50);
    d.config.SetInt(QStringLiteral("main.scroll.pixel_i"), 6);
    d.config.SetInt(QStringLiteral("main.line.height_i"), 150);
    d.config.SetInt(QStringLiteral("main.font.outline_i"), 1);
    d.config.SetInt(QStringLiteral("main.font.outline.width_i"), 5);
    int opened = 0;
    d.window->setSettingsDialog([&opened](QWidget *, CConfig &) {
        ++opened;
        return true;
    });

    d.window->OnCommand(CommandId::DisplaySettings);
    d.window->canvas()->repaint();

    QCOMPARE(opened, 1);
    QCOMPARE(d.window->scrollPeriod(), 50);
    QCOMPARE(d.window->scrollPixels(), 6);
    QCOMPARE(d.store.lineHeightPercent(), 150);
    QCOMPARE(d.store.outlineWidth(), 5);
    QVERIFY(d.store.layoutGeneration() > generation);
    QVERIFY(d.window->renderer().outlining());
    QCOMPARE(d.window->renderer().outlinePen().widthF(), 12.0);
}

void TestDisplaySettings::uncheckedOutlineKeepsWidth()
{
    ShownDisplay d;
    d.config.SetInt(QStringLiteral("main.font.outline_i"), 0);
    d.config.SetInt(QStringLiteral("main.font.outline.width_i"), 7);
    d.window->ApplyDisplaySettings();

    QCOMPARE(d.store.outlineWidth(), 0);
    QCOMPARE(d.window->renderer().outlineOffset(), 0);
    d.window->CopyWindowToConfig();
    QCOMPARE(intKey(d.config, QStringLiteral("main.font.outline.width_i")), 7);
    QCOMPARE(intKey(d.config, QStringLiteral("main.font.outline_i")), 0);
}

void TestDisplaySettings::settingsRoundTrip()
{
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("main.scroll.period_i"), 40);
    config.SetInt(QStringLiteral("main.scroll.pixel_i"), 2);
    config.SetInt(QStringLiteral("main.line.height_i"), 120);
    config.SetString(QStringLiteral("main.font.name"), QStringLiteral("IPAGothic"));
    config.SetInt(QStringLiteral("main.font.point_i"), 28);
    config.SetInt(QStringLiteral("main.font.weight_i"), 1);
    config.SetColor(QStringLiteral("main.color.text"), 0x102030);
    config.SetColor(QStringLiteral("main.color.background"), 0x405060);
    config.SetColor(QStringLiteral("main.color.outline"), 0x708090);
    config.SetInt(QStringLiteral("main.font.outline_i"), 1);
    config.SetInt(QStringLiteral("main.font.outline.width_i"), 4);
    ReceivedMain store;
    {
        CDlgMain display(config, store);
        display.CopyConfigToWindow();
        QCOMPARE(display.scrollPeriod(), 40);
        QCOMPARE(store.outlineWidth(), 4);
        // Everything back to other values, then the window writes its own.
        for (const char *key :
             {"main.scroll.period_i", "main.scroll.pixel_i", "main.line.height_i", "main.font.point_i",
              "main.font.weight_i", "main.font.outline_i", "main.font.outline.width_i"})
            config.SetInt(QString::fromLatin1(key), 0);
        config.SetString(QStringLiteral("main.font.name"), QString());
        display.CopyWindowToConfig();
    }
    QCOMPARE(intKey(config, QStringLiteral("main.scroll.period_i")), 40);
    QCOMPARE(intKey(config, QStringLiteral("main.scroll.pixel_i")), 2);
    QCOMPARE(intKey(config, QStringLiteral("main.line.height_i")), 120);
    QCOMPARE(intKey(config, QStringLiteral("main.font.point_i")), 28);
    QCOMPARE(intKey(config, QStringLiteral("main.font.weight_i")), 1);
    QCOMPARE(intKey(config, QStringLiteral("main.font.outline_i")), 1);
    QCOMPARE(intKey(config, QStringLiteral("main.font.outline.width_i")), 4);
    QString face;
    config.GetString(QStringLiteral("main.font.name"), face);
    QCOMPARE(face, QStringLiteral("IPAGothic"));
    QCOMPARE(colorKey(config, QStringLiteral("main.color.text")), 0x102030u);
    QCOMPARE(colorKey(config, QStringLiteral("main.color.background")), 0x405060u);
    QCOMPARE(colorKey(config, QStringLiteral("main.color.outline")), 0x708090u);
}

void TestDisplaySettings::paletteIntoDialogAndBack()
{
    CCustomPalette palette;
    for (int i = 0; i < CCustomPalette::kCount; ++i)
        palette.setColor(i, 0x010203u * static_cast<quint32>(i + 1));
    CPaletteColorDialog::LoadInto(palette);
    // BBGGRR in the palette, RGB in the dialog.
    QCOMPARE(QColorDialog::customColor(0), QColor(0x03, 0x02, 0x01));

    QColorDialog::setCustomColor(5, QColor(0xaa, 0xbb, 0xcc));
    CCustomPalette back;
    CPaletteColorDialog::ReadBack(back);
    QCOMPARE(back.color(5), 0xccbbaau);
    QCOMPARE(back.color(15), palette.color(15));
}

void TestDisplaySettings::colorDialogSharesPalette()
{
    CCustomPalette palette;
    palette.setColor(3, 0x00ff00);
    bool sawPalette = false;
    QTimer::singleShot(0, [&sawPalette] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        sawPalette = QColorDialog::customColor(3) == QColor(0x00, 0xff, 0x00);
        // The user adds a custom colour, picks one and confirms.
        QColorDialog::setCustomColor(7, QColor(0x11, 0x22, 0x33));
        dialog->setCurrentColor(QColor(0x44, 0x55, 0x66));
        dialog->accept();
    });
    QColor color = Qt::white;

    QVERIFY(CPaletteColorDialog::Choose(nullptr, color, &palette));

    QVERIFY(sawPalette);
    QCOMPARE(color, QColor(0x44, 0x55, 0x66));
    QCOMPARE(palette.color(7), 0x332211u);
}

QTEST_MAIN(TestDisplaySettings)
#include "test_display_settings.moc"
