#include "text/BlankLines.h"

#include "text/Blocks.h"
#include "text/EnginePaths.h"

namespace {

using RemoveFn = size_t (*)(const char16_t*, size_t, char16_t*);
using AddFn = size_t (*)(const char16_t*, size_t, char16_t*, size_t, AddState&);

size_t RemovePortable(const char16_t* s, size_t n, char16_t* out) {
    return RemoveBlocks<Portable>(s, n, out);
}
size_t AddPortable(const char16_t* s, size_t n, char16_t* out, size_t capacity, AddState& st) {
    return AddBlocks<Portable>(s, n, out, capacity, st);
}

#if BLANKLINES_SSE2_AT_RUN_TIME
// flatten: as for AVX2 below.
#define BLANKLINES_SSE2_OUTER BLANKLINES_TARGET_SSE2 __attribute__((flatten))
#else
#define BLANKLINES_SSE2_OUTER
#endif

#if BLANKLINES_SSE2
BLANKLINES_SSE2_OUTER size_t RemoveSse2(const char16_t* s, size_t n, char16_t* out) {
    return RemoveBlocks<Sse2>(s, n, out);
}
BLANKLINES_SSE2_OUTER size_t AddSse2(const char16_t* s, size_t n, char16_t* out, size_t capacity,
                                     AddState& st) {
    return AddBlocks<Sse2>(s, n, out, capacity, st);
}
#endif

#if BLANKLINES_AVX2
// flatten: the block helpers carry the AVX2 target too, so they can only be
// inlined once the generic loop sits inside an AVX2 function.
BLANKLINES_TARGET_AVX2 __attribute__((flatten)) size_t RemoveAvx2(const char16_t* s, size_t n,
                                                                  char16_t* out) {
    return RemoveBlocks<Avx2>(s, n, out);
}
BLANKLINES_TARGET_AVX2 __attribute__((flatten)) size_t AddAvx2(const char16_t* s, size_t n,
                                                               char16_t* out, size_t capacity,
                                                               AddState& st) {
    return AddBlocks<Avx2>(s, n, out, capacity, st);
}

#if BLANKLINES_SSE2_AT_RUN_TIME
bool HasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}
#endif

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi");
}
#endif

// Lets write(data) fill out[0, capacity) and keeps the length it returns; the
// buffer is not zero-filled first, so a fresh result's pages are written once.
template <class Write>
void Overwrite(std::u16string& out, size_t capacity, Write write) {
    out.resize_and_overwrite(capacity, [&](char16_t* data, size_t) { return write(data); });
}

template <RemoveFn remove>
std::u16string RemoveWith(std::u16string_view text) {
    std::u16string out;
    // The result is never longer than the text.
    Overwrite(out, text.size() + kSlack,
              [&](char16_t* data) { return remove(text.data(), text.size(), data); });
    return out;
}

template <AddFn add>
std::u16string AddWith(std::u16string_view text) {
    const size_t n = text.size();
    std::u16string out;
    // Prose grows by a few percent; past the guess the work goes on in a
    // larger buffer from where it stopped.
    size_t capacity = n + n / 8 + kSlack;
    AddState state;
    for (;;) {
        Overwrite(out, capacity,
                  [&](char16_t* data) { return add(text.data(), n, data, capacity, state); });
        if (state.done) return out;
        capacity += capacity / 2;
    }
}

// The paths this build and processor offer, best last.
struct Offered {
    EnginePath list[3];
    size_t count;
};

const Offered& OfferedPaths() {
    static const Offered offered = [] {
        Offered o{{{"portable", RemoveWith<RemovePortable>, AddWith<AddPortable>}}, 1};
#if BLANKLINES_SSE2
#if BLANKLINES_SSE2_AT_RUN_TIME
        if (HasSse2())
#endif
            o.list[o.count++] = {"sse2", RemoveWith<RemoveSse2>, AddWith<AddSse2>};
#endif
#if BLANKLINES_AVX2
        if (HasAvx2()) o.list[o.count++] = {"avx2", RemoveWith<RemoveAvx2>, AddWith<AddAvx2>};
#endif
        return o;
    }();
    return offered;
}

}  // namespace

std::span<const EnginePath> EnginePaths() {
    const Offered& offered = OfferedPaths();
    return {offered.list, offered.count};
}

const EnginePath* FindEnginePath(std::string_view name) {
    for (const EnginePath& path : EnginePaths())
        if (path.name == name) return &path;
    return nullptr;
}

std::u16string RemoveBlankLines(std::u16string_view text) {
    return EnginePaths().back().removeBlankLines(text);
}

std::u16string AddBlankLines(std::u16string_view text) {
    return EnginePaths().back().addBlankLines(text);
}
