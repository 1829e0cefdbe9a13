#include "app/single_instance.h"
