// recs2cols: one tab-separated line per FASTA or FASTQ record.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

int main(int argc, char *argv[])
{
    nb_fastx_t fastx_rec;
    uint64_t record_count = 0;
    int status, exit_status = 0;

    (void)argc;  // arguments are ignored; the input is always standard input

    memset(&fastx_rec, 0, sizeof fastx_rec);
    fputs("\nBe aware than recs2cols replaces TABs with spaces in the description\n"
          "so that they won't be interpreted as separators.\n\n",
          stderr);
    qx_stdio_buffers(1 << 18);
    nb_fastx_init(&fastx_rec, stdin);

    while ((status = nb_fastx_read(&fastx_rec, stdin)) != NB_END) {
        if (status != NB_RECORD) {
            // What the record holds after a failed read is no record: stop
            // rather than print it as one.
            fprintf(stderr, "%s: Error reading sequence stream: %s\n", argv[0],
                    strerror(errno));
            exit_status = 65;
            break;
        }
        // A tab in the description would shift every later column.
        qx_strtr(nb_fastx_desc(&fastx_rec), "\t", " ", 0);
        // Written field by field: the same bytes as "%s\t%s\n" (FASTA) and
        // "%s\t%s\t%s\t%s\n" (FASTQ), without parsing a format per record.
        if (fastx_rec.format == NB_FORMAT_FASTA || fastx_rec.format == NB_FORMAT_FASTQ) {
            fputs_unlocked(nb_fastx_desc(&fastx_rec), stdout);
            putc_unlocked('\t', stdout);
            fputs_unlocked(nb_fastx_seq(&fastx_rec), stdout);
            if (fastx_rec.format == NB_FORMAT_FASTQ) {
                putc_unlocked('\t', stdout);
                fputs_unlocked(nb_fastx_plus(&fastx_rec), stdout);
                putc_unlocked('\t', stdout);
                fputs_unlocked(nb_fastx_qual(&fastx_rec), stdout);
            }
            putc_unlocked('\n', stdout);
        }
        ++record_count;
    }

    nb_fastx_free(&fastx_rec);
    fprintf(stderr, "%lu records processed.\n", record_count);
    return qx_stdout_status(argv[0], exit_status);
}
