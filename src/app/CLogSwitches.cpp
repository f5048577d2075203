#include "app/CLogSwitches.h"

#include "config/CConfig.h"
#include "net/CNetController.h"

namespace {

const QString kDisplayLogKey = QStringLiteral("miscellaneous.log.display_i");
const QString kContactLogKey = QStringLiteral("miscellaneous.log.chat_i");

} // namespace

void CLogSwitches::Apply(const CConfig &config, CNetController &net)
{
    net.setDisplayLogEnabled(config.GetIntOr(kDisplayLogKey, 0) != 0);
    net.setContactLogEnabled(config.GetIntOr(kContactLogKey, 0) != 0);
}

void CLogSwitches::Store(const CNetController &net, CConfig &config)
{
    config.SetInt(kDisplayLogKey, net.displayLogEnabled() ? 1 : 0);
    config.SetInt(kContactLogKey, net.contactLogEnabled() ? 1 : 0);
}
