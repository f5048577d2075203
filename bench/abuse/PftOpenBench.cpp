// Opens a large pre-roll file in the pre-roll window and reports what the typist would feel: how
// long the window is frozen by the open, resident memory before and after, and how long the
// everyday commands take on the large text afterwards (send the caret line, the pre-roll state
// after a key, a jump to the end, typing a character).
//
//   QT_QPA_PLATFORM=offscreen ./pft_open_bench [megabytes=50] [utf8|cp932|utf16]

#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "core/CDialogs.h"
#include "core/CodePage932.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QByteArray encode(const QString &text, const QByteArray &encoding)
{
    if (encoding == "cp932")
        return CCodePage932::encode(text);
    if (encoding == "utf16")
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return text.toUtf8();
}

// A script of numbered Japanese lines, with comment lines and block separators here and there.
QByteArray makeFile(qint64 bytes, const QByteArray &encoding)
{
    QByteArray out = encoding == "utf16" ? QByteArrayLiteral("\xFF\xFE") : QByteArray();
    out.reserve(bytes + 4096);
    for (int n = 0; out.size() < bytes; ++n) {
        QString line;
        if (n % 50 == 0)
            line = QStringLiteral("<-第%1節　話者の交代").arg(n / 50);
        else if (n % 20 == 0)
            line = QStringLiteral("`@");
        else
            line = QStringLiteral("%1 本日の講演では、聞こえの保障と情報のバリアフリーについてお話しします。")
                       .arg(n);
        out += encode(line + QStringLiteral("\r\n"), encoding);
    }
    return out;
}

void key(QWidget *target, int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
    QCoreApplication::processEvents();
}

double ms(const QElapsedTimer &t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const QByteArray encoding = argc > 2 ? QByteArray(argv[2]) : QByteArrayLiteral("utf8");

    const QString path = home.path() + (encoding == "utf16"  ? QStringLiteral("/script.tvu")
                                        : encoding == "utf8" ? QStringLiteral("/script.tv8")
                                                             : QStringLiteral("/script.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(makeFile(qint64(megabytes) << 20, encoding)) < 0)
            return 1;
    }

    CConfig config;
    config.Initialize();
    CCustomPalette palette;
    ToolWindowHost host;
    host.config = &config;
    host.palette = &palette;
    int linesSent = 0;
    int states = 0;
    CDlgPft::Actions actions;
    actions.sendLine = [&linesSent](const QString &) { ++linesSent; };
    actions.sendBlock = [](const QStringList &) {};
    actions.sendState = [&states](const QStringList &, const QStringList &) { ++states; };
    actions.clearScreen = [] {};
    CDlgPft window(host, actions, [] { return nullptr; });
    // An error box would stop the measurement: it is printed instead.
    CDialogs::setScripted(true);
    window.resize(900, 600);
    window.ShowWindow();
    QCoreApplication::processEvents();

    const long rssBefore = residentKb();
    QElapsedTimer t;
    t.start();
    // The open runs in the background: until the pane holds the file, and the longest the event
    // loop was held meanwhile (a 5 ms timer that comes late).
    qint64 lastTick = 0;
    qint64 heldNs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = t.nsecsElapsed();
        heldNs = std::max(heldNs, now - lastTick);
        lastTick = now;
    });
    probe.start(5);
    bool opened = false;
    QEventLoop loop;
    QObject::connect(&window, &CDlgPft::openFinished, &loop, [&](bool ok) {
        opened = ok;
        loop.quit();
    });
    if (window.OpenFile(path))
        loop.exec();
    const double openMs = ms(t);
    heldNs = std::max(heldNs, t.nsecsElapsed() - lastTick);
    probe.stop();
    for (const CDialogs::Message &box : CDialogs::takeAsked())
        std::fprintf(stderr, "error box: %s\n", qPrintable(box.text));
    // What the open left for the event loop to do (layout, painting) also freezes the window.
    t.restart();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const double settleMs = ms(t);
    const long rssAfter = residentKb();
    CEngagedEdit *edit = window.edit(0);

    t.restart();
    for (int i = 0; i < 20; ++i)
        window.SendCaretLine();
    QCoreApplication::processEvents();
    const double sendMs = ms(t) / 20;

    t.restart();
    key(edit, Qt::Key_End, Qt::ControlModifier);
    const double endMs = ms(t);

    t.restart();
    for (int i = 0; i < 20; ++i)
        key(edit, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    const double typeMs = ms(t) / 20;

    t.restart();
    key(edit, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 20; ++i)
        key(edit, Qt::Key_Down);
    const double downMs = ms(t) / 21;

    std::printf("pre-roll file %d MB (%s), %s; platform %s\n", megabytes, encoding.constData(),
                opened ? "opened" : "NOT opened", qPrintable(QGuiApplication::platformName()));
    std::printf("lines in the pane %d\n", edit->document()->blockCount());
    std::printf(
        "open: %.0f ms until the pane holds the file, the event loop held at most %.0f ms; then %.0f ms "
        "of events before the window answers\n",
        openMs, static_cast<double>(heldNs) / 1e6, settleMs);
    std::printf("resident memory: %ld kB before, %ld kB after (+%ld kB, %.1f x the file)\n", rssBefore,
                rssAfter, rssAfter - rssBefore,
                static_cast<double>(rssAfter - rssBefore) / (megabytes * 1024.0));
    std::printf(
        "after opening: send caret line %.2f ms, Ctrl+End %.1f ms, a typed key with its state %.2f ms, "
        "caret down %.2f ms (%d lines sent, %d states)\n",
        sendMs, endMs, typeMs, downMs, linesSent, states);
    return opened ? 0 : 1;
}
