#include "display/CDlgMain.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CFontColorDialog.h"
#include "config/CPaletteColorDialog.h"
#include "core/CDialogs.h"
#include "core/CQrCodeView.h"
#include "core/CommandIds.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CDisplayMenus.h"
#include "display/CDlgCfgDisplay.h"
#include "display/CFontMetricsMeasurer.h"
#include "display/CModalScope.h"
#include "display/CWindowEffects.h"
#include "timeline/ReceivedMain.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

bool g_abnormalResponse = false;
CCustomPalette *g_applicationPalette = nullptr;

} // namespace

CDlgMain::CDlgMain(CConfig &config, ReceivedMain &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_config(config), m_store(store), m_palette(g_applicationPalette)
{
    WriteLog(QStringLiteral("CDlgMain::OnCreate() begins."));
    setObjectName(QStringLiteral("CDlgMain"));
    ConfigToLogFont(m_config, QStringLiteral("main"), logicalDpiY(), m_logFont);
    setDisplayFont(CConfigGui::toQFont(m_logFont, logicalDpiY()));
    m_column = std::make_unique<CCaptionColumn>(m_store, *m_measurer);
    if (!m_column->Allocate(m_config.GetIntOr(QStringLiteral("main.line.max_i"), 50)))
        g_abnormalResponse = true;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menus = new CDisplayMenus(this);
    connect(m_menus, &CDisplayMenus::commandTriggered, this, &CDlgMain::OnCommand);
    layout->setMenuBar(m_menus->menuBar());

    // The client area. Only the off-screen image is painted into it, so nothing is erased first.
    m_canvas = new QWidget(this);
    m_canvas->setObjectName(QStringLiteral("captions"));
    m_canvas->setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas->setAttribute(Qt::WA_NoSystemBackground);
    m_canvas->setFocusPolicy(Qt::NoFocus);
    m_canvas->installEventFilter(this);
    layout->addWidget(m_canvas, 1);
    // A child of the canvas, so the canvas's scrolling leaves it where it stands; it covers the
    // captions in its corner only while shown.
    m_qrCode = new CQrCodeView(m_canvas);
    m_qrCode->setObjectName(QStringLiteral("qrCode"));
    m_qrCode->hide();

    // Before the window is first shown: a see-through surface cannot be asked for later.
    m_effects = new CWindowEffects(*this, m_menus->menuBar(), m_store, m_config, this);
    connect(m_effects, &CWindowEffects::framelessChanged, this, [this](bool frameless) {
        SetChecked(CommandId::Frameless, frameless);
        InvalidateLayout();
        placeQrCode();
    });
    m_renderer.setBandFilter([this](QImage &band) { m_effects->KeyBackground(band, m_backgroundColor); });

    // The window manager's close key, where there is no window manager to supply it.
    auto *closeKey = new QShortcut(QKeySequence(Qt::AltModifier | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
    // The frame's key works without the menu bar, which is gone while frameless: it is the way
    // back besides the context menu. The tool windows keep F1 for their own use.
    auto *framelessKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(framelessKey, &QShortcut::activated, this, [this] { OnCommand(CommandId::Frameless); });

    setFocusPolicy(Qt::StrongFocus);

    m_column->setMargins(m_config.GetIntOr(QStringLiteral("main.margin.x_i"), 4),
                         m_config.GetIntOr(QStringLiteral("main.margin.y_i"), 4));
    m_nScrollPeriod = m_config.GetIntOr(QStringLiteral("main.scroll.period_i"), 30);
    m_column->setScrollPixels(m_config.GetIntOr(QStringLiteral("main.scroll.pixel_i"), 4));
    m_nLineHeight = m_config.GetIntOr(QStringLiteral("main.line.height_i"), 100);
    m_store.setLineHeightPercent(m_nLineHeight);
    readOutline();
    applyColors();

    // Runs only while a line scrolls in: a window that stands still lets the machine sleep.
    m_scrollTimer = new QTimer(this);
    // Steps at an even pace are what makes the movement look smooth.
    m_scrollTimer->setTimerType(Qt::PreciseTimer);
    connect(m_scrollTimer, &QTimer::timeout, this, &CDlgMain::ScrollStep);
    WriteLogInt(QStringLiteral("OnCreate() main scroll period [msec]"), m_nScrollPeriod);
    // There is no compositor flush to wait for here; each step is drawn as it is made.
    WriteLog(QStringLiteral("DWM unavailable. maybe Windows XP."));
    WriteLog(QStringLiteral("CDlgMain::OnCreate() finished."));
}

CDlgMain::~CDlgMain()
{
    WriteLog(QStringLiteral("CDlgMain::OnDestroy() called."));
    CopyWindowToConfig();
    m_scrollTimer->stop();
    WriteLog(QStringLiteral("Dwmapi.dll was not loaded. No FreeLibrary necessary."));
    m_canvas->removeEventFilter(this);
    m_store.detachDisplay();
}

void CDlgMain::setApplicationPalette(CCustomPalette *palette)
{
    g_applicationPalette = palette;
}

QMenuBar *CDlgMain::menuBar() const
{
    return m_menus->menuBar();
}

QMenu *CDlgMain::contextMenu() const
{
    return m_menus->contextMenu();
}

QAction *CDlgMain::action(int command) const
{
    return m_menus->action(command);
}

void CDlgMain::SetChecked(int command, bool checked)
{
    m_menus->SetChecked(command, checked);
}

bool CDlgMain::isChecked(int command) const
{
    return m_menus->isChecked(command);
}

bool CDlgMain::abnormalResponse()
{
    return g_abnormalResponse;
}

void CDlgMain::clearAbnormalResponse()
{
    g_abnormalResponse = false;
}

// ---- commands ---------------------------------------------------------------------------------

void CDlgMain::OnCommand(int command)
{
    using namespace CommandId;
    switch (command) {
    case Exit:
        if (confirmExit())
            close();
        return;
    case DisplayFont:
        OnFont();
        return;
    case DisplayBackground:
        OnBackgroundColor();
        return;
    case DisplayOutlineColor:
        OnOutlineColor();
        return;
    case DisplaySettings:
        OnDisplaySettings();
        return;
    case Frameless:
        OnFrameless();
        return;
    case ToggleQrCode:
        OnToggleQrCode();
        return;
    default:
        emit commandRequested(command);
        return;
    }
}

bool CDlgMain::confirmExit()
{
    const CModalScope modal;
    return CDialogs::confirm(this, CDialogs::Icon::Warning, CStringTable::get(150), CStringTable::get(166),
                             CDialogs::Answer::Cancel);
}

void CDlgMain::OnFont()
{
    const CModalScope modal;
    QFont font = m_font;
    QColor color = m_textColor;
    const bool accepted = m_chooseFont ? m_chooseFont(this, font, color)
                                       : CFontColorDialog::Choose(this, font, color, m_palette);
    if (!accepted)
        return;
    m_textColor = color;
    m_logFont = CConfigGui::fromQFont(font, logicalDpiY(), m_logFont.charSet);
    setDisplayFont(font);
    applyColors();
    InvalidateLayout();
}

void CDlgMain::OnBackgroundColor()
{
    const CModalScope modal;
    QColor color = m_backgroundColor;
    const bool accepted =
        m_chooseColor ? m_chooseColor(this, color) : CPaletteColorDialog::Choose(this, color, m_palette);
    if (!accepted)
        return;
    m_backgroundColor = color.toRgb();
    m_backgroundColor.setAlpha(255);
    applyColors();
    InvalidateLayout();
    // The see-through colour is the background colour.
    if (m_effects->IsTranslucent())
        m_effects->ApplyTranslucent();
}

void CDlgMain::OnOutlineColor()
{
    const CModalScope modal;
    QColor color = m_outlineColor;
    const bool accepted =
        m_chooseColor ? m_chooseColor(this, color) : CPaletteColorDialog::Choose(this, color, m_palette);
    if (!accepted)
        return;
    m_outlineColor = color.toRgb();
    m_outlineColor.setAlpha(255);
    applyColors();
    InvalidateLayout();
}

void CDlgMain::OnDisplaySettings()
{
    const CModalScope modal;
    CDlgCfgDisplay::Run(m_config, this, [this] { ApplyDisplaySettings(); });
}

void CDlgMain::OnFrameless()
{
    // The window is shown anew without taking the focus; the keyboard stays here when it was
    // here, so that F1 brings the frame back.
    const bool active = isActiveWindow();
    m_effects->ToggleFrameless();
    SetChecked(CommandId::Frameless, m_effects->IsFrameless());
    if (active && isVisible() && !isMinimized())
        activateWindow();
}

void CDlgMain::OnToggleQrCode()
{
    m_bQrCode = !m_bQrCode;
    SetChecked(CommandId::ToggleQrCode, m_bQrCode);
    placeQrCode();
}

void CDlgMain::setQrCode(const QString &url, const QString &note)
{
    m_qrCode->setText(url);
    m_qrCode->setNote(note);
}

bool CDlgMain::isQrCodeShown() const
{
    return m_bQrCode && !m_qrCode->isHidden();
}

QRect CDlgMain::qrCodeArea() const
{
    return isQrCodeShown() ? m_qrCode->geometry() : QRect();
}

void CDlgMain::placeQrCode()
{
    if (!m_bQrCode) {
        m_qrCode->hide();
        return;
    }
    const QRect area = textArea();
    const int side = std::max(std::min(area.width(), area.height()), 0);
    // Never smaller than a phone can read from a few metres at one pixel a module.
    const int size = std::max(side * m_nQrSize / 100, 64);
    const bool right = m_nQrCorner == 1 || m_nQrCorner == 3;
    const bool bottom = m_nQrCorner >= 2;
    const int x = right ? area.right() + 1 - size : area.left();
    const int y = bottom ? area.bottom() + 1 - size : area.top();
    m_qrCode->setGeometry(x, y, size, size);
    m_qrCode->show();
    m_qrCode->raise();
}

void CDlgMain::ApplyDisplaySettings()
{
    m_nScrollPeriod = m_config.GetIntOr(QStringLiteral("main.scroll.period_i"), m_nScrollPeriod);
    restartScrollTimer();
    m_column->setScrollPixels(
        m_config.GetIntOr(QStringLiteral("main.scroll.pixel_i"), m_column->scrollPixels()));
    m_nLineHeight = m_config.GetIntOr(QStringLiteral("main.line.height_i"), m_nLineHeight);
    m_store.setLineHeightPercent(m_nLineHeight);
    readOutline();
    applyColors();

    applyWindowEffects();
    InvalidateLayout();
}

void CDlgMain::applyWindowEffects()
{
    m_bTranslucent = m_config.GetIntOr(QStringLiteral("main.translucent_i"), 0) != 0;
    if (m_bTranslucent) {
        if (!m_effects->IsTranslucent())
            m_effects->BeginTranslucent();
        m_effects->ApplyTranslucent();
    } else if (m_effects->IsTranslucent()) {
        m_effects->EndTranslucent();
    }
    m_bTopmost = m_config.GetIntOr(QStringLiteral("main.topmost_i"), 0) != 0;
    m_effects->ReflectTopmost();
}

// ---- settings ---------------------------------------------------------------------------------

void CDlgMain::setDisplayFont(const QFont &font)
{
    m_measurer = std::make_unique<CFontMetricsMeasurer>(font);
    if (m_column)
        m_column->setMeasurer(*m_measurer);
    m_font = m_measurer->font();
    m_renderer.setFont(m_font);
}

void CDlgMain::applyColors()
{
    m_renderer.setColors(m_textColor, m_backgroundColor, m_outlineColor);
    m_renderer.setOutline(m_bOutline, m_nOutlineWidth);
}

void CDlgMain::readOutline()
{
    m_bOutline = m_config.GetIntOr(QStringLiteral("main.font.outline_i"), 0) != 0;
    m_nOutlineWidth = m_config.GetIntOr(QStringLiteral("main.font.outline.width_i"), 2);
    // The store wraps and spaces the lines with room for the outline.
    m_store.setOutlineWidth(m_bOutline ? m_nOutlineWidth : 0);
    m_renderer.setOutline(m_bOutline, m_nOutlineWidth);
}

void CDlgMain::restartScrollTimer()
{
    if (m_scrollTimer->isActive())
        m_scrollTimer->start(std::max(m_nScrollPeriod, 1));
}

bool CDlgMain::isScrollTimerActive() const
{
    return m_scrollTimer->isActive();
}

void CDlgMain::syncScrollTimer()
{
    if (!m_column->isScrolling()) {
        m_scrollTimer->stop();
        return;
    }
    // Started when the scroll starts, the first step comes one period after the line that
    // started it, and every later one a period after the one before.
    if (!m_scrollTimer->isActive())
        m_scrollTimer->start(std::max(m_nScrollPeriod, 1));
}

void CDlgMain::InvalidateLayout()
{
    m_column->InvalidateLayout();
    m_canvas->update();
}

void CDlgMain::CopyConfigToWindow()
{
    WriteLog(QStringLiteral("DlgMain::CopyConfigToWindow begins."));
    m_effects->LeaveFrameless();
    const int x = m_config.GetIntOr(QStringLiteral("main.position.x_i"), 0);
    const int y = m_config.GetIntOr(QStringLiteral("main.position.y_i"), 0);
    const int width = m_config.GetIntOr(QStringLiteral("main.size.x_i"), 370);
    const int height = m_config.GetIntOr(QStringLiteral("main.size.y_i"), 260);
    // The stored rectangle is the normal placement; a maximised state is not restored.
    if (isMaximized() || isMinimized() || isFullScreen())
        showNormal();
    setGeometry(x, y, width, height);

    m_column->setMargins(m_config.GetIntOr(QStringLiteral("main.margin.x_i"), 4),
                         m_config.GetIntOr(QStringLiteral("main.margin.y_i"), 4));
    const int period = m_config.GetIntOr(QStringLiteral("main.scroll.period_i"), m_nScrollPeriod);
    if (period != m_nScrollPeriod) {
        m_nScrollPeriod = period;
        restartScrollTimer();
    }
    m_column->setScrollPixels(m_config.GetIntOr(QStringLiteral("main.scroll.pixel_i"), 4));
    m_nLineHeight = m_config.GetIntOr(QStringLiteral("main.line.height_i"), 100);
    m_store.setLineHeightPercent(m_nLineHeight);

    ConfigToLogFont(m_config, QStringLiteral("main"), logicalDpiY(), m_logFont);
    setDisplayFont(CConfigGui::toQFont(m_logFont, logicalDpiY()));
    quint32 color = 0;
    if (m_config.GetColor(QStringLiteral("main.color.text"), color))
        m_textColor = CConfigGui::toQColor(color);
    if (m_config.GetColor(QStringLiteral("main.color.background"), color))
        m_backgroundColor = CConfigGui::toQColor(color);
    if (m_config.GetColor(QStringLiteral("main.color.outline"), color))
        m_outlineColor = CConfigGui::toQColor(color);
    readOutline();
    applyColors();

    applyWindowEffects();

    SetChecked(CommandId::ToggleCover, m_config.GetIntOr(QStringLiteral("hide.display_i"), 0) == 1);
    m_bQrCode = m_config.GetIntOr(QStringLiteral("main.qrcode.display_i"), 0) != 0;
    m_nQrSize = m_config.GetIntOr(QStringLiteral("main.qrcode.size_i"), m_nQrSize);
    m_nQrCorner = m_config.GetIntOr(QStringLiteral("main.qrcode.corner_i"), m_nQrCorner);
    SetChecked(CommandId::ToggleQrCode, m_bQrCode);
    placeQrCode();
    InvalidateLayout();
    WriteLog(QStringLiteral("DlgMain::CopyConfigToWindow finished."));
}

void CDlgMain::CopyWindowToConfig()
{
    WriteLog(QStringLiteral("DlgMain::CopyWindowToConfig begins."));
    // The normal placement, also while maximised, minimised or frameless.
    QRect normal = (isMaximized() || isMinimized() || isFullScreen()) ? normalGeometry() : geometry();
    if (m_effects->IsFrameless())
        normal = normal.marginsRemoved(m_effects->frameInsets() -
                                       QMargins(0, menuBar()->sizeHint().height(), 0, 0));
    if (normal.isValid()) {
        m_config.SetInt(QStringLiteral("main.position.x_i"), normal.x());
        m_config.SetInt(QStringLiteral("main.position.y_i"), normal.y());
        m_config.SetInt(QStringLiteral("main.size.x_i"), normal.width());
        m_config.SetInt(QStringLiteral("main.size.y_i"), normal.height());
    }
    m_config.SetInt(QStringLiteral("main.size.config_i"), isMaximized() ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.scroll.period_i"), m_nScrollPeriod);
    m_config.SetInt(QStringLiteral("main.scroll.pixel_i"), m_column->scrollPixels());
    m_config.SetInt(QStringLiteral("main.line.height_i"), m_nLineHeight);
    LogFontToConfig(m_config, QStringLiteral("main"), logicalDpiY(), m_logFont);
    m_config.SetColor(QStringLiteral("main.color.text"), CConfigGui::fromQColor(m_textColor));
    m_config.SetColor(QStringLiteral("main.color.background"), CConfigGui::fromQColor(m_backgroundColor));
    m_config.SetColor(QStringLiteral("main.color.outline"), CConfigGui::fromQColor(m_outlineColor));
    m_config.SetInt(QStringLiteral("main.font.outline_i"), m_bOutline ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.font.outline.width_i"), m_nOutlineWidth);
    m_config.SetInt(QStringLiteral("main.translucent_i"), m_bTranslucent ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.topmost_i"), m_bTopmost ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.qrcode.display_i"), m_bQrCode ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.qrcode.size_i"), m_nQrSize);
    m_config.SetInt(QStringLiteral("main.qrcode.corner_i"), m_nQrCorner);
    WriteLog(QStringLiteral("DlgMain::CopyWindowToConfig finished."));
}

// ---- the column ------------------------------------------------------------------------------

QRect CDlgMain::textArea() const
{
    return m_column->textArea(m_canvas->size());
}

QColor CDlgMain::backgroundFill() const
{
    return m_effects->backgroundFill(m_backgroundColor);
}

CCaptionColumn::ImageState CDlgMain::imageState() const
{
    if (!m_renderer.isValid())
        return CCaptionColumn::ImageState::Missing;
    if (m_renderer.image().width() != m_canvas->width() || m_nRenderedAlpha != m_effects->backgroundAlpha())
        return CCaptionColumn::ImageState::Stale;
    return CCaptionColumn::ImageState::Current;
}

void CDlgMain::Render()
{
    m_renderer.Render(m_canvas->size(), m_column->pitch(), m_column->insetLeft(), m_column->lines(),
                      m_column->collected());
    m_nRenderedAlpha = m_effects->backgroundAlpha();
}

void CDlgMain::apply(const CCaptionColumn::Repaint &repaint)
{
    const CCaptionColumn &column = *m_column;
    if (repaint.image == CCaptionColumn::Image::Whole) {
        Render();
    } else if (repaint.image == CCaptionColumn::Image::NewLine) {
        // The lines already drawn move up with the image; only the one coming in is drawn.
        m_renderer.ShiftUp(column.pitch());
        m_renderer.RenderFrom(column.shownLines(), column.pitch(), column.insetLeft(), column.lines(),
                              column.collected());
    }
    const QRect area = textArea();
    switch (repaint.screen) {
    case CCaptionColumn::Screen::Keep:
        break;
    case CCaptionColumn::Screen::ScrollUp:
        ScrollWindow(area, column.scrollPixels());
        break;
    case CCaptionColumn::Screen::ScrollUpWithIncoming:
        ScrollWindow(area, column.scrollPixels());
        m_canvas->update(area.adjusted(0, column.incomingTop(), 0, 0));
        break;
    case CCaptionColumn::Screen::Whole:
        m_canvas->update();
        break;
    }
    syncScrollTimer();
}

void CDlgMain::Refresh()
{
    apply(m_column->Refresh(m_canvas->size(), m_effects->frameInsets(), imageState()));
}

void CDlgMain::Redraw()
{
    m_column->RequestRedraw();
    m_canvas->update();
}

void CDlgMain::RequestGoLast()
{
    m_column->RequestGoLast();
    m_canvas->update();
}

void CDlgMain::ScrollWindow(const QRect &area, int pixels)
{
    if (pixels >= area.height()) {
        m_canvas->update(area);
        return;
    }
    m_canvas->scroll(0, -pixels, area);
    // Scrolling moves the code's pixels too: it is drawn again where it stands, and so is the
    // band above it, which received its top rows instead of the lines scrolling out from under it.
    if (isQrCodeShown() && m_qrCode->geometry().intersects(area))
        m_canvas->update(m_qrCode->geometry().adjusted(0, -pixels, 0, 0) & area);
}

void CDlgMain::ScrollStep()
{
    apply(m_column->ScrollStep(m_canvas->size(), m_effects->frameInsets(), imageState()));
}

// ---- events -----------------------------------------------------------------------------------

bool CDlgMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_canvas) {
        if (event->type() == QEvent::Paint) {
            OnPaint(static_cast<QPaintEvent *>(event)->region());
            return true;
        }
        if (event->type() == QEvent::Resize)
            OnSize();
    }
    return QWidget::eventFilter(watched, event);
}

void CDlgMain::OnSize()
{
    InvalidateLayout();
    placeQrCode();
}

void CDlgMain::OnPaint(const QRegion &exposed)
{
    const bool stale = m_column->fullPaintPending() || imageState() != CCaptionColumn::ImageState::Current ||
                       m_renderer.image().height() < m_canvas->height();
    if (stale) {
        m_column->Paint(m_canvas->size(), m_effects->frameInsets());
        Render();
        syncScrollTimer();
        // The insets are known now; the code keeps to its corner of the text.
        placeQrCode();
    }
    QPainter painter(m_canvas);
    m_renderer.Present(painter, m_canvas->rect(), textArea(), m_column->scrollOffset(), backgroundFill());
    // Drawn anew for a thin strip only: the rest of the window shows the old image until it is
    // painted as well.
    if (stale && !exposed.contains(m_canvas->rect()))
        m_canvas->update();
}

void CDlgMain::closeEvent(QCloseEvent *event)
{
    WriteLog(QStringLiteral("CDlgMain::OnClose() called."));
    // The main window ends the run and destroys this window itself.
    event->ignore();
    emit commandRequested(CommandId::Exit);
}

void CDlgMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const bool minimized = isMinimized();
    if (minimized != m_bWasMinimized) {
        m_bWasMinimized = minimized;
        emit minimizedChanged(minimized);
    }
}

void CDlgMain::contextMenuEvent(QContextMenuEvent *event)
{
    // From the keyboard the menu opens at the client origin.
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? m_canvas->mapToGlobal(QPoint(0, 0))
                                                                     : event->globalPos();
    contextMenu()->popup(at);
}
