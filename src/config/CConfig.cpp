#include "config/CConfig.h"

#include "config/CProfileFile.h"
#include "config/ConfigKeys.h"
#include "config/IWorkAreaSource.h"
#include "core/OperationLog.h"

#include <QFileInfo>

#include <limits>

namespace {

// The C library's isspace: what "%d" and "%x" skip before a number.
bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// Like sscanf "%d", saturating instead of overflowing.
std::optional<qint32> scanDecimal(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype first = i;
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = qMin(value * 10 + (text[i].unicode() - u'0'), limit);
    if (i == first)
        return std::nullopt;
    if (negative)
        value = -value;
    return static_cast<qint32>(qBound(qint64(std::numeric_limits<qint32>::min()), value,
                                      qint64(std::numeric_limits<qint32>::max())));
}

// Like sscanf "%x": blanks, an optional sign, an optional "0x", then hexadecimal digits.
std::optional<quint32> scanHex(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        hexDigit(text[i + 2]) >= 0)
        i += 2;
    const qsizetype first = i;
    quint32 value = 0;
    for (; i < text.size() && hexDigit(text[i]) >= 0; ++i)
        value = (value << 4) | static_cast<quint32>(hexDigit(text[i]));
    if (i == first)
        return std::nullopt;
    return negative ? 0u - value : value;
}

} // namespace

CConfig::CConfig(const IWorkAreaSource *workArea) : m_pWorkArea(workArea)
{
    Initialize();
}

void CConfig::Initialize()
{
    const std::optional<QRect> area = m_pWorkArea ? m_pWorkArea->workArea() : std::nullopt;
    m_bWorkArea = area.has_value();
    m_rcWorkArea = area.value_or(QRect());

    m_keys.clear();
    m_values.clear();
    m_upper.clear();
    m_lower.clear();
    for (CConfigKeys::Key &key : CConfigKeys::table(area)) {
        m_keys.append(key.name);
        if (key.lower)
            m_lower.insert(key.name, *key.lower);
        if (key.upper)
            m_upper.insert(key.name, *key.upper);
        m_values.insert(key.name, std::move(key.value));
    }
}

bool CConfig::GetString(const QString &key, QString &value) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd())
        return false;
    value = *it;
    return true;
}

bool CConfig::SetString(const QString &key, const QString &value)
{
    const auto it = m_values.find(key);
    if (it == m_values.end())
        return false;
    *it = value;
    return true;
}

bool CConfig::GetInt(const QString &key, qint32 &value) const
{
    QString text;
    if (!GetString(key, text))
        return false;
    const std::optional<qint32> parsed = scanDecimal(text);
    if (!parsed)
        return false;
    value = *parsed;
    return true;
}

bool CConfig::SetInt(const QString &key, qint32 value)
{
    return SetString(key, QString::number(value));
}

bool CConfig::GetColor(const QString &key, quint32 &color) const
{
    QString text;
    if (!GetString(key, text))
        return false;
    const std::optional<quint32> parsed = scanHex(text);
    if (!parsed)
        return false;
    color = *parsed & 0xFFFFFFu;
    return true;
}

bool CConfig::SetColor(const QString &key, quint32 color)
{
    return SetString(key, QStringLiteral("%1").arg(color & 0xFFFFFFu, 6, 16, QLatin1Char('0')));
}

bool CConfig::GetMax(const QString &key, qint32 &max) const
{
    const auto it = m_upper.constFind(key);
    if (it == m_upper.constEnd())
        return false;
    max = *it;
    return true;
}

bool CConfig::GetMin(const QString &key, qint32 &min) const
{
    const auto it = m_lower.constFind(key);
    if (it == m_lower.constEnd())
        return false;
    min = *it;
    return true;
}

qint32 CConfig::GetIntOr(const QString &key, qint32 fallback) const
{
    qint32 value = fallback;
    return GetInt(key, value) ? value : fallback;
}

QString CConfig::GetStringOr(const QString &key, const QString &fallback) const
{
    QString value;
    return GetString(key, value) ? value : fallback;
}

bool CConfig::LoadFromFile(const QString &path)
{
    WriteLog(QStringLiteral("CConfig::LoadFromFile() begins."));
    WriteLog(path);
    if (path.size() >= kMaxPath || !QFileInfo::exists(path))
        return false;
    // Read before resetting anything: a folder or an unreadable file must not wipe the settings
    // and then report success.
    CProfileFile file;
    if (!file.Load(path))
        return false;

    WriteLog(QStringLiteral("CConfig::LoadFromFile() initializes."));
    Initialize();

    const QString section = sectionName();
    // Counted for the log: a damaged or foreign file otherwise loads as silently as a good one.
    int read = 0;
    int refused = 0;
    for (const QString &key : std::as_const(m_keys)) {
        const auto upper = m_upper.constFind(key);
        const auto lower = m_lower.constFind(key);
        const bool hasUpper = upper != m_upper.constEnd();
        const bool hasLower = lower != m_lower.constEnd();
        if (isIntegerKey(key)) {
            const qint32 fallback = scanDecimal(m_values.value(key)).value_or(0);
            const std::optional<qint32> found = file.GetInt(section, key);
            read += found ? 1 : 0;
            const qint32 value = found.value_or(fallback);
            if ((hasUpper && value > *upper) || (hasLower && value < *lower)) {
                ++refused;
                continue;
            }
            SetInt(key, value);
        } else {
            const std::optional<QString> text = file.GetString(section, key);
            if (!text)
                continue;
            ++read;
            const auto length = static_cast<quint64>(text->size());
            if ((hasUpper && length > static_cast<quint64>(static_cast<quint32>(*upper))) ||
                (hasLower && length < static_cast<quint64>(static_cast<quint32>(*lower)))) {
                ++refused;
                continue;
            }
            SetString(key, *text);
        }
    }

    // Only five lines can ever be taken back, whatever the file says.
    SetInt(QStringLiteral("main.undo.max_i"), 5);
    WriteLogInt(QStringLiteral("CConfig::LoadFromFile() settings found in the file"), read);
    if (refused > 0)
        WriteLogInt(QStringLiteral("CConfig::LoadFromFile() settings out of bounds, defaults kept"), refused);
    WriteLog(QStringLiteral("CConfig::LoadFromFile() finished."));
    return true;
}

bool CConfig::SaveToFile(const QString &path)
{
    WriteLog(QStringLiteral("CConfig::SaveToFile() begins."));
    WriteLog(path);
    if (path.size() >= kMaxPath)
        return false;
    const QString section = sectionName();
    CProfileFile file;
    for (const QString &key : std::as_const(m_keys))
        file.SetString(section, key, m_values.value(key));
    return file.Save(path);
}
