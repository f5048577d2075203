// The settings file reader on any bytes. The first byte chooses how the rest becomes a file: as it
// is, or read as UTF-8 text and written in one of the encodings the reader knows (UTF-16LE with
// and without its mark, UTF-16BE, UTF-8 with its mark, code page 932). The file goes through
// CProfileFile and CConfig::LoadFromFile; what is loaded must lie within its bounds and come back
// unchanged from a save and a load, and the custom colours taken from it must do the same.
#include "FuzzEnvironment.h"

#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "config/CProfileFile.h"
#include "config/ConfigKeys.h"
#include "core/CodePage932.h"

#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#define check(condition) checkAt((condition), #condition, __LINE__)

namespace {

enum Mode
{
    Raw,
    Utf16LeMarked,
    Utf16LeBare,
    Utf16BeMarked,
    Utf8Marked,
    CodePage932,
    ModeCount
};

const std::vector<CConfigKeys::Key> &keyTable()
{
    static const std::vector<CConfigKeys::Key> table = CConfigKeys::table(std::nullopt);
    return table;
}

QString g_folder;

QString pathOf(const char *name)
{
    return g_folder + u'/' + QLatin1String(name);
}

QByteArray utf16(const QString &text, bool bigEndian, bool mark)
{
    QByteArray bytes;
    if (mark)
        bytes.append(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    for (const QChar c : text) {
        const char lo = static_cast<char>(c.unicode() & 0xFF);
        const char hi = static_cast<char>(c.unicode() >> 8);
        bytes.append(bigEndian ? hi : lo);
        bytes.append(bigEndian ? lo : hi);
    }
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList values(const CConfig &config)
{
    QStringList all;
    for (const QString &key : config.GetKeys()) {
        QString value;
        check(config.GetString(key, value));
        all.append(value);
    }
    return all;
}

// What the reader hands out is one trimmed line, short enough for every caller.
void checkProfile(const CProfileFile &profile)
{
    const QString section = CConfig::sectionName();
    CProfileFile copy;
    for (const CConfigKeys::Key &key : keyTable()) {
        const std::optional<QString> value = profile.GetString(section, key.name);
        if (!value)
            continue;
        check(value->size() <= CProfileFile::kMaxValue);
        check(!value->contains(u'\r') && !value->contains(u'\n'));
        copy.SetString(section, key.name, *value);
    }
    // Written and read again, every value comes back as it was.
    CProfileFile reread;
    reread.Parse(copy.ToBytes());
    for (const CConfigKeys::Key &key : keyTable()) {
        const std::optional<QString> value = profile.GetString(section, key.name);
        if (value)
            check(reread.GetString(section, key.name) == value);
    }
}

// Every value is the default or a value within the key's bounds.
void checkBounds(const CConfig &config)
{
    for (const CConfigKeys::Key &key : keyTable()) {
        QString value;
        check(config.GetString(key.name, value));
        if (value == key.value)
            continue;
        if (key.name.endsWith(QLatin1String("_i"))) {
            bool ok = false;
            const qint32 number = value.toInt(&ok);
            check(ok && QString::number(number) == value);
            check(!key.lower || number >= *key.lower);
            check(!key.upper || number <= *key.upper);
        } else {
            check(!key.lower || value.size() >= *key.lower);
            check(!key.upper || value.size() <= *key.upper);
        }
    }
    qint32 undo = 0;
    check(config.GetInt(QStringLiteral("main.undo.max_i"), undo) && undo == 5);
}

void checkPalette(const CConfig &config, uint8_t start)
{
    CCustomPalette palette;
    if (palette.LoadCustomColors(config)) {
        // Saving sets the one key that loading reads, so one store serves every run.
        static CConfig saved;
        check(palette.SaveCustomColors(saved));
        CCustomPalette again;
        check(again.LoadCustomColors(saved));
        check(again.colors() == palette.colors());
    }
    QString text;
    check(config.GetString(QStringLiteral("miscellaneous.customcolors"), text));
    quint32 value = 0xFFFFFFFF;
    const CCustomPalette::ParseResult result = CCustomPalette::ParseHex6(text, start, value);
    check((result == CCustomPalette::ParseResult::InvalidArgument) == (start > text.size()));
    if (result == CCustomPalette::ParseResult::Ok)
        check(value <= 0xFFFFFF);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    disableOperationLog();
    g_folder = makeScratchFolder("settings");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int mode = data[0] % ModeCount;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    const QString text = QString::fromUtf8(rest);
    QByteArray bytes;
    switch (mode) {
    case Raw:
        bytes = rest;
        break;
    case Utf16LeMarked:
        bytes = utf16(text, false, true);
        break;
    case Utf16LeBare:
        bytes = utf16(text, false, false);
        break;
    case Utf16BeMarked:
        bytes = utf16(text, true, true);
        break;
    case Utf8Marked:
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        break;
    default:
        bytes = CCodePage932::encode(text);
        break;
    }

    CProfileFile profile;
    profile.Parse(bytes);
    checkProfile(profile);
    // The same text in another encoding with a mark, or bare UTF-16LE that starts like one, reads
    // the same as the file's own encoding.
    const bool bareRecognised = !text.isEmpty() && text.at(0).unicode() > 0 && text.at(0).unicode() < 0x80;
    if (mode == Utf16BeMarked || mode == Utf8Marked || (mode == Utf16LeBare && bareRecognised)) {
        CProfileFile marked;
        marked.Parse(utf16(text, false, true));
        const QString section = CConfig::sectionName();
        for (const CConfigKeys::Key &key : keyTable())
            check(marked.GetString(section, key.name) == profile.GetString(section, key.name));
    }

    const QString file = pathOf("in.tvn");
    if (!writeFile(file, bytes))
        std::abort();
    // Loading starts from the defaults, so the stores live through the run.
    static CConfig config;
    check(config.LoadFromFile(file));
    checkBounds(config);
    checkPalette(config, size > 1 ? data[1] : 0);

    // Saved and loaded again, the settings are the same.
    const QString saved = pathOf("out.tvn");
    check(config.SaveToFile(saved));
    static CConfig reloaded;
    check(reloaded.LoadFromFile(saved));
    check(values(reloaded) == values(config));
    return 0;
}
