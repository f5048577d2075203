#include "core/CodePage932.h"

#include <cerrno>
#include <iconv.h>

namespace {

constexpr char16_t kDecodeFallback = u'\u30FB';

// One descriptor per direction and thread: opening them costs more than a conversion, and a
// descriptor keeps conversion state, so two threads must not share one (pre-roll files are
// decoded on a worker thread while the network encodes on the GUI thread).
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }
    void reset() const { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

const Converter &toCp932()
{
    thread_local const Converter c("CP932", "UTF-16LE");
    return c;
}

const Converter &fromCp932()
{
    thread_local const Converter c("UTF-16LE", "CP932");
    return c;
}

} // namespace

QByteArray CCodePage932::encode(QStringView text, bool *allRepresentable)
{
    bool complete = true;
    QByteArray out;
    const Converter &conv = toCp932();
    if (!conv.valid()) {
        if (allRepresentable)
            *allRepresentable = false;
        return out;
    }
    conv.reset();
    // UTF-16LE input: the code units are taken as little-endian bytes (the only byte order built).
    const char *in = reinterpret_cast<const char *>(text.utf16());
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    out.resize(text.size() * 2 + 4);
    char *dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    while (inLeft > 0) {
        const size_t r = iconv(conv.handle(), const_cast<char **>(&in), &inLeft, &dst, &outLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            outLeft = static_cast<size_t>(out.size() - used);
            continue;
        }
        // EILSEQ or EINVAL: one code unit (or a whole surrogate pair) has no mapping.
        complete = false;
        if (outLeft < 1) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() + 16);
            dst = out.data() + used;
            outLeft = static_cast<size_t>(out.size() - used);
        }
        *dst++ = '?';
        --outLeft;
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                                    (static_cast<unsigned char>(in[1]) << 8));
        // A whole pair is one character; a lone high surrogate is skipped alone, so the
        // character after it is still converted.
        const char16_t next = inLeft >= 4 ? static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                                                  (static_cast<unsigned char>(in[3]) << 8))
                                          : 0;
        const bool pair = QChar::isHighSurrogate(unit) && QChar::isLowSurrogate(next);
        const size_t skip = pair ? 4 : 2;
        in += skip;
        inLeft -= skip;
        conv.reset();
    }
    out.truncate(dst - out.data());
    if (allRepresentable)
        *allRepresentable = complete;
    return out;
}

QString CCodePage932::decode(QByteArrayView bytes)
{
    QString out;
    const Converter &conv = fromCp932();
    if (!conv.valid() || bytes.isEmpty())
        return out;
    conv.reset();
    const char *in = bytes.data();
    size_t inLeft = static_cast<size_t>(bytes.size());
    out.resize(bytes.size() + 2);
    char *dst = reinterpret_cast<char *>(out.data());
    size_t outLeft = static_cast<size_t>(out.size()) * 2;
    while (inLeft > 0) {
        const size_t r = iconv(conv.handle(), const_cast<char **>(&in), &inLeft, &dst, &outLeft);
        if (r != static_cast<size_t>(-1))
            break;
        const qsizetype usedUnits = (dst - reinterpret_cast<char *>(out.data())) / 2;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            dst = reinterpret_cast<char *>(out.data() + usedUnits);
            outLeft = static_cast<size_t>(out.size() - usedUnits) * 2;
            continue;
        }
        // A lone lead byte at the end or an unmapped sequence: one placeholder per bad byte.
        if (outLeft < 2) {
            out.resize(out.size() + 8);
            dst = reinterpret_cast<char *>(out.data() + usedUnits);
            outLeft = static_cast<size_t>(out.size() - usedUnits) * 2;
        }
        out[usedUnits] = QChar(kDecodeFallback);
        dst += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        conv.reset();
    }
    out.truncate((dst - reinterpret_cast<char *>(out.data())) / 2);
    return out;
}
