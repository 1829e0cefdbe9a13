#include "app/message.h"
