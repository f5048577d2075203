#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A private-profile (INI) file as the settings store uses it: sections of "key=value" lines,
// written as UTF-16LE with a byte-order mark. Reading follows the platform's profile functions
// so that files written elsewhere load the same way.
class CProfileFile final
{
public:
    // Longest value the reader hands out, in characters; longer values are cut.
    static constexpr qsizetype kMaxValue = 259;

    // Replaces the content with the file's. False when it cannot be read (missing, a folder,
    // no permission); the content is then empty.
    bool Load(const QString &path);
    // Replaces the content with the parsed bytes. UTF-16 and UTF-8 are told by their byte-order
    // marks; without one, UTF-16LE is recognised by its zero high bytes, otherwise the bytes are
    // taken as UTF-8 when they are valid UTF-8 and as code page 932 when not.
    void Parse(const QByteArray &bytes);

    // The value of key in section, both looked up case-insensitively (the first match wins):
    // blanks around it dropped, one pair of enclosing double quotes removed, cut to kMaxValue.
    // No value when the section or the key is absent.
    std::optional<QString> GetString(const QString &section, const QString &key) const;
    // The value's leading decimal number after an optional sign; 0 when it does not start with
    // one. No value when the key is absent or its value is empty, so the caller's default holds.
    std::optional<qint32> GetInt(const QString &section, const QString &key) const;

    // Adds or replaces key in section; a new section or key goes to the end.
    void SetString(const QString &section, const QString &key, const QString &value);
    // The whole file: FF FE, then "[section]\r\n" and "key=value\r\n" lines. Line breaks inside a
    // key or value become blanks, so a value can never start a line of its own. A value with a
    // blank at either end, or enclosed in double quotes, is written in a pair of quotes, so that
    // reading gives it back unchanged.
    QByteArray ToBytes() const;
    // Replaces the file in one step; on failure the old file is left as it was.
    bool Save(const QString &path, QString *error = nullptr) const;

private:
    struct Entry
    {
        QString key;
        QString value;
    };
    struct Section
    {
        QString name;
        QList<Entry> entries;
    };

    const Section *findSection(const QString &name) const;
    const Entry *findEntry(const QString &section, const QString &key) const;

    QList<Section> m_sections;
};
