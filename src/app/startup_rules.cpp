#include "app/startup_rules.h"
