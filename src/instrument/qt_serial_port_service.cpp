#include "instrument/qt_serial_port_service.h"
