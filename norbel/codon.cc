// Start and stop codons in a raw nucleotide stream.
//
// A codon is three consecutive characters of the stream, either case; any
// other character between its bases (a newline too) breaks it.  The search
// is a small automaton over the bytes, one table step per byte, run on the
// stream's own buffer where the C library allows it.
#include <array>
#include <cerrno>
#include <cstdint>

#include "lineio.h"
#include "norbel.h"

namespace {

constexpr uint8_t kMatch = 0xff;
using Automaton = std::array<std::array<uint8_t, 256>, 4>;

constexpr bool is(int byte, char base)
{
    return byte == base || byte == base + ('a' - 'A');
}

// ATG.  States: 0 nothing, 1 after A, 2 after AT.
constexpr Automaton make_start()
{
    Automaton next{};
    for (int s = 0; s < 4; s++)
        for (int b = 0; b < 256; b++) {
            if (is(b, 'A'))
                next[s][b] = 1;
            else if (is(b, 'T') && s == 1)
                next[s][b] = 2;
            else if (is(b, 'G') && s == 2)
                next[s][b] = kMatch;
            else
                next[s][b] = 0;
        }
    return next;
}

// TAA, TAG, TGA.  States: 0 nothing, 1 after T, 2 after TA, 3 after TG.
constexpr Automaton make_stop()
{
    Automaton next{};
    for (int s = 0; s < 4; s++)
        for (int b = 0; b < 256; b++) {
            if (is(b, 'T'))
                next[s][b] = 1;
            else if (is(b, 'A'))
                next[s][b] = s == 1 ? 2 : s >= 2 ? kMatch : 0;
            else if (is(b, 'G'))
                next[s][b] = s == 1 ? 3 : s == 2 ? kMatch : 0;
            else
                next[s][b] = 0;
        }
    return next;
}

constexpr Automaton kStart = make_start();
constexpr Automaton kStop = make_stop();

// No codon before the end of the input.  A read error counts as the end
// too, so that callers that loop until feof stop (ferror tells them why).
int64_t not_found(FILE *stream, char codon[4])
{
    codon[0] = '\0';
#ifdef __GLIBC__
    if (ferror_unlocked(stream))
        stream->_flags |= _IO_EOF_SEEN;
#else
    (void)stream;
#endif
    return -1;
}

int64_t next_codon(FILE *stream, char codon[4], const Automaton &next)
{
    nb::StreamLock lock(stream);
    int64_t passed = 0;   // bytes consumed before the current chunk
    char before[2] = {0}; // the last two bytes consumed, oldest first
    unsigned state = 0;
#ifdef __GLIBC__
    for (;;) {
        if (nb::refill(stream) != 1)
            return not_found(stream, codon);
        const char *p = stream->_IO_read_ptr;
        const char *end = stream->_IO_read_end;
        const char *at = p;
        for (; at < end; at++) {
            state = next[state][static_cast<unsigned char>(*at)];
            if (state == kMatch)
                break;
        }
        if (at < end) {
            int64_t i = at - p; // the codon's last base within the chunk
            codon[0] = i >= 2 ? at[-2] : i == 1 ? before[1] : before[0];
            codon[1] = i >= 1 ? at[-1] : before[1];
            codon[2] = at[0];
            codon[3] = '\0';
            stream->_IO_read_ptr = const_cast<char *>(at + 1);
            return passed + i - 2;
        }
        int64_t n = end - p;
        before[0] = n >= 2 ? end[-2] : before[1];
        before[1] = end[-1];
        passed += n;
        stream->_IO_read_ptr = const_cast<char *>(end);
    }
#else
    int c;
    while ((c = getc_unlocked(stream)) != EOF) {
        state = next[state][static_cast<unsigned char>(c)];
        if (state == kMatch) {
            codon[0] = before[0];
            codon[1] = before[1];
            codon[2] = static_cast<char>(c);
            codon[3] = '\0';
            return passed - 2;
        }
        before[0] = before[1];
        before[1] = static_cast<char>(c);
        passed++;
    }
    return not_found(stream, codon);
#endif
}

} // namespace

int64_t nb_next_start_codon(FILE *stream, char codon[4])
{
    return next_codon(stream, codon, kStart);
}

int64_t nb_next_stop_codon(FILE *stream, char codon[4])
{
    return next_codon(stream, codon, kStop);
}
