// fasta-concat: the sequences of a whole FASTA stream joined into one line.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

int main(int argc, char *argv[])
{
    nb_fasta_t fasta_rec;
    int status, read_errno;

    (void)argc;  // arguments are ignored

    qx_stdio_buffers(1 << 18);
    nb_fasta_init(&fasta_rec);
    while ((status = nb_fasta_read(&fasta_rec, stdin)) == NB_RECORD)
        printf("%s", fasta_rec.seq);
    // Kept before the newline goes out: a failing write may overwrite it.
    read_errno = errno;
    putchar('\n');

    // A faulty record adds nothing: the line ends where the good ones did.
    if (status != NB_END) {
        fprintf(stderr, "%s: Error reading FASTA stream: %s\n", argv[0], strerror(read_errno));
        return qx_stdout_status(argv[0], 65);
    }
    return qx_stdout_status(argv[0], 0);
}
