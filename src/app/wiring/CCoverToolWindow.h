#pragma once

#include "input/IToolWindow.h"

#include <functional>
#include <memory>

class CConfig;
class CDlgHide;

// The cover as the main window drives its tool windows. The cover never takes the focus.
class CCoverToolWindow final : public IToolWindow
{
public:
    // closedByUser runs after the user closed the cover (it is hidden by then).
    CCoverToolWindow(CConfig &config, QWidget *target, std::function<void()> closedByUser);
    ~CCoverToolWindow() override;
    CCoverToolWindow(const CCoverToolWindow &) = delete;
    CCoverToolWindow &operator=(const CCoverToolWindow &) = delete;

    QWidget *widget() override;
    bool isShown() const override;
    void ShowWindow() override;
    void HideWindow() override;
    void CopyConfigToWindow() override;
    void CopyWindowToConfig() override;
    // The cover colour command: the new colour is in the store.
    void OnForwardedCommand(int command) override;
    void FocusWindow() override {}

private:
    std::unique_ptr<CDlgHide> m_cover;
};
