#pragma once

#include "FakeAdapterSource.h"
#include "TestHome.h"

#include "app/CMainWindow.h"
#include "app/wiring/InstallWindows.h"
#include "core/CDialogs.h"
#include "display/CDlgMain.h"
#include "input/IToolWindow.h"
#include "timeline/ReceivedMain.h"

#include <QCoreApplication>
#include <QList>
#include <QWidget>

// A made-up adapter on 127.0.30.x to 127.0.39.x only, so that no main window under test ever binds
// to this machine's real interfaces.
inline AdapterEntry loopbackAdapter(int host, int net = 30)
{
    return {1, QStringLiteral("loopback test"), QStringLiteral("127.0.%1.%2").arg(net).arg(host),
            QStringLiteral("127.255.255.255")};
}

// A tool window standing in for the real ones: a plain top-level widget that counts what the main
// window asks of it.
class StandInTool final : public IToolWindow
{
public:
    explicit StandInTool(int *created = nullptr)
    {
        if (created)
            ++*created;
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
    void CopyConfigToWindow() override {}
    void CopyWindowToConfig() override {}
    void OnForwardedCommand(int command) override { forwarded.append(command); }

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

// A main window in a home of its own, on made-up adapters, whose login dialog counts and answers
// loginAnswer (cancel by default); message boxes are answered by the test through CDialogs.
// Wired: with every part's real windows, as the program has them.
struct MainWindowUnderTest
{
    enum Wiring
    {
        StandAlone,
        Wired
    };

    explicit MainWindowUnderTest(QList<AdapterEntry> entries = {}, Wiring wiring = StandAlone)
        : window(setAdapters(entries))
    {
        CDialogs::setScripted(true);
        window.setLoginDialog([this](QWidget *, const QList<AdapterEntry> &offered, CConfig &) {
            ++loginShown;
            adaptersOffered = offered.size();
            return loginAnswer;
        });
        if (wiring == Wired)
            InstallAppWindows(window);
    }
    ~MainWindowUnderTest()
    {
        window.Destroy();
        CDlgMain::setApplicationPalette(nullptr);
        CDialogs::reset();
    }

    IAdapterSource *setAdapters(const QList<AdapterEntry> &entries)
    {
        adapters.entries = entries;
        return &adapters;
    }
    CConfig &config() { return window.config(); }
    CDlgMain *display() { return window.displayWindow(); }
    template <typename Window> Window *tool(CMainWindow::ToolWindow which)
    {
        return dynamic_cast<Window *>(window.toolWindow(which));
    }
    // The newest record of the caption store.
    const CReceivedMainData *lastCaption()
    {
        ReceivedMain &store = window.captions();
        return store.count() > 0 ? store.at(store.count() - 1) : nullptr;
    }

    TestHome home;
    FakeAdapterSource adapters;
    CMainWindow window;
    int loginShown = 0;
    qsizetype adaptersOffered = -1;
    int loginAnswer = -1;
};
