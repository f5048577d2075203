#pragma once

#include <QRect>
#include <QString>

#include <optional>
#include <vector>

// The key table: every settings key with its default and bounds, in registration order.
class CConfigKeys final
{
public:
    CConfigKeys() = delete;

    struct Key
    {
        QString name;
        QString value;
        std::optional<qint32> lower;
        std::optional<qint32> upper;
    };

    // Position and size defaults are computed from the work area; without one they take fixed
    // fallbacks. Text defaults come from the current string table.
    static std::vector<Key> table(const std::optional<QRect> &workArea);
};
