#include "display/CDlgHide.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "core/OperationLog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {

const QString kDisplayKey = QStringLiteral("hide.display_i");
const QString kColorKey = QStringLiteral("hide.color.background");

QRect normalPlacement(const QWidget &window)
{
    const bool placed =
        window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen);
    return placed ? window.normalGeometry() : window.geometry();
}

// The screen a rectangle is mostly on, as a maximised window there would be.
QScreen *screenOf(const QWidget &window)
{
    if (QScreen *screen = QGuiApplication::screenAt(window.frameGeometry().center()))
        return screen;
    return window.screen();
}

} // namespace

CDlgHide::CDlgHide(CConfig &config, QWidget *target, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_config(config)
{
    setObjectName(QStringLiteral("CDlgHide"));
    // The cover lies behind the program's windows and never takes the focus from them.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setTarget(target);
    CopyConfigToWindow();
    followScreens();
}

CDlgHide::~CDlgHide()
{
    CopyWindowToConfig();
}

void CDlgHide::setTarget(QWidget *target)
{
    if (m_target)
        m_target->removeEventFilter(this);
    m_target = target;
    if (m_target)
        m_target->installEventFilter(this);
}

void CDlgHide::followScreens()
{
    const auto watch = [this](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, &CDlgHide::onScreensChanged);
        connect(screen, &QScreen::availableGeometryChanged, this, &CDlgHide::onScreensChanged);
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen *screen) {
        watch(screen);
        onScreensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &CDlgHide::onScreensChanged);
}

void CDlgHide::onScreensChanged()
{
    if (m_bShown)
        DoShowMeMaximized();
}

void CDlgHide::ShowWindow()
{
    m_bShown = true;
    DoShowMeMaximized();
}

void CDlgHide::HideWindow()
{
    m_bShown = false;
    hide();
}

void CDlgHide::DoShowMeMaximized()
{
    if (!m_target) {
        WriteLog(QStringLiteral("DlgHide::DoShowMeMaximized/GetWindowPlacement failed. Code=%1").arg(0));
        return;
    }
    // The display's normal placement puts the cover on the display's screen; maximising there
    // then covers that screen's work area.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    setGeometry(normalPlacement(*m_target));
    // Without a window manager nobody honours "maximised", and the cover would sit unseen under
    // the display window: give it the screen's work area itself.
    if (QScreen *screen = screenOf(*m_target))
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    show();
}

void CDlgHide::CopyConfigToWindow()
{
    quint32 color = 0xffffff;
    if (m_config.GetColor(kColorKey, color))
        m_color = CConfigGui::toQColor(color);
    update();
}

void CDlgHide::CopyWindowToConfig()
{
    m_config.SetInt(kDisplayKey, m_bShown ? 1 : 0);
    m_config.SetColor(kColorKey, CConfigGui::fromQColor(m_color));
}

void CDlgHide::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}

void CDlgHide::closeEvent(QCloseEvent *event)
{
    // Only hidden: the window lives until the main window ends.
    event->accept();
    m_bShown = false;
    if (m_onClosed)
        m_onClosed();
}

bool CDlgHide::eventFilter(QObject *watched, QEvent *event)
{
    // The display moved to another screen: the cover goes with it.
    if (watched == m_target && m_bShown &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        QScreen *target = screenOf(*m_target);
        if (target && target != screenOf(*this))
            DoShowMeMaximized();
    }
    return QWidget::eventFilter(watched, event);
}
