#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Every question, warning and file chooser the program shows goes through here, so that a test
// can answer them without a window: it queues the answers (or file names) first, and every
// dialog asked for while the seam is scripted is taken from the queue and recorded instead of
// shown. Outside tests the platform's message boxes and file dialogs appear.
class CDialogs final
{
public:
    CDialogs() = delete;

    enum class Icon
    {
        None,
        Information,
        Warning,
        Critical,
        Question
    };
    enum class Buttons
    {
        Ok,
        OkCancel,
        YesNoCancel
    };
    enum class Answer
    {
        Ok,
        Cancel,
        Yes,
        No
    };

    struct Message
    {
        Icon icon = Icon::Warning;
        Buttons buttons = Buttons::Ok;
        QString caption;
        // Shown as it stands (CR LF may be given; the box shows plain line feeds).
        QString text;
        // The button Enter presses.
        Answer defaultAnswer = Answer::Ok;
    };

    struct FileRequest
    {
        bool save = false;
        QString caption;
        QStringList filters;
        // Appended to a name typed without one. With filterSuffixes, the suffix follows the
        // filter the user picks (index for index; an index beyond the list means none).
        QString defaultSuffix;
        QStringList filterSuffixes;
        // Preselected file (a save offers the current name) or start folder.
        QString selection;
    };

    // The button pressed; a box closed without a button counts as Cancel (OK for an OK box).
    static Answer ask(QWidget *owner, const Message &message);
    // An OK box.
    static void tell(QWidget *owner, Icon icon, const QString &caption, const QString &text);
    // An OK/Cancel box: true for OK.
    static bool confirm(QWidget *owner, Icon icon, const QString &caption, const QString &text,
                        Answer defaultAnswer = Answer::Ok);
    // The chosen path, or an empty text when the user cancelled.
    static QString chooseFile(QWidget *owner, const FileRequest &request);
    static QString chooseFolder(QWidget *owner, const QString &caption, const QString &start);

    // ---- for tests ------------------------------------------------------------------------------
    // While scripted no dialog is shown: each one takes the next queued answer of its kind, or
    // Cancel / an empty path when none is queued, and is recorded.
    static void setScripted(bool scripted);
    static bool scripted();
    static void queueAnswer(Answer answer);
    // Answers the next file or folder chooser; an empty text cancels it.
    static void queuePath(const QString &path);
    // What was asked since the last call, oldest first (file choosers appear with their
    // caption and the request's selection as text).
    static QList<Message> takeAsked();
    // Forgets queued answers and the record, and leaves scripted mode.
    static void reset();
};
