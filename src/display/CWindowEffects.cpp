#include "display/CWindowEffects.h"

#include "config/CConfig.h"
#include "core/OperationLog.h"
#include "timeline/ReceivedMain.h"

#include <QGuiApplication>
#include <QImage>
#include <QLayout>
#include <QShortcut>
#include <QWidget>

#if defined(TAVRIN_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace {

constexpr Qt::WindowStates kPlacementStates =
    Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;

#if defined(TAVRIN_HAVE_XCB)
// The X screen the connection was opened on, from DISPLAY (":0.1" is screen 1).
int defaultXScreen()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon < 0 ? 0 : colon);
    if (colon < 0 || dot < 0)
        return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok ? screen : 0;
}

// An X11 compositing manager owns the selection _NET_WM_CM_S<screen> while it runs.
bool x11CompositorRunning()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(defaultXScreen());
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData());
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom)
        return false;
    const xcb_get_selection_owner_cookie_t ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    std::free(atom);
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(connection, ownerCookie, nullptr);
    if (!owner)
        return false;
    const bool running = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return running;
}
#endif

} // namespace

CWindowEffects::CWindowEffects(QWidget &window, QWidget *menuBar, ReceivedMain &store, CConfig &config,
                               QObject *parent)
    : QObject(parent), m_window(&window), m_menuBar(menuBar), m_store(store), m_config(config)
{
    // The surface format is fixed when the native window is made; asking later would need the
    // window destroyed and made again. A surface with alpha painted opaque looks like any other.
    if (HasCompositor() && !window.testAttribute(Qt::WA_WState_Created)) {
        window.setAttribute(Qt::WA_TranslucentBackground);
        m_bSurfaceTranslucent = true;
    }
    // The frame's key works without the menu bar, which is gone while frameless: it is the way
    // back besides the context menu. The tool windows keep F1 for their own use.
    auto *framelessKey = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    connect(framelessKey, &QShortcut::activated, this, &CWindowEffects::ToggleFrameless);
}

CWindowEffects::~CWindowEffects() = default;

QRect CWindowEffects::clientRect() const
{
    if (!m_window)
        return {};
    QRect client = m_window->rect();
    if (m_menuBar && m_menuBar->isVisibleTo(m_window)) {
        // Before the window is first shown the menu bar has not been placed yet.
        if (QLayout *layout = m_window->layout())
            layout->activate();
        client.setTop(m_menuBar->geometry().bottom() + 1);
    }
    return client;
}

void CWindowEffects::changeFlags(Qt::WindowFlags flags)
{
    QWidget &window = *m_window;
    if (window.windowFlags() == flags)
        return;
    const bool visible = window.isVisible();
    const QRect geometry = window.geometry();
    const Qt::WindowStates state = window.windowState();
    // A flag change hides the window; showing it again must not take the focus.
    const bool noActivate = window.testAttribute(Qt::WA_ShowWithoutActivating);
    window.setWindowFlags(flags);
    window.setGeometry(geometry);
    window.setWindowState(state);
    if (visible) {
        window.setAttribute(Qt::WA_ShowWithoutActivating, true);
        window.show();
        window.setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}

// ---- frameless --------------------------------------------------------------------------------

void CWindowEffects::EnterFrameless()
{
    if (m_bFrameless || !m_window)
        return;
    QWidget &window = *m_window;
    m_savedState = window.windowState() & kPlacementStates;
    m_savedGeometry = m_savedState != Qt::WindowNoState ? window.normalGeometry() : window.geometry();

    // The outer rectangle stays; what the frame and the menu bar covered becomes the insets, so
    // the text keeps its place on screen.
    const QRect inner = window.geometry();
    const QRect outer = window.isVisible() ? window.frameGeometry() : inner;
    const int menu = clientRect().top();
    m_insets = QMargins(inner.left() - outer.left(), inner.top() - outer.top() + menu,
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    m_store.setBorderless(true, m_insets.left(), m_insets.top(), m_insets.right(), m_insets.bottom());

    m_bMenuBarWasVisible = m_menuBar && !m_menuBar->isHidden();
    if (m_menuBar)
        m_menuBar->hide();

    const bool visible = window.isVisible();
    const bool noActivate = window.testAttribute(Qt::WA_ShowWithoutActivating);
    window.setWindowFlags(window.windowFlags() | Qt::FramelessWindowHint);
    window.setWindowState((window.windowState() & ~kPlacementStates) | (m_savedState & Qt::WindowMinimized));
    window.setGeometry(outer);
    if (visible) {
        window.setAttribute(Qt::WA_ShowWithoutActivating, true);
        window.show();
        window.setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
    m_bFrameless = true;
    m_store.BumpLayoutGeneration();
    m_store.InvalidateMetrics();
    window.update();
    WriteLog(QStringLiteral("frameless mode on."));
    emit framelessChanged(true);
}

void CWindowEffects::LeaveFrameless()
{
    if (!m_bFrameless || !m_window)
        return;
    QWidget &window = *m_window;
    if (m_menuBar && m_bMenuBarWasVisible)
        m_menuBar->show();

    const bool visible = window.isVisible();
    const bool noActivate = window.testAttribute(Qt::WA_ShowWithoutActivating);
    window.setWindowFlags(window.windowFlags() & ~Qt::FramelessWindowHint);
    // The placement saved on entry: the normal rectangle first, so that a maximised window
    // comes back to it when restored.
    window.setWindowState(window.windowState() & ~kPlacementStates);
    if (m_savedGeometry.isValid())
        window.setGeometry(m_savedGeometry);
    window.setWindowState(window.windowState() | m_savedState);
    if (visible) {
        window.setAttribute(Qt::WA_ShowWithoutActivating, true);
        window.show();
        window.setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }

    m_store.setBorderless(false, 0, 0, 0, 0);
    m_bFrameless = false;
    m_insets = QMargins();
    m_store.BumpLayoutGeneration();
    m_store.InvalidateMetrics();
    window.update();
    WriteLog(QStringLiteral("frameless mode off."));
    emit framelessChanged(false);
}

void CWindowEffects::ToggleFrameless()
{
    const bool active = m_window && m_window->isActiveWindow();
    if (m_bFrameless)
        LeaveFrameless();
    else
        EnterFrameless();
    if (active && m_window->isVisible() && !m_window->isMinimized())
        m_window->activateWindow();
}

// ---- settings ---------------------------------------------------------------------------------

void CWindowEffects::RestorePlacement()
{
    LeaveFrameless();
    if (!m_window)
        return;
    QWidget &window = *m_window;
    const int x = m_config.GetIntOr(QStringLiteral("main.position.x_i"), 0);
    const int y = m_config.GetIntOr(QStringLiteral("main.position.y_i"), 0);
    const int width = m_config.GetIntOr(QStringLiteral("main.size.x_i"), 370);
    const int height = m_config.GetIntOr(QStringLiteral("main.size.y_i"), 260);
    if (window.windowState() & kPlacementStates)
        window.showNormal();
    window.setGeometry(x, y, width, height);
}

void CWindowEffects::ApplySettings()
{
    m_bTranslucentSetting = m_config.GetIntOr(QStringLiteral("main.translucent_i"), 0) != 0;
    if (m_bTranslucentSetting) {
        if (!m_bTranslucent)
            BeginTranslucent();
        ApplyTranslucent();
    } else if (m_bTranslucent) {
        EndTranslucent();
    }
    m_bTopmostSetting = m_config.GetIntOr(QStringLiteral("main.topmost_i"), 0) != 0;
    ReflectTopmost();
}

void CWindowEffects::SaveSettings()
{
    if (!m_window)
        return;
    const QWidget &window = *m_window;
    QRect normal = (window.windowState() & kPlacementStates) ? window.normalGeometry() : window.geometry();
    if (m_bFrameless)
        normal = normal.marginsRemoved(m_insets -
                                       QMargins(0, m_menuBar ? m_menuBar->sizeHint().height() : 0, 0, 0));
    if (normal.isValid()) {
        m_config.SetInt(QStringLiteral("main.position.x_i"), normal.x());
        m_config.SetInt(QStringLiteral("main.position.y_i"), normal.y());
        m_config.SetInt(QStringLiteral("main.size.x_i"), normal.width());
        m_config.SetInt(QStringLiteral("main.size.y_i"), normal.height());
    }
    m_config.SetInt(QStringLiteral("main.size.config_i"), window.isMaximized() ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.translucent_i"), m_bTranslucentSetting ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.topmost_i"), m_bTopmostSetting ? 1 : 0);
}

// ---- topmost ----------------------------------------------------------------------------------

void CWindowEffects::ReflectTopmost()
{
    WriteLog(QStringLiteral("ReflectTopmost begins."));
    const bool topmost = m_config.GetIntOr(QStringLiteral("main.topmost_i"), 0) != 0;
    if (m_window)
        changeFlags(m_window->windowFlags().setFlag(Qt::WindowStaysOnTopHint, topmost));
    if (topmost && !DesktopKeepsOnTop())
        WriteLog(QStringLiteral("ReflectTopmost: the desktop may not keep the window on top (%1). "
                                "X11 or XWayland (QT_QPA_PLATFORM=xcb) keeps it there.")
                     .arg(QGuiApplication::platformName()));
    WriteLog(QStringLiteral("ReflectTopmost finished."));
}

bool CWindowEffects::IsTopmost() const
{
    return m_window && m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

// ---- translucency -----------------------------------------------------------------------------

void CWindowEffects::BeginTranslucent()
{
    WriteLog(QStringLiteral("BeginTranslucent begins."));
    m_bTranslucent = true;
    if (!m_bSurfaceTranslucent)
        WriteLog(QStringLiteral("BeginTranslucent: no compositor; the background stays opaque."));
    WriteLog(QStringLiteral("BeginTranslucent finished."));
}

void CWindowEffects::ApplyTranslucent()
{
    m_nOpacity = m_config.GetIntOr(QStringLiteral("main.translucent.opacity_i"), 70);
    if (!m_window)
        return;
    QWidget &window = *m_window;
    if (!window.isMinimized() && window.isVisible() && !window.testAttribute(Qt::WA_ShowWithoutActivating)) {
        window.activateWindow();
        window.setFocus(Qt::OtherFocusReason);
    }
    window.update();
}

void CWindowEffects::EndTranslucent()
{
    WriteLog(QStringLiteral("EndTranslucent begins."));
    m_bTranslucent = false;
    if (m_window)
        m_window->update();
    WriteLog(QStringLiteral("EndTranslucent finished."));
}

int CWindowEffects::backgroundAlpha() const
{
    return m_bTranslucent && m_bSurfaceTranslucent ? AlphaForOpacity(m_nOpacity) : 255;
}

QColor CWindowEffects::backgroundFill(const QColor &background) const
{
    QColor fill = background;
    fill.setAlpha(backgroundAlpha());
    return fill;
}

void CWindowEffects::KeyBackground(QImage &image, const QColor &background) const
{
    const int alpha = backgroundAlpha();
    if (alpha == 255 || image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    // Only pixels of exactly the background colour, fully opaque, are keyed; edges of the glyphs
    // that blend into the background stay as drawn.
    const QRgb key = background.rgb() | 0xff000000u;
    const QRgb replacement =
        qPremultiply(qRgba(background.red(), background.green(), background.blue(), alpha));
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (line[x] == key)
                line[x] = replacement;
        }
    }
}

int CWindowEffects::AlphaForOpacity(int opacity)
{
    return qBound(0, opacity * 255 / 100, 255);
}

bool CWindowEffects::HasCompositor()
{
    const QString platform = QGuiApplication::platformName();
    // Wayland always composites; the offscreen platform keeps the alpha in its images.
    if (platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("offscreen") ||
        platform == QLatin1String("windows") || platform == QLatin1String("cocoa"))
        return true;
#if defined(TAVRIN_HAVE_XCB)
    if (platform == QLatin1String("xcb"))
        return x11CompositorRunning();
#endif
    return false;
}

bool CWindowEffects::DesktopKeepsOnTop()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
