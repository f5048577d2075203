#include "TestHome.h"

#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "config/CPaletteColorDialog.h"
#include "core/CDialogs.h"
#include "core/CQrCodeView.h"
#include "core/CommandIds.h"
#include "display/CDlgCfgDisplay.h"
#include "display/CDlgMain.h"
#include "display/CWindowEffects.h"
#include "timeline/ReceivedMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QHash>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// "key=value key=value" as (key, value) pairs.
QList<std::pair<QString, QString>> entries(const QString &settings)
{
    QList<std::pair<QString, QString>> out;
    for (const QString &entry : settings.split(u' ', Qt::SkipEmptyParts))
        out.append({entry.section(u'=', 0, 0), entry.section(u'=', 1)});
    return out;
}

// The display window on its own store, shown offscreen in a known font and size; settings are
// "key=value" pairs over those. The tests step the column themselves: the timer never fires.
struct ShownDisplay
{
    explicit ShownDisplay(const QString &settings = {}, bool shown = true)
    {
        for (const auto &[key, value] : entries(
                 u"main.font.name=IPAGothic main.font.point_i=15 main.position.x_i=200 main.position.y_i=150 "
                 u"main.size.x_i=480 main.size.y_i=300 main.color.text=000000 main.color.background=ffffff "
                 u"main.scroll.period_i=100000000 "_s +
                 settings))
            config.SetString(key, value);
        store.Configure(200, 50);
        window = std::make_unique<CDlgMain>(config, store);
        window->CopyConfigToWindow();
        if (!shown)
            return;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        paint();
    }

    void paint() { window->canvas()->repaint(); }
    void add(const QString &text)
    {
        store.AddString(text, u"127.0.0.1"_s, 'i');
        window->Refresh();
        QCoreApplication::processEvents();
    }
    // The client area as it is on screen now (no paint is asked for).
    QImage screen() const
    {
        QCoreApplication::processEvents();
        const QWidget *canvas = window->canvas();
        const QPoint at = canvas->mapTo(window.get(), QPoint(0, 0));
        return QGuiApplication::primaryScreen()
            ->grabWindow(window->winId(), at.x(), at.y(), canvas->width(), canvas->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    TestHome home;
    CConfig config;
    ReceivedMain store;
    std::unique_ptr<CDlgMain> window;
};

// Bounds of the pixels that pass test.
QRect where(const QImage &image, const std::function<bool(QRgb)> &test)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (test(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// Bounds of the opaque pixels of exactly rgb.
QRect boundsOf(const QImage &image, QRgb rgb)
{
    return where(image, [rgb](QRgb pixel) { return pixel == (rgb | 0xff000000u); });
}

QList<QAction *> items(const QList<QAction *> &actions)
{
    QList<QAction *> out;
    for (QAction *action : actions) {
        if (QMenu *sub = action->menu())
            out += items(sub->actions());
        else if (!action->isSeparator())
            out.append(action);
    }
    return out;
}

} // namespace

class TestDlgMain final : public QObject
{
    Q_OBJECT

private slots:
    void init() { CDialogs::setScripted(true); }
    void cleanup() { CDialogs::reset(); }

    void scrollingMovesThePicture();
    void scrollTimerRunsOnlyWhileScrolling();
    void outlinePixels_data();
    void outlinePixels();
    void resizeWrapsAgain();

    void commandsAndCheckMarks();
    void exitAsksFirst_data();
    void exitAsksFirst();

    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void chosenColorsAndFont_data();
    void chosenColorsAndFont();
    void displaySettingsApplied_data();
    void displaySettingsApplied();
    void settingsDialogRefusesOutOfRange_data();
    void settingsDialogRefusesOutOfRange();
    void colorDialogSharesThePalette();

    void framelessKeepsTheTextInPlace_data();
    void framelessKeepsTheTextInPlace();
    void framelessRestoresMaximised();
    void f1TogglesFrameless_data();
    void f1TogglesFrameless();
    void translucentBackground_data();
    void translucentBackground();
    void qrCodeInACornerStaysWhileTheLinesScroll_data();
    void qrCodeInACornerStaysWhileTheLinesScroll();
};

void TestDlgMain::scrollingMovesThePicture()
{
    ShownDisplay d(u"main.scroll.pixel_i=3"_s);
    const int shown = d.window->shownLines();
    for (int i = 1; i <= shown + 2; ++i)
        d.add(u"行%1 字幕の行"_s.arg(i));
    const int pitch = d.window->column().pitch();
    QCOMPARE(d.window->renderedImage().height(), d.window->canvas()->height() + pitch);
    const QRect area = d.window->textArea();
    QImage before = d.screen();

    // Within a line the picture moves up by the step.
    d.window->ScrollStep();
    const QImage after = d.screen();
    QVERIFY(after != before);
    for (int y = area.top(); y < area.bottom() - 3; ++y)
        QCOMPARE(after.copy(0, y, after.width(), 1), before.copy(0, y + 3, before.width(), 1));

    // Step by step across two line boundaries, what is on screen is what a whole paint shows,
    // also where a boundary brings in a line whose top already shows above the new strip.
    int nextLineShown = 0;
    for (int step = 0; step < 2 * pitch / 3 + 2 && d.window->isScrolling(); ++step) {
        const int top = d.window->column().topSerial();
        d.window->ScrollStep();
        const QImage stepped = d.screen();
        d.window->Redraw();
        d.paint();
        const QImage whole = d.screen();
        QCOMPARE(stepped, whole);
        // The rows between the next line's top and the strip that came in with the step.
        const int nextLine = area.top() + shown * pitch - d.window->column().scrollOffset();
        const QImage spare = whole.copy(0, nextLine, whole.width(), area.bottom() - 2 - nextLine);
        if (top != d.window->column().topSerial() && d.window->isScrolling() &&
            !where(spare, [](QRgb pixel) { return (pixel & 0xffffffu) != 0xffffffu; }).isEmpty())
            ++nextLineShown;
    }
    QCOMPARE(d.window->column().topSerial(), 2);
    QVERIFY(nextLineShown > 0);
}

void TestDlgMain::scrollTimerRunsOnlyWhileScrolling()
{
    ShownDisplay d(u"main.scroll.period_i=10"_s);
    const auto ticking = [&d] {
        const QList<QTimer *> timers = d.window->findChildren<QTimer *>();
        return std::any_of(timers.begin(), timers.end(),
                           [](const QTimer *timer) { return timer->isActive(); });
    };
    QVERIFY(!ticking());
    // Lines that fit are drawn at once; nothing waits for a step.
    d.add(u"行1"_s);
    QVERIFY(!ticking());

    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i <= d.window->shownLines(); ++i)
            d.add(u"行 %1-%2"_s.arg(round).arg(i));
        QVERIFY(d.window->isScrollTimerActive());
        // The timer's own steps bring every line in, then it stops until the next line.
        QTRY_VERIFY_WITH_TIMEOUT(!d.window->isScrolling(), 20000);
        QVERIFY(!ticking());
    }

    // A new period while standing still does not start it.
    d.config.SetInt(u"main.scroll.period_i"_s, 20);
    d.window->ApplyDisplaySettings();
    d.paint();
    QVERIFY(!ticking());
}

void TestDlgMain::outlinePixels_data()
{
    QTest::addColumn<bool>("outlining");
    QTest::addColumn<QString>("text");
    QTest::newRow("outlined") << true << u"縁取り字幕"_s;
    QTest::newRow("plain") << false << u"縁取り字幕"_s;
    // A combining accent needs the run shaped as a whole.
    QTest::newRow("outlined, combining mark") << true << u"縁取りe\u0301"_s;
    QTest::newRow("plain, combining mark") << false << u"縁取りe\u0301"_s;
}

void TestDlgMain::outlinePixels()
{
    QFETCH(bool, outlining);
    QFETCH(QString, text);
    // Text blue on white, outline red (colours are stored as BBGGRR).
    ShownDisplay d(u"main.color.text=ff0000 main.color.outline=0000ff main.font.outline.width_i=3 "
                   u"main.font.outline_i=%1"_s.arg(int(outlining)));
    d.add(text);

    const QImage &image = d.window->renderedImage();
    const QRect glyphs = boundsOf(image, qRgb(0, 0, 255));
    const QRect outline = boundsOf(image, qRgb(255, 0, 0));
    QVERIFY(!glyphs.isEmpty());
    if (!outlining) {
        QVERIFY(outline.isEmpty());
        return;
    }
    // The outline surrounds the glyphs by about its width on every side, inside the cell.
    QVERIFY(outline.contains(glyphs));
    QVERIFY(glyphs.left() - outline.left() >= 3);
    QVERIFY(outline.right() - glyphs.right() >= 3);
    QVERIFY(glyphs.top() - outline.top() >= 3);
    QVERIFY(outline.bottom() - glyphs.bottom() >= 3);
    QVERIFY(outline.left() >= 4);
    QVERIFY(outline.top() >= 0);
}

void TestDlgMain::resizeWrapsAgain()
{
    ShownDisplay d;
    const QString text(40, QChar(0x5b57)); // 40 × 字, wider than the window
    d.add(text);
    const int before = d.window->collectedLines().size();
    QVERIFY(before >= 2);

    d.window->resize(960, 300);
    QCoreApplication::processEvents();
    d.paint();

    QVERIFY(d.window->collectedLines().size() < before);
    QCOMPARE(d.window->collectedLines().join(QString()), text);
}

void TestDlgMain::commandsAndCheckMarks()
{
    ShownDisplay d({}, false);
    CDlgMain &display = *d.window;
    // The display's own dialogs are answered with Cancel.
    display.setFontChooser([](QWidget *, QFont &, QColor &) { return false; });
    display.setColorChooser([](QWidget *, QColor &) { return false; });
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, &cancel, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    cancel.start(0);
    QSignalSpy requested(&display, &CDlgMain::commandRequested);
    using namespace CommandId;
    const QList<int> own = {Exit,      DisplayFont, DisplayBackground, DisplayOutlineColor, DisplaySettings,
                            Frameless, ToggleQrCode};

    QList<int> expected;
    for (QAction *item : items(display.menuBar()->actions()) + display.contextMenu()->actions()) {
        const int command = item->data().toInt();
        if (item->parent() != display.contextMenu())
            QCOMPARE(display.action(command), item);
        if (!own.contains(command))
            expected << command;
        item->trigger();
    }

    QList<int> forwarded;
    for (const QList<QVariant> &signal : requested)
        forwarded << signal.first().toInt();
    QCOMPARE(forwarded, expected);
    // Both frameless items were clicked: framed again, and the marks say so.
    QVERIFY(!display.effects()->IsFrameless());
    QVERIFY(!display.isChecked(Frameless));
    QVERIFY(!display.isChecked(ToggleQrCode));
    // A click does not flip a mark; whoever owns the state sets it, in both menus.
    QVERIFY(!display.isChecked(ToggleInput));
    d.config.SetInt(u"hide.display_i"_s, 1);
    display.CopyConfigToWindow();
    QVERIFY(display.isChecked(ToggleCover));
    QVERIFY(display.contextMenu()->actions().at(4)->isChecked());
}

void TestDlgMain::exitAsksFirst_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("requested");
    QTest::newRow("menu, OK") << "OK" << true;
    QTest::newRow("menu, Cancel") << "Cancel" << false;
    // Closing the window is the exit command itself, without a question.
    QTest::newRow("window closed") << "close" << true;
}

void TestDlgMain::exitAsksFirst()
{
    QFETCH(QString, how);
    QFETCH(bool, requested);
    ShownDisplay d;
    QSignalSpy commands(d.window.get(), &CDlgMain::commandRequested);
    CDialogs::queueAnswer(how == u"OK"_s ? CDialogs::Answer::Ok : CDialogs::Answer::Cancel);

    if (how == u"close"_s)
        QVERIFY(!d.window->close());
    else
        d.window->action(CommandId::Exit)->trigger();

    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(asked.size(), how == u"close"_s ? 0 : 1);
    if (!asked.isEmpty()) {
        QCOMPARE(asked.first().icon, CDialogs::Icon::Warning);
        QCOMPARE(asked.first().buttons, CDialogs::Buttons::OkCancel);
        QCOMPARE(asked.first().defaultAnswer, CDialogs::Answer::Cancel);
    }
    QCOMPARE(commands.size(), requested ? 1 : 0);
    if (requested)
        QCOMPARE(commands.first().first().toInt(), CommandId::Exit);
    // The main window decides the end; the window itself stays until then.
    QVERIFY(d.window->isVisible());
}

void TestDlgMain::settingsRoundTrip_data()
{
    QTest::addColumn<bool>("maximised");
    QTest::newRow("normal") << false;
    QTest::newRow("maximised") << true;
}

void TestDlgMain::settingsRoundTrip()
{
    QFETCH(bool, maximised);
    const QString settings =
        u"main.position.x_i=120 main.position.y_i=80 main.size.x_i=640 main.size.y_i=360 "
        u"main.scroll.period_i=40 main.scroll.pixel_i=2 main.line.height_i=120 main.font.point_i=28 "
        u"main.font.weight_i=1 main.font.outline_i=1 main.font.outline.width_i=4 main.color.text=102030 "
        u"main.color.background=405060 main.color.outline=708090 main.font.name=IPAGothic "
        u"main.qrcode.display_i=1 "
        u"main.qrcode.size_i=30 main.qrcode.corner_i=2"_s;
    const auto saved = entries(settings);
    // Shown normally, whatever the stored maximised flag says.
    ShownDisplay d(settings + u" main.size.config_i=1"_s);
    QVERIFY(!d.window->isMaximized());
    QCOMPARE(d.window->scrollPeriod(), 40);
    QCOMPARE(d.store.outlineWidth(), 4);
    if (maximised)
        d.window->showMaximized();
    // Everything to other values; the window writes its own back (the normal placement).
    for (const auto &[key, value] : saved)
        d.config.SetString(key, u"0"_s);

    d.window->CopyWindowToConfig();

    for (const auto &[key, value] : saved)
        QCOMPARE(d.config.GetStringOr(key), value);
    QCOMPARE(d.config.GetIntOr(u"main.size.config_i"_s, -1), maximised ? 1 : 0);
}

void TestDlgMain::chosenColorsAndFont_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("key");
    QTest::addColumn<quint32>("offered");
    QTest::newRow("background") << CommandId::DisplayBackground << true << "main.color.background"
                                << 0xffffffu;
    QTest::newRow("outline") << CommandId::DisplayOutlineColor << true << "main.color.outline" << 0x33ff00u;
    QTest::newRow("font and text colour") << CommandId::DisplayFont << true << "main.color.text" << 0x000000u;
    QTest::newRow("cancelled") << CommandId::DisplayBackground << false << "main.color.background"
                               << 0xffffffu;
}

void TestDlgMain::chosenColorsAndFont()
{
    QFETCH(int, command);
    QFETCH(bool, accepted);
    QFETCH(QString, key);
    QFETCH(quint32, offered);
    ShownDisplay d(u"main.font.outline_i=1 main.color.outline=33ff00"_s);
    d.add(u"字幕"_s);
    const int generation = d.store.layoutGeneration();
    const int pitch = d.window->column().pitch();
    QColor shown;
    const auto choose = [&shown, accepted](QColor &color) {
        shown = std::exchange(color, QColor(0x12, 0x34, 0x56));
        return accepted;
    };
    d.window->setColorChooser([&choose](QWidget *, QColor &color) { return choose(color); });
    d.window->setFontChooser([&choose](QWidget *, QFont &font, QColor &color) {
        font.setPointSize(48);
        return choose(color);
    });

    d.window->action(command)->trigger();
    d.paint();

    // The dialog starts from the current colour; a choice is drawn at once and relays the lines.
    QCOMPARE(shown, QColor(offered & 0xff, (offered >> 8) & 0xff, offered >> 16));
    QCOMPARE(d.store.layoutGeneration() > generation, accepted);
    QCOMPARE(boundsOf(d.window->renderedImage(), qRgb(0x12, 0x34, 0x56)).isEmpty(), !accepted);
    QCOMPARE(d.window->column().pitch() > pitch, accepted && command == CommandId::DisplayFont);
    d.window->CopyWindowToConfig();
    quint32 stored = 0;
    QVERIFY(d.config.GetColor(key, stored));
    QCOMPARE(stored, accepted ? 0x563412u : offered);
    QCOMPARE(d.config.GetIntOr(u"main.font.point_i"_s, -1), command == CommandId::DisplayFont ? 48 : 15);
}

void TestDlgMain::displaySettingsApplied_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("on");
    QTest::newRow("all on") << true << true;
    QTest::newRow("all off: the outline keeps its width") << true << false;
    QTest::newRow("cancelled") << false << true;
}

void TestDlgMain::displaySettingsApplied()
{
    QFETCH(bool, ok);
    QFETCH(bool, on);
    // Outline, topmost and translucency start as the opposite of what the dialog asks for.
    ShownDisplay d(
        u"main.font.outline_i=%1 main.topmost_i=%1 main.translucent_i=%1 main.font.outline.width_i=3 "
        u"main.translucent.opacity_i=40"_s.arg(int(!on)));
    const QRect geometry = d.window->geometry();
    const int generation = d.store.layoutGeneration();
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<CDlgCfgDisplay *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        for (const auto &[id, value] : {std::pair{1052, 50}, {1053, 6}, {1054, 150}, {1084, 5}, {1086, 60}}) {
            auto *edit = dialog->findChild<QLineEdit *>(QString::number(id));
            offered << edit->text();
            edit->setText(QString::number(value));
        }
        for (int id : {1083, 1087, 1085}) {
            auto *check = dialog->findChild<QCheckBox *>(QString::number(id));
            offered << QString::number(check->isChecked());
            check->setChecked(on);
        }
        if (ok)
            dialog->accept();
        else
            dialog->reject();
    });

    d.window->OnCommand(CommandId::DisplaySettings);
    d.paint();

    const QString was = on ? u"0"_s : u"1"_s;
    QCOMPARE(offered, (QStringList{u"100000000"_s, u"4"_s, u"100"_s, u"3"_s, u"40"_s, was, was, was}));
    const bool now = ok ? on : !on;
    QCOMPARE(d.window->scrollPeriod(), ok ? 50 : 100000000);
    QCOMPARE(d.window->column().scrollPixels(), ok ? 6 : 4);
    QCOMPARE(d.store.lineHeightPercent(), ok ? 150 : 100);
    QCOMPARE(d.store.layoutGeneration() > generation, ok);
    QCOMPARE(d.window->renderer().outlining(), now);
    QCOMPARE(d.store.outlineWidth(), now ? (ok ? 5 : 3) : 0);
    QCOMPARE(d.window->renderer().outlineOffset(), d.store.outlineWidth());
    if (now)
        QCOMPARE(d.window->renderer().outlinePen().widthF(), 2.0 * d.store.outlineWidth() + 2);
    QCOMPARE(d.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), now);
    QCOMPARE(d.window->effects()->IsTranslucent(), now);
    QCOMPARE(d.window->geometry(), geometry);
    d.window->CopyWindowToConfig();
    QCOMPARE(d.config.GetIntOr(u"main.font.outline.width_i"_s, -1), ok ? 5 : 3);
    QCOMPARE(d.config.GetIntOr(u"main.translucent.opacity_i"_s, -1), ok ? 60 : 40);
}

void TestDlgMain::settingsDialogRefusesOutOfRange_data()
{
    QTest::addColumn<int>("control");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    // The bounds are the settings' own; each field is checked against its key's.
    QTest::newRow("period below") << 1052 << u"9"_s << false;
    QTest::newRow("period at the lower bound") << 1052 << u"10"_s << true;
    QTest::newRow("period empty") << 1052 << QString() << false;
    QTest::newRow("pixels below") << 1053 << u"0"_s << false;
    QTest::newRow("line height at the upper bound") << 1054 << u"200"_s << true;
    QTest::newRow("line height above") << 1054 << u"201"_s << false;
    QTest::newRow("outline width above") << 1084 << u"100"_s << false;
    QTest::newRow("opacity above") << 1086 << u"101"_s << false;
}

void TestDlgMain::settingsDialogRefusesOutOfRange()
{
    QFETCH(int, control);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    TestHome home;
    CConfig config;
    const QString key = QHash<int, QString>{{1052, u"main.scroll.period_i"_s},
                                            {1053, u"main.scroll.pixel_i"_s},
                                            {1054, u"main.line.height_i"_s},
                                            {1084, u"main.font.outline.width_i"_s},
                                            {1086, u"main.translucent.opacity_i"_s}}
                            .value(control);
    const int before = config.GetIntOr(key, -1);
    CDlgCfgDisplay dialog(config);
    dialog.show();
    dialog.findChild<QLineEdit *>(QString::number(control))->setText(value);

    dialog.accept();

    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(dialog.isVisible(), !accepted);
    QCOMPARE(config.GetIntOr(key, -1), accepted ? value.toInt() : before);
    QCOMPARE(asked.size(), accepted ? 0 : 1);
    if (accepted)
        return;
    // A warning; the dialog stays open with the value as typed.
    QCOMPARE(asked.first().icon, CDialogs::Icon::Warning);
    QCOMPARE(asked.first().buttons, CDialogs::Buttons::Ok);
    QCOMPARE(dialog.findChild<QLineEdit *>(QString::number(control))->text(), value);
}

void TestDlgMain::colorDialogSharesThePalette()
{
    // BBGGRR in the palette, RGB in the dialog; a colour the user adds comes back.
    CCustomPalette palette;
    palette.setColor(3, 0x00ff00);
    palette.setColor(4, 0x030201);
    bool sawPalette = false;
    QTimer::singleShot(0, [&sawPalette] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        sawPalette = QColorDialog::customColor(3) == QColor(0x00, 0xff, 0x00) &&
                     QColorDialog::customColor(4) == QColor(0x01, 0x02, 0x03);
        QColorDialog::setCustomColor(7, QColor(0x11, 0x22, 0x33));
        dialog->setCurrentColor(QColor(0x44, 0x55, 0x66));
        dialog->accept();
    });
    QColor color = Qt::white;

    QVERIFY(CPaletteColorDialog::Choose(nullptr, color, &palette));

    QVERIFY(sawPalette);
    QCOMPARE(color, QColor(0x44, 0x55, 0x66));
    QCOMPARE(palette.color(7), 0x332211u);
    QCOMPARE(palette.color(3), 0x00ff00u);
}

void TestDlgMain::framelessKeepsTheTextInPlace_data()
{
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("middle") << QRect(200, 150, 400, 300);
    QTest::newRow("top left") << QRect(0, 0, 320, 200);
}

void TestDlgMain::framelessKeepsTheTextInPlace()
{
    QFETCH(QRect, geometry);
    ShownDisplay d(
        u"main.position.x_i=%1 main.position.y_i=%2 main.size.x_i=%3 main.size.y_i=%4"_s.arg(geometry.x())
            .arg(geometry.y())
            .arg(geometry.width())
            .arg(geometry.height()));
    d.add(u"動かない字幕"_s);
    const QRect before = d.window->geometry();
    const QRect outer = d.window->frameGeometry();
    const auto textOnScreen = [&d] {
        d.paint();
        return boundsOf(d.screen(), qRgb(0, 0, 0)).translated(d.window->canvas()->mapToGlobal(QPoint(0, 0)));
    };
    const QRect text = textOnScreen();
    QVERIFY(!text.isEmpty());

    d.window->OnCommand(CommandId::Frameless);
    QVERIFY(d.window->effects()->IsFrameless());
    QVERIFY(d.window->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(d.window->menuBar()->isHidden());
    QVERIFY(d.window->isChecked(CommandId::Frameless));
    QVERIFY(d.store.borderless());
    QCOMPARE(d.window->geometry(), outer);
    QCOMPARE(textOnScreen(), text);
    // Saved meanwhile, the placement is the framed one.
    d.window->CopyWindowToConfig();
    const auto stored = [&d](const char *key) { return d.config.GetIntOr(QString::fromLatin1(key), -1); };
    QCOMPARE(QRect(stored("main.position.x_i"), stored("main.position.y_i"), stored("main.size.x_i"),
                   stored("main.size.y_i")),
             before);

    d.window->OnCommand(CommandId::Frameless);
    QVERIFY(!d.window->effects()->IsFrameless());
    QVERIFY(!d.window->menuBar()->isHidden());
    QVERIFY(!d.window->isChecked(CommandId::Frameless));
    QVERIFY(!d.store.borderless());
    QCOMPARE(d.window->geometry(), before);
    QCOMPARE(textOnScreen(), text);
}

void TestDlgMain::framelessRestoresMaximised()
{
    ShownDisplay d;
    const QRect normal = d.window->geometry();
    d.window->showMaximized();
    QTRY_VERIFY(d.window->isMaximized());

    d.window->OnCommand(CommandId::Frameless);
    QVERIFY(d.window->effects()->IsFrameless());
    QVERIFY(!d.window->isMaximized());

    d.window->OnCommand(CommandId::Frameless);
    QTRY_VERIFY(d.window->isMaximized());
    d.window->showNormal();
    QTRY_COMPARE(d.window->geometry(), normal);
}

void TestDlgMain::f1TogglesFrameless_data()
{
    QTest::addColumn<bool>("elsewhere");
    QTest::newRow("keyboard on the display") << false;
    // A tool window keeps F1 for its own use.
    QTest::newRow("keyboard in another window") << true;
}

void TestDlgMain::f1TogglesFrameless()
{
    QFETCH(bool, elsewhere);
    ShownDisplay d;
    QLineEdit other;
    QWidget *focus = d.window.get();
    if (elsewhere) {
        other.show();
        focus = &other;
    }
    focus->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(focus));

    QTest::keyClick(focus, Qt::Key_F1);
    QCOMPARE(d.window->effects()->IsFrameless(), !elsewhere);
    if (elsewhere)
        return;

    // Without the menu bar the key is the way back, and the window still has the keyboard.
    QVERIFY(QTest::qWaitForWindowActive(d.window.get()));
    QTest::keyClick(d.window.get(), Qt::Key_F1);
    QVERIFY(!d.window->effects()->IsFrameless());
}

void TestDlgMain::translucentBackground_data()
{
    QTest::addColumn<int>("opacity");
    QTest::addColumn<quint32>("text");
    QTest::addColumn<bool>("offAgain");
    QTest::addColumn<int>("alpha");
    QTest::newRow("50 %, truncated") << 50 << 0x0000ffu << false << 127;
    QTest::newRow("0 %") << 0 << 0x0000ffu << false << 0;
    QTest::newRow("text in the background colour vanishes") << 50 << 0x804020u << false << 127;
    QTest::newRow("switched off again") << 30 << 0x0000ffu << true << 255;
}

void TestDlgMain::translucentBackground()
{
    QFETCH(int, opacity);
    QFETCH(quint32, text);
    QFETCH(bool, offAgain);
    QFETCH(int, alpha);
    ShownDisplay d(
        u"main.color.text=%1 main.color.background=804020 main.translucent_i=1 main.translucent.opacity_i=%2"_s
            .arg(text, 6, 16, QChar(u'0'))
            .arg(opacity));
    QVERIFY(d.window->effects()->IsTranslucent());
    if (offAgain) {
        d.config.SetInt(u"main.translucent_i"_s, 0);
        d.window->ApplyDisplaySettings();
        QVERIFY(!d.window->effects()->IsTranslucent());
    }
    d.add(u"透ける背景"_s);
    QImage image(d.window->canvas()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    d.window->canvas()->render(&image);
    image = image.convertToFormat(QImage::Format_ARGB32);

    // The background: its colour at the backdrop's alpha (premultiplied storage rounds).
    const QRgb back = image.pixel(image.width() - 2, image.height() - 2);
    QCOMPARE(qAlpha(back), alpha);
    if (alpha > 0)
        QVERIFY(qAbs(qRed(back) - 0x20) <= 2 && qAbs(qGreen(back) - 0x40) <= 2 &&
                qAbs(qBlue(back) - 0x80) <= 2);
    // The glyphs stay fully opaque, unless drawn in the background colour itself.
    const bool glyphs = !boundsOf(image, qRgb(0xff, 0, 0)).isEmpty();
    QCOMPARE(glyphs, text != 0x804020u);
    QCOMPARE(where(image, [](QRgb pixel) { return qAlpha(pixel) == 255; }).isEmpty(), !glyphs && alpha < 255);
}

void TestDlgMain::qrCodeInACornerStaysWhileTheLinesScroll_data()
{
    QTest::addColumn<int>("corner");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("bottom");
    QTest::newRow("top left") << 0 << 40 << false << false;
    QTest::newRow("top right") << 1 << 40 << true << false;
    QTest::newRow("bottom left") << 2 << 40 << false << true;
    QTest::newRow("bottom right") << 3 << 40 << true << true;
    // A phone still reads it from a few metres.
    QTest::newRow("small, never under 64 px") << 3 << 10 << true << true;
}

void TestDlgMain::qrCodeInACornerStaysWhileTheLinesScroll()
{
    QFETCH(int, corner);
    QFETCH(int, size);
    QFETCH(bool, right);
    QFETCH(bool, bottom);
    ShownDisplay d(
        u"main.qrcode.display_i=1 main.scroll.pixel_i=5 main.qrcode.corner_i=%1 main.qrcode.size_i=%2"_s
            .arg(corner)
            .arg(size));
    d.window->setQrCode(u"http://192.0.2.8:8080/live"_s, QString());
    QVERIFY(d.window->isQrCodeShown());
    const QRect area = d.window->textArea();
    const QRect code = d.window->qrCodeArea();
    QCOMPARE(code.width(), code.height());
    QCOMPARE(code.width(), std::max(std::min(area.width(), area.height()) * size / 100, 64));
    QCOMPARE(right ? code.right() : code.left(), right ? area.right() : area.left());
    QCOMPARE(bottom ? code.bottom() : code.top(), bottom ? area.bottom() : area.top());

    QImage drawn = d.window->qrCodeView()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    drawn.setDevicePixelRatio(1);
    QVERIFY(boundsOf(drawn, 0x000000).isValid());
    for (int i = 1; i <= d.window->shownLines() + 3; ++i)
        d.add(u"行%1 字幕の行が流れる"_s.arg(i));
    QVERIFY(d.window->isScrolling());
    // The lines scroll under the code; the code itself never moves with them.
    const auto codeOnScreen = [&d, &code] {
        // As the picture grabbed from the widget: the screen's pixel ratio is not the point.
        QImage shown = d.screen().copy(code);
        shown.setDevicePixelRatio(1);
        return shown;
    };
    QCOMPARE(codeOnScreen(), drawn);
    for (int step = 0; step < 12; ++step) {
        d.window->ScrollStep();
        QCOMPARE(codeOnScreen(), drawn);
    }
    // Around the code, the lines are what a whole paint shows.
    const QImage stepped = d.screen();
    d.paint();
    QCOMPARE(d.screen(), stepped);

    // Off and on again from either menu; both marks follow.
    const QList<QAction *> context = d.window->contextMenu()->actions();
    QAction *contextItem = *std::find_if(context.begin(), context.end(), [](const QAction *item) {
        return item->data().toInt() == CommandId::ToggleQrCode;
    });
    QVERIFY(d.window->isChecked(CommandId::ToggleQrCode) && contextItem->isChecked());
    contextItem->trigger();
    QVERIFY(!d.window->isQrCodeShown());
    QVERIFY(!d.window->isChecked(CommandId::ToggleQrCode) && !contextItem->isChecked());
    d.window->CopyWindowToConfig();
    QCOMPARE(d.config.GetIntOr(u"main.qrcode.display_i"_s, -1), 0);
    d.window->action(CommandId::ToggleQrCode)->trigger();
    QCOMPARE(d.window->qrCodeArea(), code);
    QVERIFY(contextItem->isChecked());
}

QTEST_MAIN(TestDlgMain)
#include "test_dlg_main.moc"
