#pragma once

#include <string_view>
#include <vector>

// For tests, which run each path of the engine: the paths this build and
// processor offer ("portable", then "sse2" and "avx2" where offered), best
// last. The operations take the best unless UseEnginePath names another; it
// holds for every thread, so call it only while no operation runs.
std::vector<std::string_view> EnginePaths();
void UseEnginePath(std::string_view name);
