#include "display/CDlgMain.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CFontColorDialog.h"
#include "config/CPaletteColorDialog.h"
#include "core/CDialogs.h"
#include "core/CommandIds.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CDisplayMenus.h"
#include "display/CDlgCfgDisplay.h"
#include "display/CFontMetricsMeasurer.h"
#include "display/CModalScope.h"
#include "display/CQrCorner.h"
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
    m_qrCorner = std::make_unique<CQrCorner>(*m_canvas);

    // Before the window is first shown: a see-through surface cannot be asked for later.
    m_effects = new CWindowEffects(*this, m_menus->menuBar(), m_store, m_config, this);
    connect(m_effects, &CWindowEffects::framelessChanged, this, [this](bool frameless) {
        SetChecked(CommandId::Frameless, frameless);
        InvalidateLayout();
        m_qrCorner->place(textArea());
    });
    m_renderer.setBandFilter([this](QImage &band) { m_effects->KeyBackground(band, m_backgroundColor); });

    // The window manager's close key, where there is no window manager to supply it.
    auto *closeKey = new QShortcut(QKeySequence(Qt::AltModifier | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);

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
        // The see-through colour is the background colour.
        if (chooseColor(m_backgroundColor) && m_effects->IsTranslucent())
            m_effects->ApplyTranslucent();
        return;
    case DisplayOutlineColor:
        chooseColor(m_outlineColor);
        return;
    case DisplaySettings: {
        const CModalScope modal;
        CDlgCfgDisplay::Run(m_config, this, [this] { ApplyDisplaySettings(); });
        return;
    }
    case Frameless:
        // Its framelessChanged sets the check mark.
        m_effects->ToggleFrameless();
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

bool CDlgMain::chooseColor(QColor &target)
{
    const CModalScope modal;
    QColor color = target;
    const bool accepted =
        m_chooseColor ? m_chooseColor(this, color) : CPaletteColorDialog::Choose(this, color, m_palette);
    if (!accepted)
        return false;
    target = color.toRgb();
    target.setAlpha(255);
    applyColors();
    InvalidateLayout();
    return true;
}

void CDlgMain::OnToggleQrCode()
{
    m_qrCorner->toggle();
    SetChecked(CommandId::ToggleQrCode, m_qrCorner->isOn());
    m_qrCorner->place(textArea());
}

void CDlgMain::setQrCode(const QString &url, const QString &note)
{
    m_qrCorner->setCode(url, note);
}

bool CDlgMain::isQrCodeShown() const
{
    return m_qrCorner->isShown();
}

QRect CDlgMain::qrCodeArea() const
{
    return m_qrCorner->area();
}

CQrCodeView *CDlgMain::qrCodeView() const
{
    return m_qrCorner->view();
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

    m_effects->ApplySettings();
    InvalidateLayout();
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
    m_effects->RestorePlacement();

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

    m_effects->ApplySettings();

    SetChecked(CommandId::ToggleCover, m_config.GetIntOr(QStringLiteral("hide.display_i"), 0) == 1);
    m_qrCorner->readConfig(m_config);
    SetChecked(CommandId::ToggleQrCode, m_qrCorner->isOn());
    m_qrCorner->place(textArea());
    InvalidateLayout();
    WriteLog(QStringLiteral("DlgMain::CopyConfigToWindow finished."));
}

void CDlgMain::CopyWindowToConfig()
{
    WriteLog(QStringLiteral("DlgMain::CopyWindowToConfig begins."));
    m_effects->SaveSettings();
    m_config.SetInt(QStringLiteral("main.scroll.period_i"), m_nScrollPeriod);
    m_config.SetInt(QStringLiteral("main.scroll.pixel_i"), m_column->scrollPixels());
    m_config.SetInt(QStringLiteral("main.line.height_i"), m_nLineHeight);
    LogFontToConfig(m_config, QStringLiteral("main"), logicalDpiY(), m_logFont);
    m_config.SetColor(QStringLiteral("main.color.text"), CConfigGui::fromQColor(m_textColor));
    m_config.SetColor(QStringLiteral("main.color.background"), CConfigGui::fromQColor(m_backgroundColor));
    m_config.SetColor(QStringLiteral("main.color.outline"), CConfigGui::fromQColor(m_outlineColor));
    m_config.SetInt(QStringLiteral("main.font.outline_i"), m_bOutline ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.font.outline.width_i"), m_nOutlineWidth);
    m_qrCorner->writeConfig(m_config);
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
    const QRect code = m_qrCorner->area();
    if (code.intersects(area))
        m_canvas->update(code.adjusted(0, -pixels, 0, 0) & area);
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
    m_qrCorner->place(textArea());
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
        m_qrCorner->place(textArea());
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
