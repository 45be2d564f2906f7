// gff3-to-bed: a GFF3 annotation on standard input as BED lines.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

static void usage(const char *argv0)
{
    fprintf(stderr, "Usage: %s\n", argv0);
    exit(64);
}

int main(int argc, char *argv[])
{
    nb_bed_t bed = NB_BED_INIT;
    nb_gff3_t feature;
    int status;

    if (argc != 1)
        usage(argv[0]);

    qx_stdio_buffers(1 << 18);
    nb_gff3_init(&feature);
    // Header, comment and directive lines are the library's to pass over;
    // a "###" gives the empty BED record, which writes no line.
    while ((status = nb_gff3_read(&feature, stdin, 4095)) == NB_RECORD) {
        nb_gff3_to_bed(&feature, &bed);
        nb_bed_write(&bed, stdout, 255);
    }
    if (status != NB_END) {
        fprintf(stderr, "%s: Error reading GFF3 stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }
    return qx_stdout_status(argv[0], 0);
}
