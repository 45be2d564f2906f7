// nb_fasta_read over any bytes: every read returns a status, records are
// true strings with their marker, and reading on always reaches the end.
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    nb_fasta_t fasta;
    nb_fasta_init(&fasta);
    size_t reads = 0;
    int status;
    do {
        FUZZ_CHECK(++reads <= fuzz::max_reads(size));
        errno = 0;
        status = nb_fasta_read(&fasta, input.stream());
        FUZZ_CHECK(fuzz::is_read_status(status));
        if (status == NB_RECORD) {
            FUZZ_CHECK(fasta.desc[0] == '>');
            FUZZ_CHECK(strlen(fasta.desc) == fasta.desc_len);
            FUZZ_CHECK(strlen(fasta.seq) == fasta.seq_len);
            FUZZ_CHECK(!memchr(fasta.desc, '\n', fasta.desc_len));
            FUZZ_CHECK(!memchr(fasta.seq, '\n', fasta.seq_len));
        } else if (status != NB_END) {
            FUZZ_CHECK(errno != 0);
        }
    } while (status != NB_END);
    FUZZ_CHECK(nb_fasta_read(&fasta, input.stream()) == NB_END);
    nb_fasta_free(&fasta);
    return 0;
}
