#pragma once

class CConfig;
class CNetController;

// The display log and contact log switches: the controller keeps them while the program runs,
// the settings store between runs.
class CLogSwitches final
{
public:
    CLogSwitches() = delete;

    static void Apply(const CConfig &config, CNetController &net);
    static void Store(const CNetController &net, CConfig &config);
};
