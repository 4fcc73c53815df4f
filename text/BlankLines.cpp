#include "text/BlankLines.h"

#include "text/EnginePaths.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#define BLANKLINES_SSE2 1
#define BLANKLINES_TARGET_SSE2
#include <emmintrin.h>
#elif defined(__i386__)
// 32-bit x86 built for processors without SSE2 (32-bit Windows 7 runs on
// them): the SSE2 path is compiled for it alone and chosen at run time.
#define BLANKLINES_SSE2 1
#define BLANKLINES_SSE2_AT_RUN_TIME 1
#define BLANKLINES_TARGET_SSE2 __attribute__((target("sse2")))
#include <emmintrin.h>
#endif

#if defined(__x86_64__) || defined(__i386__)
#define BLANKLINES_AVX2 1
#include <immintrin.h>
#endif

#define BLANKLINES_INLINE inline __attribute__((always_inline))

namespace {

constexpr char16_t kCR = u'\r';
constexpr char16_t kLF = u'\n';
constexpr char16_t kSpace = u' ';

// Both operations change the text only at a few places near line breaks, so
// it is copied in blocks of 64 units while it is classified (one bit per unit
// in each mask) and only the places that change are handled one by one: after
// each, the rest of the block is stored again at its new offset. There are no
// per-line branches to mispredict, and a line with nothing to change costs
// nothing beyond its share of the block.
constexpr size_t kBlock = 64;
// A block reads up to 2 * kBlock + 1 units from its start (the re-store after
// a change near its end); the last ones are read from a padded copy.
constexpr size_t kReach = 2 * kBlock + 2;
// Whole-block stores run this far past the data written so far.
constexpr size_t kSlack = 3 * kBlock;

struct Masks {
    uint64_t cr, lf, space;
};

// Block classifies 64 units and copies them to dst, Copy copies 64 units,
// FillLF writes at least `count` (at most 32) LFs. Three versions: portable,
// SSE2 (every x86-64, chosen at run time on 32-bit x86) and AVX2 (chosen at
// run time).
struct Portable {
    template <bool kSpaces>
    static Masks Block(const char16_t* src, char16_t* dst) {
        Masks m{0, 0, 0};
        for (size_t i = 0; i < kBlock; ++i) {
            m.cr |= uint64_t{src[i] == kCR} << i;
            m.lf |= uint64_t{src[i] == kLF} << i;
            if (kSpaces) m.space |= uint64_t{src[i] == kSpace} << i;
        }
        std::memcpy(dst, src, kBlock * sizeof(char16_t));
        return m;
    }

    static void Copy(char16_t* dst, const char16_t* src) {
        std::memcpy(dst, src, kBlock * sizeof(char16_t));
    }

    static void FillLF(char16_t* dst, ptrdiff_t count) {
        for (ptrdiff_t i = 0; i < count; ++i) dst[i] = kLF;
    }
};

#if BLANKLINES_SSE2
struct Sse2 {
    template <bool kSpaces>
    BLANKLINES_TARGET_SSE2 static Masks Block(const char16_t* src, char16_t* dst) {
        const __m128i cr = _mm_set1_epi8(static_cast<char>(kCR));
        const __m128i lf = _mm_set1_epi8(static_cast<char>(kLF));
        const __m128i space = _mm_set1_epi8(static_cast<char>(kSpace));
        Masks m{0, 0, 0};
        for (unsigned i = 0; i < kBlock; i += 16) {
            __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 8), b);
            // Units above 0xFF saturate to 0x00 or 0xFF, so a byte equals CR,
            // LF or space only where the unit does.
            __m128i bytes = _mm_packus_epi16(a, b);
            m.cr |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)))}
                    << i;
            m.lf |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)))}
                    << i;
            if (kSpaces)
                m.space |=
                    uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, space)))}
                    << i;
        }
        return m;
    }

    BLANKLINES_TARGET_SSE2 static void Copy(char16_t* dst, const char16_t* src) {
        for (unsigned i = 0; i < kBlock; i += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
    }

    BLANKLINES_TARGET_SSE2 static void FillLF(char16_t* dst, ptrdiff_t count) {
        const __m128i lf = _mm_set1_epi16(static_cast<short>(kLF));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), lf);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), lf);
        if (count > 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), lf);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 24), lf);
        }
    }
};
#endif

#if BLANKLINES_AVX2
#define BLANKLINES_TARGET_AVX2 __attribute__((target("avx2,bmi")))

struct Avx2 {
    template <bool kSpaces>
    BLANKLINES_TARGET_AVX2 static Masks Block(const char16_t* src, char16_t* dst) {
        const __m256i cr = _mm256_set1_epi8(static_cast<char>(kCR));
        const __m256i lf = _mm256_set1_epi8(static_cast<char>(kLF));
        const __m256i space = _mm256_set1_epi8(static_cast<char>(kSpace));
        Masks m{0, 0, 0};
        for (unsigned i = 0; i < kBlock; i += 32) {
            __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
            __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 16));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), a);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 16), b);
            // As in SSE2; the pack works within 128-bit lanes, the permute
            // puts the units back in order.
            __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
            m.cr |=
                uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, cr)))}
                << i;
            m.lf |=
                uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, lf)))}
                << i;
            if (kSpaces)
                m.space |= uint64_t{static_cast<uint32_t>(
                               _mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, space)))}
                           << i;
        }
        return m;
    }

    BLANKLINES_TARGET_AVX2 static void Copy(char16_t* dst, const char16_t* src) {
        for (unsigned i = 0; i < kBlock; i += 16)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)));
    }

    BLANKLINES_TARGET_AVX2 static void FillLF(char16_t* dst, ptrdiff_t count) {
        const __m256i lf = _mm256_set1_epi16(static_cast<short>(kLF));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), lf);
        if (count > 16) _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 16), lf);
    }
};
#endif

// Runs fn(bs, src) over the blocks of s[from, n] (block starts from, from + 64,
// ... while at most n; src holds the block and 64 units after it) until fn
// returns false. The last blocks come from a zero-padded copy: a zero unit is
// neither CR, LF nor space. Returns the start of the first block not run.
template <class Fn>
BLANKLINES_INLINE size_t ForEachBlock(const char16_t* s, size_t n, size_t from, Fn fn) {
    size_t bs = from;
    for (; n - bs >= kReach; bs += kBlock) {
        // Two pages ahead (the hardware prefetchers stop at page edges), as
        // an integer address since the text may end before it. Worth a few
        // percent on a large text that is not in cache. The builtin, unlike
        // _mm_prefetch, needs no SSE: in an i686 function without it, it
        // compiles to nothing.
        uintptr_t ahead = reinterpret_cast<uintptr_t>(s + bs) + 8192;
        __builtin_prefetch(reinterpret_cast<const char*>(ahead), 0, 3);
        __builtin_prefetch(reinterpret_cast<const char*>(ahead + 64), 0, 3);
        if (!fn(bs, s + bs)) return bs;
    }
    for (; bs <= n; bs += kBlock) {
        char16_t tail[kReach] = {};
        std::memcpy(tail, s + bs, (n - bs) * sizeof(char16_t));
        if (!fn(bs, tail)) return bs;
    }
    return bs;
}

// 去空行: the repeated "space CR LF" -> "CR LF" replacement removes every space
// that stands before a break, possibly across other spaces, and then the CR of
// each break followed by another break goes. So a group (a run of spaces and
// breaks ending in a break) of k breaks becomes k - 1 LFs and one CR LF; a
// single break with no spaces before it stays as it is. The output index of
// input position p is p + shift, for p past the last group written. Returns
// the result's length.
template <class Isa>
BLANKLINES_INLINE size_t RemoveBlocks(const char16_t* s, size_t n, char16_t* out) {
    ptrdiff_t shift = 0;
    uint64_t breakCarry = 0;  // the last unit of the previous block starts a break
    uint64_t markCarry = 0;   // ... is a space or the LF of a break
    ForEachBlock(s, n, 0, [&](size_t bs, const char16_t* src) {
        Masks m = Isa::template Block<true>(src, out + static_cast<ptrdiff_t>(bs) + shift);
        uint64_t breaks = m.cr & (m.lf >> 1 | uint64_t{src[kBlock] == kLF} << 63);
        uint64_t pairs = breaks | breaks << 1 | breakCarry;  // CR and LF of every break
        uint64_t grouped = m.space | pairs;
        uint64_t marks = m.space | (pairs & ~breaks);
        // Breaks with a space or another break right before them: each group
        // that changes holds at least one.
        uint64_t changes = breaks & (marks << 1 | markCarry);
        breakCarry = breaks >> 63;
        markCarry = marks >> 63;
        while (changes != 0) {
            uint64_t below = (changes & (0 - changes)) - 1;
            uint64_t after = ~grouped & ~below;
            uint64_t untilEnd = (after & (0 - after)) - 1;  // all bits if the group runs on
            uint64_t before = ~grouped & below;
            changes &= ~untilEnd;
            uint64_t members;  // the group's breaks in this block
            size_t from;       // where its output starts, as an input position
            ptrdiff_t count;   // its breaks
            if (before != 0) {
                // Just past the last unit before the change that is no part
                // of the group.
                unsigned first = 64 - static_cast<unsigned>(std::countl_zero(before));
                members = breaks & untilEnd & (~uint64_t{0} << first);
                from = bs + first;
                count = std::popcount(members);
            } else {
                // The group began in an earlier block, which kept its trailing
                // spaces and wrote its last break as CR LF: take both back.
                members = breaks & untilEnd;
                from = bs + static_cast<size_t>(std::countr_zero(members));
                while (from > 0 && s[from - 1] == kSpace) --from;
                count = std::popcount(members);
                if (from >= 2 && s[from - 2] == kCR && s[from - 1] == kLF) {
                    from -= 2;
                    ++count;
                }
            }
            size_t end = bs + 65 - static_cast<size_t>(std::countl_zero(members));
            char16_t* at = out + static_cast<ptrdiff_t>(from) + shift;
            Isa::FillLF(at, count - 1);
            at[count - 1] = kCR;
            at[count] = kLF;
            at += count + 1;
            shift = at - (out + static_cast<ptrdiff_t>(end));
            Isa::Copy(at, src + (end - bs));
        }
        return true;
    });
    return static_cast<size_t>(static_cast<ptrdiff_t>(n) + shift);
}

// Where AddBlocks stopped for lack of room, to go on from there.
struct AddState {
    size_t bs = 0;
    ptrdiff_t shift = 0;
    uint64_t breakCarry = 0, pairCarry = 0, carry01 = 0, carry23 = 0;
    bool done = false;
};

inline uint64_t AddWithCarry(uint64_t a, uint64_t b, uint64_t carry, uint64_t* sum) {
    uint64_t partial = a + b;
    *sum = partial + carry;
    return uint64_t{partial < a} | uint64_t{*sum < partial};
}

// 加空行: thinning doubled breaks once and joining the lines with a blank line
// leaves a run of k breaks as 2 * ceil(k / 2) breaks, so one more CR LF goes
// after each run of odd length. A run of k breaks is a run of 2k set bits in
// `pairs`; adding its first bit carries to the bit just past it, 2k further
// on, which is 2 mod 4 past the start exactly when k is odd. Runs starting at
// 0 or 1 mod 4 and at 2 or 3 mod 4 are added separately so that the end can
// be told by its position mod 4. Writes into out[0, capacity) and returns the
// length written; state.done once the whole result is there.
template <class Isa>
BLANKLINES_INLINE size_t AddBlocks(const char16_t* s, size_t n, char16_t* out, size_t capacity,
                                   AddState& state) {
    constexpr uint64_t k01 = 0x3333333333333333;  // positions 0 and 1 mod 4
    constexpr uint64_t k23 = ~k01;
    AddState st = state;
    size_t stop = ForEachBlock(s, n, st.bs, [&](size_t bs, const char16_t* src) {
        // At most 22 insertions in a block (breaks are 2 units and a run
        // ending needs a third), and each stores a block past itself.
        if (static_cast<ptrdiff_t>(bs) + st.shift + static_cast<ptrdiff_t>(kSlack) >
            static_cast<ptrdiff_t>(capacity))
            return false;
        Masks m = Isa::template Block<false>(src, out + static_cast<ptrdiff_t>(bs) + st.shift);
        uint64_t breaks = m.cr & (m.lf >> 1 | uint64_t{src[kBlock] == kLF} << 63);
        uint64_t pairs = breaks | breaks << 1 | st.breakCarry;  // CR and LF of every break
        uint64_t starts = pairs & ~(pairs << 1 | st.pairCarry);
        st.breakCarry = breaks >> 63;
        st.pairCarry = pairs >> 63;
        uint64_t sum01, sum23;
        st.carry01 = AddWithCarry(pairs, starts & k01, st.carry01, &sum01);
        st.carry23 = AddWithCarry(pairs, starts & k23, st.carry23, &sum23);
        uint64_t inserts = ((sum01 & k23) | (sum23 & k01)) & ~pairs;
        while (inserts != 0) {
            unsigned bit = static_cast<unsigned>(std::countr_zero(inserts));
            inserts &= inserts - 1;
            char16_t* at = out + static_cast<ptrdiff_t>(bs + bit) + st.shift;
            at[0] = kCR;
            at[1] = kLF;
            st.shift += 2;
            Isa::Copy(at + 2, src + bit);
        }
        return true;
    });
    st.bs = stop;
    st.done = stop > n;
    state = st;
    return static_cast<size_t>(static_cast<ptrdiff_t>(st.done ? n : stop) + st.shift);
}

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

struct Engine {
    std::string_view name;
    RemoveFn remove;
    AddFn add;
};

// The paths this build and processor offer, best last.
struct Engines {
    Engine list[3];
    size_t count;
};

const Engines& Offered() {
    static const Engines offered = [] {
        Engines e{{{"portable", RemovePortable, AddPortable}}, 1};
#if BLANKLINES_SSE2
#if BLANKLINES_SSE2_AT_RUN_TIME
        if (HasSse2())
#endif
            e.list[e.count++] = {"sse2", RemoveSse2, AddSse2};
#endif
#if BLANKLINES_AVX2
        if (HasAvx2()) e.list[e.count++] = {"avx2", RemoveAvx2, AddAvx2};
#endif
        return e;
    }();
    return offered;
}

// The best path, unless a test chose another.
Engine& TheEngine() {
    static Engine engine = Offered().list[Offered().count - 1];
    return engine;
}

// Lets write(data) fill out[0, capacity) and keeps the length it returns; the
// units already in out stay. With resize_and_overwrite the buffer is not
// zero-filled first, so a fresh result's pages are written once.
template <class Write>
void Overwrite(std::u16string& out, size_t capacity, Write write) {
#if defined(__cpp_lib_string_resize_and_overwrite)
    out.resize_and_overwrite(capacity, [&](char16_t* data, size_t) { return write(data); });
#else
    out.resize(capacity);
    out.resize(write(out.data()));
#endif
}

}  // namespace

std::u16string RemoveBlankLines(std::u16string_view text) {
    RemoveFn remove = TheEngine().remove;
    std::u16string out;
    // The result is never longer than the text.
    Overwrite(out, text.size() + kSlack,
              [&](char16_t* data) { return remove(text.data(), text.size(), data); });
    return out;
}

std::u16string AddBlankLines(std::u16string_view text) {
    AddFn add = TheEngine().add;
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

std::vector<std::string_view> EnginePaths() {
    const Engines& offered = Offered();
    std::vector<std::string_view> names;
    for (size_t i = 0; i < offered.count; ++i) names.push_back(offered.list[i].name);
    return names;
}

void UseEnginePath(std::string_view name) {
    const Engines& offered = Offered();
    for (size_t i = 0; i < offered.count; ++i)
        if (offered.list[i].name == name) TheEngine() = offered.list[i];
}
