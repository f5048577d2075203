#pragma once

#include "app/CMainWindow.h"
#include "app/IToolWindow.h"
#include "net/IAdapterSource.h"

#include <QCoreApplication>
#include <QList>
#include <QWidget>

// Adapters the test makes up: loopback addresses 127.0.30.x to 127.0.39.x only, so that no main
// window under test ever binds to this machine's real interfaces.
class FakeAdapters final : public IAdapterSource
{
public:
    QList<AdapterEntry> entries;

    QList<AdapterEntry> adapters() const override { return entries; }

    static AdapterEntry loopback(int host, int net = 30)
    {
        return {1, QStringLiteral("loopback test"), QStringLiteral("127.0.%1.%2").arg(net).arg(host),
                QStringLiteral("127.255.255.255")};
    }
};

// A tool window standing in for the real ones: a plain top-level widget that counts what the main
// window asks of it.
class StandInTool final : public IToolWindow
{
public:
    explicit StandInTool(int *created = nullptr)
    {
        if (created)
            ++*created;
        m_widget.setWindowTitle(QStringLiteral("stand-in"));
    }

    QWidget *widget() override { return &m_widget; }
    bool isShown() const override { return m_shown; }
    void ShowWindow() override
    {
        m_shown = true;
        m_widget.show();
    }
    void HideWindow() override
    {
        m_shown = false;
        m_widget.hide();
    }
    void CopyConfigToWindow() override { ++copiedIn; }
    void CopyWindowToConfig() override { ++copiedOut; }
    void OnForwardedCommand(int command) override { forwarded.append(command); }

    int copiedIn = 0;
    int copiedOut = 0;
    QList<int> forwarded;

private:
    QWidget m_widget;
    bool m_shown = false;
};

// Posted commands and zero timers (the idle pass) have run.
inline void drainEvents()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// A main window on made-up adapters whose login dialog only counts and cancels.
struct MainWindowUnderTest
{
    explicit MainWindowUnderTest(QList<AdapterEntry> entries = {}) : window(setAdapters(entries))
    {
        window.setLoginDialog([this](QWidget *, const QList<AdapterEntry> &offered, CConfig &) {
            ++dialogShown;
            adaptersOffered = offered.size();
            return dialogAnswer;
        });
        window.setMessageBox([this](const QString &text, const QString &caption, bool) {
            messages.append(caption + u'|' + text);
            return true;
        });
    }

    IAdapterSource *setAdapters(const QList<AdapterEntry> &entries)
    {
        adapters.entries = entries;
        return &adapters;
    }

    FakeAdapters adapters;
    CMainWindow window;
    int dialogShown = 0;
    qsizetype adaptersOffered = -1;
    int dialogAnswer = -1;
    QStringList messages;
};
