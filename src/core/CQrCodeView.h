#pragma once

#include "core/CQrCode.h"

#include <QString>
#include <QWidget>

#include <optional>

// Shows a QR code black on white with its quiet zone, in whole pixels per module, as large as
// the widget allows; without a code it shows a short note instead.
class CQrCodeView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CQrCodeView)

public:
    explicit CQrCodeView(QWidget *parent = nullptr);

    // The text to encode; empty shows the note.
    void setText(const QString &text);
    QString text() const { return m_strText; }
    bool hasCode() const { return m_code.has_value(); }
    void setNote(const QString &note);
    QString note() const { return m_strNote; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_strText;
    QString m_strNote;
    std::optional<CQrCode> m_code;
};
