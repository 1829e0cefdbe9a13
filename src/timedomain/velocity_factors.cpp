#include "timedomain/velocity_factors.h"

TimeDomainOptions DefaultTimeDomainOptions(const Settings& settings) {
    TimeDomainOptions options;
    options.VelocityFactor = settings.InputVelFactor;
    return options;
}
