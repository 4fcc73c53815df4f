#pragma once

#include <span>
#include <string>
#include <string_view>

// One path of the engine: the same algorithm over one instruction set.
struct EnginePath {
    std::string_view name;
    std::u16string (*removeBlankLines)(std::u16string_view);
    std::u16string (*addBlankLines)(std::u16string_view);
};

// The paths this build and processor offer: "portable", then "sse2" and "avx2"
// where offered, best last. RemoveBlankLines and AddBlankLines take the best;
// tests and benchmarks ask for each by name.
std::span<const EnginePath> EnginePaths();
// nullptr where this build or processor lacks the path.
const EnginePath* FindEnginePath(std::string_view name);
