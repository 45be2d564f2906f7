// Malformed input end to end, across the suite: empty input, a missing
// final newline, CRLF line ends, NUL bytes, binary garbage, records cut
// short, bad columns and numbers, broken compressed files, a 100 MB line
// and a full output device.  Bad data ends with a message naming the
// program and status 65, after every record before the fault was written;
// nothing crashes, and nothing ends with status 0 after losing data.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "program_runner.h"

using namespace std::string_literals;
using progtest::Stdin;

namespace {

struct Row {
    std::string name;
    std::string program;
    std::vector<std::string> args;
    std::string input;
    std::string out;
    std::string err; // a regular expression for the whole of standard error
    int status;
    Stdin in = Stdin::pipe;
    bool out_full = false;
};

// Any text at all, line breaks included.
const std::string kAny = "[\\s\\S]*";

std::string read_error(const std::string &program, const std::string &stream,
                       const std::string &reason = "Invalid argument")
{
    return program + ": Error reading " + stream + " stream: " + reason + "\n";
}

std::string write_error(const std::string &program)
{
    return program + ": Error writing output: No space left on device\n";
}

// recs2cols and fastq-dedup always write their notices and counts around
// the error line.
std::string amid_notices(const std::string &line)
{
    return kAny + line + kAny;
}

// text with every from replaced by to.
std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string fixture(const std::string &name)
{
    return progtest::fixture("malformed/" + name);
}

// The same bytes every run: a binary file given by mistake.
std::string garbage(size_t n)
{
    std::mt19937 random(20240611);
    std::string bytes(n, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random() & 0xff);
    return bytes;
}

const std::string kVcfHeader = "##fileformat=VCFv4.2\n"
                               "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ts1\n";
const std::string kCall5 = "1\t5\t.\tA\tG\t.\tPASS\t.\tGT\t0/1";
const std::string kGene = "chr1\tmade\tgene\t2\t5\t.\t+\t.\tID=g1;Name=jun";
const std::string kGeneBed = "chr1\t1\t5\tg1\t.\t+\tmade\tgene\t.\tID=g1;Name=jun\n";

void check_rows(const std::vector<Row> &rows)
{
    for (const Row &row : rows) {
        SCOPED_TRACE(row.program + ": " + row.name);
        progtest::Result r = progtest::run(row.program, row.args, row.input, row.in, row.out_full);
        EXPECT_EQ(row.status, r.status) << "stderr:\n" << r.err;
        EXPECT_EQ(row.out, r.out);
        EXPECT_TRUE(std::regex_match(r.err, std::regex(row.err)))
            << "standard error:\n" << r.err << "\ndoes not match:\n" << row.err;
    }
}

TEST(Malformed, SequenceInput)
{
    const std::string bin = garbage(4096);
    const std::string nul = ">a\nACGT\n>b\nAC\0GT\n>c\nA\n"s;
    const std::string cut_fastq = "@r1\nACGT\n+\nIIII\n@r2\nACGT\n";
    const std::string short_qual = "@r1\nACGT\n+\nIIII\n@r2\nACGT\n+\nII\n@r3\nA\n+\nI\n";
    const std::string fastq_1 = "@r1\nACGT\n+\nIIII\n";
    const std::string cols_1 = "@r1\tACGT\t+\tIIII\n";
    check_rows({
        // fasta-lengths
        {"empty input", "fasta-lengths", {}, "", "", "", 0},
        {"no final newline", "fasta-lengths", {}, ">a\nAC\n>b\nACG", "a\t2\nb\t3\n", "", 0},
        {"CRLF line ends", "fasta-lengths", {}, ">a x\r\nAC\r\nGT\r\n", "a\t4\n", "", 0},
        {"NUL byte", "fasta-lengths", {}, nul, "a\t4\n", read_error("fasta-lengths", "FASTA"), 65},
        {"binary garbage", "fasta-lengths", {}, bin, "", read_error("fasta-lengths", "FASTA"), 65},
        {"FASTQ given", "fasta-lengths", {}, fastq_1, "", read_error("fasta-lengths", "FASTA"),
         65},
        // fasta-concat
        {"empty input", "fasta-concat", {}, "", "\n", "", 0},
        {"no final newline", "fasta-concat", {}, ">a\nAC\n>b\nACG", "ACACG\n", "", 0},
        {"CRLF line ends", "fasta-concat", {}, ">a\r\nAC\r\n>b\r\nGT\r\n", "ACGT\n", "", 0},
        {"NUL byte", "fasta-concat", {}, nul, "ACGT\n", read_error("fasta-concat", "FASTA"), 65},
        {"binary garbage", "fasta-concat", {}, bin, "\n", read_error("fasta-concat", "FASTA"),
         65},
        // recs2cols
        {"empty input", "recs2cols", {}, "", "", amid_notices("0 records processed\\.\n"), 0},
        {"CRLF line ends", "recs2cols", {}, "@r1\r\nACGT\r\n+\r\nIIII\r\n", cols_1,
         amid_notices("1 records processed\\.\n"), 0},
        {"no final newline", "recs2cols", {}, "@r1\nACGT\n+\nIIII", cols_1,
         amid_notices("1 records processed\\.\n"), 0},
        {"NUL byte", "recs2cols", {}, nul, ">a\tACGT\n",
         amid_notices(read_error("recs2cols", "sequence")), 65},
        {"binary garbage", "recs2cols", {}, bin, "",
         amid_notices(read_error("recs2cols", "sequence")), 65},
        {"truncated FASTQ record", "recs2cols", {}, cut_fastq, cols_1,
         amid_notices(read_error("recs2cols", "sequence")), 65},
        {"quality shorter than sequence", "recs2cols", {}, short_qual, cols_1,
         amid_notices(read_error("recs2cols", "sequence")), 65},
        // fastq-dedup: its report names the read status
        {"empty input", "fastq-dedup", {}, "", "", amid_notices("status = -1\n"), 0},
        {"CRLF line ends", "fastq-dedup", {}, "@r1\r\nACGT\r\n+\r\nIIII\r\n", fastq_1,
         amid_notices("status = -1\n"), 0},
        {"no final newline", "fastq-dedup", {}, "@r1\nACGT\n+\nIIII", fastq_1,
         amid_notices("status = -1\n"), 0},
        {"NUL byte", "fastq-dedup", {}, nul, ">a\nACGT\n", amid_notices("status = -2\n"), 65},
        {"binary garbage", "fastq-dedup", {}, bin, "", amid_notices("status = -2\n"), 65},
        {"truncated FASTQ record", "fastq-dedup", {}, cut_fastq, fastq_1,
         amid_notices("status = -2\n"), 65},
        {"quality shorter than sequence", "fastq-dedup", {}, short_qual, fastq_1,
         amid_notices("status = -2\n"), 65},
        // base-census: a faulty input gives no report of its own
        {"truncated FASTQ record", "base-census", {}, cut_fastq, "",
         "Error reading file: Invalid argument\n", 65},
        {"quality shorter than sequence", "base-census", {}, short_qual, "",
         "Error reading file: Invalid argument\n", 65},
        {"NUL byte", "base-census", {}, nul, "", "Error reading file: Invalid argument\n", 65},
        {"binary garbage", "base-census", {}, bin, "", "Error reading file: Invalid argument\n",
         65},
        // codon-scan reads any bytes as raw sequence: nothing is malformed
        {"empty input", "codon-scan", {"0"}, "", "No start codon found.\n", "", 0},
        {"NUL bytes break a codon", "codon-scan", {"0"}, "AT\0GATGxTAA"s,
         "Start codon ATG at 5 (+4)\nStop codon TAA at 9 (+1)\nNo start codon found.\n", "", 0},
        {"CRLF breaks a codon", "codon-scan", {"0"}, "AT\r\nGATG\r\n",
         "Start codon ATG at 6 (+5)\nNo stop codon found.\n", "", 0},
        {"offset past the end of a regular file", "codon-scan", {"100"}, "AATGTAG",
         "No start codon found.\n", "", 0, Stdin::file},
        {"NUL byte, regular file", "fasta-lengths", {}, nul, "a\t4\n",
         read_error("fasta-lengths", "FASTA"), 65, Stdin::file},
        {"no final newline", "codon-scan", {"1"}, "AATGTAG",
         "Start codon ATG at 2 (+0)\nStop codon TAG at 5 (+0)\nNo start codon found.\n", "", 0},
    });
}

TEST(Malformed, AnnotationAndCallInput)
{
    const std::string bin = garbage(4096);
    const std::string gff3_head = "##gff-version 3\n" + kGene + "\n";
    const std::string eight_columns = gff3_head + "chr1\tmade\tgene\t1\t4\t.\t+\t.\n";
    const std::string start_abc = gff3_head + "chr1\tmade\tgene\tabc\t4\t.\t+\t.\tID=g2\n";
    const std::string gff3_nul = gff3_head + "chr1\tmade\tge\0ne\t1\t4\t.\t+\t.\tID=g2\n"s;
    const std::string pos_x = kVcfHeader + kCall5 + "\n1\tx\t.\tA\tG\t.\t.\t.\tGT\t1/1\n" +
                              kCall5 + "\n";
    const std::string seven_columns = kVcfHeader + kCall5 + "\n1\t5\t.\tA\tG\t.\tPASS\n";
    const std::string vcf_nul = kVcfHeader + kCall5 + "\n1\t5\t.\tA\0G\t.\t.\t.\n"s;

    std::string dir = progtest::scratch_dir();
    auto saved = [&dir](const std::string &name, const std::string &text) {
        progtest::write_file(dir + "/" + name, text);
        return dir + "/" + name;
    };
    const std::string ids = saved("ids.txt", "g1\ng2\n");
    const std::string genome = saved("genome.fa", ">chr1\nACGTACGT\n");
    // Each annotation in a file of its own, named in feature-slice's titles.
    int files = 0;
    auto gff3 = [&](const std::string &text) {
        return saved("in" + std::to_string(++files) + ".gff3", text);
    };
    auto title = [](const std::string &gff3_path, const std::string &fasta_path) {
        return ">ID=:gene chr1 2 5 GENE ID= ID=g1;Name=jun " + gff3_path + " " + fasta_path + "\n";
    };
    const std::string eight_path = gff3(eight_columns), abc_path = gff3(start_abc),
                      nul_path = gff3(gff3_nul), head_path = gff3(gff3_head),
                      bin_fa = saved("bin.fa", bin);

    check_rows({
        // gff3-to-bed
        {"empty input", "gff3-to-bed", {}, "", "", "", 0},
        {"no final newline", "gff3-to-bed", {}, kGene, kGeneBed, "", 0},
        {"CRLF line ends", "gff3-to-bed", {}, "##gff-version 3\r\n" + kGene + "\r\n", kGeneBed,
         "", 0},
        {"8 columns", "gff3-to-bed", {}, eight_columns, kGeneBed,
         read_error("gff3-to-bed", "GFF3"), 65},
        {"start of abc", "gff3-to-bed", {}, start_abc, kGeneBed,
         read_error("gff3-to-bed", "GFF3"), 65},
        {"NUL byte", "gff3-to-bed", {}, gff3_nul, kGeneBed, read_error("gff3-to-bed", "GFF3"),
         65},
        {"binary garbage", "gff3-to-bed", {}, bin, "", read_error("gff3-to-bed", "GFF3"), 65},
        // accession-namer and feature-slice read the annotation from a file
        {"empty annotation", "accession-namer", {gff3(""), ids}, "", "", "", 0},
        {"8 columns", "accession-namer", {gff3(eight_columns), ids}, "", "g1\tjun\n",
         read_error("accession-namer", "GFF3"), 65},
        {"start of abc", "accession-namer", {gff3(start_abc), ids}, "", "g1\tjun\n",
         read_error("accession-namer", "GFF3"), 65},
        {"binary garbage", "accession-namer", {gff3(bin), ids}, "", "",
         read_error("accession-namer", "GFF3"), 65},
        {"empty annotation", "feature-slice", {gff3(""), genome, "GENE", "ID="}, "", "", "", 0},
        {"8 columns", "feature-slice", {eight_path, genome, "GENE", "ID="}, "",
         title(eight_path, genome) + "CGTA\n", read_error("feature-slice", "GFF3"), 65},
        {"start of abc", "feature-slice", {abc_path, genome, "GENE", "ID="}, "",
         title(abc_path, genome) + "CGTA\n", read_error("feature-slice", "GFF3"), 65},
        {"NUL byte", "feature-slice", {nul_path, genome, "GENE", "ID="}, "",
         title(nul_path, genome) + "CGTA\n", read_error("feature-slice", "GFF3"), 65},
        {"binary garbage", "feature-slice", {gff3(bin), genome, "GENE", "ID="}, "", "",
         read_error("feature-slice", "GFF3"), 65},
        {"garbage genome", "feature-slice", {head_path, bin_fa, "GENE", "ID="}, "",
         title(head_path, bin_fa), read_error("feature-slice", "FASTA"), 65},
        // site-filter
        {"empty input", "site-filter", {"1", "5"}, "", "", "", 0},
        {"no final newline", "site-filter", {"1", "5"}, kVcfHeader + kCall5, kCall5 + "\n", "", 0},
        {"CRLF line ends kept", "site-filter", {"1", "5"}, kVcfHeader + kCall5 + "\r\n",
         kCall5 + "\r\n", "", 0},
        {"POS of x", "site-filter", {"1", "5"}, pos_x, kCall5 + "\n",
         read_error("site-filter", "VCF"), 65},
        {"7 columns", "site-filter", {"1", "5"}, seven_columns, kCall5 + "\n",
         read_error("site-filter", "VCF"), 65},
        {"NUL byte", "site-filter", {"1", "5"}, vcf_nul, kCall5 + "\n",
         read_error("site-filter", "VCF"), 65},
        {"binary garbage", "site-filter", {"1", "5"}, bin, "", read_error("site-filter", "VCF"),
         65},
        // call-thinner: a count above the number of calls keeps them all
        {"empty input", "call-thinner", {"10"}, "", "\n", "", 0},
        {"no final newline", "call-thinner", {"10"}, kVcfHeader + kCall5, kVcfHeader + kCall5 +
         "\n", "", 0},
        {"POS of x", "call-thinner", {"10"}, pos_x, kVcfHeader + kCall5 + "\n",
         read_error("call-thinner", "VCF"), 65},
        {"7 columns", "call-thinner", {"10"}, seven_columns, kVcfHeader + kCall5 + "\n",
         read_error("call-thinner", "VCF"), 65},
        {"NUL byte", "call-thinner", {"10"}, vcf_nul, kVcfHeader + kCall5 + "\n",
         read_error("call-thinner", "VCF"), 65},
        // A regular file is read twice rather than spooled.
        {"POS of x, regular file", "call-thinner", {"10"}, pos_x, kVcfHeader + kCall5 + "\n",
         read_error("call-thinner", "VCF"), 65, Stdin::file},
        {"no final newline, regular file", "call-thinner", {"10"}, kVcfHeader + kCall5,
         kVcfHeader + kCall5 + "\n", "", 0, Stdin::file},
        {"binary garbage, regular file", "call-thinner", {"10"}, bin,
         bin.substr(0, bin.find('\n') + 1),
         read_error("call-thinner", "VCF"), 65, Stdin::file},
    });
}

// Compressed files that are broken, or not what their name says, through
// the two programs that open files with qx_fopen.
TEST(Malformed, CompressedFiles)
{
    const std::string genome = fixture("genome.fa");
    const std::string census = progtest::run("base-census", {genome}, "").out;
    ASSERT_NE(std::string::npos, census.find("Sequences:          4\n"));
    auto named = [](std::string report, const std::string &name) {
        return std::regex_replace(report, std::regex("Filename: +[^\n]*"),
                                  "Filename:           " + name);
    };
    check_rows({
        {"plain FASTA named .gz", "base-census", {fixture("plain-named.fa.gz")}, "",
         named(census, fixture("plain-named.fa.gz")), "", 0},
        // The reports before the faulty input stay; it gets none.
        {"truncated .gz", "base-census", {genome, fixture("genome-cut.fa.gz"), genome}, "",
         census, "Error reading file: Input/output error\n", 65},
        {"gzip header, corrupt data", "base-census", {fixture("bad-deflate.gz")}, "", "",
         "Error reading file: Input/output error\n", 65},
        {"binary .gz that is not gzip", "base-census", {fixture("garbage.gz")}, "", "",
         "Error reading file: Invalid argument\n", 65},
        {"binary .gz genome", "feature-slice",
         {fixture("annotation.gff3"), fixture("garbage.gz"), "GENE", "ID=gene1;"}, "",
         ">ID=gene1;:gene chr1 821 898 GENE ID=gene1; "
         "ID=gene1;Name=g1;note=TAGCATAACATCGGGTCGACAAACATTTTCTCTGATGAAA " +
             fixture("annotation.gff3") + " " + fixture("garbage.gz") + "\n",
         read_error("feature-slice", "FASTA"), 65},
    });

    // A cut annotation or genome: every feature before the fault is written
    // whole, exactly as from the intact files, then the error.
    const std::string annotation = fixture("annotation.gff3");
    progtest::Result whole =
        progtest::run("feature-slice", {annotation, genome, "GENE", "ID="}, "");
    ASSERT_EQ(0, whole.status);
    ASSERT_EQ(80u, static_cast<size_t>(std::count(whole.out.begin(), whole.out.end(), '\n')));
    struct {
        std::string gff3, fasta, err;
        size_t lines;
    } cuts[] = {
        {fixture("annotation-cut.gff3.gz"), genome, read_error("feature-slice", "GFF3",
                                                               "Input/output error"), 44},
        // The third chromosome is cut: its feature's title line is written
        // before the genome is read, and nothing after it.
        {annotation, fixture("genome-cut.fa.gz"), read_error("feature-slice", "FASTA",
                                                            "Input/output error"), 41},
    };
    // A genome named .gz that is plain text reads as it is.
    const std::string plain_named = fixture("plain-named.fa.gz");
    progtest::Result plain =
        progtest::run("feature-slice", {annotation, plain_named, "GENE", "ID="}, "");
    EXPECT_EQ(0, plain.status);
    EXPECT_EQ("", plain.err);
    EXPECT_EQ(replaced(whole.out, genome, plain_named),
              plain.out);

    for (const auto &cut : cuts) {
        SCOPED_TRACE(cut.gff3 + " " + cut.fasta);
        progtest::Result r =
            progtest::run("feature-slice", {cut.gff3, cut.fasta, "GENE", "ID="}, "");
        EXPECT_EQ(65, r.status);
        EXPECT_EQ(cut.err, r.err);
        std::string expected = replaced(replaced(whole.out, annotation, cut.gff3), genome,
                                        cut.fasta);
        EXPECT_EQ(cut.lines, static_cast<size_t>(std::count(r.out.begin(), r.out.end(), '\n')));
        EXPECT_EQ(expected.substr(0, r.out.size()), r.out);
    }
}

// One line of 100 MB, through a pipe, for the two readers that programs
// use most: nothing is cut, and memory grows with the line.
TEST(Malformed, HundredMegabyteLine)
{
    const size_t size = 100u << 20;
    std::string input = ">big\n" + std::string(size, 'A');
    progtest::Result r = progtest::run("fasta-lengths", {}, input);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("big\t" + std::to_string(size) + "\n", r.out);
    EXPECT_EQ("", r.err);

    // A description of 100 MB with tabs in it, then a short sequence.
    input.replace(0, 5, ">");
    for (size_t i = 1; i < input.size(); i += 1000)
        input[i] = '\t';
    input += "\nACGT\n";
    r = progtest::run("recs2cols", {}, input);
    input.clear();
    input.shrink_to_fit();
    EXPECT_EQ(0, r.status);
    ASSERT_EQ(1 + size + 6, r.out.size());
    // Every tab of the description became a blank.
    EXPECT_EQ(1 + size, r.out.find('\t'));
    EXPECT_EQ(">", r.out.substr(0, 1));
    EXPECT_EQ("\tACGT\n", r.out.substr(1 + size));
    EXPECT_TRUE(r.err.find("1 records processed.\n") != std::string::npos) << r.err;
}

// Every program on a full output device: the write-error message and 74,
// with output large enough that writes fail while records are still being
// read, not only at the final flush.
TEST(Malformed, FullOutputDevice)
{
    std::string fasta, fastq, gff3 = "##gff-version 3\n", vcf = kVcfHeader, raw;
    std::string ids;
    for (int i = 0; i < 2000; i++) {
        std::string n = std::to_string(i);
        fasta += ">s" + n + "\nACGTACGTAC\n";
        fastq += "@r" + n + "\n" + n + "\n+\n" + std::string(n.size(), 'I') + "\n";
        gff3 += "chr1\tmade\tgene\t2\t5\t.\t+\t.\tID=g" + n + ";Name=jun\n";
        ids += "g" + n + "\n";
        vcf += "1\t5\t.\tA\tG\t.\tPASS\t.\tGT\t" + n + "\n";
        raw += "ATGTAA";
    }
    std::string dir = progtest::scratch_dir();
    progtest::write_file(dir + "/in.gff3", gff3);
    progtest::write_file(dir + "/genome.fa", ">chr1\n" + std::string(1000, 'A') + "\n");
    progtest::write_file(dir + "/ids.txt", ids);

    struct {
        std::string program;
        std::vector<std::string> args;
        std::string input;
    } runs[] = {
        {"fasta-lengths", {}, fasta},
        {"base-census", {}, fasta},
        {"fastq-dedup", {}, fastq},
        {"recs2cols", {}, fastq},
        {"fasta-concat", {}, fasta},
        {"codon-scan", {"0"}, raw},
        {"feature-slice", {dir + "/in.gff3", dir + "/genome.fa", "GENE", "ID="}, ""},
        {"accession-namer", {dir + "/in.gff3", dir + "/ids.txt"}, ""},
        {"gff3-to-bed", {}, gff3},
        {"call-thinner", {"100000"}, vcf},
        {"site-filter", {"1", "5"}, vcf},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.program);
        progtest::Result r = progtest::run(run.program, run.args, run.input, Stdin::pipe, true);
        EXPECT_EQ(74, r.status) << r.err;
        EXPECT_TRUE(r.err.size() >= write_error(run.program).size() &&
                    r.err.compare(r.err.size() - write_error(run.program).size(),
                                  std::string::npos, write_error(run.program)) == 0)
            << r.err;
    }
}

} // namespace
