#include "app/CCaptionStoreStart.h"

#include "config/CConfig.h"
#include "timeline/ReceivedMain.h"

#include <algorithm>

namespace {

constexpr qint32 kBlankLineType = 'i';
const QString kLocalAddress = QStringLiteral("127.0.0.1");

} // namespace

int CCaptionStoreStart::Configure(const CConfig &config, ReceivedMain &captions)
{
    const int displayLines = config.GetIntOr(QStringLiteral("main.line.max_i"), 50);
    const int linesKept =
        std::max(config.GetIntOr(QStringLiteral("miscellaneous.log.lines.keep_i"), 0), 2 * displayLines);
    captions.Configure(linesKept, displayLines);
    return displayLines;
}

void CCaptionStoreStart::FillScreen(ReceivedMain &captions, int displayLines)
{
    for (int i = 0; i < displayLines; ++i)
        captions.AddString(QString(), kLocalAddress, kBlankLineType);
}
