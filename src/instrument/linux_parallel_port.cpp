#include "instrument/linux_parallel_port.h"
