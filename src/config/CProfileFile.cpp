#include "config/CProfileFile.h"

#include "core/CodePage932.h"
#include "core/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <limits>

namespace {

// Only ASCII blanks are trimmed: an ideographic space may be meant (a speaker delimiter).
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\n';
}

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

QString decodeUtf16(const char *data, qsizetype size, bool bigEndian)
{
    QString text;
    text.reserve(size / 2);
    for (qsizetype i = 0; i + 1 < size; i += 2) {
        const auto lo = static_cast<unsigned char>(data[bigEndian ? i + 1 : i]);
        const auto hi = static_cast<unsigned char>(data[bigEndian ? i : i + 1]);
        text.append(QChar(static_cast<char16_t>(lo | (hi << 8))));
    }
    return text;
}

QString decode(const QByteArray &bytes)
{
    const auto byte = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const qsizetype size = bytes.size();
    if (size >= 2 && byte(0) == 0xFF && byte(1) == 0xFE)
        return decodeUtf16(bytes.constData() + 2, size - 2, false);
    if (size >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
        return decodeUtf16(bytes.constData() + 2, size - 2, true);
    if (size >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
        return QString::fromUtf8(bytes.constData() + 3, size - 3);
    // A UTF-16LE file that lost its mark still starts with an ASCII character and a zero byte.
    if (size >= 2 && size % 2 == 0 && byte(0) != 0 && byte(1) == 0)
        return decodeUtf16(bytes.constData(), size, false);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return CCodePage932::decode(bytes);
}

QString singleLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// The reader drops blanks around a value and one pair of enclosing double quotes; a value that
// would lose either is written inside a pair of quotes, which the reader takes off again.
QString writtenValue(const QString &value)
{
    const QString line = singleLine(value);
    const bool blankEdge = !line.isEmpty() && (isBlank(line.front()) || isBlank(line.back()));
    const bool quoted = line.size() >= 2 && line.startsWith(u'"') && line.endsWith(u'"');
    if (!blankEdge && !quoted)
        return line;
    return u'"' + line + u'"';
}

} // namespace

bool CProfileFile::Load(const QString &path)
{
    m_sections.clear();
    if (QFileInfo(path).isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    Parse(bytes);
    return true;
}

void CProfileFile::Parse(const QByteArray &bytes)
{
    m_sections.clear();
    const QString text = decode(bytes);
    Section *current = nullptr;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QString line = trimBlanks(QStringView(text).mid(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == u'\r')
            ++pos;
        if (pos < text.size() && text[pos] == u'\n')
            ++pos;

        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            qsizetype close = line.indexOf(u']');
            if (close < 0)
                close = line.size();
            m_sections.append(Section{trimBlanks(QStringView(line).mid(1, close - 1)), {}});
            current = &m_sections.last();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        // Lines before the first section header, and lines without a value, name nothing.
        if (!current || equals < 0)
            continue;
        current->entries.append(
            Entry{trimBlanks(QStringView(line).left(equals)), trimBlanks(QStringView(line).mid(equals + 1))});
    }
}

const CProfileFile::Section *CProfileFile::findSection(const QString &name) const
{
    for (const Section &section : m_sections) {
        if (section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

const CProfileFile::Entry *CProfileFile::findEntry(const QString &section, const QString &key) const
{
    const Section *found = findSection(section);
    if (!found)
        return nullptr;
    for (const Entry &entry : found->entries) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

std::optional<QString> CProfileFile::GetString(const QString &section, const QString &key) const
{
    const Entry *entry = findEntry(section, key);
    if (!entry)
        return std::nullopt;
    QString value = entry->value;
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    value.truncate(kMaxValue);
    return value;
}

std::optional<qint32> CProfileFile::GetInt(const QString &section, const QString &key) const
{
    const std::optional<QString> text = GetString(section, key);
    if (!text || text->isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (i < text->size() && (text->at(i) == u'-' || text->at(i) == u'+')) {
        negative = text->at(i) == u'-';
        ++i;
    }
    // Saturate, so that an absurdly long number still fails every bound instead of wrapping.
    qint64 value = 0;
    for (; i < text->size() && text->at(i) >= u'0' && text->at(i) <= u'9'; ++i) {
        value = value * 10 + (text->at(i).unicode() - u'0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            value = qint64(std::numeric_limits<qint32>::max()) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<qint32>(qBound(qint64(std::numeric_limits<qint32>::min()), value,
                                      qint64(std::numeric_limits<qint32>::max())));
}

void CProfileFile::SetString(const QString &section, const QString &key, const QString &value)
{
    Section *target = nullptr;
    for (Section &candidate : m_sections) {
        if (candidate.name.compare(section, Qt::CaseInsensitive) == 0) {
            target = &candidate;
            break;
        }
    }
    if (!target) {
        m_sections.append(Section{section, {}});
        target = &m_sections.last();
    }
    for (Entry &entry : target->entries) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0) {
            entry.value = value;
            return;
        }
    }
    target->entries.append(Entry{key, value});
}

QByteArray CProfileFile::ToBytes() const
{
    QString text;
    for (const Section &section : m_sections) {
        if (!text.isEmpty())
            text += QLatin1String("\r\n");
        text += u'[';
        text += singleLine(section.name);
        text += QLatin1String("]\r\n");
        for (const Entry &entry : section.entries) {
            text += singleLine(entry.key);
            text += u'=';
            text += writtenValue(entry.value);
            text += QLatin1String("\r\n");
        }
    }
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append('\xFF');
    bytes.append('\xFE');
    for (const QChar c : std::as_const(text)) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

bool CProfileFile::Save(const QString &path, QString *error) const
{
    return CSafeFile::writeAtomically(path, ToBytes(), error);
}
