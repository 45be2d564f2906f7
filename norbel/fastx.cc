// FASTA or FASTQ, told apart by the first byte of each record.
#include <cerrno>
#include <cstring>

#include "lineio.h"
#include "norbel.h"
#include "seqrec.h"

namespace {

nb_text_t *texts_of(nb_fastx_t *fastx, int i)
{
    nb_text_t *texts[] = {&fastx->desc, &fastx->seq, &fastx->plus, &fastx->qual};
    return texts[i];
}

// Everything after a FASTQ header line: sequence lines up to the '+' line,
// the '+' line, then quality lines until the quality is as long as the
// sequence (at least one line: an empty sequence has an empty quality).
int read_fastq_rest(FILE *stream, nb_fastx_t *fastx)
{
    int got;
    for (;;) {
        int c = nb::peek(stream);
        if (c == '+')
            break;
        if (c == EOF && nb::end_status(stream) == NB_ERR_IO)
            return NB_ERR_IO;
        if (c == EOF || c == '@' || c == '>') {
            // Cut short, or the next record begins: no '+' line.
            errno = EINVAL;
            return NB_ERR_FORMAT;
        }
        if ((got = nb::read_line(stream, &fastx->seq)) < 0)
            return got;
    }
    if ((got = nb::read_line(stream, &fastx->plus)) < 0)
        return got;
    do {
        if ((got = nb::read_line(stream, &fastx->qual)) < 0)
            return got;
        if (got == 0) {
            if (fastx->qual.len == fastx->seq.len)
                break;
            errno = EINVAL;
            return NB_ERR_FORMAT;
        }
    } while (fastx->qual.len < fastx->seq.len);
    if (fastx->qual.len != fastx->seq.len) {
        errno = EINVAL;
        return NB_ERR_FORMAT;
    }
    return NB_RECORD;
}

char *text_of(nb_text_t *text)
{
    return text->text ? text->text : nb::empty_string;
}

bool put_line(FILE *stream, const char *text, size_t len)
{
    return fwrite_unlocked(text, 1, len, stream) == len && putc_unlocked('\n', stream) != EOF;
}

} // namespace

int nb_fastx_init(nb_fastx_t *fastx, FILE *stream)
{
    int status = 0;
    fastx->format = 0;
    fastx->state = NB_STATE_READING;
    fastx->stream = stream;
    for (int i = 0; i < 4; i++) {
        nb_text_t *text = texts_of(fastx, i);
        *text = nb_text_t{nullptr, 0, 0};
        if (nb::text_clear(text) != 0)
            status = NB_ERR_MEMORY;
    }
    return status;
}

int nb_fastx_read(nb_fastx_t *fastx, FILE *stream)
{
    if (fastx->state == NB_STATE_ENDED) {
        if (stream == fastx->stream)
            return NB_END;
        fastx->state = NB_STATE_READING;
    }
    fastx->stream = stream;
    fastx->format = 0;
    bool ready = true;
    for (int i = 0; i < 4; i++)
        ready = nb::text_clear(texts_of(fastx, i)) == 0 && ready;

    nb::StreamLock lock(stream);
    int format = 0;
    int status = ready ? nb::read_header_line(stream, &fastx->desc, '>', '@')
                       : nb::skip_line_without_memory(stream);
    if (status == NB_RECORD) {
        if (fastx->desc.text[0] == '>') {
            format = NB_FORMAT_FASTA;
            // A line that begins with either marker starts the next record.
            status = nb::read_lines_until_marker(stream, &fastx->seq, '>', '@');
        } else if (fastx->desc.text[0] == '@') {
            format = NB_FORMAT_FASTQ;
            status = read_fastq_rest(stream, fastx);
        } else {
            // Text where a record should begin.
            fastx->desc.len = 0;
            fastx->desc.text[0] = '\0';
            errno = EINVAL;
            status = NB_ERR_FORMAT;
        }
        if (status == NB_ERR_FORMAT || status == NB_ERR_MEMORY)
            status = nb::resync(stream, status, '>', '@');
    }
    if (status == NB_RECORD)
        fastx->format = format;
    else if (status == NB_END || status == NB_ERR_IO)
        fastx->state = NB_STATE_ENDED;
    return status;
}

char *nb_fastx_desc(nb_fastx_t *fastx)
{
    return text_of(&fastx->desc);
}

char *nb_fastx_seq(nb_fastx_t *fastx)
{
    return text_of(&fastx->seq);
}

char *nb_fastx_plus(nb_fastx_t *fastx)
{
    return text_of(&fastx->plus);
}

char *nb_fastx_qual(nb_fastx_t *fastx)
{
    return text_of(&fastx->qual);
}

uint64_t nb_fastx_seq_len(const nb_fastx_t *fastx)
{
    return fastx->seq.len;
}

int nb_fastx_write(const nb_fastx_t *fastx, FILE *stream, size_t line_width)
{
    const nb_text_t &seq = fastx->seq;
    bool ok = true;
    nb::StreamLock lock(stream);
    if (fastx->format == NB_FORMAT_FASTQ) {
        ok = put_line(stream, fastx->desc.text, fastx->desc.len) &&
             put_line(stream, seq.text, seq.len) &&
             put_line(stream, fastx->plus.text, fastx->plus.len) &&
             put_line(stream, fastx->qual.text, fastx->qual.len);
    } else if (fastx->format == NB_FORMAT_FASTA) {
        ok = put_line(stream, fastx->desc.text, fastx->desc.len);
        size_t width = line_width ? line_width : seq.len;
        for (size_t at = 0; ok && at < seq.len; at += width)
            ok = put_line(stream, seq.text + at, seq.len - at < width ? seq.len - at : width);
    }
    return ok ? 0 : EOF;
}

void nb_fastx_free(nb_fastx_t *fastx)
{
    for (int i = 0; i < 4; i++)
        nb::text_free(texts_of(fastx, i));
    fastx->format = 0;
    fastx->state = NB_STATE_READING;
    fastx->stream = nullptr;
}
