#include "support/outcome_name.h"

namespace TestSupport {

const char* OutcomeName(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::Completed:
            return "Completed";
        case ExchangeOutcome::NothingSent:
            return "NothingSent";
        case ExchangeOutcome::Refused:
            return "Refused";
        case ExchangeOutcome::PortError:
            return "PortError";
        case ExchangeOutcome::DeviceGone:
            return "DeviceGone";
        case ExchangeOutcome::Timeout:
            return "Timeout";
        case ExchangeOutcome::ShortReply:
            return "ShortReply";
        case ExchangeOutcome::SurplusReply:
            return "SurplusReply";
        case ExchangeOutcome::Discarded:
            return "Discarded";
    }
    return "?";
}

}  // namespace TestSupport
