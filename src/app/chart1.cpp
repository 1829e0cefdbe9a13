#include "app/chart1.h"
