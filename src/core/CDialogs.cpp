#include "core/CDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>

#include <utility>

namespace {

struct Script
{
    bool active = false;
    QQueue<CDialogs::Answer> answers;
    QQueue<QString> paths;
    QList<CDialogs::Message> asked;
};

Script &script()
{
    static Script s;
    return s;
}

QMessageBox::Icon toBoxIcon(CDialogs::Icon icon)
{
    switch (icon) {
    case CDialogs::Icon::None:
        return QMessageBox::NoIcon;
    case CDialogs::Icon::Information:
        return QMessageBox::Information;
    case CDialogs::Icon::Warning:
        return QMessageBox::Warning;
    case CDialogs::Icon::Critical:
        return QMessageBox::Critical;
    case CDialogs::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toButton(CDialogs::Answer answer)
{
    switch (answer) {
    case CDialogs::Answer::Ok:
        return QMessageBox::Ok;
    case CDialogs::Answer::Cancel:
        return QMessageBox::Cancel;
    case CDialogs::Answer::Yes:
        return QMessageBox::Yes;
    case CDialogs::Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QString scriptedPath(const QString &caption, const QString &selection)
{
    Script &s = script();
    s.asked.append(
        {CDialogs::Icon::None, CDialogs::Buttons::OkCancel, caption, selection, CDialogs::Answer::Ok});
    return s.paths.isEmpty() ? QString() : s.paths.dequeue();
}

} // namespace

CDialogs::Answer CDialogs::ask(QWidget *owner, const Message &message)
{
    const Answer closed = message.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    Script &s = script();
    if (s.active) {
        s.asked.append(message);
        return s.answers.isEmpty() ? closed : s.answers.dequeue();
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (message.buttons == Buttons::OkCancel)
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    else if (message.buttons == Buttons::YesNoCancel)
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(toBoxIcon(message.icon), message.caption, text, buttons, owner);
    box.setDefaultButton(toButton(message.defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return closed;
    }
}

void CDialogs::tell(QWidget *owner, Icon icon, const QString &caption, const QString &text)
{
    ask(owner, {icon, Buttons::Ok, caption, text, Answer::Ok});
}

bool CDialogs::confirm(QWidget *owner, Icon icon, const QString &caption, const QString &text,
                       Answer defaultAnswer)
{
    return ask(owner, {icon, Buttons::OkCancel, caption, text, defaultAnswer}) == Answer::Ok;
}

QString CDialogs::chooseFile(QWidget *owner, const FileRequest &request)
{
    if (script().active)
        return scriptedPath(request.caption, request.selection);
    QFileDialog dialog(owner, request.caption);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.filterSuffixes.isEmpty()) {
        const QStringList filters = request.filters;
        const QStringList suffixes = request.filterSuffixes;
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, filters, suffixes](const QString &f) {
                             const qsizetype index = filters.indexOf(f);
                             dialog.setDefaultSuffix(
                                 index >= 0 && index < suffixes.size() ? suffixes.at(index) : QString());
                         });
    }
    if (!request.selection.isEmpty())
        dialog.selectFile(request.selection);
    // Overwriting an existing file asks first: QFileDialog confirms unless told not to.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString CDialogs::chooseFolder(QWidget *owner, const QString &caption, const QString &start)
{
    if (script().active)
        return scriptedPath(caption, start);
    return QFileDialog::getExistingDirectory(owner, caption, start, QFileDialog::ShowDirsOnly);
}

void CDialogs::setScripted(bool scripted)
{
    script().active = scripted;
}

bool CDialogs::scripted()
{
    return script().active;
}

void CDialogs::queueAnswer(Answer answer)
{
    script().answers.enqueue(answer);
}

void CDialogs::queuePath(const QString &path)
{
    script().paths.enqueue(path);
}

QList<CDialogs::Message> CDialogs::takeAsked()
{
    return std::exchange(script().asked, {});
}

void CDialogs::reset()
{
    script() = Script{};
}
