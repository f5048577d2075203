#pragma once

#include <QLineEdit>

// The contact window's one-line box: Enter hands the line on and empties the box (also when the
// box is empty), Escape clears it.
class CInputChatBox final : public QLineEdit
{
    Q_OBJECT

public:
    explicit CInputChatBox(QWidget *parent = nullptr);

    // The last line handed on.
    QString typedLine() const { return m_strTyped; }

signals:
    void lineEntered(const QString &line);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_strTyped;
};
