#pragma once

#include "logs/CSubtitles.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;

// Subtitles from a caption transcript: the transcript file, SRT or WebVTT, and an offset that
// moves every cue (to line the captions up with a recording that started earlier or later). OK
// asks where to save and writes the file.
class CDlgSubtitleExport final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgSubtitleExport)

public:
    // transcript: the file offered first (the current transcript, or a folder to start in).
    explicit CDlgSubtitleExport(const QString &transcript, QWidget *parent = nullptr);
    ~CDlgSubtitleExport() override;

    // The File menu's and the log viewer's command.
    static void Run(QWidget *owner, const QString &transcript);

    QLineEdit *transcriptEdit() const { return m_transcript; }
    QComboBox *formatBox() const { return m_format; }
    QDoubleSpinBox *offsetBox() const { return m_offset; }
    // The file written by the last OK.
    QString outputPath() const { return m_strOutput; }

public slots:
    void accept() override;
    void reject() override;

private:
    void chooseTranscript();
    CSubtitles::Format format() const;

    QLineEdit *m_transcript = nullptr;
    QPushButton *m_browse = nullptr;
    QComboBox *m_format = nullptr;
    QDoubleSpinBox *m_offset = nullptr;
    QString m_strOutput;
};
