#pragma once

#include "TestHome.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "input/CDlgFKey.h"
#include "input/CToolWindow.h"

#include <memory>

// What a tool window under test stands on: an isolated home, a settings store with its defaults,
// the shared custom colours and a function-key window for its phrases. Header only: it needs the
// tool window library, which most tests do not link.
class ToolWindowBed final
{
public:
    ToolWindowBed()
    {
        m_config.Initialize();
        m_functionKeys = std::make_unique<CDlgFKey>(host());
    }
    Q_DISABLE_COPY_MOVE(ToolWindowBed)

    ToolWindowHost host()
    {
        ToolWindowHost host;
        host.config = &m_config;
        host.palette = &m_palette;
        return host;
    }
    const TestHome &home() const { return m_home; }
    CConfig &config() { return m_config; }
    CDlgFKey &functionKeys() { return *m_functionKeys; }

private:
    TestHome m_home; // first in, last out: the store and the windows live in it
    CConfig m_config;
    CCustomPalette m_palette;
    std::unique_ptr<CDlgFKey> m_functionKeys;
};
