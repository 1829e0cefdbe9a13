#include "common/leading_number.h"
