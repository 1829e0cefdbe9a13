#include "files/vec_file.h"
