#pragma once

#include <QKeyCombination>
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// The two accelerator tables of the main window. Keys are translated before any widget sees
// them: table 123 wherever the focus is, table 129 only while the focus is on a registered
// target (the display window, the input window's two boxes), so Ctrl+S saves the settings from
// the input box but leaves the contact window's and pre-roll window's own keys alone.
class CAcceleratorTables final : public QObject
{
    Q_OBJECT

public:
    struct Entry
    {
        QKeyCombination key;
        int command = 0;
    };

    explicit CAcceleratorTables(QObject *parent = nullptr);
    ~CAcceleratorTables() override;

    static QList<Entry> table123();
    static QList<Entry> table129();

    // Starts and stops translating keys of the whole application.
    void install();
    void uninstall();

    // Table 129 applies while the focus is anywhere inside this top-level window.
    void addTable129Window(QWidget *window);
    // Table 129 applies while exactly this widget has the focus (an input box).
    void addTable129Widget(QWidget *widget);
    void removeTable129Target(QWidget *widget);

    // The command of key with the focus on focus (nullptr: no focus), or 0.
    int commandFor(QKeyCombination key, const QWidget *focus) const;
    bool table129Applies(const QWidget *focus) const;

signals:
    void commandTriggered(int command);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QPointer<QWidget>> m_windows;
    QList<QPointer<QWidget>> m_widgets;
    bool m_installed = false;
};
