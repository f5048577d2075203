// Opens a large pre-roll file in the pre-roll window and reports how long each step takes (the
// display's side of the open is measured by preroll_open_jitter):
//   preroll_large_file [megabytes=50] [folder=a temporary one]
// Files of the three encodings with lines of ordinary length are written, and one file that is a
// single line. Nothing is asserted: the numbers go to standard output.

#include "core/CDialogs.h"
#include "core/CTextDocument.h"
#include "core/TextEncoding.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextStream>

#include <cstdio>

namespace {

// A script line of about 40 characters, numbered so that no two lines are alike.
QString scriptLine(int n)
{
    if (n % 50 == 0)
        return QStringLiteral("<-場面 %1：ここから司会の挨拶").arg(n);
    if (n % 10 == 9)
        return QStringLiteral("`@");
    return QStringLiteral("%1 本日はお忙しいところお集まりいただきありがとうございます。").arg(n);
}

bool writeFile(const QString &path, qint64 megabytes, int encoding, bool oneLine)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 target = megabytes * 1024 * 1024;
    if (encoding == CTextEncoding::kUtf16Le)
        file.write("\xFF\xFE", 2);
    QString chunk;
    int n = 0;
    while (file.size() < target) {
        chunk.clear();
        for (int i = 0; i < 1000; ++i, ++n) {
            chunk += oneLine ? QStringLiteral("本日はお忙しいところお集まりいただきありがとうございます。")
                             : scriptLine(n) + QStringLiteral("\r\n");
        }
        int used = encoding;
        QByteArray bytes = CTextEncoding::encode(chunk, encoding, &used);
        if (encoding == CTextEncoding::kUtf16Le)
            bytes.remove(0, 2);
        file.write(bytes);
    }
    return true;
}

double ms(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void run(const QString &label, const QString &path, bool saveToo)
{
    CDlgPft window(ToolWindowHost{}, CDlgPft::Actions{}, {});
    // Error boxes are printed at the end, not shown.
    CDialogs::setScripted(true);
    window.resize(600, 800);
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    // The file alone: read, detected, converted and its line breaks made those of the edit (on
    // the worker thread when the window opens it).
    static_cast<void>(CTextDocument::ReadFile(path));
    const double load = ms(timer);
    timer.restart();
    // The open runs in the background; "open" is until the pane holds the file.
    bool opened = false;
    QEventLoop loop;
    QObject::connect(&window, &CDlgPft::openFinished, &loop, [&](bool ok) {
        opened = ok;
        loop.quit();
    });
    if (window.OpenFile(path))
        loop.exec();
    const double open = ms(timer);
    timer.restart();
    window.repaint();
    QCoreApplication::processEvents();
    const double paint = ms(timer);

    CEngagedEdit *edit = window.edit(0);
    const qint64 characters = edit->document()->characterCount();
    timer.restart();
    window.SendCaretLine();
    window.PostState();
    QCoreApplication::processEvents();
    const double send = ms(timer);
    timer.restart();
    window.JumpToNextComment();
    window.JumpToNextComment();
    window.OnForwardedCommand(40162);
    QCoreApplication::processEvents();
    const double jump = ms(timer);
    timer.restart();
    // The last line: the document has to be laid out down to it.
    edit->moveCursor(QTextCursor::End);
    edit->ensureCursorVisible();
    window.repaint();
    QCoreApplication::processEvents();
    const double toEnd = ms(timer);
    double save = 0;
    if (saveToo) {
        timer.restart();
        window.SaveFile(path + QStringLiteral(".copy.tvu"));
        save = ms(timer);
    }
    std::printf(
        "%-28s %7.1f MB %s %9lld chars %7d lines | file %7.1f ms  open %8.1f  paint %7.1f  F1+state %6.1f  "
        "jumps %7.1f  to end %8.1f  save %7.1f\n",
        qPrintable(label), static_cast<double>(QFileInfo(path).size()) / (1024 * 1024),
        opened ? "ok  " : "FAIL", static_cast<long long>(characters), edit->document()->blockCount(), load,
        open, paint, send, jump, toEnd, save);
    for (const CDialogs::Message &box : CDialogs::takeAsked())
        std::printf("  error: %s\n", qPrintable(box.text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const qint64 megabytes = args.size() > 1 ? args.at(1).toLongLong() : 50;
    QTemporaryDir temporary;
    const QString folder = args.size() > 2 ? args.at(2) : temporary.path();

    struct Case
    {
        const char *label;
        int encoding;
        bool oneLine;
    };
    const Case cases[] = {
        {"UTF-8, lines", CTextEncoding::kUtf8, false},
        {"ANSI (CP932), lines", CTextEncoding::kAnsi, false},
        {"UTF-16LE, lines", CTextEncoding::kUtf16Le, false},
        {"UTF-8, one single line", CTextEncoding::kUtf8, true},
    };
    for (const Case &c : cases) {
        const QString path = folder + QStringLiteral("/large-%1%2.txt")
                                          .arg(c.encoding)
                                          .arg(c.oneLine ? QStringLiteral("-one") : QString());
        if (!writeFile(path, megabytes, c.encoding, c.oneLine)) {
            std::printf("cannot write %s\n", qPrintable(path));
            return 1;
        }
        run(QString::fromLatin1(c.label), path, !c.oneLine);
        QFile::remove(path);
        QFile::remove(path + QStringLiteral(".copy.tvu"));
    }
    return 0;
}
