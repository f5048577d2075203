// The program started with a settings file that is no settings file: random bytes of every size,
// a byte-order mark or a section header followed by noise, and real keys with random values. It
// must start, keep the defaults (or values within bounds), say in its log what it read, and end
// cleanly.
#include "MainWindowTestSupport.h"
#include "TestHome.h"

#include "app/CAppRunner.h"
#include "app/CMainWindow.h"
#include "config/CConfig.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTest>

namespace {

enum class Shape
{
    Bytes,
    Utf16Noise,
    HeaderThenBytes,
    KeysWithNoise
};

QByteArray randomBytes(QRandomGenerator &random, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// Random values of printable and control characters, digits and signs, for every registered key.
QByteArray keysWithNoise(QRandomGenerator &random, const QStringList &keys)
{
    static const QString pieces[] = {QStringLiteral("-"),  QStringLiteral("999999999999"),
                                     QStringLiteral("0x"), QStringLiteral("\""),
                                     QStringLiteral(" "),  QStringLiteral("=")};
    QString text = QStringLiteral("[tavrin]\r\n");
    for (const QString &key : keys) {
        QString value;
        const int parts = static_cast<int>(random.bounded(6));
        for (int i = 0; i < parts; ++i) {
            if (random.bounded(2))
                value += pieces[random.bounded(6)];
            else
                value += QChar(static_cast<char16_t>(0x20 + random.bounded(0x3000)));
        }
        if (random.bounded(8) == 0)
            value = QString(300, u'9'); // longer than any value is read
        text += key + u'=' + value + QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xFF\xFE") + utf16(text);
}

CAppRunner::Options testOptions(FakeAdapters &adapters)
{
    CAppRunner::Options options;
    options.adapters = &adapters;
    options.handleSignals = false;
    options.prepare = [](CMainWindow &window) {
        window.setLoginDialog([](QWidget *, const QList<AdapterEntry> &, CConfig &) { return -1; });
    };
    options.abnormalNotice = [](const QString &, const QString &) {};
    return options;
}

QString value(const CConfig &config, const QString &key)
{
    QString text;
    config.GetString(key, text);
    return text;
}

} // namespace

class TestStartupDamagedSettings final : public QObject
{
    Q_OBJECT

private slots:
    void startsWithDefaults_data();
    void startsWithDefaults();
};

void TestStartupDamagedSettings::startsWithDefaults_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<quint32>("seed");

    QTest::newRow("empty") << int(Shape::Bytes) << qsizetype(0) << 1u;
    QTest::newRow("1 byte") << int(Shape::Bytes) << qsizetype(1) << 2u;
    QTest::newRow("2 bytes") << int(Shape::Bytes) << qsizetype(2) << 3u;
    QTest::newRow("17 bytes") << int(Shape::Bytes) << qsizetype(17) << 4u;
    QTest::newRow("4 KiB") << int(Shape::Bytes) << qsizetype(4096) << 5u;
    QTest::newRow("64 KiB") << int(Shape::Bytes) << qsizetype(65536) << 6u;
    QTest::newRow("1 MiB") << int(Shape::Bytes) << qsizetype(1 << 20) << 7u;
    QTest::newRow("1 MiB, other seed") << int(Shape::Bytes) << qsizetype(1 << 20) << 8u;
    QTest::newRow("UTF-16 mark, 64 KiB noise") << int(Shape::Utf16Noise) << qsizetype(65536) << 9u;
    QTest::newRow("section header, 1 MiB noise") << int(Shape::HeaderThenBytes) << qsizetype(1 << 20) << 10u;
    QTest::newRow("every key, noisy values") << int(Shape::KeysWithNoise) << qsizetype(0) << 11u;
    QTest::newRow("every key, other noise") << int(Shape::KeysWithNoise) << qsizetype(0) << 12u;
}

void TestStartupDamagedSettings::startsWithDefaults()
{
    QFETCH(int, shape);
    QFETCH(qsizetype, size);
    QFETCH(quint32, seed);
    TestHome home;
    QRandomGenerator random(seed);
    const CConfig defaults;

    QByteArray bytes;
    switch (static_cast<Shape>(shape)) {
    case Shape::Bytes:
        bytes = randomBytes(random, size);
        break;
    case Shape::Utf16Noise:
        bytes = QByteArrayLiteral("\xFF\xFE") + randomBytes(random, size);
        break;
    case Shape::HeaderThenBytes:
        bytes =
            QByteArrayLiteral("\xFF\xFE") + utf16(QStringLiteral("[tavrin]\r\n")) + randomBytes(random, size);
        break;
    case Shape::KeysWithNoise:
        bytes = keysWithNoise(random, defaults.GetKeys());
        break;
    }
    const QString path = home.path() + QStringLiteral("/damaged.tvn");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    // The program's own defaults: a start without any settings file.
    QHash<QString, QString> started;
    {
        FakeAdapters adapters;
        CAppRunner plain(testOptions(adapters));
        QVERIFY(plain.Start(QString()));
        for (const QString &key : defaults.GetKeys())
            started.insert(key, value(plain.mainWindow()->config(), key));
        QCOMPARE(plain.Finish(0), 0);
    }

    FakeAdapters adapters;
    CAppRunner runner(testOptions(adapters));
    QVERIFY(runner.Start(path));
    const CConfig &config = runner.mainWindow()->config();

    const QStringList log = operationLogLines();
    QVERIFY(log.contains(QStringLiteral("CMainWindow::SetCmdLine() finishes. filename=") + path));
    if (static_cast<Shape>(shape) == Shape::KeysWithNoise) {
        // Whatever was taken lies within its bounds; the log says how much was refused.
        for (const QString &key : defaults.GetKeys()) {
            int max = 0;
            int number = 0;
            if (key.endsWith(QStringLiteral("_i")) && config.GetMax(key, max) && config.GetInt(key, number))
                QVERIFY2(number <= max, qPrintable(key + u'=' + value(config, key)));
            if (!key.endsWith(QStringLiteral("_i")) && config.GetMax(key, max))
                QVERIFY2(value(config, key).size() <= max, qPrintable(key));
        }
        // Values that are empty or hold no number count as not found.
        const QString foundPrefix = QStringLiteral("CConfig::LoadFromFile() settings found in the file : ");
        int found = -1;
        for (const QString &line : log) {
            if (line.startsWith(foundPrefix))
                found = line.mid(foundPrefix.size()).toInt();
        }
        QVERIFY(found > defaults.GetKeys().size() / 2 && found <= defaults.GetKeys().size());
        bool refusedLogged = false;
        for (const QString &line : log)
            refusedLogged |= line.startsWith(
                QStringLiteral("CConfig::LoadFromFile() settings out of bounds, defaults kept : "));
        QVERIFY(refusedLogged);
    } else {
        // Nothing readable: every setting at its default, and the log says nothing was found.
        for (const QString &key : defaults.GetKeys())
            QVERIFY2(value(config, key) == started.value(key), qPrintable(key + u'=' + value(config, key)));
        QVERIFY(log.contains(QStringLiteral("CConfig::LoadFromFile() settings found in the file : 0")));
    }
    QCOMPARE(runner.Finish(0), 0);
}

QTEST_MAIN(TestStartupDamagedSettings)
#include "test_startup_damaged_settings.moc"
