#pragma once

#include "relay/RelayTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The relay's targets on disk. Their URLs are credentials (meeting signatures, stream keys), so
// they live in a file of their own in the settings folder, readable by the user alone (0600),
// never in a settings file that teams pass around as an event file. The targets' other settings
// sit beside them: peers never see them, and the settings file's format stays as it is.
//
// The file is a small JSON document:
//   {"targets": [{"kind": "zoom", "url": "...", "language": "ja-JP", "enabled": true,
//                 "hold_ms": 2000}, ...]}
class CRelaySecrets final
{
public:
    CRelaySecrets() = delete;

    static constexpr char kFileName[] = "relay_targets.json";

    // The file in the settings folder.
    static QString DefaultPath();
    // The targets in the file; an empty list when there is none or it cannot be read. A file
    // that others may read is narrowed to the user alone first.
    static QList<RelayTargetSettings> Load(const QString &path = DefaultPath());
    // Replaces the file in one step; it is 0600 before the first byte of a URL is written.
    static bool Save(const QList<RelayTargetSettings> &targets, const QString &path = DefaultPath());

    static QByteArray ToJson(const QList<RelayTargetSettings> &targets);
    // Unknown kinds are skipped, hold times outside 0 … 10 s keep the default; at most four.
    static QList<RelayTargetSettings> FromJson(const QByteArray &json, bool *ok = nullptr);
};
