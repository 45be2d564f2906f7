// fasta-lengths: the name and sequence length of every FASTA record.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

static void usage(const char *argv0)
{
    fprintf(stderr, "Usage: %s < fasta\n", argv0);
    exit(64);
}

int main(int argc, char *argv[])
{
    nb_fasta_t fasta_rec;
    char *cursor, *name;
    int status;

    if (argc != 1)
        usage(argv[0]);

    qx_stdio_buffers(1 << 18);
    nb_fasta_init(&fasta_rec);
    while ((status = nb_fasta_read(&fasta_rec, stdin)) == NB_RECORD) {
        size_t seq_len = strlen(fasta_rec.seq);
        // The name is the first word after '>'; a blank right after the
        // marker gives an empty name.
        cursor = fasta_rec.desc + 1;
        name = strsep(&cursor, " \t");
        printf("%s\t%zu\n", name, seq_len);
    }

    if (status != NB_END) {
        fprintf(stderr, "%s: Error reading FASTA stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }
    return qx_stdout_status(argv[0], 0);
}
