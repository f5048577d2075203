#include "TestHome.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "input/CDlgCfgInput.h"
#include "input/CDlgFKey.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

// The function-key window and the input settings dialog.
class TestFunctionKeys final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void twelveRowsFixedKeysTakeNoCaret_data();
    void twelveRowsFixedKeysTakeNoCaret();
    void phrasesRoundTrip();
    void missingPhraseKeysLeaveBoxes();
    void rowsFollowTheFontHeight();
    void quoteMarksStoredOnOk_data();
    void quoteMarksStoredOnOk();
    void cancelStoresNothing();

private:
    ToolWindowHost host();
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<CConfig> m_config;
    CCustomPalette m_palette;
};

ToolWindowHost TestFunctionKeys::host()
{
    ToolWindowHost result;
    result.config = m_config.get();
    result.palette = &m_palette;
    return result;
}

void TestFunctionKeys::init()
{
    m_home = std::make_unique<TestHome>();
    m_config = std::make_unique<CConfig>();
    m_config->Initialize();
}

void TestFunctionKeys::cleanup()
{
    m_config.reset();
    m_home.reset();
}

void TestFunctionKeys::twelveRowsFixedKeysTakeNoCaret_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("label");
    for (int key = 1; key <= 12; ++key) {
        const bool editable = key < 8 || key > 10;
        QString label = QStringLiteral("F%1").arg(key);
        if (key == 8)
            label = u"F8-行全体をかっこでくくる"_qs;
        else if (key == 9)
            label = u"F9-入力部へ1回分引く(undo)"_qs;
        else if (key == 10)
            label = u"F10-Windows用"_qs;
        QTest::newRow(qPrintable(QStringLiteral("F%1").arg(key))) << key << editable << label;
    }
}

void TestFunctionKeys::twelveRowsFixedKeysTakeNoCaret()
{
    QFETCH(int, key);
    QFETCH(bool, editable);
    QFETCH(QString, label);
    CDlgFKey window(host());
    QLineEdit *box = window.box(key);
    QVERIFY(box);
    QCOMPARE(box->isEnabled(), editable);
    QCOMPARE(box->isReadOnly(), !editable);
    QCOMPARE(box->focusPolicy() != Qt::NoFocus, editable);
    QCOMPARE(window.label(key)->toolTip(), label);
    QCOMPARE(CDlgFKey::isEditableKey(key), editable);
}

void TestFunctionKeys::phrasesRoundTrip()
{
    for (int key = 1; key <= 12; ++key)
        m_config->SetString(CDlgFKey::phraseKey(key), QStringLiteral("phrase %1").arg(key));
    QCOMPARE(CDlgFKey::phraseKey(1), QStringLiteral("fkey.string.01"));
    QCOMPARE(CDlgFKey::phraseKey(12), QStringLiteral("fkey.string.12"));
    CDlgFKey window(host());
    window.CopyConfigToWindow();
    for (int key = 1; key <= 12; ++key)
        QCOMPARE(window.phrase(key), QStringLiteral("phrase %1").arg(key));

    // The fixed keys' text goes back too, though nobody can type in it.
    window.box(2)->setText(u"よろしく"_qs);
    m_config->Initialize();
    window.CopyWindowToConfig();
    QString value;
    QVERIFY(m_config->GetString(QStringLiteral("fkey.string.02"), value));
    QCOMPARE(value, u"よろしく"_qs);
    QVERIFY(m_config->GetString(QStringLiteral("fkey.string.09"), value));
    QCOMPARE(value, QStringLiteral("phrase 9"));
}

void TestFunctionKeys::missingPhraseKeysLeaveBoxes()
{
    // Default store: every phrase empty.
    CDlgFKey window(host());
    window.box(4)->setText(QStringLiteral("kept"));
    window.CopyConfigToWindow();
    QCOMPARE(window.phrase(4), QString());
    QCOMPARE(window.phrase(0), QString());
    QCOMPARE(window.phrase(13), QString());
}

void TestFunctionKeys::rowsFollowTheFontHeight()
{
    CDlgFKey window(host());
    window.CopyConfigToWindow();
    window.resize(300, 400);
    QVERIFY(window.Relayout());
    const int pitch = window.box(1)->height();
    QCOMPARE(pitch % 2, 0);
    QVERIFY(pitch >= QFontMetrics(window.box(1)->font()).height());
    for (int key = 1; key <= 12; ++key) {
        const QRect box = window.box(key)->geometry();
        QCOMPARE(box.top(), (key - 1) * pitch);
        QCOMPARE(box.height(), pitch);
        QCOMPARE(box.right(), window.width() - 1);
        // Each label sits in the middle of its row.
        const QRect label = window.label(key)->geometry();
        QVERIFY(qAbs(label.center().y() - box.center().y()) <= 1);
        QCOMPARE(label.height() % 2, 0);
    }

    // A larger font spreads the rows at once.
    QFont font = window.boxFont();
    font.setPointSizeF(font.pointSizeF() * 2);
    window.setBoxFont(font);
    QVERIFY(window.box(1)->height() > pitch);
    QCOMPARE(window.box(12)->geometry().top(), 11 * window.box(1)->height());
}

void TestFunctionKeys::quoteMarksStoredOnOk_data()
{
    QTest::addColumn<QStringList>("marks");
    QTest::newRow("brackets") << QStringList{u"【"_qs, u"】"_qs, u"《"_qs, u"》"_qs};
    QTest::newRow("empty") << QStringList{QString(), QString(), QString(), QString()};
    QTest::newRow("long") << QStringList{QStringLiteral("<<"), QStringLiteral(">>"), QStringLiteral("("),
                                         QString()};
}

void TestFunctionKeys::quoteMarksStoredOnOk()
{
    QFETCH(QStringList, marks);
    CDlgCfgInput dialog(*m_config);
    // The stored defaults are shown.
    QCOMPARE(dialog.mark(0)->text(), u"「"_qs);
    QCOMPARE(dialog.mark(1)->text(), u"」"_qs);
    QCOMPARE(dialog.mark(2)->text(), u"（"_qs);
    QCOMPARE(dialog.mark(3)->text(), u"）"_qs);
    for (int i = 0; i < 4; ++i)
        dialog.mark(i)->setText(marks.at(i));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QStringList keys = {QStringLiteral("input.quote.1.begin"), QStringLiteral("input.quote.1.end"),
                              QStringLiteral("input.quote.2.begin"), QStringLiteral("input.quote.2.end")};
    for (int i = 0; i < 4; ++i) {
        QString value = QStringLiteral("unset");
        QVERIFY(m_config->GetString(keys.at(i), value));
        QCOMPARE(value, marks.at(i));
    }
    const QStringList log = operationLogLines();
    QVERIFY(log.contains(QStringLiteral("CDlgCfgInput::OnInitDialog() begins.")));
    QVERIFY(log.contains(QStringLiteral("DlgCfgInput : Quote %1-%2 , %3-%4")
                             .arg(marks.at(0), marks.at(1), marks.at(2), marks.at(3))));
    QCOMPARE(log.last(), QStringLiteral("CDlgCfgInput finished by [OK]."));
}

void TestFunctionKeys::cancelStoresNothing()
{
    CDlgCfgInput dialog(*m_config);
    dialog.mark(0)->setText(u"【"_qs);
    dialog.reject();
    QString value;
    QVERIFY(m_config->GetString(QStringLiteral("input.quote.1.begin"), value));
    QCOMPARE(value, u"「"_qs);
    QCOMPARE(operationLogLines().last(), QStringLiteral("CDlgCfgInput finished by [cancel]."));
}

QTEST_MAIN(TestFunctionKeys)
#include "test_function_keys.moc"
