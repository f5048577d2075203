#pragma once

#include "core/CommandIds.h"
#include "app/CMainWindow.h"
#include "app/IToolWindow.h"
#include "display/CDlgHide.h"
#include "display/CDlgMain.h"

#include <memory>

// The cover as the main window drives it. Header only: IToolWindow belongs to the application
// library, which links this one, so only the application's sources may include this file.
class CCoverToolWindow final : public IToolWindow
{
public:
    explicit CCoverToolWindow(CMainWindow &mainWindow)
        : m_cover(std::make_unique<CDlgHide>(mainWindow.config(), mainWindow.displayWindow()))
    {
        // Closed by the user: the main window's flag and the check mark follow.
        m_cover->setClosedHandler([&mainWindow] {
            if (mainWindow.coverShown())
                mainWindow.PostCommand(CommandId::ToggleCover);
        });
    }

    QWidget *widget() override { return m_cover.get(); }
    bool isShown() const override { return m_cover->isShown(); }
    void ShowWindow() override { m_cover->ShowWindow(); }
    void HideWindow() override { m_cover->HideWindow(); }
    void CopyConfigToWindow() override { m_cover->CopyConfigToWindow(); }
    void CopyWindowToConfig() override { m_cover->CopyWindowToConfig(); }
    void OnForwardedCommand(int command) override
    {
        if (command == CommandId::CoverColor)
            m_cover->CopyConfigToWindow();
    }
    // The cover never takes the focus.
    void FocusWindow() override {}

    CDlgHide *cover() const { return m_cover.get(); }

private:
    std::unique_ptr<CDlgHide> m_cover;
};
