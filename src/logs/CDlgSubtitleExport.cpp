#include "logs/CDlgSubtitleExport.h"

#include "core/CDialogs.h"
#include "core/OperationLog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

CDlgSubtitleExport::CDlgSubtitleExport(const QString &transcript, QWidget *parent) : QDialog(parent)
{
    WriteLog(QStringLiteral("CDlgSubtitleExport::OnInitDialog() begins."));
    setWindowTitle(tr("字幕ファイルに書き出す"));
    m_transcript = new QLineEdit(transcript, this);
    m_transcript->setMinimumWidth(360);
    m_browse = new QPushButton(tr("参照..."), this);
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this, &CDlgSubtitleExport::chooseTranscript);
    auto *file = new QHBoxLayout;
    file->addWidget(m_transcript);
    file->addWidget(m_browse);
    m_format = new QComboBox(this);
    m_format->addItems({tr("SRT (.srt)"), tr("WebVTT (.vtt)")});
    m_offset = new QDoubleSpinBox(this);
    m_offset->setRange(-86400.0, 86400.0);
    m_offset->setDecimals(3);
    m_offset->setSuffix(tr(" 秒"));

    auto *form = new QFormLayout;
    form->addRow(tr("字幕の記録 (.vtt)"), file);
    form->addRow(tr("形式"), m_format);
    form->addRow(tr("時刻をずらす"), m_offset);
    auto *hint = new QLabel(tr("録画が最初の字幕より N 秒前に始まったときは +N 秒にします。0 秒より前に"
                               "なる字幕は、終わりも 0 秒より前なら省き、そうでなければ 0 秒から始めます。"),
                            this);
    hint->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("書き出す..."));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSubtitleExport::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgSubtitleExport::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    WriteLog(QStringLiteral("CDlgSubtitleExport::OnInitDialog() finished."));
}

CDlgSubtitleExport::~CDlgSubtitleExport() = default;

void CDlgSubtitleExport::Run(QWidget *owner, const QString &transcript)
{
    CDlgSubtitleExport(transcript, owner).exec();
}

CSubtitles::Format CDlgSubtitleExport::format() const
{
    return m_format->currentIndex() == 0 ? CSubtitles::Format::Srt : CSubtitles::Format::WebVtt;
}

void CDlgSubtitleExport::chooseTranscript()
{
    CDialogs::FileRequest request;
    request.filters = QStringList{tr("字幕の記録 (*.vtt)"), tr("すべてのファイル (*)")};
    request.selection = m_transcript->text();
    const QString path = CDialogs::chooseFile(this, request);
    if (!path.isEmpty())
        m_transcript->setText(path);
}

void CDlgSubtitleExport::accept()
{
    const QString transcript = m_transcript->text();
    if (!QFileInfo(transcript).isFile()) {
        chooseTranscript();
        return;
    }
    const bool srt = format() == CSubtitles::Format::Srt;
    const QString suffix = srt ? QStringLiteral("srt") : QStringLiteral("vtt");
    CDialogs::FileRequest request;
    request.save = true;
    request.filters = QStringList{srt ? tr("SRT (*.srt)") : tr("WebVTT (*.vtt)")};
    request.defaultSuffix = suffix;
    // Beside the transcript, never over it.
    request.selection =
        transcript.section(u'.', 0, -2) + (srt ? QString() : QStringLiteral("_export")) + u'.' + suffix;
    const QString output = CDialogs::chooseFile(this, request);
    if (output.isEmpty())
        return;
    QString error;
    const qint64 offsetMs = std::llround(m_offset->value() * 1000.0);
    if (QFileInfo(output) == QFileInfo(transcript) ||
        !CSubtitles::Export(transcript, output, format(), offsetMs, &error)) {
        CDialogs::tell(this, CDialogs::Icon::Warning, windowTitle(),
                       tr("書き出せませんでした。") + u'\n' + (error.isEmpty() ? output : error));
        WriteLog(QStringLiteral("CDlgSubtitleExport failed: ") + error);
        return;
    }
    m_strOutput = output;
    WriteLog(QStringLiteral("CDlgSubtitleExport wrote ") + output);
    WriteLog(QStringLiteral("CDlgSubtitleExport finished by [OK]."));
    QDialog::accept();
}

void CDlgSubtitleExport::reject()
{
    WriteLog(QStringLiteral("CDlgSubtitleExport finished by [cancel]."));
    QDialog::reject();
}
