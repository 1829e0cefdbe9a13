#include "instrument/sweep_exchange.h"
