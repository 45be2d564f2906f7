// codon-scan: the start and stop codons of a raw nucleotide stream, in
// turn, from a 0-based offset on, with their 1-based positions.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

static void usage(const char *argv0)
{
    fprintf(stderr, "Usage: %s offset\n(offset is 0-based)\n", argv0);
    exit(64);
}

// Writes "<kind> codon <codon> at <position> (+<distance>)\n", the same
// bytes as printf with "%s codon %s at %ld (+%ld)\n": a long sequence has a
// codon every few dozen bases, and a format parsed for each line would cost
// more than the search.
static void print_codon(const char *kind, const char *codon, int64_t position,
                        int64_t distance)
{
    char line[96];
    size_t len = 0;
    // Appends text, or a number in decimal with its sign.
    auto put_text = [&](const char *text) {
        while (*text != '\0')
            line[len++] = *text++;
    };
    auto put_number = [&](int64_t value) {
        char digits[24];
        int n = 0;
        uint64_t magnitude =
            value < 0 ? -static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        if (value < 0)
            line[len++] = '-';
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        while (n > 0)
            line[len++] = digits[--n];
    };

    put_text(kind);
    put_text(" codon ");
    put_text(codon);
    put_text(" at ");
    put_number(position);
    put_text(" (+");
    put_number(distance);
    put_text(")\n");
    fwrite_unlocked(line, 1, len, stdout);
}

int main(int argc, char *argv[])
{
    struct stat stdin_stat = {};  // a failed query reads as "not a pipe": seek
    char codon[4];
    char *end;
    int64_t offset, position, distance;

    if (argc != 2)
        usage(argv[0]);
    offset = strtol(argv[1], &end, 10);
    if (*end != '\0') {
        fprintf(stderr, "Invalid offset: %s\n", argv[1]);
        usage(argv[0]);
    }
    // strtol saturates out-of-range offsets at LONG_MAX; wrap instead of
    // overflowing.  Such an offset skips the whole input, so no position
    // derived from it is ever printed.
    position = static_cast<int64_t>(static_cast<uint64_t>(offset) + 1);

    qx_stdio_buffers(1 << 18);
    fstat(fileno(stdin), &stdin_stat);
    if (S_ISFIFO(stdin_stat.st_mode)) {
        // A pipe cannot seek: read the skipped characters.  Once the input
        // has ended nothing more can be skipped, so stop there rather than
        // count out a huge offset one EOF at a time.
        for (int64_t skipped = 0; skipped < offset && getc(stdin) != EOF; skipped++) {
        }
    } else if (fseek(stdin, offset, SEEK_CUR) == -1) {
        fputs("Seek failed.", stderr);
        return qx_stdout_status(argv[0], 70);
    }

    // A stream that fails (rather than ends) never sets end-of-file, so it
    // ends the search too, or the loop would report missing codons forever.
    while (!feof(stdin) && !ferror(stdin)) {
        distance = nb_next_start_codon(stdin, codon);
        if (distance == -1) {
            if (ferror(stdin))
                break;
            puts("No start codon found.");
            continue;
        }
        print_codon("Start", codon, position + distance, distance);
        position += distance + 3;

        distance = nb_next_stop_codon(stdin, codon);
        if (distance == -1) {
            if (ferror(stdin))
                break;
            puts("No stop codon found.");
            continue;
        }
        print_codon("Stop", codon, position + distance, distance);
        position += distance + 3;
    }

    if (ferror(stdin)) {
        fprintf(stderr, "%s: Error reading sequence stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }
    return qx_stdout_status(argv[0], 0);
}
