#include "app/CLanguageResources.h"

#include "app/CLocaleTable.h"
#include "config/CConfig.h"
#include "core/AppPaths.h"
#include "core/OperationLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

constexpr int kStepNoLibrary = 999;
constexpr quint16 kLcidEnglishUs = 0x0409;
// A translation of this program is a few hundred kilobytes at most; anything far larger is not one.
constexpr qint64 kMaxTranslationBytes = 16 * 1024 * 1024;

quint16 swapBytes(quint16 value)
{
    return static_cast<quint16>((value >> 8) | ((value & 0xFF) << 8));
}

quint8 primaryLanguage(quint16 lcid)
{
    return static_cast<quint8>(lcid & 0xFF);
}

// The four leading digits, lower-case hexadecimal only; false for anything else.
bool parseNumber(const QString &name, quint16 &number)
{
    if (name.size() < 4)
        return false;
    quint16 value = 0;
    for (int i = 0; i < 4; ++i) {
        const char16_t c = name.at(i).unicode();
        int digit = 0;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else
            return false;
        value = static_cast<quint16>((value << 4) | digit);
    }
    number = value;
    return true;
}

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

CLanguageResources::CLanguageResources(const QString &languagesFolder, quint16 keyboardLcid)
    : m_folder(languagesFolder), m_keyboardLcid(keyboardLcid)
{
}

CLanguageResources::~CLanguageResources() = default;

QString CLanguageResources::defaultLanguagesFolder()
{
    QString exeFolder;
    if (!CAppPaths::GetExeFolder(exeFolder))
        return {};
    return CAppPaths::JoinPath(exeFolder, QStringLiteral("languages"));
}

quint16 CLanguageResources::currentKeyboardLcid()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr) {
        if (const QInputMethod *im = QGuiApplication::inputMethod())
            return CLocaleTable::lcidOf(im->locale());
    }
    return CLocaleTable::lcidOf(QLocale::system());
}

QString CLanguageResources::fileName(quint16 lcid)
{
    QString language;
    QString country;
    if (!CLocaleTable::isoNames(lcid, language, country))
        return {};
    return QStringLiteral("%1%2_%3-%4.qm")
        .arg(lcid & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(lcid >> 8, 2, 16, QLatin1Char('0'))
        .arg(language, country);
}

QString CLanguageResources::displayName(quint16 lcid)
{
    return CLocaleTable::displayName(lcid);
}

bool CLanguageResources::listLibraries()
{
    WriteLog(QStringLiteral("GetDllNumbers begins."));
    m_numbers.clear();
    m_step = 0;
    m_position = 0;
    m_chosenLcid = 0;
    if (m_folder.isEmpty()) {
        WriteLog(QStringLiteral("Not found : DLL search path. Failed."));
        return false;
    }
    const QDir dir(m_folder);
    const QStringList names =
        dir.entryList({QStringLiteral("????_*.qm")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        quint16 number = 0;
        if (!parseNumber(name, number))
            continue;
        const quint16 lcid = swapBytes(number);
        QString language;
        QString country;
        if (!CLocaleTable::isoNames(lcid, language, country))
            continue;
        const auto after = std::upper_bound(m_numbers.begin(), m_numbers.end(), number);
        m_numbers.insert(after, number);
        WriteLog(QStringLiteral("added Number(HEX)=%1 LCID(HEX)=%2").arg(hex4(number), hex4(lcid)));
    }
    WriteLogInt(QStringLiteral("GetDllNumbers finished. Number of dlls : "),
                static_cast<int>(m_numbers.size()));
    return !m_numbers.isEmpty();
}

QList<quint16> CLanguageResources::libraryLcids() const
{
    QList<quint16> lcids;
    lcids.reserve(m_numbers.size());
    for (const quint16 number : m_numbers)
        lcids.append(swapBytes(number));
    return lcids;
}

std::optional<QString> CLanguageResources::libraryPath(quint16 lcid) const
{
    const QString name = fileName(lcid);
    if (name.isEmpty() || m_folder.isEmpty())
        return std::nullopt;
    return CAppPaths::JoinPath(m_folder, name);
}

bool CLanguageResources::isListed(quint16 lcid) const
{
    return m_numbers.contains(swapBytes(lcid));
}

std::optional<QString> CLanguageResources::offerSameLanguage(quint16 lcid, const QString &existsLine,
                                                             const QString &foundLine)
{
    while (m_position < m_numbers.size()) {
        const quint16 candidate = swapBytes(m_numbers.at(m_position));
        ++m_position;
        if (primaryLanguage(candidate) != primaryLanguage(lcid))
            continue;
        WriteLogHex(existsLine, candidate);
        if (const auto path = libraryPath(candidate)) {
            m_chosenLcid = candidate;
            WriteLogHex(foundLine, candidate);
            return path;
        }
    }
    return std::nullopt;
}

std::optional<QString> CLanguageResources::nextCandidate(quint16 settingsLcid)
{
    WriteLog(QStringLiteral("* EnumerateLanguageDll : showing step and result"));
    if (m_numbers.isEmpty()) {
        m_step = kStepNoLibrary;
        m_chosenLcid = 0;
        WriteLog(QStringLiteral("(0) - No DLL exists, failed."));
        return std::nullopt;
    }
    if (m_step == kStepNoLibrary)
        m_step = 0;

    if (settingsLcid != 0) {
        if (m_step <= 1) {
            WriteLogHex(QStringLiteral("(1) - LCID is set"), settingsLcid);
            m_step = 2;
            m_position = 0;
            if (isListed(settingsLcid)) {
                if (const auto path = libraryPath(settingsLcid)) {
                    m_chosenLcid = settingsLcid;
                    WriteLog(QStringLiteral("(1) Found DLL, succeed."));
                    return path;
                }
            }
        }
        if (m_step == 2) {
            if (const auto path =
                    offerSameLanguage(settingsLcid, QStringLiteral("(2) Same language dll exists : LCID"),
                                      QStringLiteral("(2) Found DLL : LCID")))
                return path;
            m_step = 3;
        }
    } else if (m_step < 3) {
        m_step = 3;
    }

    const quint16 keyboard = m_keyboardLcid;
    WriteLogHex(QStringLiteral("User input LCID"), keyboard);
    if (m_step == 3) {
        m_step = 4;
        m_position = 0;
        if (isListed(keyboard)) {
            if (const auto path = libraryPath(keyboard)) {
                m_chosenLcid = keyboard;
                WriteLogHex(QStringLiteral("(3) Found DLL by user input : LCID"), keyboard);
                return path;
            }
        }
    }
    if (m_step == 4) {
        if (const auto path = offerSameLanguage(
                keyboard, QStringLiteral("(4) Same language (user input) dll exists : LCID"),
                QStringLiteral("(4) Found DLL : LCID")))
            return path;
        m_step = 5;
    }
    if (m_step == 5) {
        m_step = 6;
        if (isListed(kLcidEnglishUs)) {
            if (const auto path = libraryPath(kLcidEnglishUs)) {
                m_chosenLcid = kLcidEnglishUs;
                WriteLogHex(QStringLiteral("(5) en-US : LCID"), kLcidEnglishUs);
                return path;
            }
        }
    }
    m_chosenLcid = 0;
    WriteLog(QStringLiteral("(6) Nothing found."));
    return std::nullopt;
}

bool CLanguageResources::loadTranslation(const QString &path)
{
    // The bytes are read here rather than by QTranslator::load(path), which would quietly fall
    // back to shorter names ("0904.qm", "0904") when the named file is missing.
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() > kMaxTranslationBytes || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray data = file.readAll();
    auto translator = std::make_unique<QTranslator>();
    if (data.isEmpty() ||
        !translator->load(reinterpret_cast<const uchar *>(data.constData()), static_cast<int>(data.size())))
        return false;
    m_translator.reset();
    m_translationData = std::move(data);
    m_translator = std::move(translator);
    // QByteArray moves keep their buffer, so the translator's view of the bytes stays valid.
    if (!QCoreApplication::installTranslator(m_translator.get())) {
        m_translator.reset();
        m_translationData.clear();
        return false;
    }
    return true;
}

bool CLanguageResources::loadFirst(quint16 settingsLcid)
{
    m_translator.reset();
    m_translationData.clear();
    listLibraries();
    WriteLog(QStringLiteral("LCID=%1").arg(hex4(settingsLcid)));
    while (const auto path = nextCandidate(settingsLcid)) {
        WriteLog(*path);
        if (loadTranslation(*path)) {
            WriteLog(QStringLiteral("Resource Loaded!"));
            return true;
        }
        WriteLog(QStringLiteral("Resource Load failed."));
    }
    return false;
}

CLanguageResources &CLanguageResources::instance()
{
    static CLanguageResources resources(defaultLanguagesFolder(), 0);
    return resources;
}

bool CLanguageResources::loadForStartup(const CConfig &config)
{
    qint32 value = 0;
    const quint16 settingsLcid = config.GetInt(QStringLiteral("miscellaneous.resource.lcid_i"), value)
                                     ? static_cast<quint16>(value & 0xFFFF)
                                     : 0;
    CLanguageResources &resources = instance();
    // Both are read now, not when instance() was first used: the executable's folder is known
    // only once the application object exists.
    resources.m_folder = defaultLanguagesFolder();
    resources.m_keyboardLcid = currentKeyboardLcid();
    if (!resources.m_platformTranslator) {
        auto platform = std::make_unique<QTranslator>();
        if (platform->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            QCoreApplication::installTranslator(platform.get()))
            resources.m_platformTranslator = std::move(platform);
    }
    return resources.loadFirst(settingsLcid);
}
