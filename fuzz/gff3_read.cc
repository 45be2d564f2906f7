// nb_gff3_skip_header then nb_gff3_read over any bytes, each feature
// converted to BED and written: the readers end, fields are sound strings,
// and every feature gives exactly one BED line.
#include <string>

#include "fuzz_input.h"

namespace {

bool has_byte(const char *text, char c)
{
    return strchr(text, c) != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    int skipped = nb_gff3_skip_header(input.stream());
    FUZZ_CHECK(skipped >= 0);

    char *text = nullptr;
    size_t text_len = 0;
    FILE *out = open_memstream(&text, &text_len);
    FUZZ_CHECK(out != nullptr);

    nb_gff3_t feature;
    nb_gff3_init(&feature);
    size_t reads = 0, features = 0;
    int status;
    do {
        FUZZ_CHECK(++reads <= fuzz::max_reads(size));
        errno = 0;
        status = nb_gff3_read(&feature, input.stream(), 4095);
        FUZZ_CHECK(fuzz::is_read_status(status));
        if (status != NB_RECORD) {
            FUZZ_CHECK(status == NB_END || errno != 0);
            continue;
        }
        nb_bed_t bed = NB_BED_INIT;
        FUZZ_CHECK(nb_gff3_to_bed(&feature, &bed) == 0);
        // Only the "###" record (no seqid) converts to nothing.
        if (bed.chrom == nullptr) {
            FUZZ_CHECK(strcmp(feature.type, "###") == 0 && feature.seqid[0] == '\0');
        } else {
            for (const char *field : {feature.seqid, feature.source, feature.type, feature.score,
                                      feature.strand, feature.phase})
                FUZZ_CHECK(!has_byte(field, '\t') && !has_byte(field, '\n'));
            FUZZ_CHECK(feature.seqid[0] != '#');
            FUZZ_CHECK(feature.start >= 0 && feature.end >= 0);
            for (const char *name : {feature.feature_id, feature.feature_name,
                                     feature.feature_parent})
                FUZZ_CHECK(!name || strstr(feature.attributes, name) != nullptr);
            FUZZ_CHECK(bed.chrom == feature.seqid);
            FUZZ_CHECK(bed.chrom_start == feature.start - 1 && bed.chrom_end == feature.end);
            features++;
        }
        FUZZ_CHECK(nb_bed_write(&bed, out, 255) == 0);
    } while (status != NB_END);
    FUZZ_CHECK(nb_gff3_read(&feature, input.stream(), 4095) == NB_END);
    nb_gff3_free(&feature);

    FUZZ_CHECK(fclose(out) == 0);
    size_t lines = 0;
    for (size_t i = 0; i < text_len; i++)
        lines += text[i] == '\n';
    FUZZ_CHECK(lines == features);
    FUZZ_CHECK(text_len == 0 || text[text_len - 1] == '\n');
    free(text);
    return 0;
}
