#include "core/DescriptorLimit.h"

#include <limits>

#include <sys/resource.h>

qint64 RaiseDescriptorLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur != limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = raised.rlim_max;
        // Refused (an unlimited hard limit is above what the kernel allows): the old one stays.
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? std::numeric_limits<qint64>::max()
                                           : static_cast<qint64>(limit.rlim_cur);
}
