#include "logs/CDlgLog.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/LogFont.h"
#include "core/CDialogs.h"
#include "core/CommandIds.h"
#include "core/FileDialogFilters.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "core/TextEncoding.h"
#include "input/CSaveQuestion.h"
#include "logs/CDlgSubtitleExport.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <memory>
#include <utility>

CDlgLog::CDlgLog(ToolWindowHost host, std::function<QString()> captionText,
                 std::function<void()> storeDisplayLook, std::function<QString()> transcript, QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("main"), CommandId::LogFont, CommandId::LogBackgroundMenu,
                  parent),
      m_captionText(std::move(captionText)), m_storeDisplayLook(std::move(storeDisplayLook)),
      m_transcript(std::move(transcript))
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
    addCommand(file, ExportSubtitles,
               QCoreApplication::translate("CDlgLog", "字幕ファイルに書き出す (SRT・WebVTT)...(&E)"));
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
    case ExportSubtitles:
        CDlgSubtitleExport::Run(this, m_transcript ? m_transcript() : QString());
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
        m_edit->setPlainText(
            CTextDocument::NormaliseLineBreaks(m_captionText ? m_captionText() : QString(), u"\n"));
        m_edit->document()->setModified(false);
        m_document.ForgetPath();
        m_document.setEncoding(CTextEncoding::kUtf16Le);
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
    const QRect current = normalGeometry().isValid() ? normalGeometry() : geometry();
    const QRect placement(settings.GetIntOr(QStringLiteral("main.position.x_i"), current.x()),
                          settings.GetIntOr(QStringLiteral("main.position.y_i"), current.y()),
                          settings.GetIntOr(QStringLiteral("main.size.x_i"), current.width()),
                          settings.GetIntOr(QStringLiteral("main.size.y_i"), current.height()));
    if (isMaximized())
        showNormal();
    setGeometry(placement);
    if (isShown()) {
        if (settings.GetIntOr(QStringLiteral("main.size.config_i"), 0) == 1)
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
    return CSaveQuestion::Settle(this, m_edit->document()->isModified(), [this] { return OnLogSaveAs(); });
}

QString CDlgLog::chooseFile(bool save)
{
    CDialogs::FileRequest request;
    request.save = save;
    request.filters = CFileDialogFilters::fromString(118);
    request.defaultSuffix = QStringLiteral("txt");
    if (save)
        request.selection = m_document.path();
    return CDialogs::chooseFile(this, request);
}

bool CDlgLog::OnLogNew()
{
    if (!AskAboutChanges())
        return false;
    m_edit->clear();
    m_edit->document()->setModified(false);
    m_document.ForgetPath();
    m_document.setEncoding(CTextEncoding::kUtf16Le);
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
    if (!m_document.Read(path)) {
        WriteLog(m_document.readError());
        return false;
    }
    m_document.Open([this](const QString &text) { m_edit->setPlainText(text); });
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
    // The edit's lines end in a line feed; the file's, like the logs', in CR LF.
    if (!m_document.Save(path, m_edit->toPlainText())) {
        WriteLog(m_document.saveError());
        return false;
    }
    m_edit->document()->setModified(false);
    UpdateTitle();
    return true;
}

void CDlgLog::UpdateTitle()
{
    setWindowTitle(CStringTable::get(155) + m_document.path());
}
