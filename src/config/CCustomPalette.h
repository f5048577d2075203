#pragma once

#include <QString>

#include <array>

class CConfig;

// The colour dialog's 16 custom colours (0xBBGGRR), kept for the whole run and stored in
// "miscellaneous.customcolors" as 16 six-digit upper-case hexadecimal fields joined by ",".
class CCustomPalette final
{
public:
    static constexpr int kCount = 16;
    static constexpr quint32 kWhite = 0xFFFFFF;
    // 16 fields of 6 characters and 15 separators.
    static constexpr qsizetype kTextLength = 111;

    enum class ParseResult
    {
        Ok,
        Invalid,
        InvalidArgument
    };

    // Every entry white.
    CCustomPalette();

    quint32 color(int index) const { return m_colors.at(static_cast<size_t>(index)); }
    void setColor(int index, quint32 color) { m_colors.at(static_cast<size_t>(index)) = color & kWhite; }
    const std::array<quint32, kCount> &colors() const { return m_colors; }

    // Writes the key; false when the store refuses it.
    bool SaveCustomColors(CConfig &config) const;
    // Takes the key when it is exactly 111 characters of 16 valid fields. Otherwise every entry
    // becomes white and entries 0 to 12 take the window background and highlight colours that can
    // be read. Returns whether the key was used.
    bool LoadCustomColors(const CConfig &config);

    // Parses at most 6 characters of text from start, upper-cased; blanks and tabs are skipped
    // while no digit has been read, anything else must be a hexadecimal digit. An exhausted
    // window is a success (0 when it held no digit). A start beyond the text's end is an invalid
    // argument.
    static ParseResult ParseHex6(const QString &text, qsizetype start, quint32 &value);

private:
    std::array<quint32, kCount> m_colors;
};
