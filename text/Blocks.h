#pragma once

// The engine's algorithm, once, over any kernel of Kernels.h. Included by
// BlankLines.cpp alone.

#include <bit>

#include "text/Kernels.h"

namespace {

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

}  // namespace
