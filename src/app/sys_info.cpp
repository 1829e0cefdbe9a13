#include "app/sys_info.h"
