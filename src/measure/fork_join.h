#pragma once

#include <functional>

// Runs side on a helper thread while here runs on the caller's, and returns
// when both are done. The two must not touch the same data. With a single
// core, or with the helper already busy (a nested call), side runs on the
// caller's thread after here: the result is the same either way.
void ForkJoin(const std::function<void()>& side, const std::function<void()>& here);
