#include <gtest/gtest.h>

#include <string>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kUsage[] = "Usage: gff3-to-bed\n";
const char kBadLine[] = "gff3-to-bed: Error reading GFF3 stream: Invalid argument\n";

TEST(Gff3ToBed, Cases)
{
    // Five features among header, comment and "###" lines: five BED lines.
    const std::string gff3 = progtest::read_file(progtest::fixture("gff3-to-bed/annotation.gff3"));
    const std::string bed = progtest::read_file(progtest::fixture("gff3-to-bed/annotation.bed"));
    const std::string gene = "chr1\tens\tgene\t11\t20\t.\t+\t.\tID=gene:G1\n";
    const std::string gene_bed = "chr1\t10\t20\tgene:G1\t.\t+\tens\tgene\t.\tID=gene:G1\n";

    progtest::check_cases("gff3-to-bed", {
        {"annotation", {}, gff3, bed, "", 0},
        {"annotation from a regular file", {}, gff3, bed, "", 0, Stdin::file},
        {"one feature, no header", {}, gene, gene_bed, "", 0},
        {"directive alone gives no line", {}, "###\n", "", "", 0},
        {"empty input", {}, "", "", "", 0, Stdin::null},
        {"features after ##FASTA are sequence", {}, gene + "##FASTA\n>chr1\nACGT\n", gene_bed,
         "", 0},

        {"malformed line after a feature", {}, gene + "chr1\tens\tgene\t5\n" + gene, gene_bed,
         kBadLine, 65},
        {"start that is not a number", {}, "chr1\tens\tgene\tfive\t20\t.\t+\t.\tID=x\n", "",
         kBadLine, 65},

        {"dash argument", {"-"}, gff3, "", kUsage, 64},
        {"two arguments", {"a", "b"}, gff3, "", kUsage, 64},
        {"full output device", {}, gff3, "",
         "gff3-to-bed: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

}  // namespace
