// The first two bytes are the head and tail counts; the rest is a received shared datagram.
#include "FuzzEnvironment.h"

#include "net/CSharedProtocol.h"

#include <cstdint>

#define check(condition) checkAt((condition), #condition, __LINE__)

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    disableOperationLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int head = data[0] % 4;
    const int tail = data[1] % 4;
    const QByteArrayView datagram(data + 2, static_cast<qsizetype>(size - 2));
    const QString text = CSharedProtocol::decode(datagram);
    const QStringList fields = CSharedProtocol::split(text, head, tail);

    // The fields are the text cut at some of its commas, in order, and nothing else.
    check(fields.join(QLatin1Char(',')) == text);
    const qsizetype commas = text.count(QLatin1Char(','));
    const qsizetype expected = commas < head + tail ? commas + 1 : head + tail + 1;
    check(fields.size() == expected);
    for (int i = 0; i < head && i < fields.size() - 1; ++i)
        check(!fields.at(i).contains(QLatin1Char(',')));

    check(CSharedProtocol::fields(datagram, head, tail) == fields);
    // The marker tests look at raw bytes only; exercise them on every input.
    if (CSharedProtocol::isBlockEnd(datagram))
        check(text == CSharedProtocol::blockEndLine());
    if (CSharedProtocol::startsWithEraseMarker(datagram))
        check(text.startsWith(QStringLiteral(u"$消去$")));
    if (CSharedProtocol::startsWithNewlineMarker(datagram))
        check(text.startsWith(QStringLiteral(u"$改行$")));
    return 0;
}
