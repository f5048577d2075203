#include "core/DescriptorLimit.h"

#include <QtTest>

#include <sys/resource.h>

class DescriptorLimitTest final : public QObject
{
    Q_OBJECT

private slots:
    void softLimitRisesToTheHardOne()
    {
        rlimit limit = {};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
        if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max < 64)
            QSKIP("the hard limit leaves nothing to raise");
        // As a desktop session starts programs: a soft limit well under the hard one.
        rlimit lowered = limit;
        lowered.rlim_cur = 64;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
        QCOMPARE(RaiseDescriptorLimit(), static_cast<qint64>(limit.rlim_max));
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
        QCOMPARE(limit.rlim_cur, limit.rlim_max);
        // Again: nothing changes.
        QCOMPARE(RaiseDescriptorLimit(), static_cast<qint64>(limit.rlim_max));
    }
};

QTEST_APPLESS_MAIN(DescriptorLimitTest)
#include "DescriptorLimitTest.moc"
