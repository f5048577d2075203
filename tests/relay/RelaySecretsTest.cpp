#include "TestFiles.h"
#include "TestHome.h"
#include "relay/CRelaySecrets.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

int fileMode(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

} // namespace

class RelaySecretsTest final : public QObject
{
    Q_OBJECT

private slots:
    void privateFile_data();
    void privateFile();
    void damagedFileGivesNoTargets_data();
    void damagedFileGivesNoTargets();
};

void RelaySecretsTest::privateFile_data()
{
    QTest::addColumn<int>("modeBefore"); // -1: no file yet
    QTest::addColumn<bool>("saveFirst");

    QTest::newRow("new file") << -1 << true;
    QTest::newRow("readable by others, saved") << 0644 << true;
    QTest::newRow("writable by others, loaded") << 0666 << false;
}

void RelaySecretsTest::privateFile()
{
    QFETCH(int, modeBefore);
    QFETCH(bool, saveFirst);

    TestHome home;
    const QString path = CRelaySecrets::DefaultPath();
    QList<RelayTargetSettings> targets(2);
    targets[0] = {RelayKind::Zoom, QStringLiteral("https://z.example/closedcaption?id=1&signature=S"),
                  QStringLiteral("ja-JP"), true, 0};
    targets[1] = {
        RelayKind::YouTube, QStringLiteral("http://y.example/closedcaption?cid=K"), {}, false, 10000};
    if (modeBefore >= 0) {
        QDir().mkpath(home.settingsFolder());
        writeBytes(path, CRelaySecrets::ToJson(targets));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(modeBefore)) == 0);
    }
    if (saveFirst)
        QVERIFY(CRelaySecrets::Save(targets));
    QCOMPARE(CRelaySecrets::Load(), targets);
    QCOMPARE(fileMode(path), 0600);
    // Only the file itself in the folder: no temporary copy left behind.
    QCOMPARE(QDir(home.settingsFolder()).entryList({QStringLiteral("relay*")}, QDir::Files | QDir::Hidden),
             QStringList{QString::fromLatin1(CRelaySecrets::kFileName)});
}

void RelaySecretsTest::damagedFileGivesNoTargets_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("count");

    QTest::newRow("not json") << QByteArray("{targets") << 0;
    QTest::newRow("unknown kind skipped") << QByteArray(R"({"targets":[{"kind":"vimeo","url":"x"},
        {"kind":"zoom","url":"https://z.example/closedcaption?id=1"}]})")
                                          << 1;
    QTest::newRow("five kept as four") << QByteArray(R"({"targets":[{"kind":"zoom"},{"kind":"zoom"},
        {"kind":"zoom"},{"kind":"zoom"},{"kind":"zoom"}]})")
                                       << 4;
}

void RelaySecretsTest::damagedFileGivesNoTargets()
{
    QFETCH(QByteArray, json);
    QFETCH(int, count);

    QCOMPARE(CRelaySecrets::FromJson(json).size(), count);
    // A hold time out of bounds keeps the default.
    const auto targets = CRelaySecrets::FromJson(R"({"targets":[{"kind":"youtube","hold_ms":10001}]})");
    QCOMPARE(targets.value(0).holdMs, RelayTargetSettings::kDefaultHoldMs);
}

QTEST_GUILESS_MAIN(RelaySecretsTest)
#include "RelaySecretsTest.moc"
