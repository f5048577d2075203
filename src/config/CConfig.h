#pragma once

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class IWorkAreaSource;

// The one settings store: every setting as text under a dotted key, with its default and
// bounds, read from and written to a UTF-16 private-profile file with the section "tavrin".
// Only the keys of the key table exist; nothing else ever adds one.
class CConfig final
{
public:
    // The work-area source is asked by every Initialize and must outlive the store;
    // nullptr means there is no work area.
    explicit CConfig(const IWorkAreaSource *workArea = nullptr);

    // Every key back to its default text and bounds.
    void Initialize();

    bool GetString(const QString &key, QString &value) const;
    // No bounds are checked here; the file loader and the settings dialogs check them.
    bool SetString(const QString &key, const QString &value);
    // Reads the text like "%d": leading blanks, an optional sign, digits up to the first other
    // character. False (value untouched) when no digit follows.
    bool GetInt(const QString &key, qint32 &value) const;
    bool SetInt(const QString &key, qint32 value);
    // 0xBBGGRR, read like "%x" (optional "0x", either case) and masked to 24 bits.
    bool GetColor(const QString &key, quint32 &color) const;
    // Writes the low 24 bits as six lower-case hexadecimal digits.
    bool SetColor(const QString &key, quint32 color);
    // The upper bound: largest value of an "_i" key, longest text of any other key.
    bool GetMax(const QString &key, qint32 &max) const;
    // The lower bound: smallest value of an "_i" key, shortest text of any other key.
    bool GetMin(const QString &key, qint32 &min) const;

    // The value, or fallback when the key is unknown or holds no number.
    qint32 GetIntOr(const QString &key, qint32 fallback) const;
    // The text, or fallback when the key is unknown.
    QString GetStringOr(const QString &key, const QString &fallback = QString()) const;

    // False, with every value unchanged, when the path is too long or no readable file is there.
    // Otherwise every key is reset to its default and then taken from the file where the file's
    // value is within the key's bounds.
    bool LoadFromFile(const QString &path);
    // Writes every key into a fresh file. The old file is replaced in one step, so a failed save
    // leaves it as it was.
    bool SaveToFile(const QString &path);

    // Registered keys in registration order.
    QStringList GetKeys() const { return m_keys; }
    // Whether the last Initialize obtained a work area, and that area.
    bool HasWorkArea() const { return m_bWorkArea; }
    QRect GetWorkArea() const { return m_rcWorkArea; }

    // Paths of this many characters or more are refused by the file operations.
    static constexpr qsizetype kMaxPath = 260;
    static QString sectionName() { return QStringLiteral("tavrin"); }

private:
    static bool isIntegerKey(const QString &key) { return key.endsWith(QLatin1String("_i")); }

    const IWorkAreaSource *m_pWorkArea = nullptr;
    QStringList m_keys;
    QHash<QString, QString> m_values;
    QHash<QString, qint32> m_upper;
    QHash<QString, qint32> m_lower;
    bool m_bWorkArea = false;
    QRect m_rcWorkArea;
};
