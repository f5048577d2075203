#include "app/CModalCancel.h"

#include "display/CModalScope.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

bool CModalCancel::CancelRunning()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (CModalScope::depth() == 0 && !modal)
        return false;
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else if (modal)
        modal->close();
    return true;
}
