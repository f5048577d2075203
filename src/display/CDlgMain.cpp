#include "display/CDlgMain.h"

#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CDlgCfgDisplay.h"
#include "config/CFontColorDialog.h"
#include "display/CFontMetricsMeasurer.h"
#include "display/CModalScope.h"
#include "config/CPaletteColorDialog.h"
#include "display/CWindowEffects.h"
#include "timeline/ReceivedMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace {

bool g_abnormalResponse = false;
CCustomPalette *g_applicationPalette = nullptr;

QString menu101(const char *text)
{
    return QCoreApplication::translate("Menu101", text);
}

QString menu125(const char *text)
{
    return QCoreApplication::translate("Menu125", text);
}

} // namespace

CDlgMain::CDlgMain(CConfig &config, ReceivedMain &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_config(config), m_store(store), m_palette(g_applicationPalette)
{
    WriteLog(QStringLiteral("CDlgMain::OnCreate() begins."));
    setObjectName(QStringLiteral("CDlgMain"));
    // Collect gathers at most one line more than are shown, and at least one line is shown.
    m_nMaxDisplayLines = std::max(readInt(u"main.line.max_i", 50), 2);
    bool allocated = true;
    try {
        m_aStringDisplay.resize(m_nMaxDisplayLines);
    } catch (const std::bad_alloc &) {
        allocated = false;
    }
    allocated = allocated && m_aStringDisplay.size() == m_nMaxDisplayLines;
    WriteLog(QStringLiteral("m_aStringDisplay.SetCount finished. number : %1 %2")
                 .arg(m_nMaxDisplayLines)
                 .arg(allocated ? QStringLiteral("(success)") : QStringLiteral("(failure)")));
    if (!allocated)
        g_abnormalResponse = true;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    buildMenu101();
    buildMenu125();

    // The client area. Only the off-screen image is painted into it, so nothing is erased first.
    m_canvas = new QWidget(this);
    m_canvas->setObjectName(QStringLiteral("captions"));
    m_canvas->setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas->setAttribute(Qt::WA_NoSystemBackground);
    m_canvas->setFocusPolicy(Qt::NoFocus);
    m_canvas->installEventFilter(this);
    layout->addWidget(m_canvas, 1);

    // Before the window is first shown: a see-through surface cannot be asked for later.
    m_effects = new CWindowEffects(*this, m_menuBar, m_store, m_config, this);
    connect(m_effects, &CWindowEffects::framelessChanged, this, [this](bool frameless) {
        SetChecked(CommandId::Frameless, frameless);
        InvalidateLayout();
    });
    m_renderer.setBandFilter([this](QImage &band) { m_effects->KeyBackground(band, m_backgroundColor); });

    // The window manager's close key, where there is no window manager to supply it.
    auto *closeKey = new QShortcut(QKeySequence(Qt::AltModifier | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);

    setFocusPolicy(Qt::StrongFocus);

    m_nMarginX = readInt(u"main.margin.x_i", 4);
    m_nMarginY = readInt(u"main.margin.y_i", 4);
    m_store.setMargins(m_nMarginX, m_nMarginY);
    m_nScrollPeriod = readInt(u"main.scroll.period_i", 30);
    m_nScrollPixels = readInt(u"main.scroll.pixel_i", 4);
    m_nLineHeight = readInt(u"main.line.height_i", 100);
    m_store.setLineHeightPercent(m_nLineHeight);
    ConfigToLogFont(m_config, QStringLiteral("main"), logicalDpiY(), m_logFont);
    setDisplayFont(CConfigGui::toQFont(m_logFont, logicalDpiY()));
    readOutline();
    applyColors();

    m_nTopSerial = 0;
    m_nTopLine = 0;
    m_bScrolling = false;
    m_nScrollOffset = 0;
    m_bGoLast = true;

    m_scrollTimer = new QTimer(this);
    // Steps at an even pace are what makes the movement look smooth.
    m_scrollTimer->setTimerType(Qt::PreciseTimer);
    connect(m_scrollTimer, &QTimer::timeout, this, &CDlgMain::ScrollStep);
    WriteLogInt(QStringLiteral("OnCreate() main scroll period [msec]"), m_nScrollPeriod);
    restartScrollTimer();
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

int CDlgMain::readInt(const char16_t *key, int fallback) const
{
    qint32 value = fallback;
    if (!m_config.GetInt(QString::fromUtf16(key), value))
        return fallback;
    return value;
}

QAction *CDlgMain::addItem(QMenu *menu, int command, const QString &text, bool checkable)
{
    auto *item = menu->addAction(text);
    item->setData(command);
    item->setCheckable(checkable);
    // As on the menus the program was designed for, a click does not flip the mark by itself:
    // the owner of the state sets it.
    connect(item, &QAction::triggered, this, [this, item, command] {
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        OnCommand(command);
    });
    return item;
}

void CDlgMain::buildMenu101()
{
    using namespace CommandId;
    // The text after the tab is what the menu shows as the key; the keys themselves are the
    // main window's accelerator tables.
    QMenu *file = m_menuBar->addMenu(menu101("ファイル(&F)"));
    m_actions.insert(Connect, addItem(file, Connect, menu101("LANカードを選んで（再）接続... (&L)\tCtrl+L")));
    file->addSeparator();
    m_actions.insert(FileOpen, addItem(file, FileOpen, menu101("設定ファイルを開く...(&O)\tCtrl+O")));
    m_actions.insert(FileSaveAs, addItem(file, FileSaveAs, menu101("設定に名前をつけて保存...(&A)\tCtrl+S")));
    file->addSeparator();
    m_actions.insert(Exit, addItem(file, Exit, menu101("終了...(&X)\tAlt+F4")));

    QMenu *window = m_menuBar->addMenu(menu101("ウインドウ(&W)"));
    m_actions.insert(ToggleInput,
                     addItem(window, ToggleInput, menu101("入力ウインドウ(&I)\tShift+Ctrl+I"), true));
    m_actions.insert(ToggleMemberMonitor, addItem(window, ToggleMemberMonitor,
                                                  menu101("入力モニターウインドウ(&M)\tShift+Ctrl+M"), true));
    m_actions.insert(ToggleContact,
                     addItem(window, ToggleContact, menu101("連絡窓(&C)\tShift+Ctrl+R"), true));
    m_actions.insert(TogglePreroll,
                     addItem(window, TogglePreroll, menu101("前ロールウインドウ(&N)\tShift+Ctrl+N"), true));
    m_actions.insert(TogglePrerollMonitor, addItem(window, TogglePrerollMonitor,
                                                   menu101("前ロールモニター(&T)\tShift+Ctrl+T"), true));
    m_actions.insert(ToggleFunctionKeys,
                     addItem(window, ToggleFunctionKeys, menu101("Fキーウインドウ(&F)\tShift+Ctrl+F"), true));
    window->addSeparator();
    m_actions.insert(ToggleLogViewer, addItem(window, ToggleLogViewer,
                                              menu101("ここまでのログを見る(&L)\tShift+Ctrl+G"), true));
    window->addSeparator();
    m_actions.insert(Frameless, addItem(window, Frameless, menu101("ウインドウの枠を消す(&H)\tF1"), true));
    m_actions.insert(ToggleCover,
                     addItem(window, ToggleCover, menu101("ウインドウ以外を単一色でカバー (&S)"), true));
    m_actions.insert(CoverColor,
                     addItem(window, CoverColor, menu101("ウインドウ以外をカバーする色... (&S)")));

    QMenu *settings = m_menuBar->addMenu(menu101("設定(&S)"));
    m_actions.insert(DisplaySettings, addItem(settings, DisplaySettings, menu101("表示... (&D)")));
    m_actions.insert(DisplayFont, addItem(settings, DisplayFont, menu101("フォント... (&F)")));
    m_actions.insert(DisplayBackground, addItem(settings, DisplayBackground, menu101("背景色... (&B)")));
    m_actions.insert(DisplayOutlineColor,
                     addItem(settings, DisplayOutlineColor, menu101("縁取りの色... (&O)")));
    m_actions.insert(InputSettings, addItem(settings, InputSettings, menu101("入力... (&I)")));
    settings->addSeparator();
    QMenu *input = settings->addMenu(menu101("入力ウインドウ(&I)"));
    m_actions.insert(InputFont, addItem(input, InputFont, menu101("フォント... (&F)")));
    m_actions.insert(InputBackground, addItem(input, InputBackground, menu101("背景色... (&B)")));
    QMenu *monitor = settings->addMenu(menu101("入力モニターウインドウ(&M)"));
    m_actions.insert(MonitorFont, addItem(monitor, MonitorFont, menu101("フォント... (&F)")));
    m_actions.insert(MonitorBackground, addItem(monitor, MonitorBackground, menu101("背景色... (&B)")));
    m_actions.insert(MonitorLostBackground,
                     addItem(monitor, MonitorLostBackground, menu101("通信断の際の背景色... (&L)")));
    QMenu *prerollMonitor = settings->addMenu(menu101("前ロールモニター(&T)"));
    m_actions.insert(PrerollMonitorFont,
                     addItem(prerollMonitor, PrerollMonitorFont, menu101("フォント... (&F)")));
    m_actions.insert(PrerollMonitorBackground,
                     addItem(prerollMonitor, PrerollMonitorBackground, menu101("背景色... (&B)")));
    QMenu *functionKeys = settings->addMenu(menu101("Fキーウインドウ(&F)"));
    m_actions.insert(FunctionKeysFont, addItem(functionKeys, FunctionKeysFont, menu101("フォント... (&F)")));
    m_actions.insert(FunctionKeysBackground,
                     addItem(functionKeys, FunctionKeysBackground, menu101("背景色... (&B)")));
    settings->addSeparator();
    m_actions.insert(LogSettings, addItem(settings, LogSettings, menu101("ログ... (&L)")));
    m_actions.insert(WebServerSettings,
                     addItem(settings, WebServerSettings, menu101("簡易Webサーバー...(&W)")));
    settings->addSeparator();
    m_actions.insert(StartupSettings, addItem(settings, StartupSettings, menu101("起動時設定...(&N)")));
    m_actions.insert(ResetSettings, addItem(settings, ResetSettings, menu101("設定を初期化...(&R)")));
    m_actions.insert(Language, addItem(settings, Language, menu101("言語 (language)...")));

    QMenu *help = m_menuBar->addMenu(menu101("ヘルプ(&H)"));
    m_actions.insert(About, addItem(help, About, menu101("バージョン情報(&V)")));
}

void CDlgMain::buildMenu125()
{
    using namespace CommandId;
    m_contextMenu = new QMenu(this);
    addItem(m_contextMenu, DisplayFont, menu125("フォント... (&F)"));
    addItem(m_contextMenu, DisplayBackground, menu125("背景色... (&B)"));
    addItem(m_contextMenu, DisplaySettings, menu125("表示設定... (&D)"));
    addItem(m_contextMenu, Frameless, menu125("ウインドウ枠を消す (&H)"), true);
    addItem(m_contextMenu, ToggleCover, menu125("ウインドウ以外を単一色でカバー (&S)"), true);
}

QAction *CDlgMain::action(int command) const
{
    return m_actions.value(command, nullptr);
}

void CDlgMain::SetChecked(int command, bool checked)
{
    if (QAction *item = action(command))
        item->setChecked(checked);
    // The context menu repeats some items; their marks follow the menu bar's.
    for (QAction *item : m_contextMenu->actions()) {
        if (item->data().toInt() == command)
            item->setChecked(checked);
    }
}

bool CDlgMain::isChecked(int command) const
{
    const QAction *item = action(command);
    return item && item->isChecked();
}

void CDlgMain::setExitConfirmation(ExitConfirmation confirmation)
{
    m_confirmExit = std::move(confirmation);
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
    default:
        emit commandRequested(command);
        return;
    }
}

bool CDlgMain::confirmExit()
{
    const CModalScope modal;
    if (m_confirmExit)
        return m_confirmExit(this);
    QMessageBox box(QMessageBox::Warning, CStringTable::get(150), CStringTable::get(166),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
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
    if (m_settingsDialog) {
        if (m_settingsDialog(this, m_config))
            ApplyDisplaySettings();
        return;
    }
    CDlgCfgDisplay::Run(m_config, this, [this] { ApplyDisplaySettings(); });
}

void CDlgMain::OnFrameless()
{
    m_effects->ToggleFrameless();
    SetChecked(CommandId::Frameless, m_effects->IsFrameless());
}

void CDlgMain::ApplyDisplaySettings()
{
    m_nScrollPeriod = readInt(u"main.scroll.period_i", m_nScrollPeriod);
    restartScrollTimer();
    m_nScrollPixels = readInt(u"main.scroll.pixel_i", m_nScrollPixels);
    m_nLineHeight = readInt(u"main.line.height_i", m_nLineHeight);
    m_store.setLineHeightPercent(m_nLineHeight);
    readOutline();
    applyColors();

    applyWindowEffects();
    InvalidateLayout();
}

void CDlgMain::applyWindowEffects()
{
    m_bTranslucent = readInt(u"main.translucent_i", 0) != 0;
    if (m_bTranslucent) {
        if (!m_effects->IsTranslucent())
            m_effects->BeginTranslucent();
        m_effects->ApplyTranslucent();
    } else if (m_effects->IsTranslucent()) {
        m_effects->EndTranslucent();
    }
    m_bTopmost = readInt(u"main.topmost_i", 0) != 0;
    m_effects->ReflectTopmost();
}

// ---- settings ---------------------------------------------------------------------------------

void CDlgMain::setDisplayFont(const QFont &font)
{
    m_measurer = std::make_unique<CFontMetricsMeasurer>(font);
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
    m_bOutline = readInt(u"main.font.outline_i", 0) != 0;
    m_nOutlineWidth = readInt(u"main.font.outline.width_i", 2);
    // The store wraps and spaces the lines with room for the outline.
    m_store.setOutlineWidth(m_bOutline ? m_nOutlineWidth : 0);
    m_renderer.setOutline(m_bOutline, m_nOutlineWidth);
}

void CDlgMain::restartScrollTimer()
{
    m_scrollTimer->start(std::max(m_nScrollPeriod, 1));
}

void CDlgMain::InvalidateLayout()
{
    m_store.BumpLayoutGeneration();
    m_store.InvalidateMetrics();
    Redraw();
}

void CDlgMain::CopyConfigToWindow()
{
    WriteLog(QStringLiteral("DlgMain::CopyConfigToWindow begins."));
    m_effects->LeaveFrameless();
    const int x = readInt(u"main.position.x_i", 0);
    const int y = readInt(u"main.position.y_i", 0);
    const int width = readInt(u"main.size.x_i", 370);
    const int height = readInt(u"main.size.y_i", 260);
    // The stored rectangle is the normal placement; a maximised state is not restored.
    if (isMaximized() || isMinimized() || isFullScreen())
        showNormal();
    setGeometry(x, y, width, height);

    m_nMarginX = readInt(u"main.margin.x_i", 4);
    m_nMarginY = readInt(u"main.margin.y_i", 4);
    m_store.setMargins(m_nMarginX, m_nMarginY);
    const int period = readInt(u"main.scroll.period_i", m_nScrollPeriod);
    if (period != m_nScrollPeriod) {
        m_nScrollPeriod = period;
        restartScrollTimer();
    }
    m_nScrollPixels = readInt(u"main.scroll.pixel_i", 4);
    m_nLineHeight = readInt(u"main.line.height_i", 100);
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

    SetChecked(CommandId::ToggleCover, readInt(u"hide.display_i", 0) == 1);
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
                                       QMargins(0, m_menuBar->sizeHint().height(), 0, 0));
    if (normal.isValid()) {
        m_config.SetInt(QStringLiteral("main.position.x_i"), normal.x());
        m_config.SetInt(QStringLiteral("main.position.y_i"), normal.y());
        m_config.SetInt(QStringLiteral("main.size.x_i"), normal.width());
        m_config.SetInt(QStringLiteral("main.size.y_i"), normal.height());
    }
    m_config.SetInt(QStringLiteral("main.size.config_i"), isMaximized() ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.scroll.period_i"), m_nScrollPeriod);
    m_config.SetInt(QStringLiteral("main.scroll.pixel_i"), m_nScrollPixels);
    m_config.SetInt(QStringLiteral("main.line.height_i"), m_nLineHeight);
    LogFontToConfig(m_config, QStringLiteral("main"), logicalDpiY(), m_logFont);
    m_config.SetColor(QStringLiteral("main.color.text"), CConfigGui::fromQColor(m_textColor));
    m_config.SetColor(QStringLiteral("main.color.background"), CConfigGui::fromQColor(m_backgroundColor));
    m_config.SetColor(QStringLiteral("main.color.outline"), CConfigGui::fromQColor(m_outlineColor));
    m_config.SetInt(QStringLiteral("main.font.outline_i"), m_bOutline ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.font.outline.width_i"), m_nOutlineWidth);
    m_config.SetInt(QStringLiteral("main.translucent_i"), m_bTranslucent ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.topmost_i"), m_bTopmost ? 1 : 0);
    WriteLog(QStringLiteral("DlgMain::CopyWindowToConfig finished."));
}

// ---- the column -------------------------------------------------------------------------------

QRect CDlgMain::textArea() const
{
    const QRect client = m_canvas->rect();
    return QRect(client.left(), client.top() + m_nInsetTop, client.width(),
                 std::max(client.height() - m_nInsetTop - m_nInsetBottom, 0));
}

int CDlgMain::backgroundAlpha() const
{
    return m_effects->backgroundAlpha();
}

QColor CDlgMain::backgroundFill() const
{
    return m_effects->backgroundFill(m_backgroundColor);
}

void CDlgMain::ComputeMetrics()
{
    m_store.setDisplayClientRect(QRect(QPoint(0, 0), m_canvas->size()));
    if (!m_store.metricsValid())
        m_store.UpdateMetrics(*m_measurer);
    m_nShownLines = std::max(std::min(m_store.linesPerScreen(), m_nMaxDisplayLines - 1), 1);
    m_nPitch = std::max(m_store.linePitch(), 1);
    const QMargins frame = m_effects->frameInsets();
    m_nInsetTop = m_nMarginY + frame.top();
    m_nInsetBottom = m_nMarginY + frame.bottom();
    m_nInsetLeft = m_nMarginX + frame.left();
    m_nInsetRight = m_nMarginX + frame.right();
}

void CDlgMain::Collect()
{
    int serial = m_nTopSerial;
    int line = m_nTopLine;
    bool first = true;
    int n = 0;
    while (n < m_nShownLines + 1) {
        QString text;
        const int result = m_store.GetLine(serial, line, text, *m_measurer);
        if (result == ReceivedMain::LINE_MORE) {
            m_aStringDisplay[n++] = text;
            ++line;
            first = false;
        } else if (result == ReceivedMain::LINE_LAST) {
            m_aStringDisplay[n++] = text;
            ++serial;
            line = 0;
            first = false;
        } else if (result == ReceivedMain::LINE_SKIP) {
            ++serial;
            line = 0;
            // A withdrawn record, or a top line past its record's end: the top moves on.
            if (first) {
                m_nTopSerial = serial;
                m_nTopLine = 0;
            }
        } else {
            if (serial == m_nTopSerial && line == m_nTopLine)
                m_nTopLine = 0;
            break;
        }
    }
    m_nCollected = n;
}

void CDlgMain::Render()
{
    m_renderer.Render(m_canvas->size(), m_nPitch, m_nInsetLeft, m_aStringDisplay, m_nCollected);
    m_nRenderedAlpha = backgroundAlpha();
}

void CDlgMain::Paint()
{
    ComputeMetrics();
    if (m_bGoLast) {
        int serial = 0;
        int line = 0;
        if (m_store.GoLast(*m_measurer, serial, line)) {
            m_nTopSerial = serial;
            m_nTopLine = line;
        }
        m_bScrolling = false;
        m_nScrollOffset = 0;
        m_bGoLast = false;
    }
    Collect();
    Render();
    m_bFullPaint = false;
    if (m_nCollected > m_nShownLines && !m_bScrolling) {
        m_nScrollOffset = 0;
        m_bScrolling = true;
    }
}

void CDlgMain::Refresh()
{
    if (m_bFullPaint || !m_renderer.isValid() || m_canvas->size().isEmpty()) {
        // Nothing on screen to add to yet: the coming paint collects everything.
        Redraw();
        return;
    }
    ComputeMetrics();
    Collect();
    if (m_nCollected <= m_nShownLines) {
        Render();
        m_canvas->update();
    } else if (!m_bScrolling) {
        Render();
        m_canvas->update();
        m_nScrollOffset = 0;
        m_bScrolling = true;
    }
    // Scrolling already: the steps bring the new lines in at their own pace.
}

void CDlgMain::Redraw()
{
    m_bFullPaint = true;
    m_canvas->update();
}

void CDlgMain::RequestGoLast()
{
    m_bGoLast = true;
    Redraw();
}

void CDlgMain::ScrollWindow(const QRect &area, int pixels)
{
    if (pixels >= area.height())
        m_canvas->update(area);
    else
        m_canvas->scroll(0, -pixels, area);
}

void CDlgMain::ScrollStep()
{
    if (!m_bScrolling || !m_renderer.isValid())
        return;
    m_nScrollOffset += m_nScrollPixels;
    if (m_nScrollOffset < m_nPitch) {
        ScrollWindow(textArea(), m_nScrollPixels);
        return;
    }

    // A whole line has passed.
    ++m_nTopLine;
    m_nScrollOffset -= m_nPitch;
    // Steps of more than a pitch still complete one line each; the image holds only one pitch
    // below the window, so the offset cannot stay beyond it.
    if (m_nScrollOffset >= m_nPitch)
        m_nScrollOffset = 0;
    const QRect before = textArea();
    const int pitch = m_nPitch;
    const int left = m_nInsetLeft;
    ComputeMetrics();
    Collect();
    const QRect area = textArea();
    if (m_bFullPaint || area != before || pitch != m_nPitch || left != m_nInsetLeft ||
        m_renderer.image().width() != m_canvas->width() || m_nRenderedAlpha != backgroundAlpha()) {
        // The layout changed under the column: draw it anew where it now stands.
        Render();
        if (m_nCollected <= m_nShownLines) {
            m_nScrollOffset = 0;
            m_bScrolling = false;
        }
        m_bFullPaint = false;
        m_canvas->update();
        return;
    }
    // The lines already drawn move up with the image; only the one coming in is drawn.
    m_renderer.ShiftUp(m_nPitch);
    m_renderer.RenderFrom(m_nShownLines, m_nPitch, m_nInsetLeft, m_aStringDisplay, m_nCollected);
    if (m_nCollected > m_nShownLines || m_nScrollOffset == 0) {
        if (m_nCollected <= m_nShownLines)
            m_bScrolling = false;
        ScrollWindow(area, m_nScrollPixels);
        return;
    }
    // The last line is in: the column settles on the line grid.
    m_nScrollOffset = 0;
    m_bScrolling = false;
    m_canvas->update();
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
}

void CDlgMain::OnPaint(const QRegion &exposed)
{
    const bool stale =
        m_bFullPaint || !m_renderer.isValid() || m_renderer.image().width() != m_canvas->width() ||
        m_renderer.image().height() < m_canvas->height() || m_nRenderedAlpha != backgroundAlpha();
    if (stale)
        Paint();
    QPainter painter(m_canvas);
    m_renderer.Present(painter, m_canvas->rect(), textArea(), m_nScrollOffset, backgroundFill());
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
    m_contextMenu->popup(at);
}
