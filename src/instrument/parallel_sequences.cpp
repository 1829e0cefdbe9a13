#include "instrument/parallel_sequences.h"
