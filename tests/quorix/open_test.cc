// qx_fopen and qx_fclose: compressed and plain files, pipes, faults.
#include <gtest/gtest.h>

#include <bzlib.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <lzma.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>
#include <zstd.h>

#include "program_runner.h"
#include "quorix.h"

namespace {

// ---- compressors: each makes one member (stream, frame) of its format

std::string gzip(const std::string &text, bool dressed = false)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    // A header with every optional field, bgzip's extra field among them.
    unsigned char extra[] = {'B', 'C', 2, 0, 0, 0};
    char name[] = "reads.fq", comment[] = "lane 1";
    gz_header header{};
    if (dressed) {
        header.extra = extra;
        header.extra_len = sizeof extra;
        header.name = reinterpret_cast<Bytef *>(name);
        header.comment = reinterpret_cast<Bytef *>(comment);
        header.hcrc = 1;
        EXPECT_EQ(deflateSetHeader(&z, &header), Z_OK);
    }
    std::string out(deflateBound(&z, text.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string bzip2(const std::string &text)
{
    std::string out(text.size() + text.size() / 100 + 600, '\0');
    auto len = static_cast<unsigned>(out.size());
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(out.data(), &len, const_cast<char *>(text.data()),
                                       static_cast<unsigned>(text.size()), 9, 0, 0),
              BZ_OK);
    out.resize(len);
    return out;
}

std::string xz(const std::string &text)
{
    std::string out(lzma_stream_buffer_bound(text.size()), '\0');
    std::size_t len = 0;
    EXPECT_EQ(lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr,
                                      reinterpret_cast<const uint8_t *>(text.data()),
                                      text.size(), reinterpret_cast<uint8_t *>(out.data()),
                                      &len, out.size()),
              LZMA_OK);
    out.resize(len);
    return out;
}

std::string zstd(const std::string &text)
{
    std::string out(ZSTD_compressBound(text.size()), '\0');
    std::size_t len = ZSTD_compress(out.data(), out.size(), text.data(), text.size(), 3);
    EXPECT_FALSE(ZSTD_isError(len));
    out.resize(len);
    return out;
}

// With a content checksum, as `zstd` writes by default: any changed byte
// is then caught.
std::string zstd_checked(const std::string &text)
{
    ZSTD_CCtx *cctx = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1);
    std::string out(ZSTD_compressBound(text.size()), '\0');
    std::size_t len = ZSTD_compress2(cctx, out.data(), out.size(), text.data(), text.size());
    EXPECT_FALSE(ZSTD_isError(len));
    ZSTD_freeCCtx(cctx);
    out.resize(len);
    return out;
}

std::string gzip_plain(const std::string &text) { return gzip(text); }

struct Format {
    const char *name;
    std::string (*compress)(const std::string &);
};

const Format formats[] = {
    {"gzip", gzip_plain}, {"bzip2", bzip2}, {"xz", xz}, {"zstd", zstd}};

// Formats whose every member carries a checksum of its text.
const Format checked_formats[] = {
    {"gzip", gzip_plain}, {"bzip2", bzip2}, {"xz", xz}, {"zstd", zstd_checked}};

// FASTQ-like text that does not compress to nothing: n records.
std::string reads(std::size_t n, unsigned seed = 1)
{
    std::string text;
    unsigned x = seed;
    for (std::size_t i = 0; i < n; ++i) {
        text += "@read" + std::to_string(i) + "\n";
        std::string seq, qual;
        for (int j = 0; j < 100; ++j) {
            x = x * 1103515245u + 12345u;
            seq += "ACGT"[(x >> 16) & 3];
            qual += static_cast<char>('!' + ((x >> 20) % 40));
        }
        text += seq + "\n+\n" + qual + "\n";
    }
    return text;
}

struct Reading {
    std::string text;
    bool error = false;
    int err = 0;  // errno at the failed read
};

Reading read_all(FILE *stream)
{
    Reading r;
    char buf[7000];  // an odd size, so reads straddle the stream's buffers
    std::size_t n;
    errno = 0;
    while ((n = fread(buf, 1, sizeof buf, stream)) > 0)
        r.text.append(buf, n);
    r.err = errno;
    r.error = ferror(stream) != 0;
    return r;
}

std::string write_scratch(const std::string &name, const std::string &bytes)
{
    static const std::string dir = progtest::scratch_dir();
    std::string path = dir + "/" + name;
    progtest::write_file(path, bytes);
    return path;
}

// Opens path with qx_fopen, reads it whole, closes it with fclose.
Reading read_path(const std::string &path)
{
    FILE *stream = qx_fopen(path.c_str(), "r");
    if (stream == nullptr) {
        ADD_FAILURE() << path << ": " << std::strerror(errno);
        return {};
    }
    Reading r = read_all(stream);
    EXPECT_EQ(fclose(stream), 0);
    return r;
}

bool is_prefix(const std::string &part, const std::string &whole)
{
    return whole.compare(0, part.size(), part) == 0 && part.size() <= whole.size();
}

// ---- round trips ------------------------------------------------------

TEST(QxFopen, CompressedRoundTrips)
{
    const std::string small = "@r1\nACGT\n+\nIIII\n", other = reads(300, 7);
    const std::string big = reads(12000);  // megabytes, packed or not
    for (const Format &f : formats) {
        SCOPED_TRACE(f.name);
        const std::string packed_big = f.compress(big);
        ASSERT_GT(packed_big.size(), 512u << 10);
        struct {
            const char *what;
            std::string bytes, text;
        } cases[] = {
            {"one member", f.compress(small), small},
            {"larger than every buffer", packed_big, big},
            {"members one after another", f.compress(small) + f.compress(other)
                 + f.compress("") + packed_big + f.compress(small), small + other + big + small},
            {"an empty member", f.compress(""), ""},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(c.what);
            // The name says nothing about the content.
            Reading r = read_path(write_scratch(std::string(f.name) + ".txt", c.bytes));
            EXPECT_FALSE(r.error) << std::strerror(r.err);
            EXPECT_TRUE(r.text == c.text) << r.text.size() << " bytes of " << c.text.size();
        }
    }
}

// Readers stop early (a genome scan that found its chromosome): closing a
// stream in the middle releases everything.
TEST(QxFopen, ClosingMidStream)
{
    const std::string text = reads(4000);
    for (const Format &f : formats) {
        SCOPED_TRACE(f.name);
        std::string path = write_scratch("partly.txt", f.compress(text));
        for (int (*closer)(FILE *) : {fclose, qx_fclose}) {
            FILE *stream = qx_fopen(path.c_str(), "r");
            ASSERT_NE(stream, nullptr);
            char line[64];
            ASSERT_NE(fgets(line, sizeof line, stream), nullptr);
            EXPECT_STREQ(line, "@read0\n");
            EXPECT_EQ(closer(stream), 0);
        }
    }
}

TEST(QxFopen, GzipMembersAsBgzipWritesThem)
{
    std::string a = reads(500, 2), b = reads(800, 3);
    // Dressed headers (extra field, name, comment, header CRC), then the
    // empty end-of-file member bgzip closes with.
    std::string bytes = gzip(a, true) + gzip(b, true) + gzip("", true);
    Reading r = read_path(write_scratch("bgzf.gz", bytes));
    EXPECT_FALSE(r.error);
    EXPECT_TRUE(r.text == a + b);
}

TEST(QxFopen, GzipZeroPaddingIsNotData)
{
    std::string text = reads(100);
    Reading r = read_path(write_scratch("padded.gz", gzip(text) + std::string(512, '\0')));
    EXPECT_FALSE(r.error);
    EXPECT_TRUE(r.text == text);
}

// ---- plain files --------------------------------------------------------

TEST(QxFopen, PlainFilesReadAsTheyAre)
{
    using namespace std::string_literals;
    const std::string cases[] = {
        ">chr1\nACGT\n",
        "",
        "\x1f",            // the first byte of gzip's magic, alone
        "BZh",             // bzip2's magic without its block size
        "BZhx and more\n", // ... with something else in its place
        "\xfd" "7zXZ\x01"s,  // xz's magic but for the last byte
        "(\xb5/",          // most of zstd's
    };
    for (const std::string &text : cases) {
        SCOPED_TRACE(text);
        std::string path = write_scratch("plain.gz", text);
        FILE *stream = qx_fopen(path.c_str(), "r");
        ASSERT_NE(stream, nullptr);
        // The file itself, at its start: it can seek and tell.
        EXPECT_GE(fileno(stream), 0);
        EXPECT_EQ(ftello(stream), 0);
        Reading r = read_all(stream);
        EXPECT_FALSE(r.error);
        EXPECT_EQ(r.text, text);
        EXPECT_EQ(fseeko(stream, 0, SEEK_SET), 0);
        EXPECT_EQ(read_all(stream).text, text);
        EXPECT_EQ(qx_fclose(stream), 0);
    }
}

TEST(QxFopen, OpenFailures)
{
    errno = 0;
    EXPECT_EQ(qx_fopen("/nonexistent/reads.fq.gz", "r"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(qx_fopen(progtest::scratch_dir().c_str(), "r"), nullptr);
    EXPECT_EQ(errno, EISDIR);
}

TEST(QxFopen, OtherModesOpenAsFopenDoes)
{
    std::string path = write_scratch("out.gz", "");
    FILE *stream = qx_fopen(path.c_str(), "w");
    ASSERT_NE(stream, nullptr);
    fputs("written as is\n", stream);
    EXPECT_EQ(qx_fclose(stream), 0);
    EXPECT_EQ(progtest::read_file(path), "written as is\n");
    stream = qx_fopen(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(read_all(stream).text, "written as is\n");
    EXPECT_EQ(qx_fclose(stream), 0);
}

// ---- pipes ----------------------------------------------------------------

// Reads a FIFO through qx_fopen while another thread writes bytes into it
// in pieces, so that the magic arrives split over several reads.
Reading read_fifo(const std::vector<std::string> &pieces)
{
    std::string path = progtest::scratch_dir() + "/fifo";
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::thread writer([&] {
        int fd = open(path.c_str(), O_WRONLY);
        for (const std::string &piece : pieces) {
            EXPECT_EQ(write(fd, piece.data(), piece.size()),
                      static_cast<ssize_t>(piece.size()));
            usleep(20000);
        }
        close(fd);
    });
    Reading r;
    FILE *stream = qx_fopen(path.c_str(), "r");
    if (stream != nullptr) {
        r = read_all(stream);
        EXPECT_EQ(qx_fclose(stream), 0);
    } else {
        ADD_FAILURE() << std::strerror(errno);
    }
    writer.join();
    return r;
}

TEST(QxFopen, Fifos)
{
    std::string text = reads(3000);
    std::string packed = gzip(text, true);
    Reading r = read_fifo({packed.substr(0, 1), packed.substr(1, 12), packed.substr(13)});
    EXPECT_FALSE(r.error);
    EXPECT_TRUE(r.text == text);

    r = read_fifo({"B", "Z", "hx plain\n", text});
    EXPECT_FALSE(r.error);
    EXPECT_TRUE(r.text == "BZhx plain\n" + text);

    r = read_fifo({">chr1\n", "ACGT\n"});
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.text, ">chr1\nACGT\n");

    r = read_fifo({});
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.text, "");
}

// ---- faults ---------------------------------------------------------------

// A read that fails: error indicator and EIO, text before the fault no
// more than the file holds, and every later read fails as well.
void expect_fault(const std::string &name, const std::string &bytes,
                  const std::string &text, bool text_exact)
{
    std::string path = write_scratch(name, bytes);
    FILE *stream = qx_fopen(path.c_str(), "r");
    ASSERT_NE(stream, nullptr);
    Reading r = read_all(stream);
    EXPECT_TRUE(r.error);
    EXPECT_EQ(r.err, EIO);
    if (text_exact)
        EXPECT_TRUE(r.text == text) << r.text.size() << " bytes of " << text.size();
    else
        EXPECT_TRUE(is_prefix(r.text, text)) << r.text.size() << " bytes";
    clearerr(stream);
    EXPECT_EQ(getc(stream), EOF);
    EXPECT_TRUE(ferror(stream));
    EXPECT_EQ(qx_fclose(stream), 0);
}

TEST(QxFopen, TruncatedFilesFail)
{
    const std::string text = reads(6000);
    for (const Format &f : formats) {
        SCOPED_TRACE(f.name);
        const std::string whole = f.compress(text);
        for (std::size_t len : {std::size_t{6}, whole.size() / 3, whole.size() - 1}) {
            SCOPED_TRACE(len);
            expect_fault("cut.txt", whole.substr(0, len), text, false);
        }
        // A cut member after a whole one.
        expect_fault("cut2.txt", f.compress("@a\nAC\n+\nII\n") + whole.substr(0, whole.size() / 2),
                     "@a\nAC\n+\nII\n" + text, false);
    }
}

TEST(QxFopen, CorruptFilesFail)
{
    const std::string text = reads(3000);
    for (const Format &f : checked_formats) {
        SCOPED_TRACE(f.name);
        const std::string whole = f.compress(text);
        // Any changed byte of the compressed body is caught.
        for (int tenth = 1; tenth <= 9; ++tenth) {
            SCOPED_TRACE(tenth);
            std::string bytes = whole;
            bytes[bytes.size() * tenth / 10] ^= 0x55;
            std::string path = write_scratch("corrupt.txt", bytes);
            FILE *stream = qx_fopen(path.c_str(), "r");
            ASSERT_NE(stream, nullptr);
            Reading r = read_all(stream);
            EXPECT_TRUE(r.error);
            EXPECT_EQ(r.err, EIO);
            EXPECT_EQ(fclose(stream), 0);
        }
        // Whatever follows the last member must be a member too; the text
        // before the junk is all there.
        expect_fault("junk.txt", whole + "junk\n", text, true);
    }
}

TEST(QxFopen, GzipChecksumsAreChecked)
{
    const std::string text = reads(200);
    const std::string whole = gzip(text);
    // The trailer: CRC-32 of the text, then its length.
    for (std::size_t from_end : {8, 1}) {
        std::string bytes = whole;
        bytes[bytes.size() - from_end] ^= 1;
        expect_fault("trailer.gz", bytes, text, false);
    }
    // The header's own CRC, the last two bytes before the deflate data.
    std::string dressed = gzip(text, true);
    dressed[10 + 8 + 9 + 7] ^= 1;
    expect_fault("header.gz", dressed, "", true);
}

}  // namespace
