#include "preroll/CDlgPft.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/LogFont.h"
#include "core/CDialogs.h"
#include "core/CommandIds.h"
#include "core/FileDialogFilters.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "input/CDlgFKey.h"
#include "input/CFunctionKeyRules.h"
#include "input/CSaveQuestion.h"
#include "preroll/CEngagedEdit.h"
#include "preroll/CPftFileOpen.h"
#include "preroll/CPftLayout.h"
#include "preroll/CPftLineRules.h"
#include "preroll/CPftMarkerStrip.h"
#include "preroll/CPftTextFile.h"
#include "preroll/IPftLines.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

namespace {

// Room around the name bar's text.
constexpr int kNameBarPadding = 4;

// The lines of a pane as the line rules read them: one text block per line.
class DocumentLines final : public IPftLines
{
public:
    explicit DocumentLines(const QTextDocument &document) : m_document(document) {}

    int lineCount() const override { return m_document.blockCount(); }
    QString line(int index) const override { return m_document.findBlockByNumber(index).text(); }
    QString linePrefix(int index, int length) const override
    {
        const QTextBlock block = m_document.findBlockByNumber(index);
        // A block's length counts its line break.
        if (block.length() - 1 <= length)
            return block.text();
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + length, QTextCursor::KeepAnchor);
        return cursor.selectedText();
    }

private:
    const QTextDocument &m_document;
};

constexpr std::array<std::pair<int, int>, 4> kRatioCommands = {{
    {CommandId::PftRatio10, 10},
    {CommandId::PftRatio15, 15},
    {CommandId::PftRatio20, 20},
    {CommandId::PftRatio30, 30},
}};

} // namespace

// ---- construction -------------------------------------------------------------------------------

QList<CDlgPft::Accelerator> CDlgPft::accelerators()
{
    using namespace CommandId;
    constexpr Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    return {
        {QKeyCombination(Qt::Key_F1), PftSendLine},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_F1), PftSendBlock},
        {QKeyCombination(ctrl, Qt::Key_O), PftOpen},
        {QKeyCombination(ctrl, Qt::Key_S), PftSaveAs},
        {QKeyCombination(ctrl, Qt::Key_A), PftSelectAll},
        {QKeyCombination(ctrl, Qt::Key_K), PftToggleComment},
        {QKeyCombination(ctrl, Qt::Key_Down), PftNextComment},
        {QKeyCombination(ctrl, Qt::Key_Up), PftPreviousComment},
        {QKeyCombination(ctrl, Qt::Key_P), PftInsertSeparator},
        {QKeyCombination(ctrl, Qt::Key_Right), PftNextPane},
        {QKeyCombination(ctrl, Qt::Key_Left), PftPreviousPane},
    };
}

int CDlgPft::commandForKey(QKeyCombination key)
{
    for (const Accelerator &accelerator : accelerators()) {
        if (accelerator.key == key)
            return accelerator.command;
    }
    return 0;
}

CDlgPft::CDlgPft(ToolWindowHost host, Actions actions, FunctionKeysSource functionKeys, QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("pft"), CommandId::PftFont, CommandId::PftBackground,
                  parent),
      m_actions(std::move(actions)), m_functionKeys(std::move(functionKeys))
{
    setObjectName(QStringLiteral("CDlgPft"));
    m_nameFont = font();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_client = new QWidget(this);
    m_client->installEventFilter(this);
    layout->addWidget(m_client);
    m_strip = new CPftMarkerStrip(m_client);
    m_strip->setObjectName(QStringLiteral("pftMarker"));
    buildPanes();
    buildOpenProgress();
    buildMenus();
    ApplyNameBars();
    UpdateNames();
    UpdateChecks();
    Relayout();
}

CDlgPft::~CDlgPft()
{
    // A worker still reading finishes on its own; nothing of it reaches this window.
    if (m_opening.job)
        m_opening.job->Cancel();
    CopyWindowToConfig();
    // The panes go after this body has run; their last signals (focus leaving, the caret moving
    // as a document is torn down) must not reach a window that is no longer one.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    WriteLog(QStringLiteral("CDlgPft destroyed."));
}

void CDlgPft::buildPanes()
{
    for (int k = 0; k < kPaneCount; ++k) {
        Pane &pane = m_panes[k];
        pane.nameBar = new QLabel(m_client);
        pane.nameBar->setObjectName(QStringLiteral("pftName%1").arg(k + 1));
        pane.nameBar->setAutoFillBackground(true);
        pane.nameBar->setTextFormat(Qt::PlainText);
        pane.nameBar->installEventFilter(this);
        pane.edit = createEdit(k);
        connectEdit(k, pane.edit);
    }
}

CEngagedEdit *CDlgPft::createEdit(int pane)
{
    auto *edit = new CEngagedEdit(m_client);
    edit->setObjectName(QStringLiteral("pftEdit%1").arg(pane + 1));
    edit->setCommandForKey(&CDlgPft::commandForKey);
    addStyledWidget(edit);
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    return edit;
}

void CDlgPft::connectEdit(int k, CEngagedEdit *edit)
{
    connect(edit, &QWidget::customContextMenuRequested, this, [this, edit](const QPoint &pos) {
        // The edit's own items first, then the window's commands.
        std::unique_ptr<QMenu> menu(edit->createStandardContextMenu(pos));
        menu->addSeparator();
        addWindowMenus(*menu);
        menu->exec(edit->viewport()->mapToGlobal(pos));
    });
    // A key in a pane acts on that pane, even before its focus made it the current one.
    connect(edit, &CEngagedEdit::commandKey, this, [this, k](int command) {
        if (k != m_nCurrent)
            SelectPane(k);
        OnForwardedCommand(command);
    });
    connect(edit, &CEngagedEdit::functionKeyPressed, this,
            [this, k](int index, bool shift) { OnFunctionKey(k, index, shift); });
    connect(edit, &CEngagedEdit::keyReleased, this,
            [this, k](int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
                if (k == m_nCurrent)
                    OnKeyReleased(key, modifiers, autoRepeat);
            });
    connect(edit, &CEngagedEdit::compositionChanged, this, [this, k] {
        if (k == m_nCurrent)
            PostState();
    });
    connect(edit, &CEngagedEdit::focusGained, this, [this, k] { OnPaneFocused(k); });
    connect(edit, &CEngagedEdit::caretMoved, this, [this, k] {
        if (k == m_nCurrent)
            UpdateMarker();
    });
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, [this, k] {
        if (k == m_nCurrent)
            UpdateMarker();
    });
    // An edit above the caret line (a line that wraps anew) moves the caret line down; the
    // layout is settled once the change is done.
    connect(
        edit, &QPlainTextEdit::textChanged, this,
        [this, k] {
            if (k == m_nCurrent)
                UpdateMarker();
        },
        Qt::QueuedConnection);
    connect(edit, &QPlainTextEdit::modificationChanged, this, [this] { UpdateNames(); });
}

void CDlgPft::buildOpenProgress()
{
    m_openBar = new QWidget(m_client);
    m_openBar->setObjectName(QStringLiteral("pftOpenProgress"));
    auto *row = new QHBoxLayout(m_openBar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    m_openProgress = new QProgressBar(m_openBar);
    m_openProgress->setFormat(tr("読み込み中 %p%"));
    m_openProgress->setTextVisible(true);
    row->addWidget(m_openProgress, 1);
    auto *cancel = new QToolButton(m_openBar);
    cancel->setText(tr("中止"));
    cancel->setToolTip(tr("読み込みを中止します (Esc)"));
    cancel->setAutoRaise(true);
    cancel->setFocusPolicy(Qt::NoFocus);
    connect(cancel, &QToolButton::clicked, this, &CDlgPft::CancelOpen);
    row->addWidget(cancel);
    m_openCancel = cancel;
    m_openBar->hide();
    m_openEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_openEscape->setContext(Qt::WindowShortcut);
    m_openEscape->setEnabled(false);
    connect(m_openEscape, &QShortcut::activated, this, &CDlgPft::CancelOpen);
}

QAction *CDlgPft::addCommand(QMenu *menu, int command, const QString &text, bool checkable)
{
    auto *action = new QAction(text, this);
    action->setData(command);
    action->setCheckable(checkable);
    menu->addAction(action);
    m_actionsById.insert(command, action);
    // Queued, as a posted menu command: the menu has closed before a dialog opens.
    connect(action, &QAction::triggered, this, [this, command] {
        QMetaObject::invokeMethod(
            this, [this, command] { OnForwardedCommand(command); }, Qt::QueuedConnection);
    });
    return action;
}

void CDlgPft::buildMenus()
{
    using namespace CommandId;
    QMenu *file = m_menuBar->addMenu(tr("ファイル(&F)"));
    addCommand(file, PftNew, tr("新規作成(&N)"));
    addCommand(file, PftOpen, tr("開く... (&O)\tCtrl+O"));
    addCommand(file, PftSaveAs, tr("名前をつけて保存... (&A)\tCtrl+S"));
    file->addSeparator();
    addCommand(file, PftClose, tr("ウインドウを閉じる (&X)"));

    QMenu *edit = m_menuBar->addMenu(tr("編集(&E)"));
    addCommand(edit, PftSendLine, tr("1行送信(&T)\tF1"));
    addCommand(edit, PftSendBlock, tr("複数行一括送信(&M)\tShift+F1"));
    edit->addSeparator();
    addCommand(edit, PftSelectAll, tr("すべて選択 (&A)\tCtrl+A"));
    addCommand(edit, PftToggleComment, tr("コメント行にする／元に戻す (&K)\tCtrl+K"));
    addCommand(edit, PftNextComment, tr("次のコメント行へジャンプ (&N)\tCtrl+↓"));
    addCommand(edit, PftPreviousComment, tr("前のコメント行へジャンプ (&P)\tCtrl+↑"));
    addCommand(edit, PftInsertSeparator, tr("複数行送信の区切りを挿入 (&I)\tCtrl+P"));

    QMenu *view = m_menuBar->addMenu(tr("表示(&V)"));
    addCommand(view, PftFont, tr("フォント... (&F)"));
    addCommand(view, PftBackground, tr("背景色... (&B)"));
    view->addSeparator();
    addCommand(view, PftNameFont, tr("前ロール名のフォント..."));
    addCommand(view, PftNameBackground, tr("前ロール名の背景色..."));
    addCommand(view, PftNameOtherBackground, tr("非選択前ロール名の背景色..."));
    view->addSeparator();
    addCommand(view, PftShowAll, tr("全ウインドウを表示 (&D)"), true);
    view->addSeparator();
    addCommand(view, PftRatio10, tr("他と同じ（1.0倍）(&1)"), true);
    addCommand(view, PftRatio15, tr("他の5割増（1.5倍）(&5)"), true);
    addCommand(view, PftRatio20, tr("他の2倍（2.0倍）(&2)"), true);
    addCommand(view, PftRatio30, tr("他の3倍（3.0倍）(&3)"), true);

    QMenu *window = m_menuBar->addMenu(tr("ウインドウ(&W)"));
    addCommand(window, PftPane1, QStringLiteral("&1"), true);
    addCommand(window, PftPane2, QStringLiteral("&2"), true);
    addCommand(window, PftPane3, QStringLiteral("&3"), true);
    window->addSeparator();
    addCommand(window, PftNextPane, tr("次のウインドウへ移動 (&N)\tCtrl+→"));
    addCommand(window, PftPreviousPane, tr("前のウインドウに移動 (&P)\tCtrl+←"));

    m_menus = {file, edit, view, window};
}

void CDlgPft::addWindowMenus(QMenu &menu)
{
    for (QMenu *submenu : std::as_const(m_menus))
        menu.addMenu(submenu);
}

void CDlgPft::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    addWindowMenus(menu);
    // From the keyboard the menu opens at the client origin.
    const bool atMouse = event->reason() == QContextMenuEvent::Mouse && rect().contains(event->pos());
    menu.exec(atMouse ? event->globalPos() : m_client->mapToGlobal(QPoint(0, 0)));
    event->accept();
}

bool CDlgPft::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        Relayout();
    // A click on a pane's name makes it the current pane.
    if (event->type() == QEvent::MouseButtonPress) {
        for (int k = 0; k < kPaneCount; ++k) {
            if (watched == m_panes[k].nameBar)
                SelectPane(k);
        }
    }
    return CToolWindow::eventFilter(watched, event);
}

CEngagedEdit *CDlgPft::edit(int pane) const
{
    return pane >= 0 && pane < kPaneCount ? m_panes[pane].edit : nullptr;
}

QLabel *CDlgPft::nameBar(int pane) const
{
    return pane >= 0 && pane < kPaneCount ? m_panes[pane].nameBar : nullptr;
}

QAction *CDlgPft::action(int command) const
{
    return m_actionsById.value(command);
}

QString CDlgPft::filePath(int pane) const
{
    return pane >= 0 && pane < kPaneCount ? m_panes[pane].document.path() : QString();
}

int CDlgPft::encoding(int pane) const
{
    return pane >= 0 && pane < kPaneCount ? m_panes[pane].document.encoding() : 0;
}

void CDlgPft::post(std::function<void()> action)
{
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

// ---- settings ---------------------------------------------------------------------------------

void CDlgPft::CopyConfigToWindow()
{
    CToolWindow::CopyConfigToWindow();
    if (CConfig *store = config()) {
        LogFont logFont;
        ConfigToLogFont(*store, QStringLiteral("pft.name"), logicalDpiY(), logFont);
        m_nameCharSet = logFont.charSet;
        m_nameFont = CConfigGui::toQFont(logFont, logicalDpiY());
        quint32 color = 0;
        if (store->GetColor(QStringLiteral("pft.name.color.text"), color))
            m_nameTextColor = color;
        if (store->GetColor(QStringLiteral("pft.name.color.background"), color))
            m_nameBackgroundColor = color;
        if (store->GetColor(QStringLiteral("pft.name.nonsel.color.background"), color))
            m_nameOtherBackgroundColor = color;
        m_bShowAll = store->GetIntOr(QStringLiteral("pft.display.all_i"), m_bShowAll ? 1 : 0) == 1;
        m_nRatio = store->GetIntOr(QStringLiteral("pft.display.current_pane_ratio_i"), m_nRatio);
    }
    ApplyNameBars();
    UpdateChecks();
    Relayout();
}

void CDlgPft::CopyWindowToConfig()
{
    CToolWindow::CopyWindowToConfig();
    CConfig *store = config();
    if (!store)
        return;
    LogFontToConfig(*store, QStringLiteral("pft.name"), logicalDpiY(),
                    CConfigGui::fromQFont(m_nameFont, logicalDpiY(), m_nameCharSet));
    store->SetColor(QStringLiteral("pft.name.color.text"), m_nameTextColor);
    store->SetColor(QStringLiteral("pft.name.color.background"), m_nameBackgroundColor);
    store->SetColor(QStringLiteral("pft.name.nonsel.color.background"), m_nameOtherBackgroundColor);
    store->SetInt(QStringLiteral("pft.display.all_i"), m_bShowAll ? 1 : 0);
    store->SetInt(QStringLiteral("pft.display.current_pane_ratio_i"), m_nRatio);
}

// ---- commands ---------------------------------------------------------------------------------

void CDlgPft::OnForwardedCommand(int command)
{
    using namespace CommandId;
    switch (command) {
    case PftSendLine:
        SendCaretLine();
        return;
    case PftSendBlock:
        SendBlock();
        return;
    case PftNew:
        OnPftNew();
        return;
    case PftOpen:
        OnPftOpen();
        return;
    case PftSaveAs:
        OnPftSaveAs();
        return;
    case PftNameFont:
        ChooseNameFont();
        return;
    case PftNameBackground:
        ChooseNameColor(m_nameBackgroundColor);
        return;
    case PftNameOtherBackground:
        ChooseNameColor(m_nameOtherBackgroundColor);
        return;
    case PftClose:
        HideWindow();
        if (host().postCommand)
            host().postCommand(RefreshWindowState);
        return;
    case PftSelectAll:
        currentEdit()->selectAll();
        return;
    case PftToggleComment:
        ToggleComment();
        return;
    case PftNextComment:
        JumpToNextComment();
        return;
    case PftPreviousComment:
        JumpToPreviousComment();
        return;
    case PftInsertSeparator:
        InsertSeparator();
        return;
    case PftPane1:
    case PftPane2:
    case PftPane3:
        SelectPane(command - PftPane1);
        return;
    case PftNextPane:
        SelectPane((m_nCurrent + 1) % kPaneCount);
        return;
    case PftPreviousPane:
        SelectPane((m_nCurrent + kPaneCount - 1) % kPaneCount);
        return;
    case PftShowAll:
        SetShowAll(!m_bShowAll);
        return;
    default:
        break;
    }
    for (const auto &[ratioCommand, ratio] : kRatioCommands) {
        if (command == ratioCommand) {
            SetPaneRatio(ratio);
            return;
        }
    }
    CToolWindow::OnForwardedCommand(command);
}

void CDlgPft::FocusWindow()
{
    activateWindow();
    raise();
    currentEdit()->setFocus(Qt::ShortcutFocusReason);
}

void CDlgPft::moveCaretToLine(int line)
{
    CEngagedEdit *edit = currentEdit();
    const QTextBlock block = edit->document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    edit->setTextCursor(QTextCursor(block));
    edit->ensureCursorVisible();
}

void CDlgPft::SendCaretLine()
{
    CEngagedEdit *edit = currentEdit();
    const CPftLineRules::LineStep step =
        CPftLineRules::SendCaretLine(DocumentLines(*edit->document()), edit->textCursor().blockNumber());
    if (step.caretMoves)
        moveCaretToLine(step.caretLine);
    if (step.send) {
        postAction(&Actions::sendLine, step.line);
    }
    UpdateMarker();
}

void CDlgPft::SendBlock()
{
    CEngagedEdit *edit = currentEdit();
    const CPftLineRules::BlockStep step =
        CPftLineRules::CollectBlock(DocumentLines(*edit->document()), edit->textCursor().blockNumber());
    if (step.found) {
        moveCaretToLine(step.caretLine);
        postAction(&Actions::sendBlock, step.block);
    }
    UpdateMarker();
}

void CDlgPft::ToggleComment()
{
    if (currentIsReadOnly())
        return;
    CEngagedEdit *edit = currentEdit();
    const QTextBlock block = edit->textCursor().block();
    QTextCursor cursor(block);
    // One step of the edit's own undo.
    cursor.beginEditBlock();
    if (!CPftLineRules::IsComment(block.text())) {
        cursor.insertText(CPftLineRules::commentMarker());
    } else {
        cursor.setPosition(block.position() + static_cast<int>(CPftLineRules::commentMarker().size()),
                           QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}

void CDlgPft::JumpToNextComment()
{
    CEngagedEdit *edit = currentEdit();
    moveCaretToLine(
        CPftLineRules::NextComment(DocumentLines(*edit->document()), edit->textCursor().blockNumber()));
    UpdateMarker();
}

void CDlgPft::JumpToPreviousComment()
{
    CEngagedEdit *edit = currentEdit();
    moveCaretToLine(
        CPftLineRules::PreviousComment(DocumentLines(*edit->document()), edit->textCursor().blockNumber()));
    UpdateMarker();
}

void CDlgPft::InsertSeparator()
{
    if (currentIsReadOnly())
        return;
    CEngagedEdit *edit = currentEdit();
    QTextCursor cursor(edit->textCursor().block());
    cursor.beginEditBlock();
    cursor.insertText(CPftLineRules::separatorLine() + u'\n');
    cursor.endEditBlock();
    // The caret stays on the line it was on, now below the separator.
    edit->setTextCursor(cursor);
    edit->ensureCursorVisible();
    UpdateMarker();
}

// ---- function keys and the pre-roll state -------------------------------------------------------

void CDlgPft::OnFunctionKey(int pane, int index, bool shift)
{
    if (pane != m_nCurrent)
        SelectPane(pane);
    const CFunctionKeyRules rules(CFunctionKeyRules::Target::PrerollPane, config(),
                                  m_functionKeys ? m_functionKeys() : nullptr);
    CEngagedEdit *edit = currentEdit();
    const QTextCursor current = edit->textCursor();
    // The rules count from the caret line's start; a selection may reach into other lines.
    const int base = current.block().position();
    const CFunctionKeyRules::Step step = rules.Press(index + 1, shift, current.block().text(),
                                                     current.anchor() - base, current.position() - base);
    if (step.action == CFunctionKeyRules::Action::ClearScreen) {
        postAction(&Actions::clearScreen);
        return;
    }
    if (step.action != CFunctionKeyRules::Action::Edit || currentIsReadOnly())
        return;
    QTextCursor cursor(edit->document());
    cursor.setPosition(base + step.from);
    cursor.setPosition(base + step.to, QTextCursor::KeepAnchor);
    // One step of the edit's own undo.
    cursor.beginEditBlock();
    cursor.insertText(step.text);
    cursor.endEditBlock();
    cursor.setPosition(base + step.anchor);
    cursor.setPosition(base + step.caret, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
    edit->ensureCursorVisible();
}

void CDlgPft::OnKeyReleased(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    if (CPftLineRules::PostsStateOnRelease(key, modifiers, autoRepeat))
        PostState();
}

void CDlgPft::PostState()
{
    CEngagedEdit *edit = currentEdit();
    const QTextCursor cursor = edit->textCursor();
    CPftLineRules::State state =
        CPftLineRules::BuildState(DocumentLines(*edit->document()), cursor.blockNumber(),
                                  cursor.position() - cursor.block().position(), edit->composition());
    postAction(&Actions::sendState, std::move(state.former), std::move(state.latter));
}

// ---- files ------------------------------------------------------------------------------------

bool CDlgPft::AskAboutChanges()
{
    return CSaveQuestion::Settle(this, currentEdit()->document()->isModified(),
                                 [this] { return OnPftSaveAs(); });
}

QString CDlgPft::chooseFile(bool save)
{
    CDialogs::FileRequest request;
    request.save = save;
    request.filters = CFileDialogFilters::fromString(save ? 118 : 171);
    if (save) {
        // A name typed without extension takes the one of the chosen filter.
        request.defaultSuffix = QStringLiteral("txt");
        request.filterSuffixes = {QStringLiteral("txt"), QStringLiteral("tvu"), QStringLiteral("tv8")};
        request.selection = m_panes[m_nCurrent].document.path();
    }
    return CDialogs::chooseFile(this, request);
}

void CDlgPft::showError(const QString &text)
{
    CDialogs::tell(this, CDialogs::Icon::Critical, CStringTable::get(116), text);
}

bool CDlgPft::refusedWhileOpening()
{
    if (!isOpening())
        return false;
    QApplication::beep();
    return true;
}

bool CDlgPft::currentIsReadOnly() const
{
    return currentEdit()->isReadOnly();
}

bool CDlgPft::OnPftNew()
{
    if (refusedWhileOpening() || !AskAboutChanges())
        return false;
    Pane &pane = m_panes[m_nCurrent];
    pane.edit->clear();
    pane.edit->document()->setModified(false);
    pane.document.ForgetPath();
    UpdateNames();
    UpdateMarker();
    return true;
}

bool CDlgPft::OnPftOpen()
{
    if (refusedWhileOpening())
        return false;
    WriteLog(QStringLiteral("CDlgPft::OnPftOpen() begins."));
    if (!AskAboutChanges())
        return false;
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return false;
    WriteLog(QStringLiteral("DoModal returns OK. Filename:") + path);
    return OpenFile(path);
}

bool CDlgPft::isOpening() const
{
    return !m_opening.job.isNull();
}

bool CDlgPft::OpenFile(const QString &path)
{
    if (refusedWhileOpening())
        return false;
    m_opening.pane = m_nCurrent;
    m_opening.job = new CPftFileOpen(this);
    connect(m_opening.job, &CPftFileOpen::read, this, &CDlgPft::OnFileRead);
    connect(m_opening.job, &CPftFileOpen::progress, m_openProgress, &QProgressBar::setValue);
    connect(m_opening.job, &CPftFileOpen::filled, this, &CDlgPft::OnFileFilled);
    // The old text stays until the new one is complete: it can still be sent and moved through,
    // but an edit now would be lost with it.
    CEngagedEdit *edit = m_panes[m_opening.pane].edit;
    edit->setReadOnly(true);
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Busy until the file is read; then the share of the text that is in.
    m_openProgress->setRange(0, 0);
    m_openEscape->setEnabled(true);
    Relayout();
    CPftTextFile::BeginLoad(path);
    m_opening.job->Start(path);
    return true;
}

void CDlgPft::OnFileRead()
{
    const CTextDocument::FileText &file = m_opening.job->file();
    Pane &pane = m_panes[m_opening.pane];
    qint64 size = 0;
    QString message;
    if (!CPftTextFile::EndLoad(file, size, message)) {
        WriteLog(QStringLiteral("LoadText failed."));
        EndOpening();
        showError(message);
        emit openFinished(false);
        return;
    }
    WriteLog(QStringLiteral("LoadText finished."));
    try {
        pane.document.AnnounceOpen(file);
    } catch (const std::bad_alloc &) {
        WriteLog(QStringLiteral(
            "OnPftOpen : Exception occured during character-set conversion and setting to edit control."));
        WriteLog(QStringLiteral("SetWindowText failed."));
        EndOpening();
        emit openFinished(false);
        return;
    }
    // The new text goes into an edit of its own that lies under the pane's edit, laid out for
    // the same width all along, so that taking its place costs no second layout of every line.
    CEngagedEdit *edit = createEdit(m_opening.pane);
    edit->setObjectName(QString());
    edit->setFocusPolicy(Qt::NoFocus);
    // A scroll bar that appears part way would narrow the text and lay out every line anew; a
    // file that needs the open filling needs the bar in the end anyway.
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->document()->setUndoRedoEnabled(false);
    m_opening.edit = edit;
    m_opening.end = QTextCursor(edit->document());
    m_openProgress->setRange(0, 100);
    m_openProgress->setValue(0);
    Relayout();
    m_opening.job->Fill([this](QStringView lines) {
        try {
            m_opening.end.insertText(lines.toString());
            return true;
        } catch (const std::bad_alloc &) {
            // Not from within the open's own call.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    WriteLog(QStringLiteral("OnPftOpen : Exception occured during character-set "
                                            "conversion and setting to edit control."));
                    WriteLog(QStringLiteral("SetWindowText failed."));
                    EndOpening();
                    emit openFinished(false);
                },
                Qt::QueuedConnection);
            return false;
        }
    });
}

void CDlgPft::OnFileFilled()
{
    const int k = m_opening.pane;
    Pane &pane = m_panes[k];
    CEngagedEdit *old = pane.edit;
    CEngagedEdit *edit = m_opening.edit;
    QTextDocument *document = edit->document();
    document->setUndoRedoEnabled(true);
    document->clearUndoRedoStacks();
    document->setModified(false);
    edit->setVerticalScrollBarPolicy(old->verticalScrollBarPolicy());
    edit->setFocusPolicy(old->focusPolicy());
    edit->setObjectName(old->objectName());
    old->setObjectName(QString());
    // The old edit's last signals (focus leaving, its caret as it goes) belong to no pane now.
    disconnect(old, nullptr, this, nullptr);
    pane.edit = edit;
    connectEdit(k, edit);
    pane.document.Adopt(m_opening.job->file());
    // The window may not be active again yet (a file dialog just closed): its focus widget
    // counts, not only the focus of the moment.
    const bool hadFocus = old->hasFocus() || focusWidget() == old;
    m_opening.edit = nullptr;
    EndOpening();
    if (hadFocus)
        edit->setFocus(Qt::OtherFocusReason);
    old->hide();
    old->deleteLater();
    UpdateNames();
    WriteLog(QStringLiteral("SetWindowText done."));
    edit->moveCursor(QTextCursor::Start);
    edit->ensureCursorVisible();
    UpdateMarker();
    WriteLog(QStringLiteral("CDlgNic::OnPftOpen() finished."));
    emit openFinished(true);
}

void CDlgPft::CancelOpen()
{
    if (!isOpening())
        return;
    WriteLog(QStringLiteral("CDlgPft::OnPftOpen() cancelled."));
    EndOpening();
    emit openFinished(false);
}

void CDlgPft::EndOpening()
{
    if (m_opening.job) {
        m_opening.job->Cancel();
        m_opening.job->deleteLater();
    }
    m_opening.end = QTextCursor();
    if (m_opening.edit) {
        // A half-filled document of a large file takes a moment to free: not in this turn.
        m_opening.edit->hide();
        m_opening.edit->deleteLater();
    }
    if (m_opening.pane >= 0)
        m_panes[m_opening.pane].edit->setReadOnly(false);
    m_opening = Opening{};
    m_openEscape->setEnabled(false);
    m_openBar->hide();
    Relayout();
}

bool CDlgPft::OnPftSaveAs()
{
    const QString path = chooseFile(true);
    return !path.isEmpty() && SaveFile(path);
}

QString CDlgPft::paneText(int pane) const
{
    if (pane < 0 || pane >= kPaneCount)
        return {};
    const QTextDocument *document = m_panes[pane].edit->document();
    // Block by block: the document's plain text would turn no-break spaces into spaces.
    QString text;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            text += QStringLiteral("\r\n");
        text += block.text();
    }
    return text;
}

bool CDlgPft::SaveFile(const QString &path)
{
    Pane &pane = m_panes[m_nCurrent];
    if (!CPftTextFile::SaveText(pane.document, path, paneText(m_nCurrent))) {
        // The user must know that the text was not saved, or they would close over it.
        showError(CStringTable::get(163));
        return false;
    }
    pane.edit->document()->setModified(false);
    UpdateNames();
    return true;
}

// ---- panes and layout ---------------------------------------------------------------------------

QString CDlgPft::paneName(int pane) const
{
    const QString path = filePath(pane);
    const QString name = path.isEmpty() ? CStringTable::get(126) : QFileInfo(path).fileName();
    return QStringLiteral("%1:%2").arg(pane + 1).arg(name);
}

void CDlgPft::UpdateNames()
{
    for (int k = 0; k < kPaneCount; ++k) {
        const QString name = paneName(k);
        m_panes[k].nameBar->setText(name);
        if (QAction *item = action(CommandId::PftPane1 + k)) {
            // A "&" of the file's name is no mnemonic.
            QString text = name;
            text.replace(u'&', QStringLiteral("&&"));
            item->setText(u'&' + text);
        }
    }
    setWindowTitle(CStringTable::get(127) + paneName(m_nCurrent) + CStringTable::get(156));
}

void CDlgPft::UpdateChecks()
{
    for (int k = 0; k < kPaneCount; ++k) {
        if (QAction *item = action(CommandId::PftPane1 + k))
            item->setChecked(k == m_nCurrent);
    }
    if (QAction *item = action(CommandId::PftShowAll))
        item->setChecked(m_bShowAll);
    for (const auto &[command, ratio] : kRatioCommands) {
        if (QAction *item = action(command))
            item->setChecked(ratio == m_nRatio);
    }
}

void CDlgPft::OnPaneFocused(int pane)
{
    // A click into another pane of the show-all layout makes it the current one, once the click
    // has put the caret where it was aimed at: the panes change their widths.
    if (pane != m_nCurrent) {
        post([this, pane] {
            if (m_panes[pane].edit->hasFocus())
                SelectPane(pane);
        });
    }
}

void CDlgPft::SelectPane(int pane)
{
    if (pane < 0 || pane >= kPaneCount)
        return;
    // Each edit keeps its own caret and selection while another pane is current.
    m_nCurrent = pane;
    Relayout();
    ApplyNameBars();
    CEngagedEdit *edit = currentEdit();
    if (!edit->hasFocus())
        edit->setFocus(Qt::OtherFocusReason);
    edit->ensureCursorVisible();
    UpdateChecks();
    UpdateNames();
    UpdateMarker();
    if (m_bShowAll)
        update();
}

void CDlgPft::SetShowAll(bool showAll)
{
    m_bShowAll = showAll;
    UpdateChecks();
    Relayout();
    UpdateMarker();
}

void CDlgPft::SetPaneRatio(int ratio)
{
    m_nRatio = ratio;
    UpdateChecks();
    Relayout();
    UpdateMarker();
}

int CDlgPft::nameBarHeight() const
{
    return QFontMetrics(m_nameFont).height() + kNameBarPadding;
}

void CDlgPft::ApplyNameBars()
{
    for (int k = 0; k < kPaneCount; ++k) {
        QLabel *bar = m_panes[k].nameBar;
        bar->setFont(m_nameFont);
        QPalette palette = bar->palette();
        const QColor background =
            CConfigGui::toQColor(k == m_nCurrent ? m_nameBackgroundColor : m_nameOtherBackgroundColor);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Window, background);
            palette.setColor(group, QPalette::WindowText, CConfigGui::toQColor(m_nameTextColor));
        }
        bar->setPalette(palette);
    }
}

void CDlgPft::Relayout()
{
    const int width = m_client->width();
    const int height = m_client->height();
    const int barHeight = std::min(nameBarHeight(), height);
    const int editHeight = std::max(height - barHeight, 0);
    if (m_bShowAll) {
        const auto columns = CPftLayout::ShowAll(0, width, kGap, m_nRatio, m_nCurrent);
        for (int k = 0; k < kPaneCount; ++k) {
            const CPftLayout::Column bar = CPftLayout::NameBar(columns[k], kGap);
            m_panes[k].nameBar->setGeometry(bar.x, 0, bar.width, barHeight);
            m_panes[k].edit->setGeometry(columns[k].x, barHeight, columns[k].width, editHeight);
            m_panes[k].nameBar->show();
            m_panes[k].edit->show();
        }
        m_strip->setGeometry(columns[m_nCurrent].x - kGap, barHeight, kGap, editHeight);
    } else {
        for (int k = 0; k < kPaneCount; ++k) {
            const bool current = k == m_nCurrent;
            if (current) {
                const CPftLayout::Column column{kGap, std::max(width - kGap, 0)};
                const CPftLayout::Column bar = CPftLayout::NameBar(column, kGap);
                m_panes[k].nameBar->setGeometry(bar.x, 0, bar.width, barHeight);
                m_panes[k].edit->setGeometry(column.x, barHeight, column.width, editHeight);
            }
            m_panes[k].nameBar->setVisible(current);
            m_panes[k].edit->setVisible(current);
        }
        m_strip->setGeometry(0, barHeight, kGap, editHeight);
    }
    if (m_opening.edit) {
        CEngagedEdit *shown = m_panes[m_opening.pane].edit;
        m_opening.edit->setGeometry(shown->geometry());
        m_opening.edit->setVisible(shown->isVisibleTo(m_client));
        m_opening.edit->stackUnder(shown);
    }
    if (isOpening()) {
        // Over the right part of the name bar of the pane the file opens into.
        const QLabel *bar = m_panes[m_opening.pane].nameBar;
        const int progressWidth = std::min(bar->width(), std::max(bar->width() * 2 / 5, 160));
        m_openBar->setGeometry(bar->x() + bar->width() - progressWidth, bar->y(), progressWidth,
                               bar->height());
        m_openBar->setVisible(bar->isVisibleTo(m_client));
        m_openBar->raise();
    }
    m_strip->raise();
    UpdateMarker();
}

void CDlgPft::UpdateMarker()
{
    CEngagedEdit *edit = currentEdit();
    const QTextBlock block = edit->textCursor().block();
    if (!block.isValid())
        return;
    const QRect line = edit->cursorRect(QTextCursor(block));
    if (!edit->isVisible() || !edit->viewport()->rect().intersects(line)) {
        m_strip->setMarker(-1, line.height());
        return;
    }
    const QPoint center = edit->viewport()->mapTo(m_client, line.center());
    m_strip->setMarker(center.y() - m_strip->y(), line.height());
}

void CDlgPft::OnFontChanged()
{
    Relayout();
}

bool CDlgPft::ChooseNameFont()
{
    QFont font = m_nameFont;
    quint32 color = m_nameTextColor;
    if (!ChooseFontAndColor(font, color))
        return false;
    m_nameFont = font;
    m_nameTextColor = color;
    ApplyNameBars();
    Relayout();
    return true;
}

void CDlgPft::ChooseNameColor(quint32 &color)
{
    quint32 chosen = color;
    if (!ChooseColor(chosen))
        return;
    color = chosen;
    ApplyNameBars();
}
