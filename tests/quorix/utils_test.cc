// quorix's memory, timing and string helpers.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "program_runner.h"
#include "quorix.h"

namespace {

// ---- qx_strtr ---------------------------------------------------------------

TEST(QxStrtr, Table)
{
    struct {
        const char *string, *from, *to, *expected;
    } cases[] = {
        {"read 1\tlane 2\t\tx", "\t", " ", "read 1 lane 2  x"},
        {"ACGTNacgt", "ACGT", "TGCA", "TGCANacgt"},
        {"abcabc", "abc", "x", "xbcxbc"},   // from outruns to: b, c stay
        {"abc", "", "xyz", "abc"},
        {"", "a", "b", ""},
        {"aab", "aa", "xy", "xxb"},         // the first place of a counts
        {"ab", "ab", "ba", "ba"},           // a swap, not a chain
        {"caf\xc3\xa9\xff", "\xc3\xa9\xff", "EAZ", "cafEAZ"},  // bytes >= 128
        {"ab", "a", "\xe9", "\xe9" "b"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.string);
        std::string s = c.string;
        EXPECT_EQ(qx_strtr(s.data(), c.from, c.to, 0), s.data());
        EXPECT_EQ(s, c.expected);
    }
}

TEST(QxStrtr, UndefinedFlagsChangeNothing)
{
    char s[] = "a\tb";
    errno = 0;
    EXPECT_EQ(qx_strtr(s, "\t", " ", 1), s);
    EXPECT_STREQ(s, "a\tb");
    EXPECT_EQ(errno, EINVAL);
}

// ---- qx_inhale_strings ------------------------------------------------------

FILE *stream_of(const std::string &text)
{
    FILE *stream = tmpfile();
    fwrite(text.data(), 1, text.size(), stream);
    rewind(stream);
    return stream;
}

TEST(QxInhaleStrings, Table)
{
    using namespace std::string_literals;
    using Lines = std::vector<std::string>;
    struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"\n", {""}},
        {"ENSG01\nENSG02\n", {"ENSG01", "ENSG02"}},
        {"ENSG01\nENSG02", {"ENSG01", "ENSG02"}},          // no final newline
        {"ENSG01\r\nENSG02\r\n", {"ENSG01", "ENSG02"}},    // CRLF
        {"ENSG01\r\nENSG02", {"ENSG01", "ENSG02"}},
        {"a\n\nb\n\n", {"a", "", "b", ""}},                // empty lines kept
        {"\r\n\r\n", {"", ""}},
        {"a\rb\n", {"a\rb"}},                              // a lone CR is text
        {"a\r\r\n", {"a\r"}},
        {" spaced \t\n", {" spaced \t"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        FILE *stream = stream_of(c.text);
        char **list = nullptr;
        int64_t n = qx_inhale_strings(stream, &list);
        fclose(stream);
        ASSERT_EQ(n, static_cast<int64_t>(c.lines.size()));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(Lines(list, list + n), c.lines);
        EXPECT_EQ(list[n], nullptr);
        qx_free_strings(list);
    }
    qx_free_strings(nullptr);
}

// A long list, sorted and searched the way an ID list is.
TEST(QxInhaleStrings, SortAndSearchIgnoringCase)
{
    std::string text;
    const int count = 30000;  // more text than one read buffer holds
    for (int i = count - 1; i >= 0; --i)
        text += (i % 2 ? "ENSG" : "ensg") + std::to_string(100000 + i) + "\n";
    FILE *stream = stream_of(text);
    char **list;
    ASSERT_EQ(qx_inhale_strings(stream, &list), count);
    fclose(stream);
    qsort(list, count, sizeof *list, qx_strptrcasecmp);
    EXPECT_STREQ(list[0], "ensg100000");
    EXPECT_STREQ(list[1], "ENSG100001");
    EXPECT_STREQ(list[count - 1], "ENSG129999");
    const char *key = "Ensg112345";
    auto **found = static_cast<char **>(
        bsearch(&key, list, count, sizeof *list, qx_strptrcasecmp));
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(*found, "ENSG112345");
    key = "ENSG1123456";
    EXPECT_EQ(bsearch(&key, list, count, sizeof *list, qx_strptrcasecmp), nullptr);
    qx_free_strings(list);
}

TEST(QxInhaleStrings, UnreadableStreams)
{
    std::string dir = progtest::scratch_dir();
    std::string file = dir + "/ids.txt";
    struct {
        std::string path;
        const char *mode;
        int err;
    } cases[] = {
        {dir, "r", EISDIR},   // a directory opens, but does not read
        {file, "w", EBADF},   // a stream for writing only
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        FILE *stream = fopen(c.path.c_str(), c.mode);
        ASSERT_NE(stream, nullptr);
        char **list = reinterpret_cast<char **>(&list);  // not NULL before
        errno = 0;
        EXPECT_EQ(qx_inhale_strings(stream, &list), -1);
        EXPECT_EQ(errno, c.err);
        EXPECT_EQ(list, nullptr);
        fclose(stream);
    }
}

TEST(QxStrptrcasecmp, Orders)
{
    const char *a = "enSG1", *b = "ENSG1", *c = "ensg2";
    EXPECT_EQ(qx_strptrcasecmp(&a, &b), 0);
    EXPECT_LT(qx_strptrcasecmp(&b, &c), 0);
    EXPECT_GT(qx_strptrcasecmp(&c, &a), 0);
}

// ---- timing -----------------------------------------------------------------

TEST(QxDifftimeofday, Table)
{
    struct {
        timeval later, earlier;
        int64_t expected;
    } cases[] = {
        {{5, 0}, {3, 0}, 2000000},
        {{5, 250}, {5, 100}, 150},
        {{5, 100}, {4, 900000}, 100100},       // borrow from the seconds
        {{3, 0}, {5, 1}, -2000001},            // later is earlier
        {{4, 900000}, {5, 100}, -100100},
        {{7, 7}, {7, 7}, 0},
        {{4000000000, 999999}, {0, 0}, 4000000000999999},  // no 32-bit overflow
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(qx_difftimeofday(&c.later, &c.earlier), c.expected);
    }
}

std::string toc_line(const char *message, const timeval &start, const rusage &usage)
{
    FILE *stream = tmpfile();
    EXPECT_EQ(qx_toc(stream, message, &start, &usage), 0);
    rewind(stream);
    char line[512] = "";
    EXPECT_NE(fgets(line, sizeof line, stream), nullptr);
    EXPECT_EQ(getc(stream), EOF);  // one line only
    fclose(stream);
    return line;
}

TEST(QxTicToc, OneLineReport)
{
    timeval start;
    rusage usage;
    EXPECT_EQ(qx_tic(&start, &usage), 0);
    const std::string times = "Elapsed time: [0-9]+\\.[0-9]{6} s wall, [0-9]+\\.[0-9]{6} s user, "
                              "[0-9]+\\.[0-9]{6} s system\n";
    std::string line = toc_line(nullptr, start, usage);
    EXPECT_TRUE(std::regex_match(line, std::regex(times))) << line;
    line = toc_line("dedup", start, usage);
    EXPECT_TRUE(std::regex_match(line, std::regex("dedup: " + times))) << line;

    // An hour ago, by the report.
    start.tv_sec -= 3600;
    line = toc_line(nullptr, start, usage);
    EXPECT_TRUE(std::regex_match(line, std::regex("Elapsed time: 360[0-9]\\..*\n"))) << line;

    FILE *read_only = fopen("/dev/null", "r");
    EXPECT_EQ(qx_toc(read_only, nullptr, &start, &usage), EOF);
    fclose(read_only);
}

// ---- qx_malloc --------------------------------------------------------------

TEST(QxMalloc, UsableBlocks)
{
    auto *block = static_cast<unsigned char *>(qx_malloc(1000, 8));
    memset(block, 0xab, 8000);
    void *none1 = qx_malloc(0, 8), *none2 = qx_malloc(8, 0);
    EXPECT_NE(none1, nullptr);
    EXPECT_NE(none2, nullptr);
    EXPECT_NE(none1, none2);
    free(block);
    free(none1);
    free(none2);
}

TEST(QxMallocDeathTest, ExitsWhenMemoryRunsOut)
{
    EXPECT_EXIT(qx_malloc(SIZE_MAX / 2, 3), testing::ExitedWithCode(71), "out of memory");
#if !defined(__SANITIZE_ADDRESS__)
    // (A sanitizer reports an absurd request itself, before malloc fails.)
    EXPECT_EXIT(qx_malloc(1, SIZE_MAX - 4096), testing::ExitedWithCode(71), "out of memory");
#endif
}

}  // namespace
