// fastq-dedup: copies a FASTQ stream and leaves out every record whose
// sequence already occurred earlier, judged by the 64-bit hash of the
// sequence alone.  Reports counts, timings and peak memory at the end.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>
#include <sys/time.h>

#include <uthash.h>
#include <xxhash.h>

#include "norbel.h"
#include "quorix.h"

// Only the hash of a sequence is kept, never its text, so memory per
// distinct sequence stays the same whatever the read length.
typedef struct {
    uint64_t key;  // XXH64 of the sequence, seed 0
    UT_hash_handle hh;
} seq_hash_t;

int main(int argc, char *argv[])
{
    static const char warning[] =
        "\nRemoving replicate sequences from a FASTQ file may not be a\n"
        "good idea for the following reasons:\n\n"
        "1) It preferentially removes data with no read errors, since\n"
        "   a read error in one read or the other will cause a mismatch.\n"
        "   This can be mitigated by removing replicates after alignment\n"
        "   using samtools, which identifies replicates based on how they\n"
        "   align rather than by 100% identify.\n\n"
        "2) There is no way to distinguish between natural and artificial\n"
        "   replicates at this stage.  Make sure that you either want to\n"
        "   remove both, or that the benefit of removing artificial\n"
        "   replicates outweighs the cost of losing natural ones.  This will\n"
        "   depend on the type of downstream analysis to be done and the\n"
        "   behavior of the sequencer used.\n\n";
    nb_fastx_t fastx_rec;
    seq_hash_t *seen = NULL, *entry;
    struct timeval start_time, t1, t2, t3, t4, t5, t6;
    struct rusage start_usage, usage;
    size_t records_read = 0, records_written = 0;
    uint64_t hash_time = 0, find_time = 0, add_time = 0;
    int status;

    (void)argc;  // arguments are ignored

    // The "%" in the text is plain text: written as a block, not a format.
    fwrite(warning, 1, sizeof warning - 1, stderr);

    memset(&fastx_rec, 0, sizeof fastx_rec);
    qx_stdio_buffers(1 << 18);
    nb_fastx_init(&fastx_rec, stdin);
    qx_tic(&start_time, &start_usage);

    while ((status = nb_fastx_read(&fastx_rec, stdin)) == NB_RECORD) {
        ++records_read;

        gettimeofday(&t1, NULL);
        uint64_t seq_len = nb_fastx_seq_len(&fastx_rec);
        const char *seq = nb_fastx_seq(&fastx_rec);
        // A missing sequence is an empty one.
        uint64_t h = seq != NULL ? XXH64(seq, seq_len, 0) : XXH64("", 0, 0);
        gettimeofday(&t2, NULL);
        hash_time += qx_difftimeofday(&t2, &t1);

        gettimeofday(&t3, NULL);
        HASH_FIND(hh, seen, &h, sizeof(uint64_t), entry);
        gettimeofday(&t4, NULL);
        find_time += qx_difftimeofday(&t4, &t3);
        if (entry != NULL)
            continue;  // a replicate: neither written nor stored again

        gettimeofday(&t5, NULL);
        entry = static_cast<seq_hash_t *>(qx_malloc(1, sizeof(seq_hash_t)));
        entry->key = h;
        HASH_ADD(hh, seen, key, sizeof(uint64_t), entry);
        gettimeofday(&t6, NULL);
        add_time += qx_difftimeofday(&t6, &t5);

        nb_fastx_write(&fastx_rec, stdout, 0);
        ++records_written;
    }

    fprintf(stderr, "nb_fastx_read() status = %d\n", status);
    fprintf(stderr, "%zu records read, %zu written, %zu removed\n", records_read,
            records_written, records_read - records_written);
    qx_toc(stderr, NULL, &start_time, &start_usage);
    fprintf(stderr, "xxHash encode    = %10lu microseconds\n", hash_time);
    fprintf(stderr, "uthash find      = %10lu microseconds\n", find_time);
    fprintf(stderr, "uthash add       = %10lu microseconds\n", add_time);
    getrusage(RUSAGE_SELF, &usage);
    fprintf(stderr, "Maximum RAM used = %10lu MiB\n",
            static_cast<unsigned long>(usage.ru_maxrss) / 1024);

    // A stream that broke off is not a clean run, though what came before
    // it has been written and reported.
    return qx_stdout_status(argv[0], status == NB_END ? 0 : 65);
}
