#include <gtest/gtest.h>

#include <string>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kUsage[] = "Usage: site-filter chromosome position < VCF-file\n";
const char kBadCall[] = "site-filter: Error reading VCF stream: Invalid argument\n";

// Calls named chr1, chr10, Chr1 and chr, two of them at chr1:10177, one at
// position 0, after a header and a column-heading line.
std::string sample_vcf()
{
    return progtest::read_file(progtest::fixture("site-filter/calls.vcf"));
}

TEST(SiteFilter, Cases)
{
    const std::string vcf = sample_vcf();
    const std::string pos0 = "chr1\t0\t.\tN\t<DEL>\t.\tPASS\t.\tGT\t0/1\n";
    const std::string snv1 = "chr1\t10177\tsnv1\tA\tAC\t45\tPASS\tDP=12\tGT\t0/1\n";
    const std::string snv2 = "chr1\t10177\tsnv2\tA\tG\t30\tLowQual\t.\tGT\t0/1\n";
    const std::string ins = "chr1\t10352\t.\tT\tTA\t60\tPASS\tDP=30\tGT\t1/1\n";
    const std::string upper = "Chr1\t10177\t.\tA\tG\t50\tPASS\t.\tGT\t0/1\n";
    const std::string chr10 = "chr10\t10177\t.\tG\tT\t50\tPASS\t.\tGT\t0/1\n";
    const std::string short_name = "chr\t10177\t.\tA\tG\t50\tPASS\t.\tGT\t0/1\n";
    ASSERT_NE(std::string::npos, vcf.find(snv1));
    ASSERT_NE(std::string::npos, vcf.find(snv2));

    progtest::check_cases("site-filter", {
        // The header never goes out; every call at the site does, in order.
        {"two calls at one site", {"chr1", "10177"}, vcf, snv1 + snv2, "", 0},
        {"input from a regular file", {"chr1", "10177"}, vcf, snv1 + snv2, "", 0, Stdin::file},
        {"one call at a site", {"chr1", "10352"}, vcf, ins, "", 0},
        {"right name, other position", {"chr1", "10178"}, vcf, "", "", 0},
        {"right position, other name", {"chr2", "10177"}, vcf, "", "", 0},
        {"position is not a digit prefix", {"chr1", "1017"}, vcf, "", "", 0},

        // Names match exactly, whole and case-sensitive.
        {"position with a digit more", {"chr1", "101770"}, vcf,
         "chr1\t101770\t.\tC\tT\t50\tPASS\t.\tGT\t1/1\n", "", 0},
        {"longer name only", {"chr10", "10177"}, vcf, chr10, "", 0},
        {"shorter name only", {"chr", "10177"}, vcf, short_name, "", 0},
        {"other letter case", {"Chr1", "10177"}, vcf, upper, "", 0},
        {"no name in that case", {"CHR1", "10177"}, vcf, "", "", 0},
        {"empty name", {"", "10177"}, vcf, "", "", 0},

        {"position zero", {"chr1", "0"}, vcf, pos0, "", 0},
        {"empty position reads as zero", {"chr1", ""}, vcf, pos0, "", 0},
        {"leading blank and plus sign pass", {"chr1", " +10352"}, vcf, ins, "", 0},
        {"minus one matches no call", {"chr1", "-1"}, vcf, "", "", 0},

        // The column-heading line is neither a call nor an error.
        {"column-heading line is not compared", {"#CHROM", ""}, vcf, "", "", 0},
        {"column-heading line by its POS", {"#CHROM", "0"}, vcf, "", "", 0},
        {"input without a header", {"chr1", "5"}, "chr1\t5\t.\tA\tG\t.\t.\t.\n",
         "chr1\t5\t.\tA\tG\t.\t.\t.\n", "", 0},
        {"calls kept byte for byte", {"chr1", "5"},
         "#CHROM\tPOS\r\nchr1\t5\t.\tA\tG\t.\t.\t.\r\nchr1\t5\t.\tA\tG\t.\t.\t.",
         "chr1\t5\t.\tA\tG\t.\t.\t.\r\nchr1\t5\t.\tA\tG\t.\t.\t.\n", "", 0},
        {"empty input", {"chr1", "5"}, "", "", "", 0},

        {"no argument", {}, vcf, "", kUsage, 64},
        {"one argument", {"chr1"}, vcf, "", kUsage, 64},
        {"three arguments", {"chr1", "10177", "x"}, vcf, "", kUsage, 64},
        {"text after the position", {"chr1", "12a"}, vcf, "",
         std::string("Invalid position: 12a\n") + kUsage, 64},
        {"fractional position", {"chr1", "1.5"}, vcf, "",
         std::string("Invalid position: 1.5\n") + kUsage, 64},

        // A malformed call ends the run as a data error, even when it would
        // have matched; the calls written before it stay.
        {"POS not a number", {"chr1", "10177"},
         "#CHROM\tPOS\n" + snv1 + "chr1\t10177x\t.\tA\tG\t.\t.\t.\n" + snv2, snv1, kBadCall, 65},
        {"too few columns", {"chr1", "10177"},
         "#CHROM\tPOS\n" + snv1 + "chr1\t10177\t.\tA\n" + snv2, snv1, kBadCall, 65},

        {"full output device", {"chr1", "10177"}, vcf, "",
         "site-filter: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

}  // namespace
