#pragma once

// The instruction-set kernels of the engine: each classifies and copies a block
// of 64 units its own way. Included by BlankLines.cpp alone.

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

}  // namespace
