#include "FakeCaptionEndpoint.h"
#include "FakeRelayClock.h"
#include "TestHome.h"
#include "core/CDialogs.h"
#include "relay/CDlgCfgRelay.h"
#include "relay/CRelay.h"
#include "relay/CRelaySecrets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// The relay dialog over a running relay: what it shows, what OK keeps and where.
class RelayDialogTest final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CDialogs::reset();
        CDialogs::setScripted(true);
    }
    void cleanup() { CDialogs::reset(); }

    void showsTheTargetsLiveAndKeepsWhatOkSays()
    {
        TestHome home;
        FakeRelayClock clock;
        FakeCaptionEndpoint endpoint;
        QVERIFY(endpoint.start());
        CRelay relay(&clock);
        const RelayTargetSettings youTube{RelayKind::YouTube,
                                          endpoint.url(QStringLiteral("/closedcaption?cid=K")),
                                          QStringLiteral("en-US"), true, 0};
        relay.ApplySettings({youTube});
        const QString path = home.path() + QStringLiteral("/targets.json");
        CDlgCfgRelay dialog(relay, QStringLiteral("ja-JP"), path);

        const CDlgCfgRelay::Row &first = dialog.row(0);
        QCOMPARE(first.url->text(), youTube.url);
        QCOMPARE(first.url->echoMode(), QLineEdit::Password);
        QVERIFY(first.enabled->isChecked());
        QVERIFY(!first.language->isEnabled());
        relay.lineShown(1, QStringLiteral("A"), clock.currentUtc());
        QTRY_VERIFY2(first.status->text().contains(QStringLiteral("200 OK")),
                     qPrintable(first.status->text()));

        // A free row offers the program's language; a URL that is no caption URL is refused.
        const CDlgCfgRelay::Row &second = dialog.row(1);
        QCOMPARE(second.language->text(), QStringLiteral("ja-JP"));
        second.enabled->setChecked(true);
        second.kind->setCurrentIndex(0);
        QVERIFY(second.language->isEnabled());
        second.url->setText(QStringLiteral("wmcc.example/closedcaption?id=1"));
        second.hold->setValue(3.5);
        dialog.accept();
        QCOMPARE(CDialogs::takeAsked().size(), 1);
        QVERIFY(dialog.result() != QDialog::Accepted);
        QVERIFY(!QFileInfo::exists(path));

        second.url->setText(endpoint.url(QStringLiteral("/closedcaption?id=Z&signature=S")));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const QList<RelayTargetSettings> expected{
            youTube, {RelayKind::Zoom, second.url->text(), QStringLiteral("ja-JP"), true, 3500}};
        QCOMPARE(CRelaySecrets::Load(path), expected);
        QCOMPARE(relay.settings(), expected);
    }
};

QTEST_MAIN(RelayDialogTest)
#include "RelayDialogTest.moc"
