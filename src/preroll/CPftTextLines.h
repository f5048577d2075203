#pragma once

#include "preroll/IPftLines.h"

#include <QStringList>

// A pre-roll text held as a plain list of lines. CR LF, a lone CR and a lone LF each end a line,
// as they do when a file is opened.
class CPftTextLines final : public IPftLines
{
public:
    explicit CPftTextLines(QStringView text = {});

    int lineCount() const override { return static_cast<int>(m_lines.size()); }
    QString line(int index) const override;

    const QStringList &lines() const { return m_lines; }

private:
    QStringList m_lines;
};
