#include "TestFiles.h"
#include "ToolWindowBed.h"
#include "config/CConfigGui.h"
#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "logs/CDlgCfgLog.h"
#include "logs/CDlgLog.h"
#include "logs/CDlgSubtitleExport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

// A log viewer whose captions come from the test.
struct Viewer
{
    Viewer()
    {
        dialog = std::make_unique<CDlgLog>(
            bed.host(), [this] { return captions; }, [this] { ++looksStored; });
    }
    QString path(const QString &name) const { return bed.home().path() + u'/' + name; }

    ToolWindowBed bed;
    QString captions;
    int looksStored = 0;
    std::unique_ptr<CDlgLog> dialog;
};

} // namespace

// The log viewer and the log settings dialog.
class LogWindowsTest final : public QObject
{
    Q_OBJECT

private slots:
    void viewerShowsTheCaptionsOnceInTheDisplaysLook()
    {
        Viewer v;
        CConfig &config = v.bed.config();
        config.SetColor(u"main.color.text"_qs, 0x0000ff);
        config.SetColor(u"main.color.background"_qs, 0x102030);
        config.SetInt(u"main.size.x_i"_qs, 500);
        config.SetInt(u"main.size.y_i"_qs, 300);
        config.SetInt(u"main.size.config_i"_qs, 0);
        v.captions = u"first\r\nsecond\r\n"_qs;
        v.dialog->ShowWindow();
        QVERIFY(v.dialog->isShown());
        QCOMPARE(v.dialog->edit()->toPlainText(), u"first\nsecond\n"_qs);
        QCOMPARE(v.looksStored, 1);
        QCOMPARE(v.dialog->edit()->palette().color(QPalette::Text), CConfigGui::toQColor(0x0000ff));
        QCOMPARE(v.dialog->edit()->palette().color(QPalette::Base), CConfigGui::toQColor(0x102030));
        QCOMPARE(v.dialog->geometry().size(), QSize(500, 300));
        // Hidden and shown again: the captions so far, once.
        v.dialog->OnForwardedCommand(CommandId::LogClose);
        QVERIFY(!v.dialog->isShown() && !v.dialog->isVisible());
        QCOMPARE(v.bed.posted(), QList<int>{CommandId::RefreshWindowState});
        v.captions += u"third\r\n"_qs;
        v.dialog->ShowWindow();
        QCOMPARE(v.dialog->edit()->toPlainText(), u"first\nsecond\nthird\n"_qs);
        QVERIFY(!v.dialog->edit()->document()->isModified());
        QCOMPARE(v.dialog->edit()->textCursor().position(), 0);
        // Bottom is the start of the last line.
        v.dialog->OnForwardedCommand(CommandId::LogBottom);
        QCOMPARE(v.dialog->edit()->textCursor().position(), 19);
        v.dialog->OnForwardedCommand(CommandId::LogTop);
        QCOMPARE(v.dialog->edit()->textCursor().position(), 0);
        QVERIFY(CDialogs::takeAsked().isEmpty());
    }

    // The encodings themselves have their own tests; the viewer must save in the one it opened.
    void openAndSaveKeepTheEncoding()
    {
        const QByteArray bytes("\x82\xa0\r\nb");
        Viewer v;
        writeBytes(v.path(u"in.txt"_qs), bytes);
        CDialogs::queuePath(v.path(u"in.txt"_qs));
        QVERIFY(v.dialog->OnLogOpen());
        QCOMPARE(v.dialog->encoding(), 0);
        QCOMPARE(v.dialog->edit()->toPlainText(), u"あ\nb"_qs);
        QCOMPARE(v.dialog->windowTitle(), CStringTable::get(155) + v.path(u"in.txt"_qs));
        CDialogs::queuePath(v.path(u"out.txt"_qs));
        QVERIFY(v.dialog->OnLogSaveAs());
        QCOMPARE(readBytes(v.path(u"out.txt"_qs)), bytes);
        QCOMPARE(v.dialog->path(), v.path(u"out.txt"_qs));
        QVERIFY(!v.dialog->edit()->document()->isModified());
        // The save offered the file's own name.
        QCOMPARE(CDialogs::takeAsked().last().text, v.path(u"in.txt"_qs));
    }

    void unsavedEditsAsked()
    {
        Viewer v;
        writeBytes(v.path(u"other.txt"_qs), "other");
        v.dialog->edit()->setPlainText(u"typed"_qs);
        v.dialog->edit()->document()->setModified(true);
        // Cancel leaves everything as it was, and showing the captions keeps the edits.
        CDialogs::queueAnswer(CDialogs::Answer::Cancel);
        QVERIFY(!v.dialog->OnLogOpen());
        CDialogs::queueAnswer(CDialogs::Answer::Cancel);
        v.dialog->ShowWindow();
        QCOMPARE(v.dialog->edit()->toPlainText(), u"typed"_qs);
        const QList<CDialogs::Message> asked = CDialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.first().buttons, CDialogs::Buttons::YesNoCancel);
        // No drops them.
        CDialogs::queueAnswer(CDialogs::Answer::No);
        CDialogs::queuePath(v.path(u"other.txt"_qs));
        QVERIFY(v.dialog->OnLogOpen());
        QCOMPARE(v.dialog->edit()->toPlainText(), u"other"_qs);
        // Without edits nothing is asked; a new text is saved in UTF-16LE.
        CDialogs::takeAsked();
        QVERIFY(v.dialog->OnLogNew());
        QVERIFY(CDialogs::takeAsked().isEmpty());
        QVERIFY(v.dialog->edit()->toPlainText().isEmpty());
        QCOMPARE(v.dialog->encoding(), 1);
        QCOMPARE(v.dialog->windowTitle(), CStringTable::get(155));
    }

    void settingsStoredOnOkOnly()
    {
        ToolWindowBed bed;
        CConfig &config = bed.config();
        config.SetInt(u"miscellaneous.log.display_i"_qs, 1);
        config.SetInt(u"miscellaneous.log.chat_i"_qs, 0);
        config.SetString(u"miscellaneous.log.folder"_qs, bed.home().path());
        {
            CDlgCfgLog dialog(config);
            dialog.chatCheck()->setChecked(true);
            dialog.reject();
        }
        CDlgCfgLog dialog(config);
        QVERIFY(dialog.displayCheck()->isChecked());
        QVERIFY(!dialog.chatCheck()->isChecked());
        QVERIFY(!dialog.folderChanged());
        dialog.displayCheck()->setChecked(false);
        dialog.chatCheck()->setChecked(true);
        const QString chosen = bed.home().path() + u"/elsewhere"_qs;
        CDialogs::queuePath(chosen);
        dialog.OnChangeFolder();
        QCOMPARE(CDialogs::takeAsked().constFirst().text, bed.home().path());
        QVERIFY(dialog.folderChanged());
        dialog.accept();
        QCOMPARE(config.GetIntOr(u"miscellaneous.log.display_i"_qs, -1), 0);
        QCOMPARE(config.GetIntOr(u"miscellaneous.log.chat_i"_qs, -1), 1);
        QCOMPARE(config.GetStringOr(u"miscellaneous.log.folder"_qs), chosen);
    }

    void subtitleExportAsksForTheFilesAndWrites()
    {
        ToolWindowBed bed;
        const QString transcript = bed.home().path() + u"/log_1_captions.vtt"_qs;
        writeBytes(transcript,
                   "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\na\n\n00:00:02.000 --> 00:00:03.000\nb\n\n");
        CDlgSubtitleExport dialog(bed.home().path());
        // A folder is no transcript: OK asks for one first.
        CDialogs::queuePath(transcript);
        dialog.accept();
        QCOMPARE(dialog.transcriptEdit()->text(), transcript);
        dialog.formatBox()->setCurrentIndex(1);
        dialog.offsetBox()->setValue(-1.5);
        // The save is offered beside the transcript, not over it; cancelling it keeps the dialog.
        dialog.accept();
        QCOMPARE(CDialogs::takeAsked().last().text, bed.home().path() + u"/log_1_captions_export.vtt"_qs);
        QVERIFY(dialog.outputPath().isEmpty());
        const QString out = bed.home().path() + u"/out.vtt"_qs;
        CDialogs::queuePath(out);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(readBytes(out),
                 "WEBVTT\n\n00:00:00.000 --> 00:00:00.500\na\n\n00:00:00.500 --> 00:00:01.500\nb\n\n");
        // A file that is no transcript is refused with a message.
        CDialogs::queuePath(out + u".srt"_qs);
        dialog.transcriptEdit()->setText(bed.home().path() + u"/log_1_captions_export.vtt"_qs);
        writeBytes(dialog.transcriptEdit()->text(), "1\n00:00:01,000 --> 00:00:02,000\na\n");
        dialog.accept();
        QCOMPARE(CDialogs::takeAsked().last().icon, CDialogs::Icon::Warning);
    }

    void openFolderCreatesItOrTellsWhy()
    {
        ToolWindowBed bed;
        const QString folder = bed.home().path() + u"/a/b/logs"_qs;
        bed.config().SetString(u"miscellaneous.log.folder"_qs, folder);
        CDlgCfgLog dialog(bed.config());
        QList<QUrl> opened;
        bool opens = true;
        dialog.setUrlOpener([&](const QUrl &url) {
            opened.append(url);
            return opens;
        });
        QCOMPARE(dialog.OnOpenLogFolder(), 0u);
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
        QVERIFY(CDialogs::takeAsked().isEmpty());

        // A folder cannot be made under a regular file, whoever runs the test.
        const QString file = bed.home().path() + u"/plain.txt"_qs;
        writeBytes(file, "x");
        dialog.folderEdit()->setText(file + u"/logs"_qs);
        QCOMPARE(dialog.OnOpenLogFolder(), CDlgCfgLog::kErrorFileNotFound);
        QCOMPARE(opened.size(), 1);
        QString expected = CStringTable::get(170);
        expected.replace(u"%1!lu!"_qs, u"2"_qs);
        const CDialogs::Message box = CDialogs::takeAsked().constFirst();
        QCOMPARE(box.text, expected);
        QCOMPARE(box.icon, CDialogs::Icon::Warning);
        // The message keeps its line break in the log too.
        QVERIFY(operationLogLines().contains(u"ERROR : "_qs + expected.section(u"\r\n"_qs, 0, 0)));

        // The desktop refusing a folder that exists is reported the same way.
        dialog.folderEdit()->setText(folder);
        opens = false;
        QCOMPARE(dialog.OnOpenLogFolder(), CDlgCfgLog::kErrorNoAssociation);
        QCOMPARE(CDialogs::takeAsked().size(), 1);
    }
};

QTEST_MAIN(LogWindowsTest)
#include "LogWindowsTest.moc"
