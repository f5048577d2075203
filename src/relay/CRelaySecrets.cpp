#include "relay/CRelaySecrets.h"

#include "core/AppPaths.h"
#include "core/OperationLog.h"
#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString kindKey(RelayKind kind)
{
    return kind == RelayKind::Zoom ? QStringLiteral("zoom") : QStringLiteral("youtube");
}

// Narrows the file to the user alone, creating it empty when missing, so that the safe save's
// temporary copy (which takes the old file's mode) is never readable by others either.
bool makePrivate(const QString &path)
{
    QFile file(path);
    if (!file.exists()) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        file.close();
    }
    if (file.permissions() == kOwnerOnly)
        return true;
    return file.setPermissions(kOwnerOnly);
}

} // namespace

QString CRelaySecrets::DefaultPath()
{
    return CAppPaths::JoinPath(CAppPaths::GetSettingsFolder(), QLatin1String(kFileName));
}

QList<RelayTargetSettings> CRelaySecrets::Load(const QString &path)
{
    WriteLog(QStringLiteral("CRelaySecrets::Load() begins."));
    QList<RelayTargetSettings> targets;
    QFile file(path);
    if (!file.exists()) {
        WriteLog(QStringLiteral("CRelaySecrets::Load() no relay targets saved."));
    } else if (!makePrivate(path) || !file.open(QIODevice::ReadOnly)) {
        WriteLog(QStringLiteral("CRelaySecrets::Load() failed: ") + file.errorString());
    } else {
        bool ok = false;
        targets = FromJson(file.readAll(), &ok);
        if (!ok)
            WriteLog(QStringLiteral("CRelaySecrets::Load() the file is damaged; no relay targets."));
    }
    WriteLogInt(QStringLiteral("CRelaySecrets::Load() targets"), static_cast<int>(targets.size()));
    WriteLog(QStringLiteral("CRelaySecrets::Load() finished."));
    return targets;
}

bool CRelaySecrets::Save(const QList<RelayTargetSettings> &targets, const QString &path)
{
    WriteLog(QStringLiteral("CRelaySecrets::Save() begins."));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    bool ok = makePrivate(path);
    if (!ok)
        error = QStringLiteral("cannot make the file private");
    else
        ok = CSafeFile::writeAtomically(path, ToJson(targets), &error) && makePrivate(path);
    if (!ok)
        WriteLog(QStringLiteral("CRelaySecrets::Save() failed: ") + error);
    WriteLog(QStringLiteral("CRelaySecrets::Save() finished."));
    return ok;
}

QByteArray CRelaySecrets::ToJson(const QList<RelayTargetSettings> &targets)
{
    QJsonArray array;
    for (const RelayTargetSettings &target : targets.mid(0, kRelayMaxTargets)) {
        array.append(QJsonObject{
            {QStringLiteral("kind"), kindKey(target.kind)},
            {QStringLiteral("url"), target.url},
            {QStringLiteral("language"), target.language},
            {QStringLiteral("enabled"), target.enabled},
            {QStringLiteral("hold_ms"), target.holdMs},
        });
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("targets"), array}}).toJson(QJsonDocument::Indented);
}

QList<RelayTargetSettings> CRelaySecrets::FromJson(const QByteArray &json, bool *ok)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (ok)
        *ok = error.error == QJsonParseError::NoError && document.isObject();
    QList<RelayTargetSettings> targets;
    const QJsonArray array = document.object().value(QStringLiteral("targets")).toArray();
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        const QString kind = object.value(QStringLiteral("kind")).toString();
        if (kind != kindKey(RelayKind::Zoom) && kind != kindKey(RelayKind::YouTube))
            continue;
        RelayTargetSettings target;
        target.kind = kind == kindKey(RelayKind::Zoom) ? RelayKind::Zoom : RelayKind::YouTube;
        target.url = object.value(QStringLiteral("url")).toString();
        target.language = object.value(QStringLiteral("language")).toString(target.language);
        target.enabled = object.value(QStringLiteral("enabled")).toBool();
        const int hold = object.value(QStringLiteral("hold_ms")).toInt(-1);
        if (hold >= 0 && hold <= RelayTargetSettings::kMaxHoldMs)
            target.holdMs = hold;
        targets.append(target);
        if (targets.size() == kRelayMaxTargets)
            break;
    }
    return targets;
}
