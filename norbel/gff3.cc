// GFF3: nine tab-separated columns per feature line.
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "lineio.h"
#include "norbel.h"

namespace {

// A whole number as GFF3 writes coordinates: decimal digits only.
bool parse_position(const char *text, int64_t *value)
{
    if (*text == '\0')
        return false;
    int64_t n = 0;
    for (; *text; text++) {
        unsigned digit = static_cast<unsigned char>(*text) - '0';
        if (digit > 9 || n > (INT64_MAX - digit) / 10)
            return false;
        n = n * 10 + digit;
    }
    *value = n;
    return true;
}

// Points every string field at the empty string that ends the line buffer.
void clear_fields(nb_gff3_t *gff3, char *empty)
{
    gff3->seqid = gff3->source = gff3->type = empty;
    gff3->score = gff3->strand = gff3->phase = gff3->attributes = empty;
    gff3->start = gff3->end = 0;
    gff3->feature_id = gff3->feature_name = gff3->feature_parent = nullptr;
}

// Copies the values of ID, Name and Parent into the names buffer, which
// has room for the whole column.  A key counts at the start of the column
// or after a ';' (and one blank after it); the first of each key wins.
void extract_names(nb_gff3_t *gff3)
{
    static const struct {
        const char *key;
        size_t len;
    } keys[] = {{"ID=", 3}, {"Name=", 5}, {"Parent=", 7}};
    char **fields[] = {&gff3->feature_id, &gff3->feature_name, &gff3->feature_parent};
    char *out = gff3->names.text;
    for (const char *attr = gff3->attributes; *attr;) {
        const char *semi = strchr(attr, ';');
        size_t len = semi ? static_cast<size_t>(semi - attr) : strlen(attr);
        for (int k = 0; k < 3; k++) {
            if (*fields[k] || len < keys[k].len || memcmp(attr, keys[k].key, keys[k].len) != 0)
                continue;
            size_t value_len = len - keys[k].len;
            memcpy(out, attr + keys[k].len, value_len);
            out[value_len] = '\0';
            *fields[k] = out;
            out += value_len + 1;
        }
        if (!semi)
            break;
        attr = semi + 1;
        if (*attr == ' ')
            attr++;
    }
    gff3->names.len = static_cast<size_t>(out - gff3->names.text);
}

// Splits the line held in gff3->line into the record's fields.  A tab
// after the eighth stays in the attributes, so nothing of the line is lost.
int split_feature(nb_gff3_t *gff3)
{
    char *columns[9];
    char *at = gff3->line.text;
    columns[0] = at;
    for (int i = 1; i < 9; i++) {
        at = strchr(at, '\t');
        if (!at)
            return NB_ERR_FORMAT;
        *at++ = '\0';
        columns[i] = at;
    }
    gff3->seqid = columns[0];
    gff3->source = columns[1];
    gff3->type = columns[2];
    gff3->score = columns[5];
    gff3->strand = columns[6];
    gff3->phase = columns[7];
    gff3->attributes = columns[8];
    if (!parse_position(columns[3], &gff3->start) || !parse_position(columns[4], &gff3->end))
        return NB_ERR_FORMAT;
    // Room for every value and its NUL: never more than the column itself.
    if (nb::text_reserve(&gff3->names, strlen(columns[8]) + 3) != 0)
        return NB_ERR_MEMORY;
    extract_names(gff3);
    return NB_RECORD;
}

} // namespace

int nb_gff3_init(nb_gff3_t *gff3)
{
    gff3->line = nb_text_t{nullptr, 0, 0};
    gff3->names = nb_text_t{nullptr, 0, 0};
    clear_fields(gff3, nb::empty_string);
    gff3->state = NB_STATE_READING;
    return 0;
}

int nb_gff3_skip_header(FILE *stream)
{
    nb::StreamLock lock(stream);
    int lines = 0;
    char prefix[7];
    for (;;) {
        size_t n = nb::peek_prefix(stream, prefix, sizeof prefix);
        if (n == 0 || prefix[0] != '#')
            break;
        if ((n >= 3 && memcmp(prefix, "###", 3) == 0) ||
            (n >= 7 && memcmp(prefix, "##FASTA", 7) == 0))
            break;
        if (nb::skip_until(stream, '\n') == nb::IO_ERROR)
            return NB_ERR_IO;
        lines++;
    }
    if (nb::end_status(stream) == NB_ERR_IO)
        return NB_ERR_IO;
    return lines;
}

int nb_gff3_read(nb_gff3_t *gff3, FILE *stream, size_t max_line)
{
    (void)max_line;
    if (gff3->state == NB_STATE_ENDED)
        return NB_END;
    nb::StreamLock lock(stream);
    for (;;) {
        if (nb::text_clear(&gff3->line) != 0) {
            clear_fields(gff3, nb::empty_string);
            int status = nb::skip_line_without_memory(stream);
            if (status != NB_ERR_MEMORY)
                gff3->state = NB_STATE_ENDED;
            return status;
        }
        int got = nb::read_line(stream, &gff3->line);
        char *line = gff3->line.text;
        clear_fields(gff3, line + gff3->line.len);
        if (got == 0 || got == NB_ERR_IO) {
            gff3->state = NB_STATE_ENDED;
            return got == 0 ? NB_END : NB_ERR_IO;
        }
        if (got < 0)
            return got;
        if (line[0] == '\0')
            continue;
        if (line[0] == '#') {
            if (strcmp(line, "###") == 0) {
                gff3->type = line;
                return NB_RECORD;
            }
            if (strncmp(line, "##FASTA", 7) == 0) {
                // The annotation ends here; what follows is sequence.
                gff3->state = NB_STATE_ENDED;
                return NB_END;
            }
            continue;
        }
        int status = split_feature(gff3);
        if (status != NB_RECORD) {
            clear_fields(gff3, line + gff3->line.len);
            errno = status == NB_ERR_FORMAT ? EINVAL : ENOMEM;
        }
        return status;
    }
}

void nb_gff3_free(nb_gff3_t *gff3)
{
    nb::text_free(&gff3->line);
    nb::text_free(&gff3->names);
    clear_fields(gff3, nb::empty_string);
}
