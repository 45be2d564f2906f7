// nb_fastx_read over any bytes, and nb_fastx_write back: a record written
// out reads back as the same record.
#include "fuzz_input.h"

namespace {

bool same_text(const nb_text_t &a, const nb_text_t &b)
{
    return a.len == b.len && memcmp(a.text, b.text, a.len) == 0;
}

// A "\r" that ends a field is dropped when the written line is read again
// (a CR before the newline is a line end), so such records do not round
// trip by design.
bool ends_in_cr(const nb_text_t &t)
{
    return t.len > 0 && t.text[t.len - 1] == '\r';
}

void check_round_trip(const nb_fastx_t &record)
{
    if (ends_in_cr(record.desc) || ends_in_cr(record.seq) || ends_in_cr(record.plus) ||
        ends_in_cr(record.qual))
        return;
    char *text = nullptr;
    size_t len = 0;
    FILE *out = open_memstream(&text, &len);
    FUZZ_CHECK(out != nullptr);
    FUZZ_CHECK(nb_fastx_write(&record, out, 0) == 0);
    FUZZ_CHECK(fclose(out) == 0);

    FILE *in = fmemopen(text, len, "r");
    FUZZ_CHECK(in != nullptr);
    nb_fastx_t again = {};
    FUZZ_CHECK(nb_fastx_init(&again, in) == 0);
    FUZZ_CHECK(nb_fastx_read(&again, in) == NB_RECORD);
    FUZZ_CHECK(again.format == record.format);
    FUZZ_CHECK(same_text(again.desc, record.desc));
    FUZZ_CHECK(same_text(again.seq, record.seq));
    FUZZ_CHECK(same_text(again.plus, record.plus));
    FUZZ_CHECK(same_text(again.qual, record.qual));
    FUZZ_CHECK(nb_fastx_read(&again, in) == NB_END);
    nb_fastx_free(&again);
    fclose(in);
    free(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    nb_fastx_t record = {};
    FUZZ_CHECK(nb_fastx_init(&record, input.stream()) == 0);
    size_t reads = 0;
    int status;
    do {
        FUZZ_CHECK(++reads <= fuzz::max_reads(size));
        errno = 0;
        status = nb_fastx_read(&record, input.stream());
        FUZZ_CHECK(fuzz::is_read_status(status));
        if (status == NB_RECORD) {
            char marker = record.format == NB_FORMAT_FASTQ ? '@' : '>';
            FUZZ_CHECK(record.format == NB_FORMAT_FASTA || record.format == NB_FORMAT_FASTQ);
            FUZZ_CHECK(nb_fastx_desc(&record)[0] == marker);
            FUZZ_CHECK(strlen(nb_fastx_desc(&record)) == record.desc.len);
            FUZZ_CHECK(strlen(nb_fastx_seq(&record)) == nb_fastx_seq_len(&record));
            FUZZ_CHECK(strlen(nb_fastx_plus(&record)) == record.plus.len);
            FUZZ_CHECK(strlen(nb_fastx_qual(&record)) == record.qual.len);
            if (record.format == NB_FORMAT_FASTQ) {
                FUZZ_CHECK(record.qual.len == record.seq.len);
                FUZZ_CHECK(record.plus.text[0] == '+');
            } else {
                FUZZ_CHECK(record.plus.len == 0 && record.qual.len == 0);
            }
            check_round_trip(record);
        } else if (status != NB_END) {
            FUZZ_CHECK(errno != 0);
        }
    } while (status != NB_END);
    FUZZ_CHECK(nb_fastx_read(&record, input.stream()) == NB_END);
    nb_fastx_free(&record);
    return 0;
}
