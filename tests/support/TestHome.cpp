#include "TestHome.h"

#include "core/AppPaths.h"
#include "core/OperationLog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

TestHome::TestHome()
{
    CloseOperationLog();
    m_oldHome = qgetenv("HOME");
    m_oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/.config")).toUtf8());
    QDir(m_dir.path()).mkpath(QStringLiteral("Documents"));
}

TestHome::~TestHome()
{
    CloseOperationLog();
    qputenv("HOME", m_oldHome);
    if (m_oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

QString TestHome::settingsFolder() const
{
    return CAppPaths::GetSettingsFolder();
}

QString TestHome::documentsFolder() const
{
    return CAppPaths::GetDocumentFolder();
}

QString readUtf16File(const QString &path)
{
    QFile file(path);
    const QByteArray bytes =
        !path.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!bytes.startsWith("\xFF\xFE"))
        return {};
    return QString(reinterpret_cast<const QChar *>(bytes.constData() + 2), (bytes.size() - 2) / 2);
}

QStringList operationLogLines()
{
    const QString text = readUtf16File(OperationLogPath());
    QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    static const QRegularExpression prefix(
        QStringLiteral("^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] "));
    for (QString &line : lines)
        line.remove(prefix);
    return lines;
}
