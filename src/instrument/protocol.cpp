#include "instrument/protocol.h"
