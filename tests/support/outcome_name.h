#pragma once

#include "instrument/sweep_exchange.h"

namespace TestSupport {

// The outcome's name as the enum spells it, for test messages and figures.
const char* OutcomeName(ExchangeOutcome outcome);

}  // namespace TestSupport
