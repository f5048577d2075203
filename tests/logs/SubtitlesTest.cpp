#include "TestFiles.h"
#include "logs/CSubtitles.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Cues = QList<SubtitleCue>;

const Cues kCues{
    {0, 1500, u"こんにちは"_qs}, {1500, 3000, u"a <b> & c\n\n2行目"_qs}, {3723004, 3733004, u"x --> y"_qs}};

} // namespace

// The transcript's format read back, and its exports: what a player or editor gets.
class SubtitlesTest final : public QObject
{
    Q_OBJECT

private slots:
    void webVttReadBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Cues>("cues");
        QTest::newRow("as written, with the header's note")
            << CSubtitles::WebVttHeader(QDateTime(QDate(2024, 3, 5), QTime(23, 59), Qt::UTC)) +
                   CSubtitles::WebVttCue(kCues[0]) + CSubtitles::WebVttCue(kCues[1]) +
                   CSubtitles::WebVttCue(kCues[2])
            << Cues{kCues[0], {1500, 3000, u"a <b> & c\n2行目"_qs}, kCues[2]};
        QTest::newRow("another program's: BOM, CR LF, ids, minutes only, settings, notes")
            << QStringLiteral(
                   "\uFEFFWEBVTT - title\r\n\r\nSTYLE\r\n::cue { color: red }\r\n\r\nNOTE a\r\nb\r\n\r\n"
                   "id1\r\n00:01.250 --> 00:02.000 align:start\r\nA\r\n\r\n"
                   "01:00:00.000 --> 01:00:01.000\r\nB\r\nC\r\n")
            << Cues{{1250, 2000, u"A"_qs}, {3600000, 3601000, u"B\nC"_qs}};
        QTest::newRow("broken timing skipped") << QStringLiteral("WEBVTT\n\n00:01.2 --> 00:02.000\nA\n\n"
                                                                 "00:00:01.000 -> 00:00:02.000\nB\n\n"
                                                                 "00:00:03.000 --> 00:00:04.000\nC\n")
                                               << Cues{{3000, 4000, u"C"_qs}};
    }

    void webVttReadBack()
    {
        QFETCH(QString, text);
        QFETCH(Cues, cues);
        bool ok = false;
        QCOMPARE(CSubtitles::ParseWebVtt(text, &ok), cues);
        QVERIFY(ok);
    }

    void notWebVttRefused()
    {
        bool ok = true;
        QVERIFY(CSubtitles::ParseWebVtt(u"1\n00:00:01,000 --> 00:00:02,000\nA\n"_qs, &ok).isEmpty());
        QVERIFY(!ok);
    }

    void shifted_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<Cues>("cues");
        QTest::newRow("later") << qint64(2000)
                               << Cues{{2000, 3500, kCues[0].text},
                                       {3500, 5000, kCues[1].text},
                                       {3725004, 3735004, kCues[2].text}};
        QTest::newRow("earlier: ends before 0 dropped, starts before 0 clamped")
            << qint64(-2000) << Cues{{0, 1000, kCues[1].text}, {3721004, 3731004, kCues[2].text}};
        QTest::newRow("earlier: ends exactly at 0 dropped")
            << qint64(-3000) << Cues{{3720004, 3730004, kCues[2].text}};
    }

    void shifted()
    {
        QFETCH(qint64, offset);
        QFETCH(Cues, cues);
        QCOMPARE(CSubtitles::Shifted(kCues, offset), cues);
    }

    void srtText()
    {
        QCOMPARE(CSubtitles::ToText(kCues.mid(1), CSubtitles::Format::Srt),
                 QStringLiteral("1\r\n00:00:01,500 --> 00:00:03,000\r\na <b> & c\r\n2行目\r\n\r\n"
                                "2\r\n01:02:03,004 --> 01:02:13,004\r\nx --> y\r\n\r\n"));
    }

    // A real subtitle parser reads both exports with the shifted times.
    void exportsReadByFfmpeg_data()
    {
        QTest::addColumn<CSubtitles::Format>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("SRT") << CSubtitles::Format::Srt << u"out.srt"_qs;
        QTest::newRow("WebVTT") << CSubtitles::Format::WebVtt << u"out.vtt"_qs;
    }

    void exportsReadByFfmpeg()
    {
        QFETCH(CSubtitles::Format, format);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString transcript = dir.filePath(u"log_captions.vtt"_qs);
        writeBytes(transcript, CSubtitles::ToText(kCues, CSubtitles::Format::WebVtt).toUtf8());
        QString error;
        QVERIFY2(CSubtitles::Export(transcript, dir.filePath(name), format, -500, &error), qPrintable(error));
        QVERIFY(!CSubtitles::Export(dir.filePath(u"none.vtt"_qs), dir.filePath(name), format, 0));

        const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_qs);
        if (ffmpeg.isEmpty())
            QSKIP("ffmpeg is not installed here: the exports were not checked with a real parser");
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(ffmpeg, {u"-v"_qs, u"error"_qs, u"-i"_qs, name, u"out.ass"_qs});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const QString ass = QString::fromUtf8(readBytes(dir.filePath(u"out.ass"_qs)));
        const QStringList dialogue = ass.split(u'\n').filter(u"Dialogue:"_qs);
        QCOMPARE(dialogue.size(), 3);
        QVERIFY2(dialogue[0].contains(u"0:00:00.00,0:00:01.00"_qs) && dialogue[0].contains(u"こんにちは"_qs),
                 qPrintable(dialogue[0]));
        QVERIFY2(dialogue[1].contains(u"0:00:01.00,0:00:02.50"_qs), qPrintable(dialogue[1]));
        QVERIFY2(dialogue[2].contains(u"1:02:02.50,1:02:12.50"_qs) && dialogue[2].contains(u"x --> y"_qs),
                 qPrintable(dialogue[2]));
    }
};

QTEST_APPLESS_MAIN(SubtitlesTest)
#include "SubtitlesTest.moc"
