#include "core/TextEncoding.h"

#include "core/CodePage932.h"
#include "core/Utf8Checker.h"

namespace {

constexpr char16_t kByteOrderMark = u'\uFEFF';

QString fromUtf16Le(QByteArrayView bytes)
{
    const qsizetype units = (bytes.size() + 1) / 2;
    QString text(units, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i < units; ++i) {
        const qsizetype at = 2 * i;
        // A dangling odd byte meets the loader's zero tail, so it reads as a unit of its own.
        const uchar high = at + 1 < bytes.size() ? in[at + 1] : 0;
        out[i] = static_cast<char16_t>(in[at] | (high << 8));
    }
    return text;
}

QByteArray toUtf16Le(QStringView text, bool withSignature)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    if (withSignature)
        bytes.append("\xFF\xFE", 2);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        bytes.append(static_cast<char>(unit & 0xFF));
        bytes.append(static_cast<char>(unit >> 8));
    }
    return bytes;
}

} // namespace

CTextEncoding::Detection CTextEncoding::detect(QByteArrayView bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        return {kUtf16Le, 2};
    // Three signature bytes alone fall through to the checker, which calls them UTF-8 as well.
    if (size >= 4 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return {kUtf8, 0};

    CUtf8Checker checker;
    checker.start();
    int result = kAnsi;
    const qsizetype examined = qMin(size, kDetectionWindow);
    for (qsizetype i = 0; i < examined; ++i) {
        checker.feed(b[i]);
        // A zero byte does not occur in ANSI or UTF-8 text: take UTF-16LE without signature.
        if (b[i] == 0) {
            result = kUtf16Le;
            break;
        }
    }
    // Any broken sequence rules UTF-8 out. Deciding by the last byte alone would call nearly
    // every Shift-JIS file UTF-8 (they end in CR LF) and garble it.
    if (result != kUtf16Le && !checker.sawIllFormed())
        result = kUtf8;
    return {result, 0};
}

QString CTextEncoding::decode(QByteArrayView textBytes, int encoding)
{
    switch (encoding) {
    case kUtf16Le:
        return fromUtf16Le(textBytes);
    case kUtf8: {
        QString text = QString::fromUtf8(textBytes);
        if (text.startsWith(QChar(kByteOrderMark)))
            text.remove(0, 1);
        return text;
    }
    default:
        return CCodePage932::decode(textBytes);
    }
}

QString CTextEncoding::decodeFile(QByteArrayView bytes, int *encoding)
{
    const Detection found = detect(bytes);
    if (encoding)
        *encoding = found.encoding;
    return decode(bytes.sliced(found.textStart), found.encoding);
}

QByteArray CTextEncoding::encode(QStringView text, int encoding, int *usedEncoding)
{
    if (encoding == kAnsi) {
        bool complete = true;
        QByteArray bytes = CCodePage932::encode(text, &complete);
        // The conversion maps a few characters to look-alikes (U+301C wave dash to the
        // full-width tilde, the yen sign to the backslash): saved that way they would read back
        // as other characters.
        if (complete && CCodePage932::decode(bytes) == text) {
            if (usedEncoding)
                *usedEncoding = kAnsi;
            return bytes;
        }
        // Saving '?' or a look-alike in place of a character would lose it for good.
    }
    if (encoding == kUtf8) {
        if (usedEncoding)
            *usedEncoding = kUtf8;
        return text.toUtf8();
    }
    if (usedEncoding)
        *usedEncoding = kUtf16Le;
    return toUtf16Le(text, !text.startsWith(QChar(kByteOrderMark)));
}

QString CTextEncoding::name(int encoding)
{
    switch (encoding) {
    case kAnsi:
        return QStringLiteral("ANSI");
    case kUtf8:
        return QStringLiteral("UTF-8");
    default:
        return QStringLiteral("UTF-16LE");
    }
}
