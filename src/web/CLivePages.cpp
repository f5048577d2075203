#include "web/CLivePages.h"

#include <QFile>

namespace {

QByteArray resource(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QByteArray CLivePages::livePage()
{
    return resource(":/web/live.html");
}

QByteArray CLivePages::overlayPage()
{
    return resource(":/web/overlay.html");
}
