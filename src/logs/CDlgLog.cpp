#include "logs/CDlgLog.h"

#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/LogFont.h"
#include "core/OperationLog.h"
#include "core/FileDialogFilters.h"
#include "core/StringTable.h"
#include "core/TextEncoding.h"
#include "core/TextFileIo.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace {

// The edit's lines end in a plain line feed.
QString forDisplay(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

CDlgLog::CDlgLog(ToolWindowHost host, std::function<QString()> captionText,
                 std::function<void()> storeDisplayLook, QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("main"), CommandId::LogFont, CommandId::LogBackgroundMenu,
                  parent),
      m_captionText(std::move(captionText)), m_storeDisplayLook(std::move(storeDisplayLook))
{
    // A window of its own with a title bar, not a palette beside the display.
    setWindowFlags(Qt::Window);
    setObjectName(QStringLiteral("CDlgLog"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(QStringLiteral("edit1081"));
    m_edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_edit, &QWidget::customContextMenuRequested, this, &CDlgLog::ShowEditMenu);
    layout->addWidget(m_edit);
    addStyledWidget(m_edit);
    buildMenu();
    resize(640, 480);
    UpdateTitle();
}

CDlgLog::~CDlgLog() = default;

void CDlgLog::addCommand(QMenu *menu, int command, const QString &text, const QKeySequence &key)
{
    QAction *action = menu->addAction(text);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    // Queued, as a posted menu command: the menu has closed before a dialog opens.
    connect(action, &QAction::triggered, this, [this, command] {
        QMetaObject::invokeMethod(
            this, [this, command] { OnForwardedCommand(command); }, Qt::QueuedConnection);
    });
}

void CDlgLog::buildMenu()
{
    using namespace CommandId;
    QMenu *file = m_menuBar->addMenu(QCoreApplication::translate("CDlgLog", "ファイル(&F)"));
    addCommand(file, LogNew, QCoreApplication::translate("CDlgLog", "新規作成(&N)"),
               QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(file, LogOpen, QCoreApplication::translate("CDlgLog", "開く...(&O)"),
               QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(file, LogSaveAs, QCoreApplication::translate("CDlgLog", "名前をつけて保存...(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    addCommand(file, LogClose, QCoreApplication::translate("CDlgLog", "ウインドウを閉じる(&X)"));

    QMenu *view = m_menuBar->addMenu(QCoreApplication::translate("CDlgLog", "表示(&V)"));
    addCommand(view, CommandId::LogFont, QCoreApplication::translate("CDlgLog", "フォント...(&F)"));
    addCommand(view, LogBackground, QCoreApplication::translate("CDlgLog", "背景色...(&B)"));
    view->addSeparator();
    addCommand(view, LogTop, QCoreApplication::translate("CDlgLog", "先頭へ (&T)"));
    addCommand(view, LogBottom, QCoreApplication::translate("CDlgLog", "末尾へ (&O)"));

    // Ctrl+A has no menu item.
    auto *selectAll = new QAction(this);
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    selectAll->setShortcutContext(Qt::WindowShortcut);
    connect(selectAll, &QAction::triggered, this, [this] { OnForwardedCommand(CommandId::LogSelectAll); });
    addAction(selectAll);
}

void CDlgLog::ShowEditMenu(const QPoint &pos)
{
    // The edit's own items first, then the window's font and background.
    std::unique_ptr<QMenu> menu(m_edit->createStandardContextMenu(pos));
    menu->addSeparator();
    addCommandsToMenu(*menu);
    menu->exec(m_edit->viewport()->mapToGlobal(pos));
}

void CDlgLog::OnForwardedCommand(int command)
{
    using namespace CommandId;
    switch (command) {
    case LogNew:
        OnLogNew();
        return;
    case LogOpen:
        OnLogOpen();
        return;
    case LogSaveAs:
        OnLogSaveAs();
        return;
    case LogClose:
        HideWindow();
        if (host().postCommand)
            host().postCommand(RefreshWindowState);
        return;
    case LogBackground:
        ChooseBackgroundColor();
        return;
    case LogSelectAll:
        m_edit->selectAll();
        return;
    case LogTop:
        m_edit->moveCursor(QTextCursor::Start);
        m_edit->ensureCursorVisible();
        return;
    case LogBottom:
        m_edit->moveCursor(QTextCursor::End);
        m_edit->moveCursor(QTextCursor::StartOfBlock);
        m_edit->ensureCursorVisible();
        return;
    default:
        CToolWindow::OnForwardedCommand(command);
        return;
    }
}

void CDlgLog::FocusWindow()
{
    activateWindow();
    raise();
    m_edit->setFocus(Qt::ShortcutFocusReason);
}

void CDlgLog::ShowWindow()
{
    // Edits made since the last showing would be replaced by the captions: ask first, and on
    // cancel show the window with the text as it is.
    const bool replace = AskAboutChanges();
    if (replace) {
        m_edit->clear();
        m_edit->document()->setModified(false);
        m_edit->setPlainText(forDisplay(m_captionText ? m_captionText() : QString()));
        m_edit->document()->setModified(false);
        m_strPath.clear();
        m_nEncoding = CTextEncoding::kUtf16Le;
        UpdateTitle();
    }
    if (m_storeDisplayLook)
        m_storeDisplayLook();
    if (!isShown()) {
        CToolWindow::ShowWindow();
        CopyConfigToWindow();
    }
    if (replace) {
        m_edit->moveCursor(QTextCursor::Start);
        m_edit->ensureCursorVisible();
    }
    update();
}

void CDlgLog::CopyConfigToWindow()
{
    if (!config())
        return;
    const CConfig &settings = *config();
    const auto readInt = [&settings](const char16_t *key, int fallback) {
        qint32 value = fallback;
        return settings.GetInt(QString::fromUtf16(key), value) ? value : fallback;
    };
    const QRect current = normalGeometry().isValid() ? normalGeometry() : geometry();
    const QRect placement(
        readInt(u"main.position.x_i", current.x()), readInt(u"main.position.y_i", current.y()),
        readInt(u"main.size.x_i", current.width()), readInt(u"main.size.y_i", current.height()));
    if (isMaximized())
        showNormal();
    setGeometry(placement);
    if (isShown()) {
        if (readInt(u"main.size.config_i", 0) == 1)
            showMaximized();
        else
            showNormal();
    }

    quint32 color = 0;
    if (settings.GetColor(QStringLiteral("main.color.text"), color))
        setTextColor(color);
    if (settings.GetColor(QStringLiteral("main.color.background"), color))
        setBackgroundColor(color);
    LogFont logFont;
    ConfigToLogFont(settings, QStringLiteral("main"), logicalDpiY(), logFont);
    setBoxFont(CConfigGui::toQFont(logFont, logicalDpiY()));
}

bool CDlgLog::AskAboutChanges()
{
    return CSaveQuestion::Settle(this, m_edit->document()->isModified(), m_askSave,
                                 [this] { return OnLogSaveAs(); });
}

QString CDlgLog::chooseFile(bool save)
{
    if (m_fileDialog)
        return m_fileDialog(this, save);
    QFileDialog dialog(this);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(CFileDialogFilters::fromString(118));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (save && !m_strPath.isEmpty())
        dialog.selectFile(m_strPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool CDlgLog::OnLogNew()
{
    if (!AskAboutChanges())
        return false;
    m_edit->clear();
    m_edit->document()->setModified(false);
    m_strPath.clear();
    m_nEncoding = CTextEncoding::kUtf16Le;
    UpdateTitle();
    return true;
}

bool CDlgLog::OnLogOpen()
{
    WriteLog(QStringLiteral("CDlgLog::OnLogOpen() begins."));
    if (!AskAboutChanges())
        return false;
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return false;
    return OpenFile(path);
}

bool CDlgLog::OpenFile(const QString &path)
{
    CTextFileIo file;
    if (!file.LoadText(path)) {
        WriteLog(file.lastError());
        return false;
    }
    switch (file.encoding()) {
    case CTextEncoding::kUtf8:
        WriteLog(QStringLiteral("CDlgLog opens file as UTF-8."));
        break;
    case CTextEncoding::kUtf16Le:
        WriteLog(QStringLiteral("CDlgLog opens file as UTF-16LE."));
        break;
    case CTextEncoding::kAnsi:
        WriteLog(QStringLiteral("CDlgLog opens file as ANSI."));
        break;
    default:
        WriteLog(QStringLiteral("CDlgLog couldn't identified."));
        break;
    }
    m_nEncoding = file.encoding() == CTextEncoding::kUtf8 || file.encoding() == CTextEncoding::kUtf16Le
                      ? file.encoding()
                      : CTextEncoding::kAnsi;
    m_strPath = path;
    m_edit->setPlainText(forDisplay(file.text()));
    m_edit->document()->setModified(false);
    UpdateTitle();
    WriteLog(QStringLiteral("CDlgLog::OnLogOpen() finished."));
    return true;
}

bool CDlgLog::OnLogSaveAs()
{
    const QTextCursor selection = m_edit->textCursor();
    const QString path = chooseFile(true);
    const bool saved = !path.isEmpty() && SaveFile(path);
    m_edit->setTextCursor(selection);
    m_edit->ensureCursorVisible();
    return saved;
}

bool CDlgLog::SaveFile(const QString &path)
{
    // The edit holds line feeds; the files, like the logs, end their lines with CR LF.
    QString text = m_edit->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    CTextFileIo file;
    int used = m_nEncoding;
    if (!file.SaveText(path, text, m_nEncoding, &used)) {
        WriteLog(file.lastError());
        return false;
    }
    // ANSI that could not hold every character went out as UTF-16LE; later saves follow the file.
    m_nEncoding = used;
    m_strPath = path;
    m_edit->document()->setModified(false);
    UpdateTitle();
    return true;
}

void CDlgLog::UpdateTitle()
{
    setWindowTitle(CStringTable::get(155) + m_strPath);
}
