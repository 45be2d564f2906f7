// norbel: every reader over tables of inputs, on regular files, pipes,
// tiny stdio buffers and failing streams.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "norbel.h"

using namespace std::string_literals;
using Strings = std::vector<std::string>;

namespace {

// An input stream over some bytes.  buffer_size > 0 gives the stream a
// stdio buffer that small, so records straddle many buffer refills.
class Input {
public:
    explicit Input(const std::string &data, size_t buffer_size = 0) : buffer_(buffer_size)
    {
        fp_ = tmpfile();
        if (buffer_size)
            setvbuf(fp_, buffer_.data(), _IOFBF, buffer_size);
        fwrite(data.data(), 1, data.size(), fp_);
        rewind(fp_);
    }
    ~Input()
    {
        if (fp_)
            fclose(fp_);
    }
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;
    FILE *get() const { return fp_; }
    operator FILE *() const { return fp_; }

private:
    std::vector<char> buffer_;
    FILE *fp_;
};

// A pipe holding data (small enough for the pipe's capacity).
FILE *pipe_with(const std::string &data)
{
    int fds[2];
    if (pipe(fds) != 0)
        return nullptr;
    EXPECT_EQ(write(fds[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
    close(fds[1]);
    return fdopen(fds[0], "r");
}

// A stream that gives its bytes and then fails with EBADMSG on every read.
struct FailingSource {
    std::string data;
    size_t at = 0;
};

FILE *failing_stream(FailingSource *source)
{
    cookie_io_functions_t io = {};
    io.read = [](void *cookie, char *buf, size_t size) -> ssize_t {
        auto *src = static_cast<FailingSource *>(cookie);
        if (src->at == src->data.size()) {
            errno = EBADMSG;
            return -1;
        }
        size_t n = std::min(size, src->data.size() - src->at);
        memcpy(buf, src->data.data() + src->at, n);
        src->at += n;
        return static_cast<ssize_t>(n);
    };
    return fopencookie(source, "r", io);
}

std::string status_name(int status)
{
    switch (status) {
    case NB_RECORD: return "rec";
    case NB_END: return "end";
    case NB_ERR_FORMAT: return errno == EINVAL ? "format" : "format/bad-errno";
    case NB_ERR_IO: return "io";
    case NB_ERR_MEMORY: return "memory";
    default: return std::to_string(status);
    }
}

// Reads until the end (at most 50 reads), describing each read; then
// checks that the end is reported again.
Strings read_all(const std::function<int(std::string *)> &read_one)
{
    Strings got;
    for (int i = 0; i < 50; i++) {
        std::string what;
        errno = 0;
        int status = read_one(&what);
        if (status == NB_END)
            break;
        got.push_back(status_name(status) + (what.empty() ? "" : " " + what));
    }
    std::string ignored;
    EXPECT_EQ(read_one(&ignored), NB_END) << "the end is reported again";
    EXPECT_EQ(read_one(&ignored), NB_END) << "and again";
    return got;
}

std::string read_string(FILE *fp)
{
    std::string text;
    for (int c; (c = getc(fp)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

// ---- FASTA -------------------------------------------------------------

Strings read_fasta(FILE *fp)
{
    nb_fasta_t rec;
    memset(&rec, 0xa5, sizeof rec); // init must set every field itself
    nb_fasta_init(&rec);
    Strings got = read_all([&](std::string *what) {
        int status = nb_fasta_read(&rec, fp);
        EXPECT_NE(rec.desc, nullptr);
        EXPECT_NE(rec.seq, nullptr);
        if (status != NB_END) {
            EXPECT_EQ(strlen(rec.desc), rec.desc_len);
            EXPECT_EQ(strlen(rec.seq), rec.seq_len);
            *what = std::string(rec.desc) + "|" + rec.seq;
        }
        return status;
    });
    nb_fasta_free(&rec);
    return got;
}

struct Case {
    const char *name;
    std::string input;
    Strings expected;
};

TEST(Fasta, Records)
{
    const Case cases[] = {
        {"empty input", "", {}},
        {"records joined over lines", ">a one\nAC\nGT\n>b\nTTT\n",
         {"rec >a one|ACGT", "rec >b|TTT"}},
        {"blank lines passed over", "\n\n>a\n\nAC\n\nG\n\n>b\n", {"rec >a|ACG", "rec >b|"}},
        {"empty sequences and bare marker", ">a\n>\n>c\nA", {"rec >a|", "rec >|", "rec >c|A"}},
        {"CRLF line ends", ">a x\r\nAC\r\nGT\r\n", {"rec >a x|ACGT"}},
        {"text before the first header", "ACGT\nTT\n>a\nAC\n", {"format |", "rec >a|AC"}},
        {"only text", "junk\n", {"format |"}},
        {"NUL in a sequence line", ">a\nAC\0GT\nTT\n>b\nA\n"s, {"format >a|AC", "rec >b|A"}},
        {"NUL in a header", ">a\0x\nAC\n>b\nA\n"s, {"format >a|", "rec >b|A"}},
    };
    for (const Case &c : cases) {
        for (size_t buffer : {0, 3}) {
            Input in(c.input, buffer);
            EXPECT_EQ(read_fasta(in), c.expected) << c.name << ", buffer " << buffer;
        }
    }
}

// feature-slice reads one all-zero record from one file after another.
TEST(Fasta, ZeroRecordReusedAcrossStreams)
{
    nb_fasta_t rec = {};
    for (int round = 0; round < 2; round++) {
        Input in(">chr1\nACGT\n>chr2\nGG\n");
        ASSERT_EQ(nb_fasta_read(&rec, in), NB_RECORD) << round;
        EXPECT_STREQ(rec.desc, ">chr1");
        ASSERT_EQ(nb_fasta_read(&rec, in), NB_RECORD);
        EXPECT_STREQ(rec.seq, "GG");
        EXPECT_EQ(nb_fasta_read(&rec, in), NB_END);
        EXPECT_EQ(nb_fasta_read(&rec, in), NB_END);
    }
    nb_fasta_free(&rec);
}

TEST(Fasta, LongerThanAnyBuffer)
{
    std::string seq(1 << 20, 'A');
    seq[12345] = 'C';
    std::string desc = ">" + std::string(100000, 'n');
    Input in(desc + "\n" + seq + "\n" + seq.substr(0, 10) + "\n>b\nG\n");
    nb_fasta_t rec = {};
    ASSERT_EQ(nb_fasta_read(&rec, in), NB_RECORD);
    EXPECT_EQ(rec.desc, desc);
    EXPECT_EQ(rec.seq_len, seq.size() + 10);
    EXPECT_EQ(std::string(rec.seq, rec.seq_len), seq + seq.substr(0, 10));
    ASSERT_EQ(nb_fasta_read(&rec, in), NB_RECORD);
    EXPECT_STREQ(rec.seq, "G");
    nb_fasta_free(&rec);
}

// ---- FASTA or FASTQ ----------------------------------------------------

Strings read_fastx(FILE *fp)
{
    nb_fastx_t rec = {};
    EXPECT_EQ(nb_fastx_init(&rec, fp), 0);
    Strings got = read_all([&](std::string *what) {
        int status = nb_fastx_read(&rec, fp);
        // Never NULL, whatever the read gave.
        const char *fields[] = {nb_fastx_desc(&rec), nb_fastx_seq(&rec), nb_fastx_plus(&rec),
                                nb_fastx_qual(&rec)};
        for (const char *field : fields)
            EXPECT_NE(field, nullptr);
        if (status == NB_RECORD) {
            EXPECT_EQ(nb_fastx_seq_len(&rec), strlen(fields[1]));
            *what = std::to_string(rec.format);
            for (const char *field : fields)
                *what += std::string("|") + field;
        }
        return status;
    });
    nb_fastx_free(&rec);
    return got;
}

TEST(Fastx, Records)
{
    const Case cases[] = {
        {"empty input", "", {}},
        {"four-line FASTQ", "@r1 x\nACGT\n+\nIIII\n@r2\nGG\n+r2\n#!\n",
         {"rec 2|@r1 x|ACGT|+|IIII", "rec 2|@r2|GG|+r2|#!"}},
        {"multi-line FASTQ, quality lines beginning with @",
         "@r1\nAC\nGT\nA\n+\n@@\nII\nI\n@r2\nA\n+\n@\n",
         {"rec 2|@r1|ACGTA|+|@@III", "rec 2|@r2|A|+|@"}},
        {"FASTA then FASTQ", ">a\nAC\nG\n@q\nT\n+\nI\n", {"rec 1|>a|ACG||", "rec 2|@q|T|+|I"}},
        {"empty FASTQ sequence", "@e\n\n+\n\n@f\nA\n+\nI", {"rec 2|@e||+|", "rec 2|@f|A|+|I"}},
        {"CRLF", "@r\r\nAC\r\n+\r\nII\r\n", {"rec 2|@r|AC|+|II"}},
        {"text before the first record", "hello\n+\n@r\nA\n+\nI\n", {"format", "rec 2|@r|A|+|I"}},
        {"cut short after the header", "@r\n", {"format"}},
        {"cut short before the quality", "@r\nACGT\n+\n", {"format"}},
        {"missing + line", "@r1\nACGT\n@r2\nA\n+\nI\n", {"format", "rec 2|@r2|A|+|I"}},
        {"quality shorter at the end", "@r\nACGT\n+\nII\n", {"format"}},
        {"quality longer", "@r\nACGT\n+\nIIIIII\n@s\nA\n+\nI\n", {"format", "rec 2|@s|A|+|I"}},
        {"NUL in a sequence", "@r\nA\0C\n+\nIII\n>s\nA\n"s, {"format", "rec 1|>s|A||"}},
    };
    for (const Case &c : cases)
        for (size_t buffer : {0, 2}) {
            Input in(c.input, buffer);
            EXPECT_EQ(read_fastx(in), c.expected) << c.name << ", buffer " << buffer;
        }
}

TEST(Fastx, WriteRoundTrip)
{
    const std::string fastq = "@r1 desc\nACGTN\n+r1 desc\nIIII#\n@r2\n\n+\n\n";
    Input in(fastq);
    nb_fastx_t rec = {};
    nb_fastx_init(&rec, in);
    Input out("");
    while (nb_fastx_read(&rec, in) == NB_RECORD)
        EXPECT_EQ(nb_fastx_write(&rec, out, 0), 0);
    rewind(out);
    EXPECT_EQ(read_string(out), fastq);

    // FASTA: one line, or wrapped; no sequence line for an empty sequence.
    Input fasta(">a x\nACG\nTA\n>b\n");
    nb_fastx_free(&rec);
    nb_fastx_init(&rec, fasta);
    Input one(""), wrapped("");
    while (nb_fastx_read(&rec, fasta) == NB_RECORD) {
        nb_fastx_write(&rec, one, 0);
        nb_fastx_write(&rec, wrapped, 2);
    }
    rewind(one);
    rewind(wrapped);
    EXPECT_EQ(read_string(one), ">a x\nACGTA\n>b\n");
    EXPECT_EQ(read_string(wrapped), ">a x\nAC\nGT\nA\n>b\n");
    nb_fastx_free(&rec);
}

TEST(Fastx, WriteFailureReported)
{
    Input in("@r\nAC\n+\nII\n");
    nb_fastx_t rec = {};
    nb_fastx_init(&rec, in);
    ASSERT_EQ(nb_fastx_read(&rec, in), NB_RECORD);
    FILE *full = fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    setvbuf(full, nullptr, _IONBF, 0);
    errno = 0;
    EXPECT_EQ(nb_fastx_write(&rec, full, 0), EOF);
    EXPECT_EQ(errno, ENOSPC);
    fclose(full);
    nb_fastx_free(&rec);
}

// ---- mixing library reads with the caller's own stdio ------------------

TEST(Interleave, StreamStandsJustAfterTheRecord)
{
    const std::string text = ">a\nAC\n>b\nGT\n";
    for (int kind = 0; kind < 2; kind++) {
        FILE *fp = kind == 0 ? tmpfile() : nullptr;
        if (fp) {
            fputs(text.c_str(), fp);
            rewind(fp);
        } else {
            fp = pipe_with(text);
        }
        nb_fasta_t rec = {};
        ASSERT_EQ(nb_fasta_read(&rec, fp), NB_RECORD);
        if (kind == 0) {
            EXPECT_EQ(ftello(fp), 6);
        }
        EXPECT_EQ(getc(fp), '>');
        EXPECT_EQ(getc(fp), 'b');
        ungetc('b', fp);
        ASSERT_EQ(nb_fasta_read(&rec, fp), NB_ERR_FORMAT) << "'b\\nGT' is not a record";
        EXPECT_EQ(nb_fasta_read(&rec, fp), NB_END);
        nb_fasta_free(&rec);
        fclose(fp);
    }

    Input fq("@r\nA\n+\nI\n@s\nC\n+\nJ\n");
    nb_fastx_t rec = {};
    nb_fastx_init(&rec, fq);
    ASSERT_EQ(nb_fastx_read(&rec, fq), NB_RECORD);
    EXPECT_EQ(ftello(fq), 9);
    EXPECT_EQ(getc(fq), '@');
    ASSERT_EQ(fseeko(fq, 0, SEEK_SET), 0);
    ASSERT_EQ(nb_fastx_read(&rec, fq), NB_RECORD);
    EXPECT_STREQ(nb_fastx_desc(&rec), "@r");
    nb_fastx_free(&rec);
}

// A failing stream reports NB_ERR_IO once, with its errno, and then the end:
// a reader looping until -1 stops.
TEST(Errors, FailingStreamEndsReading)
{
    FailingSource source{">a\nACGT\n>b\nAC"};
    FILE *fp = failing_stream(&source);
    nb_fasta_t rec = {};
    ASSERT_EQ(nb_fasta_read(&rec, fp), NB_RECORD);
    errno = 0;
    EXPECT_EQ(nb_fasta_read(&rec, fp), NB_ERR_IO);
    EXPECT_EQ(errno, EBADMSG);
    EXPECT_NE(rec.seq, nullptr);
    EXPECT_EQ(nb_fasta_read(&rec, fp), NB_END);
    fclose(fp);
    // The same record then reads a fresh stream.
    Input in(">c\nT\n");
    EXPECT_EQ(nb_fasta_read(&rec, in), NB_RECORD);
    EXPECT_STREQ(rec.desc, ">c");
    nb_fasta_free(&rec);

    FailingSource fq_source{"@r\nAC\n+\nI"};
    fp = failing_stream(&fq_source);
    nb_fastx_t fx = {};
    nb_fastx_init(&fx, fp);
    EXPECT_EQ(nb_fastx_read(&fx, fp), NB_ERR_IO);
    EXPECT_STREQ(nb_fastx_qual(&fx), "I") << "partial fields stay valid strings";
    EXPECT_EQ(nb_fastx_read(&fx, fp), NB_END);
    nb_fastx_free(&fx);
    fclose(fp);

    FailingSource gff_source{"chr1\ts\tgene\t1\t2\t.\t+\t.\tID=g\nchr"};
    fp = failing_stream(&gff_source);
    nb_gff3_t gff;
    nb_gff3_init(&gff);
    EXPECT_EQ(nb_gff3_read(&gff, fp, 4095), NB_RECORD);
    EXPECT_EQ(nb_gff3_read(&gff, fp, 4095), NB_ERR_IO);
    EXPECT_EQ(nb_gff3_read(&gff, fp, 4095), NB_END);
    nb_gff3_free(&gff);
    fclose(fp);

    FailingSource vcf_source{"##h\n#CHROM\n1\t5\t.\tA\tC\t.\t.\t.\n"};
    fp = failing_stream(&vcf_source);
    FILE *header = nb_vcf_skip_header(fp);
    ASSERT_NE(header, nullptr);
    fclose(header);
    nb_vcf_t vcf;
    nb_vcf_init(&vcf);
    EXPECT_EQ(nb_vcf_read_ss_call(&vcf, fp, 4095), NB_RECORD);
    EXPECT_EQ(nb_vcf_read_ss_call(&vcf, fp, 4095), NB_ERR_IO);
    EXPECT_NE(vcf.chrom, nullptr);
    EXPECT_EQ(nb_vcf_read_ss_call(&vcf, fp, 4095), NB_END);
    nb_vcf_free(&vcf);
    fclose(fp);

    FailingSource header_source{"##fileformat=VCFv4.2\n##more"};
    fp = failing_stream(&header_source);
    errno = 0;
    EXPECT_EQ(nb_vcf_skip_header(fp), nullptr);
    EXPECT_EQ(errno, EBADMSG);
    fclose(fp);

    // A codon search loop that runs until feof ends on a failing stream.
    FailingSource raw_source{"CCATGCC"};
    fp = failing_stream(&raw_source);
    char codon[4];
    EXPECT_EQ(nb_next_start_codon(fp, codon), 2);
    EXPECT_EQ(nb_next_stop_codon(fp, codon), -1);
    EXPECT_TRUE(feof(fp));
    EXPECT_TRUE(ferror(fp));
    fclose(fp);
}

// ---- GFF3 and BED ------------------------------------------------------

std::string show(const char *text)
{
    return text ? text : "(null)";
}

Strings read_gff3(FILE *fp)
{
    nb_gff3_t rec;
    memset(&rec, 0xa5, sizeof rec);
    nb_gff3_init(&rec);
    Strings got = read_all([&](std::string *what) {
        int status = nb_gff3_read(&rec, fp, 4095);
        if (status == NB_RECORD)
            *what = show(rec.seqid) + "|" + show(rec.source) + "|" + show(rec.type) + "|" +
                    std::to_string(rec.start) + "|" + std::to_string(rec.end) + "|" +
                    show(rec.score) + "|" + show(rec.strand) + "|" + show(rec.phase) + "|" +
                    show(rec.attributes) + "|" + show(rec.feature_id) + "|" +
                    show(rec.feature_name) + "|" + show(rec.feature_parent);
        return status;
    });
    nb_gff3_free(&rec);
    return got;
}

TEST(Gff3, Records)
{
    const std::string gene = "chr1\tsrc\tgene\t10\t200\t.\t+\t.\tID=gene:G1;Name=abc-201\n";
    const Case cases[] = {
        {"empty input", "", {}},
        {"features, comments, blank lines, ###",
         "##gff-version 3\n#note\n\n" + gene +
             "chr1\tsrc\tmRNA\t10\t150\t0.5\t-\t0\tParent=gene:G1; ID=t1;Name=x\n###\n",
         {"rec chr1|src|gene|10|200|.|+|.|ID=gene:G1;Name=abc-201|gene:G1|abc-201|(null)",
          "rec chr1|src|mRNA|10|150|0.5|-|0|Parent=gene:G1; ID=t1;Name=x|t1|x|gene:G1",
          "rec ||###|0|0|||||(null)|(null)|(null)"}},
        {"keys only at the start of an attribute",
         "c\ts\tt\t1\t2\t.\t.\t.\tmyID=no;XName=no;ID=yes;ID=second\n",
         {"rec c|s|t|1|2|.|.|.|myID=no;XName=no;ID=yes;ID=second|yes|(null)|(null)"}},
        {"no attributes, empty value",
         "c\ts\tt\t1\t2\t.\t.\t.\t.\nc\ts\tt\t3\t4\t.\t.\t.\tID=;Name\n",
         {"rec c|s|t|1|2|.|.|.|.|(null)|(null)|(null)",
          "rec c|s|t|3|4|.|.|.|ID=;Name||(null)|(null)"}},
        {"CRLF", "c\ts\tt\t1\t2\t.\t.\t.\tID=a\r\n", {"rec c|s|t|1|2|.|.|.|ID=a|a|(null)|(null)"}},
        {"##FASTA ends the annotation", gene + "##FASTA\n>chr1\nACGT\n" + gene,
         {"rec chr1|src|gene|10|200|.|+|.|ID=gene:G1;Name=abc-201|gene:G1|abc-201|(null)"}},
        {"eight columns", "c\ts\tt\t1\t2\t.\t.\t.\n" + gene,
         {"format", "rec chr1|src|gene|10|200|.|+|.|ID=gene:G1;Name=abc-201|gene:G1|abc-201|(null)"}},
        {"non-numeric start and end",
         "c\ts\tt\tabc\t2\t.\t.\t.\t.\nc\ts\tt\t1\t12a\t.\t.\t.\t.\nc\ts\tt\t\t2\t.\t.\t.\t.\n"
         "c\ts\tt\t-1\t2\t.\t.\t.\t.\nc\ts\tt\t1\t99999999999999999999\t.\t.\t.\t.\n",
         {"format", "format", "format", "format", "format"}},
        {"NUL in a line", "c\ts\tt\t1\t2\t.\t.\t.\tID=a\0b\n"s + gene,
         {"format", "rec chr1|src|gene|10|200|.|+|.|ID=gene:G1;Name=abc-201|gene:G1|abc-201|(null)"}},
    };
    for (const Case &c : cases)
        for (size_t buffer : {0, 4}) {
            Input in(c.input, buffer);
            EXPECT_EQ(read_gff3(in), c.expected) << c.name << ", buffer " << buffer;
        }
}

TEST(Gff3, LongAttributes)
{
    std::string name(1 << 20, 'n');
    Input in("c\ts\tgene\t1\t9\t.\t+\t.\tID=g;Name=" + name + ";Parent=p\n");
    nb_gff3_t rec;
    nb_gff3_init(&rec);
    ASSERT_EQ(nb_gff3_read(&rec, in, 4095), NB_RECORD);
    EXPECT_EQ(show(rec.feature_name), name);
    EXPECT_STREQ(rec.feature_parent, "p");
    EXPECT_EQ(strlen(rec.attributes), name.size() + 19);
    nb_gff3_free(&rec);
}

TEST(Gff3, SkipHeader)
{
    struct {
        const char *name;
        std::string input;
        int lines;
        std::string rest;
    } cases[] = {
        {"empty", "", 0, ""},
        {"header then feature", "##gff-version 3\n#c\n##x\nchr1\n", 3, "chr1\n"},
        {"stops before ###", "##gff-version 3\n###\n#c\n", 1, "###\n#c\n"},
        {"stops before ##FASTA", "#a\n#b\n##FASTA\n>s\n", 2, "##FASTA\n>s\n"},
        {"short comment lines", "#\n##\n#\nx", 3, "x"},
        {"header without a final newline", "##gff-version 3", 1, ""},
    };
    for (const auto &c : cases)
        for (size_t buffer : {0, 1, 2, 5}) {
            Input in(c.input, buffer);
            EXPECT_EQ(nb_gff3_skip_header(in), c.lines) << c.name << ", buffer " << buffer;
            EXPECT_EQ(read_string(in), c.rest) << c.name << ", buffer " << buffer;
        }

    FILE *fp = pipe_with("##gff-version 3\n##FASTA\n>s\n");
    EXPECT_EQ(nb_gff3_skip_header(fp), 1);
    nb_gff3_t rec;
    nb_gff3_init(&rec);
    EXPECT_EQ(nb_gff3_read(&rec, fp, 4095), NB_END);
    EXPECT_EQ(nb_gff3_read(&rec, fp, 4095), NB_END);
    nb_gff3_free(&rec);
    fclose(fp);
}

std::string bed_line(const nb_bed_t &bed)
{
    Input out("");
    EXPECT_EQ(nb_bed_write(&bed, out, 255), 0);
    rewind(out);
    return read_string(out);
}

TEST(Bed, FromGff3)
{
    Input in("c1\tsrc\tgene\t1\t200\t7.5\t-\t.\tID=g1;Name=n\n###\n"
             "c2\tsrc\texon\t5\t9\t.\t+\t2\tParent=g1\n");
    nb_gff3_t rec;
    nb_gff3_init(&rec);
    nb_bed_t bed = NB_BED_INIT;
    EXPECT_EQ(bed_line(bed), "") << "the initial record writes nothing";

    ASSERT_EQ(nb_gff3_read(&rec, in, 4095), NB_RECORD);
    EXPECT_EQ(nb_gff3_to_bed(&rec, &bed), 0);
    EXPECT_EQ(bed.chrom, rec.seqid) << "borrowed, not copied";
    EXPECT_EQ(bed.chrom_start, 0);
    EXPECT_EQ(bed.chrom_end, 200);
    EXPECT_EQ(bed_line(bed), "c1\t0\t200\tg1\t7.5\t-\tsrc\tgene\t.\tID=g1;Name=n\n");

    ASSERT_EQ(nb_gff3_read(&rec, in, 4095), NB_RECORD);
    nb_gff3_to_bed(&rec, &bed);
    EXPECT_EQ(bed.chrom, nullptr);
    EXPECT_STREQ(bed.strand, ".");
    EXPECT_EQ(bed_line(bed), "") << "### is not a feature";

    ASSERT_EQ(nb_gff3_read(&rec, in, 4095), NB_RECORD);
    nb_gff3_to_bed(&rec, &bed);
    EXPECT_EQ(bed_line(bed), "c2\t4\t9\t.\t.\t+\tsrc\texon\t2\tParent=g1\n");
    nb_gff3_free(&rec);
}

// ---- VCF ---------------------------------------------------------------

TEST(Vcf, HeaderStream)
{
    const std::string header = "##fileformat=VCFv4.2\r\n##INFO=<ID=DP>\n";
    const std::string rest = "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n1\t5\t.\tA\tC\t.\t.\t.\n";
    for (size_t buffer : {0, 1, 3}) {
        Input in(header + rest, buffer);
        FILE *hs = nb_vcf_skip_header(in);
        ASSERT_NE(hs, nullptr);
        EXPECT_EQ(read_string(hs), header);
        EXPECT_EQ(read_string(in), rest) << "the column heading stays unread";
        fclose(hs);
    }

    // As call-thinner uses it: read to its end, append, seek back, read.
    FILE *fp = pipe_with(header + rest);
    FILE *hs = nb_vcf_skip_header(fp);
    ASSERT_NE(hs, nullptr);
    EXPECT_EQ(read_string(hs), header);
    int c;
    while ((c = getc(fp)) != '\n')
        ASSERT_NE(c, EOF);
    off_t calls_at = ftello(hs);
    EXPECT_EQ(calls_at, static_cast<off_t>(header.size()));
    while ((c = getc(fp)) != EOF)
        putc(c, hs);
    ASSERT_EQ(fseeko(hs, calls_at, SEEK_SET), 0);
    nb_vcf_t vcf;
    nb_vcf_init(&vcf);
    ASSERT_EQ(nb_vcf_read_ss_call(&vcf, hs, 4095), NB_RECORD);
    EXPECT_STREQ(vcf.chrom, "1");
    EXPECT_EQ(vcf.pos, 5);
    EXPECT_EQ(nb_vcf_read_ss_call(&vcf, hs, 4095), NB_END);
    nb_vcf_free(&vcf);
    fclose(hs);
    fclose(fp);

    // No header, or no input at all: an empty header stream.
    for (const char *text : {"", "1\t5\t.\tA\tC\t.\t.\t.\n", "#CHROM\n"}) {
        Input in(text);
        hs = nb_vcf_skip_header(in);
        ASSERT_NE(hs, nullptr);
        EXPECT_EQ(read_string(hs), "");
        EXPECT_EQ(read_string(in), text);
        fclose(hs);
    }
}

Strings read_vcf(FILE *fp, FILE *out)
{
    nb_vcf_t rec;
    memset(&rec, 0xa5, sizeof rec);
    nb_vcf_init(&rec);
    Strings got = read_all([&](std::string *what) {
        int status = nb_vcf_read_ss_call(&rec, fp, 4095);
        if (status != NB_END) {
            EXPECT_NE(rec.chrom, nullptr);
            *what = show(rec.chrom) + ":" + std::to_string(rec.pos);
        }
        if (status == NB_RECORD) {
            EXPECT_EQ(nb_vcf_write_ss_call(&rec, out, 4095), 0);
        }
        return status;
    });
    nb_vcf_free(&rec);
    return got;
}

TEST(Vcf, Calls)
{
    const std::string call = "chr2\t1234\trs1\tA\tC,G\t50\tPASS\tDP=3\tGT\t0/1";
    const struct {
        const char *name;
        std::string input;
        Strings expected;
        std::string written;
    } cases[] = {
        {"empty input", "", {}, ""},
        {"calls written back byte for byte, CR kept",
         "##h\n#CHROM\n" + call + "\n\nchr1\t7\t.\tA\tC\t.\t.\t.\r\n#late\n" + call,
         {"rec chr2:1234", "rec chr1:7", "rec chr2:1234"},
         call + "\nchr1\t7\t.\tA\tC\t.\t.\t.\r\n" + call + "\n"},
        {"seven columns", "c\t1\t.\tA\tC\t.\t.\n" + call + "\n", {"format :0", "rec chr2:1234"},
         call + "\n"},
        {"non-numeric POS", "c\tx\t.\tA\tC\t.\t.\t.\nc\t12a\t.\tA\tC\t.\t.\t.\nc\t\t.\tA\tC\t.\t.\t.\n",
         {"format :0", "format :0", "format :0"}, ""},
        {"NUL in a call", "c\t1\t.\tA\tC\t.\t.\t\0\n"s + call, {"format :0", "rec chr2:1234"},
         call + "\n"},
    };
    for (const auto &c : cases)
        for (size_t buffer : {0, 3}) {
            Input in(c.input, buffer), out("");
            EXPECT_EQ(read_vcf(in, out), c.expected) << c.name << ", buffer " << buffer;
            rewind(out);
            EXPECT_EQ(read_string(out), c.written) << c.name << ", buffer " << buffer;
        }
}

TEST(Vcf, LongCallAndInterleave)
{
    std::string info(1 << 20, 'i');
    std::string line = "chrX\t99\t.\tA\tC\t.\t.\t" + info;
    Input in(line + "\nchrY\t1\t.\tA\tC\t.\t.\t.\n");
    nb_vcf_t rec;
    nb_vcf_init(&rec);
    ASSERT_EQ(nb_vcf_read_ss_call(&rec, in, 4095), NB_RECORD);
    EXPECT_EQ(std::string(rec.line.text, rec.line.len), line);
    EXPECT_EQ(ftello(in), static_cast<off_t>(line.size() + 1));
    EXPECT_EQ(getc(in), 'c');
    nb_vcf_free(&rec);
}

// ---- codons ------------------------------------------------------------

// Runs searches, alternating start and stop when alternate is set, until -1.
Strings find_codons(FILE *fp, bool stop_first, bool alternate)
{
    Strings got;
    bool stop = stop_first;
    for (int i = 0; i < 20; i++) {
        char codon[4] = "zzz";
        int64_t d = stop ? nb_next_stop_codon(fp, codon) : nb_next_start_codon(fp, codon);
        if (d < 0) {
            EXPECT_EQ(d, -1);
            EXPECT_TRUE(feof(fp));
            break;
        }
        got.push_back(std::to_string(d) + " " + codon);
        if (alternate)
            stop = !stop;
    }
    return got;
}

TEST(Codons, Searches)
{
    const struct {
        const char *name;
        std::string input;
        bool stop, alternate;
        Strings expected;
    } cases[] = {
        {"empty input", "", false, false, {}},
        {"codon at the start", "ATGxx", false, false, {"0 ATG"}},
        {"overlapping starts", "AATGATATGatg", false, false, {"1 ATG", "2 ATG", "0 atg"}},
        {"either case, as read", "ccaTgTTcAtG", false, false, {"2 aTg", "3 AtG"}},
        {"newlines count and break codons", "\nA\nTG\nATG\n", false, false, {"6 ATG"}},
        {"no start codon", "ACGTTTAAGTG\n", false, false, {}},
        {"stops", "ccTAAtagTGAtga", true, false, {"2 TAA", "0 tag", "0 TGA", "0 tga"}},
        {"stop overlaps", "TTAATGTAG", true, false, {"1 TAA", "2 TAG"}},
        {"TGA after TG", "TGTGATAGA", true, false, {"2 TGA", "0 TAG"}},
        {"start then stop", "xATGccTAGATGTAAA", false, true, {"1 ATG", "2 TAG", "0 ATG", "0 TAA"}},
        {"start after the stop's bases", "ATGA\nTGA", false, true, {"0 ATG", "2 TGA"}},
    };
    for (const auto &c : cases)
        for (size_t buffer : {0, 1, 2}) {
            Input in(c.input, buffer);
            EXPECT_EQ(find_codons(in, c.stop, c.alternate), c.expected)
                << c.name << ", buffer " << buffer;
        }
}

TEST(Codons, StreamLeftAfterTheCodon)
{
    Input in("CCATGTTTAGG");
    char codon[4];
    ASSERT_EQ(fseek(in, 1, SEEK_CUR), 0);
    EXPECT_EQ(nb_next_start_codon(in, codon), 1);
    EXPECT_EQ(ftello(in), 5);
    EXPECT_EQ(getc(in), 'T');
    EXPECT_EQ(nb_next_stop_codon(in, codon), 1);
    EXPECT_STREQ(codon, "TAG");
    EXPECT_EQ(getc(in), 'G');
    EXPECT_EQ(nb_next_start_codon(in, codon), -1);
    EXPECT_TRUE(feof(in));

    FILE *fp = pipe_with("GATGC");
    EXPECT_EQ(getc(fp), 'G');
    EXPECT_EQ(nb_next_start_codon(fp, codon), 0);
    EXPECT_EQ(getc(fp), 'C');
    fclose(fp);
}

// Found by fuzzing: a feature line whose type column reads "###" was
// taken for the "###" record and converted to no BED line, losing it.
TEST(Bed, FeatureTypedHashesIsStillAFeature)
{
    Input in("c1\tsrc\t###\t3\t9\t.\t+\t.\tID=x\n###\n");
    nb_gff3_t rec;
    nb_gff3_init(&rec);
    nb_bed_t bed = NB_BED_INIT;
    ASSERT_EQ(nb_gff3_read(&rec, in, 4095), NB_RECORD);
    nb_gff3_to_bed(&rec, &bed);
    EXPECT_EQ(bed_line(bed), "c1\t2\t9\tx\t.\t+\tsrc\t###\t.\tID=x\n");
    ASSERT_EQ(nb_gff3_read(&rec, in, 4095), NB_RECORD);
    nb_gff3_to_bed(&rec, &bed);
    EXPECT_EQ(bed_line(bed), "");
    nb_gff3_free(&rec);
}

} // namespace
