#include <gtest/gtest.h>

#include <string>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kUsage[] = "Usage: call-thinner desired-count [< in.vcf] [> out.vcf]\n";
const char kBadCall[] = "call-thinner: Error reading VCF stream: Invalid argument\n";

// The fixture: three header lines, the column-heading line and three calls.
std::string sample_vcf()
{
    return progtest::read_file(progtest::fixture("call-thinner/calls.vcf"));
}

// Everything up to the first call: the header and the column-heading line.
std::string head_of(const std::string &vcf)
{
    return vcf.substr(0, vcf.find("\nchr1\t") + 1);
}

TEST(CallThinner, Cases)
{
    const std::string vcf = sample_vcf();
    const std::string head = head_of(vcf);
    const std::string calls = vcf.substr(head.size());
    const std::string call1 = "chr1\t10177\t.\tA\tAC\t45\tPASS\tDP=12\tGT\t0/1\n";
    const std::string call2 = "chr1\t10352\trs555500075\tT\tTA\t60\tPASS\tDP=30\tGT\t1/1\n";
    ASSERT_EQ(0u, calls.find(call1));

    progtest::check_cases("call-thinner", {
        // A threshold above 2147483647 keeps every call, whatever random draws.
        {"count above the calls keeps them all", {"4"}, vcf, vcf, "", 0},
        {"far larger count keeps them all", {"1000000"}, vcf, vcf, "", 0},
        {"input from a regular file", {"4"}, vcf, vcf, "", 0, Stdin::file},
        {"zero keeps only the header", {"0"}, vcf, head, "", 0},
        {"empty count reads as zero", {""}, vcf, head, "", 0},
        {"negative count keeps nothing", {"-5"}, vcf, head, "", 0},
        {"leading blank and plus sign pass", {" +4"}, vcf, vcf, "", 0},

        // Counts whose scaled threshold is past signed 64 bits.
        {"first count past 64 bits keeps every call", {"4294967299"}, vcf, vcf, "", 0},
        {"largest signed count keeps every call", {"9223372036854775807"}, vcf, vcf, "", 0},
        {"negative count past 64 bits keeps nothing", {"-4294967299"}, vcf, head, "", 0},

        // The column-heading line always leaves with a newline.
        {"input ends inside the column-heading line", {"5"},
         "##fileformat=VCFv4.2\n#CHROM\tPOS\tID", "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\n", "", 0},
        {"column-heading line alone", {"5"}, "#CHROM\tPOS\n", "#CHROM\tPOS\n", "", 0},
        {"column-heading line kept byte for byte", {"5"},
         "##fileformat=VCFv4.2\r\n#CHROM\tPOS\r\n" + call1,
         "##fileformat=VCFv4.2\r\n#CHROM\tPOS\r\n" + call1, "", 0},

        // A last call without its newline is not counted; with no counted
        // line at all, a positive count keeps every call and zero none.
        {"no counted line, positive count", {"1"}, head + call1.substr(0, call1.size() - 1),
         head + call1, "", 0},
        {"no counted line, zero count", {"0"}, head + call1.substr(0, call1.size() - 1),
         head, "", 0},
        {"no counted line, negative count", {"-1"}, head + call1.substr(0, call1.size() - 1),
         head, "", 0},
        {"uncounted last call is still sampled", {"2"},
         head + call1 + call2.substr(0, call2.size() - 1), head + call1 + call2, "", 0},
        {"calls kept byte for byte", {"9"},
         head + "chr1\t5\t.\tA\tG\t.\t.\t.\r\n", head + "chr1\t5\t.\tA\tG\t.\t.\t.\r\n", "", 0},

        {"no argument", {}, vcf, "", kUsage, 64},
        {"two arguments", {"1", "2"}, vcf, "", kUsage, 64},
        {"text after the number", {"10x"}, vcf, "",
         std::string("Invalid site count: 10x\n") + kUsage, 64},
        {"fraction", {"1.5"}, vcf, "", std::string("Invalid site count: 1.5\n") + kUsage, 64},
        {"no digits", {"x"}, vcf, "", std::string("Invalid site count: x\n") + kUsage, 64},

        // A rejected call ends the run as a data error; the calls before it
        // have gone out.
        {"POS not a number", {"1000"},
         head + call1 + "chr1\tabc\t.\tA\tG\t.\t.\t.\n" + call2, head + call1, kBadCall, 65},
        {"too few columns", {"1000"}, head + call1 + call2 + "chr1\t5\t.\tA\tG\n" + call1,
         head + call1 + call2, kBadCall, 65},

        {"full output device", {"4"}, vcf, "",
         "call-thinner: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

// About the desired count is kept, each call independently: with 20000
// calls and 2000 wanted, the kept count has a standard deviation near 42,
// so the bound below fails only on a real fault.
TEST(CallThinner, RandomShare)
{
    const std::string head = head_of(sample_vcf());
    std::string input = head;
    const int kCalls = 20000;
    for (int pos = 1; pos <= kCalls; ++pos)
        input += "chr1\t" + std::to_string(pos) + "\t.\tA\tG\t50\tPASS\t.\tGT\t0/1\n";

    progtest::Result r = progtest::run("call-thinner", {"2000"}, input);
    ASSERT_EQ(0, r.status);
    EXPECT_EQ("", r.err);
    ASSERT_EQ(head, r.out.substr(0, head.size()));

    // Every kept call is whole, from the input, and in input order.
    int kept = 0, last_pos = 0;
    size_t at = head.size();
    while (at < r.out.size()) {
        size_t nl = r.out.find('\n', at);
        ASSERT_NE(std::string::npos, nl);
        std::string line = r.out.substr(at, nl + 1 - at);
        ASSERT_EQ(0u, line.find("chr1\t")) << line;
        int pos = std::stoi(line.substr(5));
        ASSERT_GT(pos, last_pos);
        ASSERT_LE(pos, kCalls);
        ASSERT_EQ("chr1\t" + std::to_string(pos) + "\t.\tA\tG\t50\tPASS\t.\tGT\t0/1\n", line);
        last_pos = pos;
        ++kept;
        at = nl + 1;
    }
    EXPECT_GE(kept, 1500);
    EXPECT_LE(kept, 2500);
}

}  // namespace
