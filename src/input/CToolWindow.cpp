#include "input/CToolWindow.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CFontColorDialog.h"
#include "config/CPaletteColorDialog.h"
#include "config/LogFont.h"
#include "core/CommandIds.h"
#include "input/CInputContextPrimer.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <memory>
#include <utility>

CToolWindow::CToolWindow(ToolWindowHost host, const QString &prefix, int fontCommand, int backgroundCommand,
                         QWidget *parent)
    : QWidget(parent, Qt::Tool), m_host(std::move(host)), m_strPrefix(prefix), m_nFontCommand(fontCommand),
      m_nBackgroundCommand(backgroundCommand)
{
    if (m_nFontCommand)
        m_commands.append({m_nFontCommand, QCoreApplication::translate("CToolWindow", "フォント... (&F)")});
    if (m_nBackgroundCommand)
        m_commands.append(
            {m_nBackgroundCommand, QCoreApplication::translate("CToolWindow", "背景色... (&B)")});
    // Closing only hides; the window lives until the main window ends.
    setAttribute(Qt::WA_DeleteOnClose, false);
    new CInputContextPrimer(this);
}

CToolWindow::~CToolWindow() = default;

void CToolWindow::ShowWindow()
{
    if (m_bVisible)
        return;
    showNormal();
    m_bVisible = true;
}

void CToolWindow::HideWindow()
{
    m_bVisible = false;
    hide();
}

void CToolWindow::CopyConfigToWindow()
{
    if (!m_host.config)
        return;
    CConfig &config = *m_host.config;
    const QRect current = geometry();
    const int x = config.GetIntOr(key(QStringLiteral(".position.x_i")), current.x());
    const int y = config.GetIntOr(key(QStringLiteral(".position.y_i")), current.y());
    const int width = config.GetIntOr(key(QStringLiteral(".size.x_i")), current.width());
    const int height = config.GetIntOr(key(QStringLiteral(".size.y_i")), current.height());
    // The stored rectangle is the normal placement.
    if (isMaximized() || isMinimized() || isFullScreen())
        showNormal();
    setGeometry(x, y, width, height);

    if (config.GetIntOr(key(QStringLiteral(".display_i")), 0) == 1) {
        ShowWindow();
    } else {
        m_bVisible = false;
        hide();
    }

    quint32 color = 0;
    if (config.GetColor(key(QStringLiteral(".color.text")), color))
        m_textColor = color;
    if (config.GetColor(key(QStringLiteral(".color.background")), color))
        m_backgroundColor = color;
    applyColors();

    LogFont logFont;
    ConfigToLogFont(config, m_strPrefix, logicalDpiY(), logFont);
    m_charSet = logFont.charSet;
    m_font = CConfigGui::toQFont(logFont, logicalDpiY());
    applyFont();
}

void CToolWindow::CopyWindowToConfig()
{
    if (!m_host.config)
        return;
    CConfig &config = *m_host.config;
    config.SetInt(key(QStringLiteral(".display_i")), m_bVisible ? 1 : 0);
    const QRect normal = (isMaximized() || isMinimized() || isFullScreen()) ? normalGeometry() : geometry();
    if (normal.isValid()) {
        config.SetInt(key(QStringLiteral(".position.x_i")), normal.x());
        config.SetInt(key(QStringLiteral(".position.y_i")), normal.y());
        config.SetInt(key(QStringLiteral(".size.x_i")), normal.width());
        config.SetInt(key(QStringLiteral(".size.y_i")), normal.height());
    }
    config.SetColor(key(QStringLiteral(".color.text")), m_textColor);
    config.SetColor(key(QStringLiteral(".color.background")), m_backgroundColor);
    LogFontToConfig(config, m_strPrefix, logicalDpiY(),
                    CConfigGui::fromQFont(m_font, logicalDpiY(), m_charSet));
}

void CToolWindow::OnForwardedCommand(int command)
{
    if (command == 0)
        return;
    if (command == m_nFontCommand)
        ChooseFont();
    else if (command == m_nBackgroundCommand)
        ChooseBackgroundColor();
}

void CToolWindow::setBoxFont(const QFont &font)
{
    m_font = font;
    applyFont();
}

void CToolWindow::setTextColor(quint32 color)
{
    m_textColor = color;
    applyColors();
}

void CToolWindow::setBackgroundColor(quint32 color)
{
    m_backgroundColor = color;
    applyColors();
}

void CToolWindow::addStyledWidget(QWidget *widget)
{
    if (!widget)
        return;
    m_styled.append(widget);
    widget->setFont(m_font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, CConfigGui::toQColor(m_textColor));
    palette.setColor(QPalette::Base, CConfigGui::toQColor(m_backgroundColor));
    widget->setPalette(palette);
}

void CToolWindow::applyFont()
{
    for (const QPointer<QWidget> &widget : std::as_const(m_styled)) {
        if (widget)
            widget->setFont(m_font);
    }
    OnFontChanged();
    update();
}

void CToolWindow::applyColors()
{
    const QColor text = CConfigGui::toQColor(m_textColor);
    const QColor base = CConfigGui::toQColor(m_backgroundColor);
    for (const QPointer<QWidget> &widget : std::as_const(m_styled)) {
        if (!widget)
            continue;
        QPalette palette = widget->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Text, text);
            palette.setColor(group, QPalette::Base, base);
        }
        widget->setPalette(palette);
        widget->update();
    }
    OnColorsChanged();
    update();
}

void CToolWindow::addMenuCommand(int command, const QString &text)
{
    m_commands.append({command, text});
}

void CToolWindow::addCommandsToMenu(QMenu &menu)
{
    for (const MenuCommand &item : std::as_const(m_commands)) {
        const int command = item.command;
        QAction *action = menu.addAction(item.text);
        action->setData(command);
        // Queued, as a posted menu command: the menu is gone before a dialog opens.
        connect(action, &QAction::triggered, this, [this, command] {
            QMetaObject::invokeMethod(
                this, [this, command] { OnForwardedCommand(command); }, Qt::QueuedConnection);
        });
    }
}

void CToolWindow::showCommandMenu(const QPoint &globalPos)
{
    QMenu menu(this);
    addCommandsToMenu(menu);
    menu.exec(globalPos);
}

void CToolWindow::extendContextMenu(QWidget *child, const std::function<QMenu *()> &standardMenu)
{
    child->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(child, &QWidget::customContextMenuRequested, this,
            [this, child, standardMenu](const QPoint &pos) {
                std::unique_ptr<QMenu> menu(standardMenu());
                menu->addSeparator();
                addCommandsToMenu(*menu);
                menu->exec(child->mapToGlobal(pos));
            });
}

void CToolWindow::extendContextMenu(QLineEdit *edit)
{
    if (edit)
        extendContextMenu(edit, [edit] { return edit->createStandardContextMenu(); });
}

void CToolWindow::extendContextMenu(QPlainTextEdit *edit)
{
    if (edit)
        extendContextMenu(edit, [edit] { return edit->createStandardContextMenu(); });
}

void CToolWindow::extendContextMenu(QTextEdit *edit)
{
    if (edit)
        extendContextMenu(edit, [edit] { return edit->createStandardContextMenu(); });
}

void CToolWindow::contextMenuEvent(QContextMenuEvent *event)
{
    // From the keyboard the menu opens at the client origin.
    if (event->reason() == QContextMenuEvent::Mouse && rect().contains(event->pos()))
        showCommandMenu(event->globalPos());
    else
        showCommandMenu(mapToGlobal(QPoint(0, 0)));
    event->accept();
}

void CToolWindow::closeEvent(QCloseEvent *event)
{
    // Closing never destroys the window: it hides and the main window refreshes its check marks.
    event->ignore();
    m_bVisible = false;
    if (m_host.postCommand)
        m_host.postCommand(CommandId::RefreshWindowState);
    hide();
}

bool CToolWindow::ChooseFont()
{
    QFont font = m_font;
    quint32 color = m_textColor;
    if (!ChooseFontAndColor(font, color))
        return false;
    m_textColor = color;
    m_font = font;
    applyColors();
    applyFont();
    return true;
}

bool CToolWindow::ChooseBackgroundColor()
{
    quint32 color = m_backgroundColor;
    if (!ChooseColor(color))
        return false;
    setBackgroundColor(color);
    return true;
}

bool CToolWindow::ChooseColor(quint32 &color)
{
    if (m_host.colorDialog)
        return m_host.colorDialog(this, color, m_host.palette);
    QColor chosen = CConfigGui::toQColor(color);
    if (!CPaletteColorDialog::Choose(this, chosen, m_host.palette))
        return false;
    color = CConfigGui::fromQColor(chosen);
    return true;
}

bool CToolWindow::ChooseFontAndColor(QFont &font, quint32 &color)
{
    if (m_host.fontDialog)
        return m_host.fontDialog(this, font, color);
    QColor chosen = CConfigGui::toQColor(color);
    if (!CFontColorDialog::Choose(this, font, chosen, m_host.palette, kMaxPoints))
        return false;
    color = CConfigGui::fromQColor(chosen);
    return true;
}
