#include "app/about_window.h"
