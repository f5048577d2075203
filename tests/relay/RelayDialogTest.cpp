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
        const RelayTargetSettings youTube{RelayKind::YouTube, endpoint.url(u"/closedcaption?cid=K"_qs),
                                          u"en-US"_qs, true, 0};
        relay.ApplySettings({youTube});
        const QString path = home.path() + u"/targets.json"_qs;
        CDlgCfgRelay dialog(relay, u"ja-JP"_qs, path);

        const CDlgCfgRelay::Row &first = dialog.row(0);
        QCOMPARE(first.url->text(), youTube.url);
        QCOMPARE(first.url->echoMode(), QLineEdit::Password);
        QVERIFY(first.enabled->isChecked());
        QVERIFY(!first.language->isEnabled());
        relay.lineShown(1, u"A"_qs, clock.currentUtc());
        QTRY_VERIFY2(first.status->text().contains(u"200 OK"_qs), qPrintable(first.status->text()));

        // A free row offers the program's language; a URL that is no caption URL is refused.
        const CDlgCfgRelay::Row &second = dialog.row(1);
        QCOMPARE(second.language->text(), u"ja-JP"_qs);
        second.enabled->setChecked(true);
        second.kind->setCurrentIndex(0);
        QVERIFY(second.language->isEnabled());
        second.url->setText(u"wmcc.example/closedcaption?id=1"_qs);
        second.hold->setValue(3.5);
        dialog.accept();
        QCOMPARE(CDialogs::takeAsked().size(), 1);
        QVERIFY(dialog.result() != QDialog::Accepted);
        QVERIFY(!QFileInfo::exists(path));

        second.url->setText(endpoint.url(u"/closedcaption?id=Z&signature=S"_qs));
        second.hold->setValue(0);
        CRelayTarget *kept = relay.target(0);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const QList<RelayTargetSettings> expected{
            youTube, {RelayKind::Zoom, second.url->text(), u"ja-JP"_qs, true, 0}};
        QCOMPARE(CRelaySecrets::Load(path), expected);
        QCOMPARE(relay.settings(), expected);
        // The unchanged target carries on with its seq; a line goes to both.
        QCOMPARE(relay.target(0), kept);
        relay.lineShown(2, u"B"_qs, clock.currentUtc());
        QTRY_COMPARE_WITH_TIMEOUT(endpoint.acceptedSeqs().size(), 3, 10000);
        QStringList targets;
        for (const CapturedRequest &post : endpoint.posts())
            targets.append(QString::fromLatin1(post.target));
        targets.sort();
        QCOMPARE(targets, (QStringList{u"/closedcaption?cid=K&seq=1"_qs, u"/closedcaption?cid=K&seq=2"_qs,
                                       u"/closedcaption?id=Z&signature=S&seq=1&lang=ja-JP"_qs}));

        // A new URL makes a new target; switching off keeps the target, stopped; an emptied row goes.
        CRelayTarget *zoom = relay.target(1);
        relay.ApplySettings(relay.settings() << youTube);
        CDlgCfgRelay again(relay, u"ja-JP"_qs, path);
        again.row(0).url->setText(youTube.url + u"2"_qs);
        again.row(1).enabled->setChecked(false);
        again.row(2).url->clear();
        again.accept();
        QCOMPARE(relay.targetCount(), 2);
        QVERIFY(relay.target(0) != kept);
        QCOMPARE(relay.target(0)->settings().url, youTube.url + u"2"_qs);
        QCOMPARE(relay.target(1), zoom);
        QCOMPARE(zoom->state(), RelayState::Stopped);
    }
};

QTEST_MAIN(RelayDialogTest)
#include "RelayDialogTest.moc"
