#pragma once

#include "core/CTextDocument.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <functional>

template <typename T> class QFutureWatcher;

// Opening a pre-roll file without holding up the event loop, which also draws the captions and
// takes the network's datagrams. The file is read and turned into text on a worker thread; the
// text is then handed out in slices of whole lines, a few milliseconds of work each, with the
// event loop running between them. It writes no log line and touches no window: its owner logs
// and fills its pane, on its own thread, as the signals come.
class CPftFileOpen final : public QObject
{
    Q_OBJECT

public:
    // Takes the next slice: whole lines with their line feeds (only the text's last line may
    // come without one). False stops the filling without a further signal.
    using Sink = std::function<bool(QStringView lines)>;

    static constexpr qsizetype kSliceCharacters = 16384;
    static constexpr int kSliceMilliseconds = 8;

    explicit CPftFileOpen(QObject *parent = nullptr);
    ~CPftFileOpen() override;
    Q_DISABLE_COPY_MOVE(CPftFileOpen)

    // Each turn of the event loop hands out pieces of about this many characters until this
    // much time is used (at least one piece). A line longer than a piece goes out whole: cutting
    // it would have the pane lay it out anew for each part.
    void setSlice(qsizetype characters, int milliseconds);

    // Reads path on a worker thread; read() follows on this object's thread. Once only.
    void Start(const QString &path);
    // After read() of a file that was read and converted: hands its text to sink, slice after
    // slice; progress() after each, filled() after the last.
    void Fill(Sink sink);
    // Stops for good: no further signal, and the sink is not called again. A worker that is still
    // reading finishes on its own; what it read is dropped.
    void Cancel();

    // What the worker read (valid from read() on). The text is given back once filled.
    const CTextDocument::FileText &file() const { return m_file; }
    // Percent of the text handed out.
    int percent() const;

signals:
    void read();
    void progress(int percent);
    void filled();

private:
    void OnRead();
    void FillSlice();
    // Where the piece that starts at from ends: after the last line feed within the piece, or
    // after the line that is longer than a piece.
    qsizetype pieceEnd(qsizetype from) const;

    QFutureWatcher<CTextDocument::FileText> *m_watcher = nullptr;
    CTextDocument::FileText m_file;
    Sink m_sink;
    qsizetype m_nPosition = 0;
    qsizetype m_nSliceCharacters = kSliceCharacters;
    int m_nSliceMilliseconds = kSliceMilliseconds;
    bool m_bStarted = false;
    bool m_bStopped = false;
    bool m_bFilled = false;
};
