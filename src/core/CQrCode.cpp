#include "core/CQrCode.h"

#include <qrencode.h>

#include <memory>

std::optional<CQrCode> CQrCode::Encode(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return std::nullopt;
    // 8-bit data: an address holds lower-case letters and ':' '/', which the alphanumeric mode
    // cannot carry, and letting the library pick modes would only shave a few modules.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> encoded(
        QRcode_encodeData(int(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()), 0,
                          QR_ECLEVEL_M),
        &QRcode_free);
    if (!encoded || encoded->width <= 0)
        return std::nullopt;
    CQrCode code;
    code.m_nSize = encoded->width;
    code.m_nVersion = encoded->version;
    code.m_modules.resize(size_t(code.m_nSize) * code.m_nSize);
    for (size_t i = 0; i < code.m_modules.size(); ++i)
        code.m_modules[i] = (encoded->data[i] & 1) != 0;
    return code;
}
