#include "app/wiring/CCoverToolWindow.h"

#include "core/CommandIds.h"
#include "display/CDlgHide.h"

CCoverToolWindow::CCoverToolWindow(CConfig &config, QWidget *target, std::function<void()> closedByUser)
    : m_cover(std::make_unique<CDlgHide>(config, target))
{
    m_cover->setClosedHandler(std::move(closedByUser));
}

CCoverToolWindow::~CCoverToolWindow() = default;

QWidget *CCoverToolWindow::widget()
{
    return m_cover.get();
}

bool CCoverToolWindow::isShown() const
{
    return m_cover->isShown();
}

void CCoverToolWindow::ShowWindow()
{
    m_cover->ShowWindow();
}

void CCoverToolWindow::HideWindow()
{
    m_cover->HideWindow();
}

void CCoverToolWindow::CopyConfigToWindow()
{
    m_cover->CopyConfigToWindow();
}

void CCoverToolWindow::CopyWindowToConfig()
{
    m_cover->CopyWindowToConfig();
}

void CCoverToolWindow::OnForwardedCommand(int command)
{
    if (command == CommandId::CoverColor)
        m_cover->CopyConfigToWindow();
}
