#pragma once

#include "input/CToolWindow.h"
#include "input/IFunctionKeyPhrases.h"

#include <array>

class QLabel;
class QLineEdit;

// The function-key window: one phrase box per function key. F1-F7, F11 and F12 insert their
// phrase in the input window; F8, F9 and F10 have fixed meanings and their boxes take no caret.
// Settings prefix "fkey"; the phrases are "fkey.string.01" ... "fkey.string.12".
class CDlgFKey final : public CToolWindow, public IFunctionKeyPhrases
{
    Q_OBJECT

public:
    static constexpr int kKeyCount = 12;

    explicit CDlgFKey(ToolWindowHost host, QWidget *parent = nullptr);
    ~CDlgFKey() override;

    // IFunctionKeyPhrases
    QString phrase(int key) const override;
    // Whether a key's box can be edited (F8, F9 and F10 cannot).
    static bool isEditableKey(int key) { return key < 8 || key > 10; }

    QLineEdit *box(int key) const;
    QLabel *label(int key) const;

    void CopyConfigToWindow() override;
    void CopyWindowToConfig() override;

    // Places the rows by the font's line height; false when it cannot be measured.
    bool Relayout();

protected:
    void OnFontChanged() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    std::array<QLineEdit *, kKeyCount> m_boxes{};
    std::array<QLabel *, kKeyCount> m_labels{};
    int m_nLabelWidth = 0;
};
