#include <signal.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kUsage[] = "Usage: codon-scan offset\n(offset is 0-based)\n";
const char kNoStart[] = "No start codon found.\n";

// Start 5 characters in, stop 10 characters after it.
const char kWorkedExample[] = "NNNNNATGNNNNNNNNNNTAA\n";
const char kWorkedReport[] =
    "Start codon ATG at 6 (+5)\n"
    "Stop codon TAA at 19 (+10)\n"
    "No start codon found.\n";

TEST(CodonScan, Cases)
{
    progtest::check_cases("codon-scan", {
        {"worked example, pipe", {"0"}, kWorkedExample, kWorkedReport, "", 0},
        {"worked example, file", {"0"}, kWorkedExample, kWorkedReport, "", 0, Stdin::file},
        {"codons at the very start", {"0"}, "ATGTAA",
         "Start codon ATG at 1 (+0)\nStop codon TAA at 4 (+0)\nNo start codon found.\n", "", 0},
        {"codons as they stand in the input", {"0"}, "cc\natgcgtga",
         "Start codon atg at 4 (+3)\nStop codon tga at 9 (+2)\nNo start codon found.\n", "", 0},
        {"several pairs", {"0"}, "ATGTAGNATGNNTAA\n",
         "Start codon ATG at 1 (+0)\nStop codon TAG at 4 (+0)\n"
         "Start codon ATG at 8 (+1)\nStop codon TAA at 13 (+2)\n" "No start codon found.\n",
         "", 0},
        {"start without stop", {"0"}, "NNATGNN\n", "Start codon ATG at 3 (+2)\nNo stop codon found.\n",
         "", 0},
        {"no start at all", {"0"}, "TAATAGTGA\nCCC\n", kNoStart, "", 0},
        {"empty input, pipe", {"0"}, "", kNoStart, "", 0},
        {"empty input, file", {"0"}, "", kNoStart, "", 0, Stdin::file},
        {"empty input, null device", {"0"}, "", kNoStart, "", 0, Stdin::null},

        // The offset is 0-based; positions stay those of the whole input.
        {"offset skips a codon, pipe", {"2"}, "ATGATGTAA",
         "Start codon ATG at 4 (+1)\nStop codon TAA at 7 (+0)\nNo start codon found.\n", "", 0},
        {"offset skips a codon, file", {"2"}, "ATGATGTAA",
         "Start codon ATG at 4 (+1)\nStop codon TAA at 7 (+0)\nNo start codon found.\n", "", 0,
         Stdin::file},
        {"newlines count toward the offset", {"4"}, "AT\nG\nATGTAA",
         "Start codon ATG at 6 (+1)\nStop codon TAA at 9 (+0)\nNo start codon found.\n", "", 0},
        {"offset past the end, pipe", {"100"}, "ATGTAA\n", "", "", 0},
        {"offset past the end, file", {"100"}, "ATGTAA\n", kNoStart, "", 0, Stdin::file},
        // strtol saturates; on a pipe the skip ends with the input.
        {"huge offset, pipe", {"99999999999999999999"}, "ATGTAA\n", "", "", 0},
        {"negative offset, file", {"-1"}, "ATGTAA\n", "", "Seek failed.", 70, Stdin::file},
        {"negative offset, pipe", {"-3"}, "ATGTAA",
         "Start codon ATG at -2 (+0)\nStop codon TAA at 1 (+0)\nNo start codon found.\n", "", 0},
        {"sign and leading blanks are accepted", {" +2"}, "ATGATGTAA",
         "Start codon ATG at 4 (+1)\nStop codon TAA at 7 (+0)\nNo start codon found.\n", "", 0},
        {"empty argument is offset 0", {""}, "ATGTAA",
         "Start codon ATG at 1 (+0)\nStop codon TAA at 4 (+0)\nNo start codon found.\n", "", 0},

        {"trailing text in offset", {"12a"}, "ATGTAA", "", std::string("Invalid offset: 12a\n") + kUsage,
         64},
        {"no argument", {}, "ATGTAA", "", kUsage, 64},
        {"two arguments", {"0", "1"}, "ATGTAA", "", kUsage, 64},
        {"full output device", {"0"}, "ATGTAA", "",
         "codon-scan: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

// Runs script under /bin/sh in a scratch directory, with $prog the built
// program; the script leaves its results in the files out, err and status.
progtest::Result run_script(const std::string &script, const std::string &input = "")
{
    std::string dir = progtest::scratch_dir();
    progtest::write_file(dir + "/in", input);
    std::string command = "cd '" + dir + "' && prog='" + progtest::program_path("codon-scan") +
                          "' && " + script;
    // A program cut off by a closed pipe must die of it, as in a shell.
    signal(SIGPIPE, SIG_DFL);
    EXPECT_EQ(0, std::system(command.c_str())) << command;
    progtest::Result r;
    r.out = progtest::read_file(dir + "/out");
    r.err = progtest::read_file(dir + "/err");
    r.status = std::atoi(progtest::read_file(dir + "/status").c_str());
    return r;
}

// Positions count from where standard input stood when the program
// started, not from the start of the file.
TEST(CodonScan, InputAlreadyPartlyRead)
{
    const char *script =
        "{ dd bs=1 count=5 of=/dev/null 2>/dev/null; \"$prog\" 2; } < in > out 2> err;"
        " echo $? > status";
    progtest::Result r = run_script(script, "ATGAACCATGCTAA");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("Start codon ATG at 3 (+0)\nStop codon TAA at 7 (+1)\nNo start codon found.\n", r.out);
}

// A stream that fails instead of ending (a directory here) is a read error,
// not an endless run of "No start codon found." lines; the output is capped
// so that such a run cannot fill the disk.
TEST(CodonScan, ReadErrorEndsTheScan)
{
    const char *script = "{ \"$prog\" 0 < . 2> err; echo $? > status; } | head -c 65536 > out";
    progtest::Result r = run_script(script);
    EXPECT_EQ(65, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(progtest::program_path("codon-scan") +
                  ": Error reading sequence stream: Is a directory\n",
              r.err);
}

}  // namespace
