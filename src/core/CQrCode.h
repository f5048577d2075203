#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A QR code as a square of dark and light modules, made by libqrencode. No drawing here: the
// display and the web settings dialog paint the modules themselves, at their own scale.
class CQrCode final
{
public:
    // Medium error correction: a code on a big screen across the room survives some glare and
    // a partly covered corner without growing much.
    static std::optional<CQrCode> Encode(const QString &text);

    // Modules per side (21 for version 1, 4 more per version).
    int size() const { return m_nSize; }
    int version() const { return m_nVersion; }
    bool isDark(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_nSize && y < m_nSize && m_modules[size_t(y) * m_nSize + x];
    }
    // Light modules a reader needs around the code, on each side.
    static constexpr int kQuietZone = 4;

private:
    CQrCode() = default;

    int m_nSize = 0;
    int m_nVersion = 0;
    std::vector<bool> m_modules;
};
