// Start and stop codons in a raw nucleotide stream.
//
// A codon is three consecutive characters of the stream, either case; any
// other character between its bases (a newline too) breaks it.  The search
// runs on the stream's own buffer where the C library allows it.
#include <array>
#include <cerrno>
#include <cstdint>

#include "lineio.h"
#include "norbel.h"

namespace {

// Each byte becomes a 2-bit code: A 1, T 2, G 3 (either case), anything
// else 0.  The last three codes form a 6-bit window, and a codon is a set
// bit of a 64-bit mask at the window's value.  A window holding any other
// character has a 0 code in it and matches no codon.  The window depends
// on the previous one only by a shift and an or, so the scan runs at a few
// cycles per byte.
constexpr std::array<uint8_t, 256> make_codes()
{
    std::array<uint8_t, 256> codes{};
    codes['A'] = codes['a'] = 1;
    codes['T'] = codes['t'] = 2;
    codes['G'] = codes['g'] = 3;
    return codes;
}

constexpr std::array<uint8_t, 256> kCodes = make_codes();

constexpr uint64_t bit(int first, int second, int third)
{
    return uint64_t{1} << (first << 4 | second << 2 | third);
}

constexpr uint64_t kStartCodons = bit(1, 2, 3);                              // ATG
constexpr uint64_t kStopCodons = bit(2, 1, 1) | bit(2, 1, 3) | bit(2, 3, 1); // TAA TAG TGA

// No codon before the end of the input.  A read error counts as the end
// too, so that callers that loop until feof stop (ferror tells them why).
int64_t not_found(FILE *stream, char codon[4])
{
    codon[0] = '\0';
#if NB_STDIO_BUFFER
    if (ferror_unlocked(stream))
        stream->_flags |= _IO_EOF_SEEN;
#else
    (void)stream;
#endif
    return -1;
}

int64_t next_codon(FILE *stream, char codon[4], uint64_t codons)
{
    nb::StreamLock lock(stream);
    int64_t passed = 0;   // bytes consumed before the current chunk
    char before[2] = {0}; // the last two bytes consumed, oldest first
    uint32_t window = 0;  // codes of the bytes read so far; none before the search
#if NB_STDIO_BUFFER
    for (;;) {
        if (nb::refill(stream) != 1)
            return not_found(stream, codon);
        const char *p = stream->_IO_read_ptr;
        const char *end = stream->_IO_read_end;
        const char *at = p;
        for (; at < end; at++) {
            window = window << 2 | kCodes[static_cast<unsigned char>(*at)];
            if (codons >> (window & 63) & 1)
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
        window = window << 2 | kCodes[static_cast<unsigned char>(c)];
        if (codons >> (window & 63) & 1) {
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
    return next_codon(stream, codon, kStartCodons);
}

int64_t nb_next_stop_codon(FILE *stream, char codon[4])
{
    return next_codon(stream, codon, kStopCodons);
}
