#pragma once

#include <limits>

#include "measure/trace_pixels.h"

class QPainter;

// Draws each polyline of pixels with the painter's pen; given a range of x
// (logical pixels), only what can light a pixel within it.
void DrawRuns(QPainter& painter, const TracePolylines& pixels,
              double fromX = -std::numeric_limits<double>::infinity(),
              double toX = std::numeric_limits<double>::infinity());
