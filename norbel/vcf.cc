// Single-sample VCF: the header spooled to a temporary stream, then call
// lines kept whole for writing back.
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "lineio.h"
#include "norbel.h"

namespace {

// POS: decimal digits only.
bool parse_pos(const char *text, size_t len, int64_t *value)
{
    if (len == 0)
        return false;
    int64_t n = 0;
    for (size_t i = 0; i < len; i++) {
        unsigned digit = static_cast<unsigned char>(text[i]) - '0';
        if (digit > 9 || n > (INT64_MAX - digit) / 10)
            return false;
        n = n * 10 + digit;
    }
    *value = n;
    return true;
}

// Fills chrom and pos from the call line; the line itself is left whole.
int parse_call(nb_vcf_t *vcf)
{
    const char *line = vcf->line.text;
    const char *end = line + vcf->line.len;
    const char *tabs[7];
    const char *at = line;
    for (int i = 0; i < 7; i++) {
        at = static_cast<const char *>(memchr(at, '\t', static_cast<size_t>(end - at)));
        if (!at)
            return NB_ERR_FORMAT;
        tabs[i] = at++;
    }
    if (!parse_pos(tabs[0] + 1, static_cast<size_t>(tabs[1] - tabs[0] - 1), &vcf->pos))
        return NB_ERR_FORMAT;
    if (nb::text_assign(&vcf->chrom_buf, line, static_cast<size_t>(tabs[0] - line)) != 0)
        return NB_ERR_MEMORY;
    vcf->chrom = vcf->chrom_buf.text;
    return NB_RECORD;
}

} // namespace

int nb_vcf_init(nb_vcf_t *vcf)
{
    vcf->chrom = nb::empty_string;
    vcf->pos = 0;
    vcf->line = nb_text_t{nullptr, 0, 0};
    vcf->chrom_buf = nb_text_t{nullptr, 0, 0};
    vcf->state = NB_STATE_READING;
    return 0;
}

FILE *nb_vcf_skip_header(FILE *stream)
{
    // File-backed, so that a caller may spool a whole call set into it.
    FILE *header = tmpfile();
    if (!header)
        return nullptr;
    nb_text_t line = {nullptr, 0, 0};
    bool failed = false;
    {
        nb::StreamLock lock(stream);
        char prefix[2];
        while (!failed && nb::peek_prefix(stream, prefix, 2) == 2 && prefix[0] == '#' &&
               prefix[1] == '#') {
            line.len = 0;
            int got = nb::append_until(stream, &line, '\n');
            if (got == nb::IO_DELIM)
                line.text[line.len++] = '\n'; // the NUL's place: no copy needed
            failed = got == nb::IO_ERROR || got == nb::IO_NOMEM ||
                     fwrite(line.text, 1, line.len, header) != line.len;
        }
        if (!failed && nb::end_status(stream) == NB_ERR_IO)
            failed = true;
    }
    nb::text_free(&line);
    if (failed || fflush(header) != 0 || fseeko(header, 0, SEEK_SET) != 0) {
        int saved = errno;
        fclose(header);
        errno = saved;
        return nullptr;
    }
    return header;
}

int nb_vcf_read_ss_call(nb_vcf_t *vcf, FILE *stream, size_t max_line)
{
    (void)max_line;
    if (vcf->state == NB_STATE_ENDED)
        return NB_END;
    nb::StreamLock lock(stream);
    vcf->chrom = nb::text_clear(&vcf->chrom_buf) == 0 ? vcf->chrom_buf.text : nb::empty_string;
    vcf->pos = 0;
    for (;;) {
        int c = nb::peek(stream);
        if (c == EOF) {
            int status = nb::end_status(stream);
            vcf->state = NB_STATE_ENDED;
            return status;
        }
        if (c == '#') {
            // Header and column-heading lines are never calls.
            if (nb::skip_until(stream, '\n') == nb::IO_ERROR) {
                vcf->state = NB_STATE_ENDED;
                return NB_ERR_IO;
            }
            continue;
        }
        if (nb::text_clear(&vcf->line) != 0) {
            int status = nb::skip_line_without_memory(stream);
            if (status != NB_ERR_MEMORY)
                vcf->state = NB_STATE_ENDED;
            return status;
        }
        // The line is kept byte for byte ("\r" included) for writing back.
        int got = nb::append_until(stream, &vcf->line, '\n');
        if (got == nb::IO_ERROR) {
            vcf->state = NB_STATE_ENDED;
            return NB_ERR_IO;
        }
        if (got == nb::IO_NOMEM)
            return NB_ERR_MEMORY;
        // Blank lines are passed over.
        if (vcf->line.len == 0 || (vcf->line.len == 1 && vcf->line.text[0] == '\r'))
            continue;
        int status = nb::has_nul(&vcf->line, 0) ? NB_ERR_FORMAT : parse_call(vcf);
        if (status != NB_RECORD) {
            vcf->chrom = vcf->chrom_buf.cap ? vcf->chrom_buf.text : nb::empty_string;
            vcf->chrom[0] = '\0';
            vcf->pos = 0;
            errno = status == NB_ERR_FORMAT ? EINVAL : ENOMEM;
        }
        return status;
    }
}

int nb_vcf_write_ss_call(const nb_vcf_t *vcf, FILE *stream, size_t max_line)
{
    (void)max_line;
    const nb_text_t &line = vcf->line;
    if (line.cap == 0)
        return 0;
    // The newline goes where the NUL stands, so the call is one write.
    line.text[line.len] = '\n';
    size_t written = fwrite(line.text, 1, line.len + 1, stream);
    line.text[line.len] = '\0';
    return written == line.len + 1 ? 0 : EOF;
}

void nb_vcf_free(nb_vcf_t *vcf)
{
    nb::text_free(&vcf->line);
    nb::text_free(&vcf->chrom_buf);
    vcf->chrom = nb::empty_string;
    vcf->pos = 0;
}
