#include "MainWindowTestSupport.h"
#include "TestHome.h"

#include "app/CAcceleratorTables.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Records the keys that reach it, so a test sees whether an accelerator took the key first.
class KeyRecorder final : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    QList<QKeyCombination> received;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // The modifier keys arrive on their own first.
        static const QList<int> modifiers = {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta};
        if (!modifiers.contains(event->key()))
            received.append(event->keyCombination());
        QLineEdit::keyPressEvent(event);
    }
};

// The windows the tables are tried on: the display window, the input window with its two boxes
// and a third control, and a contact window.
struct Desktop
{
    Desktop()
    {
        display.setObjectName(QStringLiteral("display"));
        auto *displayLayout = new QVBoxLayout(&display);
        displayChild = new KeyRecorder(&display);
        displayLayout->addWidget(displayChild);

        auto *inputLayout = new QVBoxLayout(&input);
        box1 = new KeyRecorder(&input);
        box2 = new KeyRecorder(&input);
        inputOther = new KeyRecorder(&input);
        inputLayout->addWidget(box1);
        inputLayout->addWidget(box2);
        inputLayout->addWidget(inputOther);

        auto *contactLayout = new QVBoxLayout(&contact);
        contactBox = new KeyRecorder(&contact);
        contactLayout->addWidget(contactBox);

        tables.addTable129Window(&display);
        tables.addTable129Widget(box1);
        tables.addTable129Widget(box2);
        tables.install();
    }

    QWidget *target(const QString &name)
    {
        if (name == QLatin1String("display"))
            return displayChild;
        if (name == QLatin1String("box1"))
            return box1;
        if (name == QLatin1String("box2"))
            return box2;
        if (name == QLatin1String("inputOther"))
            return inputOther;
        return contactBox;
    }

    CAcceleratorTables tables;
    QWidget display;
    QWidget input;
    QWidget contact;
    KeyRecorder *displayChild = nullptr;
    KeyRecorder *box1 = nullptr;
    KeyRecorder *box2 = nullptr;
    KeyRecorder *inputOther = nullptr;
    KeyRecorder *contactBox = nullptr;
};

} // namespace

class TestMainWindowKeys final : public QObject
{
    Q_OBJECT

private slots:
    void tables_data();
    void tables();
    void shiftCtrlDReachesNoWindow();
    void modalDialogKeepsItsKeys();
    void mainWindowTogglesFromAnyWindow();
    void mainWindowTable129OnlyOnDisplay();
};

void TestMainWindowKeys::tables_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("command");

    const int ctrl = Qt::ControlModifier;
    const int shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::newRow("Ctrl+S on the display") << "display" << ctrl << int(Qt::Key_S) << CommandId::FileSaveAs;
    QTest::newRow("Ctrl+L on the display") << "display" << ctrl << int(Qt::Key_L) << CommandId::Connect;
    QTest::newRow("Ctrl+O on the first input box") << "box1" << ctrl << int(Qt::Key_O) << CommandId::FileOpen;
    QTest::newRow("Ctrl+S on the second input box") << "box2" << ctrl << int(Qt::Key_S) << CommandId::FileSaveAs;
    QTest::newRow("Ctrl+S on another input control") << "inputOther" << ctrl << int(Qt::Key_S) << 0;
    QTest::newRow("Ctrl+S on the contact window") << "contact" << ctrl << int(Qt::Key_S) << 0;
    QTest::newRow("Ctrl+L on the contact window") << "contact" << ctrl << int(Qt::Key_L) << 0;
    QTest::newRow("Ctrl+R on the contact window") << "contact" << ctrl << int(Qt::Key_R) << CommandId::FocusContact;
    QTest::newRow("Ctrl+D on the contact window") << "contact" << ctrl << int(Qt::Key_D) << CommandId::FocusDisplay;
    QTest::newRow("Ctrl+G on the display") << "display" << ctrl << int(Qt::Key_G) << CommandId::FocusLogViewer;
    QTest::newRow("Ctrl+I on an input box") << "box1" << ctrl << int(Qt::Key_I) << CommandId::FocusInput;
    QTest::newRow("Ctrl+M on the contact window") << "contact" << ctrl << int(Qt::Key_M)
                                                  << CommandId::FocusMemberMonitor;
    QTest::newRow("Ctrl+N on the display") << "display" << ctrl << int(Qt::Key_N) << CommandId::FocusPreroll;
    QTest::newRow("Ctrl+T on the display") << "display" << ctrl << int(Qt::Key_T) << CommandId::FocusPrerollMonitor;
    QTest::newRow("Ctrl+F on the contact window") << "contact" << ctrl << int(Qt::Key_F)
                                                  << CommandId::FocusFunctionKeys;
    QTest::newRow("Shift+Ctrl+I on the contact window") << "contact" << shiftCtrl << int(Qt::Key_I)
                                                        << CommandId::ToggleInput;
    QTest::newRow("Shift+Ctrl+R on an input box") << "box1" << shiftCtrl << int(Qt::Key_R) << CommandId::ToggleContact;
    QTest::newRow("Shift+Ctrl+M on the display") << "display" << shiftCtrl << int(Qt::Key_M)
                                                 << CommandId::ToggleMemberMonitor;
    QTest::newRow("Shift+Ctrl+N on the display") << "display" << shiftCtrl << int(Qt::Key_N)
                                                 << CommandId::TogglePreroll;
    QTest::newRow("Shift+Ctrl+T on the display") << "display" << shiftCtrl << int(Qt::Key_T)
                                                 << CommandId::TogglePrerollMonitor;
    QTest::newRow("Shift+Ctrl+F on the display") << "display" << shiftCtrl << int(Qt::Key_F)
                                                 << CommandId::ToggleFunctionKeys;
    QTest::newRow("Shift+Ctrl+G on the contact window") << "contact" << shiftCtrl << int(Qt::Key_G)
                                                        << CommandId::ToggleLogViewer;
    QTest::newRow("Shift+Ctrl+S is no accelerator") << "display" << shiftCtrl << int(Qt::Key_S) << 0;
    QTest::newRow("plain letter") << "display" << int(Qt::NoModifier) << int(Qt::Key_S) << 0;
}

void TestMainWindowKeys::tables()
{
    QFETCH(QString, focus);
    QFETCH(int, modifiers);
    QFETCH(int, key);
    QFETCH(int, command);
    Desktop desktop;
    QSignalSpy triggered(&desktop.tables, &CAcceleratorTables::commandTriggered);
    auto *widget = static_cast<KeyRecorder *>(desktop.target(focus));

    QTest::keyClick(widget, static_cast<Qt::Key>(key), static_cast<Qt::KeyboardModifiers>(modifiers));

    if (command == 0) {
        QCOMPARE(triggered.size(), 0);
        QCOMPARE(widget->received.size(), 1);
    } else {
        QCOMPARE(triggered.size(), 1);
        QCOMPARE(triggered.first().first().toInt(), command);
        // The accelerator took the key: the control never saw it.
        QVERIFY(widget->received.isEmpty());
    }
}

void TestMainWindowKeys::shiftCtrlDReachesNoWindow()
{
    Desktop desktop;
    QSignalSpy triggered(&desktop.tables, &CAcceleratorTables::commandTriggered);
    QTest::keyClick(desktop.box1, Qt::Key_D, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(triggered.size(), 1);
    QCOMPARE(triggered.first().first().toInt(), CommandId::NoAction);
    QVERIFY(desktop.box1->received.isEmpty());
}

void TestMainWindowKeys::modalDialogKeepsItsKeys()
{
    Desktop desktop;
    QSignalSpy triggered(&desktop.tables, &CAcceleratorTables::commandTriggered);
    desktop.contact.setWindowModality(Qt::ApplicationModal);
    desktop.contact.show();
    QTest::keyClick(desktop.contactBox, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(triggered.size(), 0);
    QCOMPARE(desktop.contactBox->received.size(), 1);
}

void TestMainWindowKeys::mainWindowTogglesFromAnyWindow()
{
    TestHome home;
    MainWindowUnderTest t;
    t.window.setToolWindowFactory(CMainWindow::ToolWindow::Input,
                                  [](CMainWindow &) { return std::make_unique<StandInTool>(); });
    t.window.config().SetInt(QStringLiteral("input.display_i"), 0);
    QVERIFY(t.window.Create());
    QVERIFY(!t.window.toolWindow(CMainWindow::ToolWindow::Input));
    KeyRecorder contactStandIn;

    QTest::keyClick(&contactStandIn, Qt::Key_I, Qt::ShiftModifier | Qt::ControlModifier);

    QVERIFY(t.window.toolWindow(CMainWindow::ToolWindow::Input));
    QVERIFY(t.window.toolWindow(CMainWindow::ToolWindow::Input)->isShown());
    QVERIFY(t.window.displayWindow()->isChecked(CommandId::ToggleInput));
    QVERIFY(contactStandIn.received.isEmpty());
    t.window.Destroy();
}

void TestMainWindowKeys::mainWindowTable129OnlyOnDisplay()
{
    TestHome home;
    MainWindowUnderTest t;
    QVERIFY(t.window.Create());
    KeyRecorder contactStandIn;
    KeyRecorder inputBox;
    t.window.registerTable129Widget(&inputBox);

    // Which keys the main window would act on; acting would open the file dialog.
    CAcceleratorTables &tables = t.window.accelerators();
    const QKeyCombination ctrlS(Qt::ControlModifier, Qt::Key_S);
    QCOMPARE(tables.commandFor(ctrlS, t.window.displayWindow()), CommandId::FileSaveAs);
    QCOMPARE(tables.commandFor(ctrlS, t.window.displayWindow()->menuBar()), CommandId::FileSaveAs);
    QCOMPARE(tables.commandFor(ctrlS, &inputBox), CommandId::FileSaveAs);
    QCOMPARE(tables.commandFor(ctrlS, &contactStandIn), 0);
    QCOMPARE(tables.commandFor(ctrlS, nullptr), 0);

    QTest::keyClick(&contactStandIn, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(contactStandIn.received.size(), 1);
    t.window.Destroy();
}

QTEST_MAIN(TestMainWindowKeys)
#include "test_main_window_keys.moc"
