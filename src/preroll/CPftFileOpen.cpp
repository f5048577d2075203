#include "preroll/CPftFileOpen.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

using FileText = CTextDocument::FileText;

CPftFileOpen::CPftFileOpen(QObject *parent) : QObject(parent) {}

// The watcher goes with this object; a worker still running then finishes into a future that
// nobody watches.
CPftFileOpen::~CPftFileOpen() = default;

void CPftFileOpen::setSlice(qsizetype characters, int milliseconds)
{
    m_nSliceCharacters = std::max<qsizetype>(characters, 1);
    m_nSliceMilliseconds = std::max(milliseconds, 0);
}

void CPftFileOpen::Start(const QString &path)
{
    if (m_bStarted || m_bStopped)
        return;
    m_bStarted = true;
    auto promise = std::make_shared<QPromise<FileText>>();
    promise->start();
    m_watcher = new QFutureWatcher<FileText>(this);
    connect(m_watcher, &QFutureWatcherBase::finished, this, &CPftFileOpen::OnRead);
    m_watcher->setFuture(promise->future());
    // The read touches neither the log nor a window: only the file and its conversion.
    QThreadPool::globalInstance()->start([promise, path] {
        if (!promise->isCanceled())
            promise->addResult(CTextDocument::ReadFile(path));
        promise->finish();
    });
}

void CPftFileOpen::OnRead()
{
    QFuture<FileText> future = m_watcher->future();
    // Not deleted at once: the watcher is still sending the signal that brought us here.
    m_watcher->deleteLater();
    m_watcher = nullptr;
    if (m_bStopped || future.resultCount() == 0)
        return;
    m_file = future.takeResult();
    emit read();
}

void CPftFileOpen::Fill(Sink sink)
{
    if (m_bStopped || m_sink || !m_file.read() || !m_file.converted)
        return;
    m_sink = std::move(sink);
    m_nPosition = 0;
    QTimer::singleShot(0, this, &CPftFileOpen::FillSlice);
}

qsizetype CPftFileOpen::pieceEnd(qsizetype from) const
{
    const QString &text = m_file.text;
    const qsizetype size = text.size();
    const qsizetype limit = from + m_nSliceCharacters;
    if (limit >= size)
        return size;
    const qsizetype within = text.lastIndexOf(u'\n', limit - 1);
    if (within >= from)
        return within + 1;
    const qsizetype after = text.indexOf(u'\n', limit);
    return after < 0 ? size : after + 1;
}

void CPftFileOpen::FillSlice()
{
    if (m_bStopped)
        return;
    const qsizetype size = m_file.text.size();
    QElapsedTimer spent;
    spent.start();
    do {
        const qsizetype end = pieceEnd(m_nPosition);
        if (!m_sink(QStringView(m_file.text).sliced(m_nPosition, end - m_nPosition))) {
            Cancel();
            return;
        }
        m_nPosition = end;
    } while (m_nPosition < size && spent.elapsed() < m_nSliceMilliseconds);

    const bool done = m_nPosition >= size;
    if (done) {
        // The pane holds the text now.
        m_bFilled = true;
        m_file.text = QString();
        m_sink = nullptr;
    }
    const QPointer<CPftFileOpen> self(this);
    emit progress(percent());
    // The owner may have stopped or deleted us on the way.
    if (!self || m_bStopped)
        return;
    if (!done) {
        QTimer::singleShot(0, this, &CPftFileOpen::FillSlice);
        return;
    }
    emit filled();
}

void CPftFileOpen::Cancel()
{
    m_bStopped = true;
    m_sink = nullptr;
    if (m_watcher) {
        m_watcher->future().cancel();
        m_watcher->disconnect(this);
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
}

int CPftFileOpen::percent() const
{
    if (m_bFilled)
        return 100;
    const qsizetype size = m_file.text.size();
    return size == 0 ? 0 : static_cast<int>(m_nPosition * 100 / size);
}
