#pragma once

#include "TestHome.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "core/CDialogs.h"
#include "input/CDlgFKey.h"
#include "input/CToolWindow.h"

#include <QList>

#include <memory>

// What a tool window under test stands on: an isolated home, a settings store with its defaults,
// the shared custom colours, a function-key window for its phrases, the commands it posts to the
// main window, and message boxes and file choosers answered by the test (CDialogs). Header only:
// it needs the tool window library, which most tests do not link.
class ToolWindowBed final
{
public:
    ToolWindowBed()
    {
        CDialogs::reset();
        CDialogs::setScripted(true);
        m_config.Initialize();
        m_functionKeys = std::make_unique<CDlgFKey>(host());
    }
    ~ToolWindowBed() { CDialogs::reset(); }
    Q_DISABLE_COPY_MOVE(ToolWindowBed)

    ToolWindowHost host()
    {
        ToolWindowHost host;
        host.config = &m_config;
        host.palette = &m_palette;
        host.postCommand = [this](int command) { m_posted.append(command); };
        return host;
    }
    const TestHome &home() const { return m_home; }
    CConfig &config() { return m_config; }
    CCustomPalette &palette() { return m_palette; }
    CDlgFKey &functionKeys() { return *m_functionKeys; }
    // The commands posted to the main window, oldest first.
    QList<int> &posted() { return m_posted; }

private:
    TestHome m_home; // first in, last out: the store and the windows live in it
    CConfig m_config;
    CCustomPalette m_palette;
    QList<int> m_posted;
    std::unique_ptr<CDlgFKey> m_functionKeys;
};
