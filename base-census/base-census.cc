// base-census: length and base-composition statistics for each FASTA or
// FASTQ input, plain or compressed.
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

// Reads one input to its end and prints its report.  Returns 0, 65 (read
// error, no report) or 66 (cannot open).
static int census_file(const char *name)
{
    // Counters 0..25 are the letters a..z with case folded as in the POSIX
    // locale; every other byte (digits, '-', '*', '.', bytes of 128 and up)
    // lands in the extra counter, which is part of no printed count.
    enum { kLetters = 26, kOther = kLetters };
    static constexpr std::array<unsigned char, 256> counter_of = [] {
        std::array<unsigned char, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[c] = kOther;
        for (int c = 0; c < kLetters; ++c) {
            table['a' + c] = static_cast<unsigned char>(c);
            table['A' + c] = static_cast<unsigned char>(c);
        }
        return table;
    }();

    nb_fastx_t fastx_rec;
    FILE *stream;
    uint64_t seq_count = 0, base_total = 0;
    uint64_t min_len = UINT64_MAX, max_len = 0;
    uint64_t letter_counters[kLetters + 1] = {0};
    uint64_t lane_counters[4][kLetters + 1] = {};
    double sum_sq_len = 0.0;
    int status, read_errno;

    if (strcmp(name, "-") == 0) {
        stream = stdin;
    } else if ((stream = qx_fopen(name, "r")) == NULL) {
        fprintf(stderr, "base-census: Cannot open %s: %s\n", name, strerror(errno));
        return 66;
    }

    memset(&fastx_rec, 0, sizeof fastx_rec);
    nb_fastx_init(&fastx_rec, stream);
    while ((status = nb_fastx_read(&fastx_rec, stream)) == NB_RECORD) {
        uint64_t seq_len = nb_fastx_seq_len(&fastx_rec);
        ++seq_count;
        base_total += seq_len;
        // Past 2^32 the integer square would wrap; the double product
        // keeps its magnitude.
        if (seq_len < (UINT64_C(1) << 32))
            sum_sq_len += static_cast<double>(seq_len * seq_len);
        else
            sum_sq_len += static_cast<double>(seq_len) * static_cast<double>(seq_len);
        if (seq_len > max_len)
            max_len = seq_len;
        if (seq_len < min_len)
            min_len = seq_len;

        // Four sets of counters take turns, so that a run of one base does
        // not wait on the same counter byte after byte; the reader never
        // hands over a NUL inside a sequence, so its length is where the
        // string ends.
        const unsigned char *p = reinterpret_cast<const unsigned char *>(nb_fastx_seq(&fastx_rec));
        const unsigned char *end = p + seq_len;
        for (; end - p >= 4; p += 4) {
            ++lane_counters[0][counter_of[p[0]]];
            ++lane_counters[1][counter_of[p[1]]];
            ++lane_counters[2][counter_of[p[2]]];
            ++lane_counters[3][counter_of[p[3]]];
        }
        for (; p < end; ++p)
            ++lane_counters[0][counter_of[*p]];
    }
    // Keep the read's own error: closing a decompressing stream may touch
    // errno again.
    read_errno = errno;

    if (stream != stdin)
        qx_fclose(stream);
    nb_fastx_free(&fastx_rec);
    if (status != NB_END) {
        fprintf(stderr, "Error reading file: %s\n", strerror(read_errno));
        return 65;
    }

    for (const auto &lane : lane_counters)
        for (int i = 0; i <= kLetters; ++i)
            letter_counters[i] += lane[i];

    double bases = static_cast<double>(base_total);
    double seqs = static_cast<double>(seq_count);
    double mean = bases / seqs;
    double variance = (sum_sq_len / seqs) - mean * mean;
    double std_dev = sqrt(variance);
    uint64_t a = letter_counters['a' - 'a'], c = letter_counters['c' - 'a'],
             g = letter_counters['g' - 'a'], t = letter_counters['t' - 'a'],
             n = letter_counters['n' - 'a'], gc = c + g;

    printf("\nFilename:           %s\n", name);
    printf("Sequences:          %lu\n", seq_count);
    printf("Bases:              %lu\n", base_total);
    printf("Mean-length:        %0.2f\n", mean);
    printf("Standard-deviation: %0.2f\n", std_dev);
    printf("Min-length:         %lu\n", min_len);
    printf("Max-length:         %lu\n", max_len);
    printf("A:                  %lu (%0.2f%%)\n", a, (static_cast<double>(a) * 100.0) / bases);
    printf("C:                  %lu (%0.2f%%)\n", c, (static_cast<double>(c) * 100.0) / bases);
    printf("G:                  %lu (%0.2f%%)\n", g, (static_cast<double>(g) * 100.0) / bases);
    printf("T:                  %lu (%0.2f%%)\n", t, (static_cast<double>(t) * 100.0) / bases);
    printf("N:                  %lu (%0.2f%%)\n", n, (static_cast<double>(n) * 100.0) / bases);
    printf("GC:                 %lu (%0.2f%%)\n", gc, (static_cast<double>(gc) * 100.0) / bases);
    return 0;
}

int main(int argc, char *argv[])
{
    int status;

    qx_stdio_buffers(1 << 18);
    if (argc == 1)
        return qx_stdout_status(argv[0], census_file("-"));
    // The first input that fails ends the run; later ones are not opened.
    for (int i = 1; i < argc; ++i)
        if ((status = census_file(argv[i])) != 0)
            return qx_stdout_status(argv[0], status);
    return qx_stdout_status(argv[0], 0);
}
