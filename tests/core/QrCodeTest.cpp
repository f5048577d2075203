#include "TestFiles.h"
#include "core/CQrCode.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The 7 × 7 finder pattern with its top-left module at (left, top): a dark ring, a light ring,
// a dark 3 × 3 centre.
bool hasFinder(const CQrCode &code, int left, int top)
{
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            const int ring = std::max(std::abs(x - 3), std::abs(y - 3));
            if (code.isDark(left + x, top + y) != (ring != 2))
                return false;
        }
    }
    return true;
}

// The code as a binary PGM image, every module scale pixels wide, with its quiet zone.
QByteArray pgm(const CQrCode &code, int scale)
{
    const int side = (code.size() + 2 * CQrCode::kQuietZone) * scale;
    QByteArray image = "P5\n" + QByteArray::number(side) + ' ' + QByteArray::number(side) + "\n255\n";
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            const bool dark = code.isDark(px / scale - CQrCode::kQuietZone, py / scale - CQrCode::kQuietZone);
            image.append(dark ? '\0' : '\xff');
        }
    }
    return image;
}

} // namespace

class TestQrCode final : public QObject
{
    Q_OBJECT

private slots:
    void shapeOfTheCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("version");
        // Medium correction holds 26 bytes in version 2 and 42 in version 3.
        QTest::newRow("26 bytes: version 2") << u"http://10.0.0.21:8080/live"_qs << 2;
        QTest::newRow("27 bytes: version 3") << u"http://10.0.0.210:8080/live"_qs << 3;
        QTest::newRow("longest IPv4 address with a port") << u"http://255.255.255.255:65535/live"_qs << 3;
    }

    void shapeOfTheCode()
    {
        QFETCH(QString, text);
        QFETCH(int, version);
        const std::optional<CQrCode> code = CQrCode::Encode(text);
        QVERIFY(code);
        QCOMPARE(code->version(), version);
        QCOMPARE(code->size(), 17 + 4 * version);
        // Finder patterns in three corners, none in the fourth; the timing row alternates.
        QVERIFY(hasFinder(*code, 0, 0));
        QVERIFY(hasFinder(*code, code->size() - 7, 0));
        QVERIFY(hasFinder(*code, 0, code->size() - 7));
        QVERIFY(!hasFinder(*code, code->size() - 7, code->size() - 7));
        for (int x = 8; x < code->size() - 8; ++x)
            QCOMPARE(code->isDark(x, 6), x % 2 == 0);
        // Outside the square every module is light (the quiet zone).
        QVERIFY(!code->isDark(-1, 0) && !code->isDark(0, code->size()));
    }

    void readsBackAsTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("address with a port") << u"http://192.0.2.15:8081/live"_qs;
        QTest::newRow("address on port 80") << u"http://198.51.100.7/live"_qs;
        QTest::newRow("text beyond ASCII") << u"http://例え.テスト:8080/live"_qs;
    }

    void readsBackAsTheText()
    {
        QFETCH(QString, text);
        const QString reader = QStandardPaths::findExecutable(u"zbarimg"_qs);
        if (reader.isEmpty())
            QSKIP("zbarimg (Debian: zbar-tools) is not installed; the codes are not read back.");
        const std::optional<CQrCode> code = CQrCode::Encode(text);
        QVERIFY(code);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"code.pgm"_qs);
        writeBytes(path, pgm(*code, 4));

        QProcess zbar;
        zbar.start(reader, {u"--quiet"_qs, u"--raw"_qs, u"-Sbinary"_qs, path});
        QVERIFY(zbar.waitForFinished(30000));
        QCOMPARE(zbar.exitCode(), 0);
        QByteArray read = zbar.readAllStandardOutput();
        if (read.endsWith('\n'))
            read.chop(1);
        QCOMPARE(QString::fromUtf8(read), text);
    }

    void emptyTextGivesNoCode() { QVERIFY(!CQrCode::Encode(QString())); }
};

QTEST_APPLESS_MAIN(TestQrCode)
#include "QrCodeTest.moc"
