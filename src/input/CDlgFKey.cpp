#include "input/CDlgFKey.h"

#include "config/CConfig.h"
#include "core/CommandIds.h"
#include "core/OperationLog.h"
#include "input/CFunctionKeyRules.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>

#include <utility>

namespace {

// The labels of the keys, F1 first.
const char *const kLabels[CDlgFKey::kKeyCount] = {
    QT_TRANSLATE_NOOP("CDlgFKey", "F1"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F2"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F3"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F4"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F5"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F6"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F7"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F8-行全体をかっこでくくる"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F9-入力部へ1回分引く(undo)"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F10-Windows用"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F11"),
    QT_TRANSLATE_NOOP("CDlgFKey", "F12"),
};

constexpr int kLabelLeft = 2;

} // namespace

CDlgFKey::CDlgFKey(ToolWindowHost host, QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("fkey"), CommandId::FunctionKeysFont,
                  CommandId::FunctionKeysBackground, parent)
{
    setWindowTitle(QCoreApplication::translate("CDlgFKey", "Fキー (CTRL+F)"));
    for (int i = 0; i < kKeyCount; ++i) {
        const int key = i + 1;
        const QString text = QCoreApplication::translate("CDlgFKey", kLabels[i]);
        // The column is as wide as "F12"; the fixed meanings stand in their boxes instead.
        const qsizetype dash = text.indexOf(QLatin1Char('-'));
        auto *label = new QLabel(dash < 0 ? text : text.left(dash), this);
        label->setToolTip(text);
        label->setAccessibleName(text);
        auto *box = new QLineEdit(this);
        box->setAccessibleName(text);
        if (!isEditableKey(key)) {
            box->setReadOnly(true);
            box->setEnabled(false);
            box->setFocusPolicy(Qt::NoFocus);
            if (dash >= 0)
                box->setPlaceholderText(text.mid(dash + 1));
        }
        label->setBuddy(box);
        extendContextMenu(box);
        m_labels[static_cast<size_t>(i)] = label;
        m_boxes[static_cast<size_t>(i)] = box;
        addStyledWidget(box);
    }
    m_nLabelWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("F12")) + 6;
    Relayout();
}

CDlgFKey::~CDlgFKey()
{
    CopyWindowToConfig();
}

QLineEdit *CDlgFKey::box(int key) const
{
    return key >= 1 && key <= kKeyCount ? m_boxes[static_cast<size_t>(key - 1)] : nullptr;
}

QLabel *CDlgFKey::label(int key) const
{
    return key >= 1 && key <= kKeyCount ? m_labels[static_cast<size_t>(key - 1)] : nullptr;
}

QString CDlgFKey::phrase(int key) const
{
    const QLineEdit *edit = box(key);
    return edit ? edit->text() : QString();
}

void CDlgFKey::CopyConfigToWindow()
{
    CToolWindow::CopyConfigToWindow();
    if (!config())
        return;
    for (int key = 1; key <= kKeyCount; ++key) {
        QString text;
        if (config()->GetString(CFunctionKeyRules::PhraseKey(key), text))
            box(key)->setText(text);
    }
}

void CDlgFKey::CopyWindowToConfig()
{
    CToolWindow::CopyWindowToConfig();
    if (!config())
        return;
    for (int key = 1; key <= kKeyCount; ++key)
        config()->SetString(CFunctionKeyRules::PhraseKey(key), phrase(key));
}

bool CDlgFKey::Relayout()
{
    QLineEdit *first = m_boxes[0];
    const int textHeight = QFontMetrics(first->font()).height();
    if (textHeight <= 0) {
        WriteLog(QStringLiteral("CDlgFKey::GetEditTextMetrics() failed."));
        return false;
    }
    // The box's frame: its height beyond one line of text.
    const int frame = std::max(0, first->sizeHint().height() - textHeight);
    const int pitchRaw = textHeight + frame + 2;
    const int pitch = pitchRaw & ~1;
    const int half = pitchRaw / 2;
    const int boxLeft = kLabelLeft + m_nLabelWidth;
    int top = 0;
    for (int i = 0; i < kKeyCount; ++i) {
        QLabel *label = m_labels[static_cast<size_t>(i)];
        const int labelHeight = label->sizeHint().height() & ~1;
        label->setGeometry(kLabelLeft, top + half - labelHeight / 2, m_nLabelWidth, labelHeight);
        m_boxes[static_cast<size_t>(i)]->setGeometry(boxLeft, top, std::max(0, width() - boxLeft), pitch);
        top += pitch;
    }
    update();
    return true;
}

void CDlgFKey::OnFontChanged()
{
    Relayout();
}

void CDlgFKey::resizeEvent(QResizeEvent *event)
{
    CToolWindow::resizeEvent(event);
    Relayout();
}
