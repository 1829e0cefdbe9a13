#include "instrument/serial_device.h"
