#include "contact/CDlgChat.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "contact/CInputChatBox.h"
#include "contact/CTurnIcons.h"
#include "core/CommandIds.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <memory>

namespace {

// Space between the button row and the log.
constexpr int kBarGap = 2;

} // namespace

CDlgChat::CDlgChat(ToolWindowHost host, SendFunction send, CTurnTimer::LocalTimeSource localTime,
                   QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("chat"), CommandId::ContactFont,
                  CommandId::ContactBackground, parent),
      m_send(std::move(send)), m_turn(std::move(localTime))
{
    WriteLog(QStringLiteral("CDlgChat::OnInitDialog() begins."));
    setWindowTitle(tr("連絡窓 (Ctrl+R)"));
    addMenuCommand(CommandId::ContactFlashBackground, tr("通知時の背景色... (&N)"));
    addMenuCommand(CommandId::TimerStart, tr("カウントダウン開始(&S)"));
    addMenuCommand(CommandId::TimerStop, tr("カウントダウン停止(&H)"));
    addMenuCommand(CommandId::TimerReset, tr("残り時刻リセット(&R)"));
    addMenuCommand(CommandId::TimerAddMinute, tr("タイマー1分延長(&I)"));
    addMenuCommand(CommandId::TimerSubtractMinute, tr("タイマー1分短縮(&D)"));
    m_strActive = CStringTable::get(109);
    m_strInactive = CStringTable::get(110);
    // The minutes box and the ±1 minute commands keep to the setting's bounds.
    qint32 lowest = CTurnTimer::kMinMinutes;
    qint32 highest = CTurnTimer::kMaxMinutes;
    if (const CConfig *store = config()) {
        store->GetMin(QStringLiteral("chat.time_i"), lowest);
        store->GetMax(QStringLiteral("chat.time_i"), highest);
    }
    m_turn.setMinuteRange(lowest, highest);
    buildControls();

    m_turnTimer = new QTimer(this);
    m_turnTimer->setInterval(1000);
    connect(m_turnTimer, &QTimer::timeout, this, &CDlgChat::OnTurnTick);
    m_flashTimer = new QTimer(this);
    m_flashTimer->setSingleShot(true);
    connect(m_flashTimer, &QTimer::timeout, this, &CDlgChat::OnFlashEnd);

    connect(&m_turn, &CTurnTimer::remainingChanged, this,
            [this] { m_remaining->setText(m_turn.remainingText()); });
    connect(&m_turn, &CTurnTimer::runningChanged, this, [this](bool running) {
        if (running)
            m_turnTimer->start();
        else
            m_turnTimer->stop();
        updateButtons(running);
    });
    connect(&m_turn, &CTurnTimer::turnMinutesChanged, m_minutes, &QSpinBox::setValue);
    connect(&m_turn, &CTurnTimer::flashRequested, this, &CDlgChat::Flash);
    connect(&m_turn, &CTurnTimer::messageReady, this, [this](const QString &message) {
        if (m_send)
            m_send(message);
    });
    WriteLog(QStringLiteral("CDlgChat::OnInitDialog() finished."));
}

CDlgChat::~CDlgChat()
{
    WriteLog(QStringLiteral("CDlgChat::OnDestroy()"));
    CopyWindowToConfig();
}

void CDlgChat::buildControls()
{
    m_bar = new QWidget(this);
    auto *row = new QHBoxLayout(m_bar);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    const std::array<std::pair<int, const char *>, 3> buttons = {{
        {CommandId::TimerStart, QT_TRANSLATE_NOOP("CDlgChat", "カウントダウン開始(&S)")},
        {CommandId::TimerStop, QT_TRANSLATE_NOOP("CDlgChat", "カウントダウン停止(&H)")},
        {CommandId::TimerReset, QT_TRANSLATE_NOOP("CDlgChat", "残り時刻リセット(&R)")},
    }};
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto *button = new QToolButton(m_bar);
        const int command = buttons[i].first;
        // The tooltip is the menu text without its mnemonic "(&X)".
        const QString label = tr(buttons[i].second);
        const qsizetype mnemonic = label.indexOf(QStringLiteral("(&"));
        button->setToolTip(mnemonic < 0 ? label : label.left(mnemonic));
        button->setIconSize(QSize(20, 20));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, command] { OnForwardedCommand(command); });
        row->addWidget(button);
        m_buttons[i] = button;
    }
    m_remaining = new QLabel(QStringLiteral("0") + CStringTable::get(104) + QStringLiteral("00"), m_bar);
    m_remaining->setObjectName(QStringLiteral("remaining"));
    const QString longest = CTurnTimer::FormatRemaining(m_turn.maxMinutes() * 60);
    m_remaining->setMinimumWidth(m_remaining->fontMetrics().horizontalAdvance(longest) + 4);
    m_remaining->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_remaining);
    m_minutes = new QSpinBox(m_bar);
    m_minutes->setRange(m_turn.minMinutes(), m_turn.maxMinutes());
    m_minutes->setValue(m_turn.turnMinutes());
    connect(m_minutes, &QSpinBox::valueChanged, &m_turn, &CTurnTimer::setTurnMinutes);
    row->addWidget(m_minutes);
    row->addStretch(1);
    updateButtons(false);

    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    // Contact messages come from anybody, as often as they are sent: the log keeps the newest
    // (the contact log file keeps them all when it is on). This also drops the undo history that
    // a read-only log never needs and that grew with every line.
    m_log->setMaximumBlockCount(kMaxLogLines);
    // Ctrl+A selects the whole log while the focus is on it.
    m_log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_log->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_log, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showEditMenu(m_log, pos); });

    m_input = new CInputChatBox(this);
    m_input->setObjectName(QStringLiteral("input"));
    m_input->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_input, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showEditMenu(m_input, pos); });
    connect(m_input, &CInputChatBox::lineEntered, this, [this](const QString &line) {
        if (m_send)
            m_send(line);
    });

    setTabOrder(m_input, m_log);
    addStyledWidget(m_log);
    addStyledWidget(m_input);
}

void CDlgChat::showEditMenu(QWidget *edit, const QPoint &pos)
{
    std::unique_ptr<QMenu> menu;
    if (auto *text = qobject_cast<QPlainTextEdit *>(edit))
        menu.reset(text->createStandardContextMenu(pos));
    else if (auto *line = qobject_cast<QLineEdit *>(edit))
        menu.reset(line->createStandardContextMenu());
    if (!menu)
        return;
    menu->addSeparator();
    addCommandsToMenu(*menu);
    menu->exec(edit->mapToGlobal(pos));
}

void CDlgChat::updateButtons(bool running)
{
    m_buttons[ButtonStart]->setIcon(CTurnIcons::icon(CTurnIcons::Kind::Start, !running));
    m_buttons[ButtonStop]->setIcon(CTurnIcons::icon(CTurnIcons::Kind::Stop, running));
    m_buttons[ButtonReset]->setIcon(CTurnIcons::icon(CTurnIcons::Kind::Reset, !running));
}

// ---- settings ---------------------------------------------------------------------------------

void CDlgChat::CopyConfigToWindow()
{
    CToolWindow::CopyConfigToWindow();
    if (const CConfig *store = config()) {
        quint32 color = 0;
        if (store->GetColor(QStringLiteral("chat.color.flash"), color))
            m_flashColor = color;
        m_nFlashTime = std::max(0, store->GetIntOr(QStringLiteral("chat.flash.time_i"), m_nFlashTime));
        m_turn.setTurnMinutes(store->GetIntOr(QStringLiteral("chat.time_i"), m_turn.turnMinutes()));
        m_turn.setNoticeText(store->GetStringOr(QStringLiteral("chat.message.notice"), m_turn.noticeText()));
        m_turn.setChangeText(store->GetStringOr(QStringLiteral("chat.message.change"), m_turn.changeText()));
        m_strActive = store->GetStringOr(QStringLiteral("chat.message.active"), m_strActive);
        m_strInactive = store->GetStringOr(QStringLiteral("chat.message.inactive"), m_strInactive);
    }
    m_minutes->setValue(m_turn.turnMinutes());
    m_turn.Reset();
    applyEditColors();
    LayoutControls();
}

void CDlgChat::CopyWindowToConfig()
{
    CToolWindow::CopyWindowToConfig();
    CConfig *store = config();
    if (!store)
        return;
    store->SetColor(QStringLiteral("chat.color.flash"), m_flashColor);
    store->SetInt(QStringLiteral("chat.flash.time_i"), m_nFlashTime);
    store->SetInt(QStringLiteral("chat.time_i"), m_turn.turnMinutes());
    store->SetString(QStringLiteral("chat.message.notice"), m_turn.noticeText());
    store->SetString(QStringLiteral("chat.message.change"), m_turn.changeText());
    store->SetString(QStringLiteral("chat.message.active"), m_strActive);
    store->SetString(QStringLiteral("chat.message.inactive"), m_strInactive);
}

// ---- commands ---------------------------------------------------------------------------------

void CDlgChat::OnForwardedCommand(int command)
{
    switch (command) {
    case CommandId::TimerStart:
        m_turn.Start();
        return;
    case CommandId::TimerStop:
        m_turn.Stop();
        return;
    case CommandId::TimerReset:
        m_turn.Reset();
        return;
    case CommandId::TimerAddMinute:
        m_turn.AddMinute();
        return;
    case CommandId::TimerSubtractMinute:
        m_turn.SubtractMinute();
        return;
    case CommandId::ContactFlashBackground:
        chooseFlashColor();
        return;
    default:
        CToolWindow::OnForwardedCommand(command);
        return;
    }
}

void CDlgChat::FocusWindow()
{
    activateWindow();
    raise();
    m_input->setFocus(Qt::ShortcutFocusReason);
}

void CDlgChat::chooseFlashColor()
{
    quint32 color = m_flashColor;
    if (!ChooseColor(color))
        return;
    m_flashColor = color;
    applyEditColors();
}

// ---- log, flash and countdown -----------------------------------------------------------------

void CDlgChat::AppendLine(const QString &text)
{
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    // A carriage return would make a second break in the log.
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    cursor.insertText(line + QLatin1Char('\n'));
    m_log->setTextCursor(cursor);
    m_log->ensureCursorVisible();
    Flash();
}

void CDlgChat::Flash()
{
    m_bFlashing = true;
    applyEditColors();
    m_flashTimer->start(m_nFlashTime);
}

void CDlgChat::OnFlashEnd()
{
    m_flashTimer->stop();
    m_bFlashing = false;
    applyEditColors();
}

void CDlgChat::OnTurnTick()
{
    m_turn.Tick();
}

bool CDlgChat::isTurnTimerActive() const
{
    return m_turnTimer->isActive();
}

QString CDlgChat::remainingText() const
{
    return m_remaining->text();
}

void CDlgChat::OnColorsChanged()
{
    applyEditColors();
}

void CDlgChat::applyEditColors()
{
    const QColor base = CConfigGui::toQColor(m_bFlashing ? m_flashColor : backgroundColor());
    const QColor text = CConfigGui::toQColor(textColor());
    for (QWidget *edit : {static_cast<QWidget *>(m_log), static_cast<QWidget *>(m_input)}) {
        QPalette palette = edit->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Base, base);
            palette.setColor(group, QPalette::Text, text);
        }
        edit->setPalette(palette);
        edit->update();
    }
}

// ---- layout -----------------------------------------------------------------------------------

void CDlgChat::OnFontChanged()
{
    LayoutControls();
}

void CDlgChat::resizeEvent(QResizeEvent *event)
{
    CToolWindow::resizeEvent(event);
    LayoutControls();
}

void CDlgChat::LayoutControls()
{
    if (!m_input)
        return;
    const int textHeight = QFontMetrics(m_input->font()).height();
    if (textHeight <= 0) {
        WriteLog(QStringLiteral("CDlgChat::GetEditTextMetrics() failed."));
        return;
    }
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_input);
    const int inputHeight = textHeight + frame + 4;
    const QRect client = rect();
    m_bar->setGeometry(0, 0, client.width(), m_bar->sizeHint().height());
    const int logTop = m_bar->geometry().bottom() + 1 + kBarGap;
    const int inputTop = client.height() - inputHeight;
    m_input->setGeometry(0, inputTop, client.width(), inputHeight);
    m_log->setGeometry(0, logTop, client.width(), std::max(0, inputTop - 1 - logTop));
}
