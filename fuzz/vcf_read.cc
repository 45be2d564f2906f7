// nb_vcf_skip_header then nb_vcf_read_ss_call over any bytes, every call
// written back: the header stream holds the "##" lines, each call is
// written as it was read, and reading on always reaches the end.
#include <cinttypes>
#include <string>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    errno = 0;
    FILE *header = nb_vcf_skip_header(input.stream());
    FUZZ_CHECK(header != nullptr);
    std::string header_text;
    for (int c; (c = getc(header)) != EOF;)
        header_text += static_cast<char>(c);
    FUZZ_CHECK(!ferror(header));
    fclose(header);
    // The header is a prefix of the input made of "##" lines.
    FUZZ_CHECK(header_text.size() <= size);
    FUZZ_CHECK(memcmp(header_text.data(), input.bytes(), header_text.size()) == 0);
    FUZZ_CHECK(header_text.empty() || header_text.compare(0, 2, "##") == 0);
    FUZZ_CHECK(ftello(input.stream()) == static_cast<off_t>(header_text.size()));

    nb_vcf_t call;
    nb_vcf_init(&call);
    size_t reads = 0;
    int status;
    do {
        FUZZ_CHECK(++reads <= fuzz::max_reads(size));
        errno = 0;
        status = nb_vcf_read_ss_call(&call, input.stream(), 4095);
        FUZZ_CHECK(fuzz::is_read_status(status));
        if (status != NB_RECORD) {
            FUZZ_CHECK(status == NB_END || errno != 0);
            continue;
        }
        const char *line = call.line.text;
        FUZZ_CHECK(line[0] != '#');
        FUZZ_CHECK(strlen(line) == call.line.len);
        size_t chrom_len = strlen(call.chrom);
        FUZZ_CHECK(chrom_len < call.line.len && line[chrom_len] == '\t');
        FUZZ_CHECK(memcmp(line, call.chrom, chrom_len) == 0);
        FUZZ_CHECK(call.pos >= 0);
        char pos[32];
        snprintf(pos, sizeof pos, "%" PRId64 "\t", call.pos);
        // The POS column holds the number, perhaps after leading zeros.
        const char *column = line + chrom_len + 1;
        while (column[0] == '0' && column[1] != '\t')
            column++;
        FUZZ_CHECK(strncmp(column, pos, strlen(pos)) == 0);

        char *text = nullptr;
        size_t text_len = 0;
        FILE *out = open_memstream(&text, &text_len);
        FUZZ_CHECK(out != nullptr);
        FUZZ_CHECK(nb_vcf_write_ss_call(&call, out, 4095) == 0);
        FUZZ_CHECK(fclose(out) == 0);
        FUZZ_CHECK(text_len == call.line.len + 1 && text[call.line.len] == '\n');
        FUZZ_CHECK(memcmp(text, line, call.line.len) == 0);
        free(text);
    } while (status != NB_END);
    FUZZ_CHECK(nb_vcf_read_ss_call(&call, input.stream(), 4095) == NB_END);
    nb_vcf_free(&call);
    return 0;
}
