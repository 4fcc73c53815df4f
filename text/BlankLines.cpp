#include "text/BlankLines.h"

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char16_t kCR = u'\r';
constexpr char16_t kLF = u'\n';
constexpr char16_t kSpace = u' ';

// Block stores may run this far past the data written so far.
constexpr size_t kSlack = 16;

bool IsBreakAt(const char16_t* s, size_t pos, size_t n) {
    return pos + 1 < n && s[pos] == kCR && s[pos + 1] == kLF;
}

// The output buffer, written through a raw cursor. Both operations change
// the text only at line breaks, so most of it is copied while it is scanned;
// per-line calls to std::u16string::append would cost more than the copy.
class Writer {
public:
    Writer(std::u16string& out, size_t capacity) : m_out(out) {
        m_out.resize(capacity + kSlack);
        m_base = m_out.data();
        m_cursor = m_base;
        m_end = m_base + capacity;
    }

    // Guarantees room for `count` more units (plus the block slack).
    void Ensure(size_t count) {
        if (static_cast<size_t>(m_end - m_cursor) >= count) return;
        size_t used = Used();
        size_t capacity = used + count + (used + count) / 2;
        m_out.resize(capacity + kSlack);
        m_base = m_out.data();
        m_cursor = m_base + used;
        m_end = m_base + capacity;
    }

    // Copies s[pos, ...) up to the next CR and returns the CR's position, or
    // n. Needs room for n - pos units.
    size_t CopyUntilCR(const char16_t* s, size_t pos, size_t n) {
#if defined(__SSE2__)
        const __m128i cr = _mm_set1_epi16(static_cast<short>(kCR));
        // Two blocks a turn: most lines end within the first two turns.
        for (; pos + 16 <= n; pos += 16) {
            __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
            __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos + 8));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_cursor), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_cursor + 8), hi);
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(lo, cr))) |
                            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(hi, cr))) << 16;
            if (mask != 0) {
                size_t offset = static_cast<size_t>(__builtin_ctz(mask)) / 2;
                m_cursor += offset;
                return pos + offset;
            }
            m_cursor += 16;
        }
        for (; pos + 8 <= n; pos += 8) {
            __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_cursor), units);
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, cr)));
            if (mask != 0) {
                size_t offset = static_cast<size_t>(__builtin_ctz(mask)) / 2;
                m_cursor += offset;
                return pos + offset;
            }
            m_cursor += 8;
        }
#endif
        for (; pos < n && s[pos] != kCR; ++pos) *m_cursor++ = s[pos];
        return pos;
    }

    void Put(char16_t c) {
        *m_cursor++ = c;
    }

    void Copy(const char16_t* from, size_t count) {
        std::memcpy(m_cursor, from, count * sizeof(char16_t));
        m_cursor += count;
    }

    // Writes CR LF, keeping only the LF when `lfOnly`.
    void Break(bool lfOnly) {
        m_cursor[0] = lfOnly ? kLF : kCR;
        m_cursor[1] = kLF;
        m_cursor += lfOnly ? 1 : 2;
    }

    // Drops the spaces just written.
    void TrimSpaces() {
        while (m_cursor > m_base && m_cursor[-1] == kSpace) --m_cursor;
    }

    void Finish() {
        m_out.resize(Used());
    }

private:
    size_t Used() const {
        return static_cast<size_t>(m_cursor - m_base);
    }

    std::u16string& m_out;
    char16_t* m_base;
    char16_t* m_cursor;
    char16_t* m_end;
};

// Stripping spaces before breaks and dropping the CR of a break that is
// followed by another break are done in one pass. The repeated
// "space CR LF" -> "CR LF" replacement removes whole runs of spaces that end
// at a break (the output's trailing spaces are exactly those, as nothing
// removed so far is a space or stands next to one), and a run of spaces
// between two breaks turns them into a blank line that the second step must
// see, hence the look-ahead over spaces.
void RemoveInto(std::u16string_view text, std::u16string& out) {
    const char16_t* s = text.data();
    const size_t n = text.size();
    Writer writer(out, n);  // the result is never longer than the text

    size_t pos = 0;
    while ((pos = writer.CopyUntilCR(s, pos, n)) < n) {
        if (!IsBreakAt(s, pos, n)) {  // lone CR: ordinary character
            writer.Put(kCR);
            ++pos;
            continue;
        }
        writer.TrimSpaces();
        // A run of breaks is handled here, not one break per outer turn, so
        // that a text of nothing but breaks goes as fast as prose.
        for (;;) {
            size_t afterSpaces = pos + 2;
            while (afterSpaces < n && s[afterSpaces] == kSpace) ++afterSpaces;
            // Another break follows once those spaces go: keep only the LF,
            // and skip the spaces, which stand before a break.
            bool blankFollows = IsBreakAt(s, afterSpaces, n);
            writer.Break(blankFollows);
            if (!blankFollows) {
                pos += 2;
                break;
            }
            pos = afterSpaces;
        }
    }
    writer.Finish();
}

// Thinning doubled breaks once and then joining the lines with a blank line
// leaves a run of k breaks as 2 * ceil(k / 2) breaks; nothing else changes.
void AddInto(std::u16string_view text, std::u16string& out) {
    const char16_t* s = text.data();
    const size_t n = text.size();
    // Ordinary prose grows by a few percent; the writer grows if it must.
    Writer writer(out, n + n / 8 + 2);

    size_t pos = 0;
    for (;;) {
        writer.Ensure(n - pos + 2);  // this line, its run of breaks, one more
        pos = writer.CopyUntilCR(s, pos, n);
        if (pos == n) break;
        if (!IsBreakAt(s, pos, n)) {
            writer.Put(kCR);
            ++pos;
            continue;
        }
        size_t runEnd = pos + 2;
        while (IsBreakAt(s, runEnd, n)) runEnd += 2;
        writer.Copy(s + pos, runEnd - pos);
        if ((runEnd - pos) % 4 == 2) writer.Break(false);  // odd run: one more
        pos = runEnd;
    }
    writer.Finish();
}

}  // namespace

std::u16string RemoveBlankLines(std::u16string_view text) {
    std::u16string out;
    RemoveInto(text, out);
    return out;
}

std::u16string AddBlankLines(std::u16string_view text) {
    std::u16string out;
    AddInto(text, out);
    return out;
}

void RemoveBlankLines(std::u16string_view text, std::u16string& out) {
    RemoveInto(text, out);
}

void AddBlankLines(std::u16string_view text, std::u16string& out) {
    AddInto(text, out);
}
