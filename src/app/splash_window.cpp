#include "app/splash_window.h"
