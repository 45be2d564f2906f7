// Decompressors for gzip, bzip2, xz and zstd streams, fed by open.cc.
#include "codecs.h"

#include <bzlib.h>
#include <climits>
#include <cstdint>
#include <cstring>
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <lzma.h>
#include <new>
#include <zstd.h>
#include <zstd_errors.h>

namespace quorix {

namespace {

// The libraries count their windows in 32-bit units; larger windows are
// served over several calls.
constexpr std::size_t window_max = 1u << 30;

std::size_t clamp(std::size_t n)
{
    return n < window_max ? n : window_max;
}

struct ByteRange {
    unsigned char lo, hi;
};

struct Magic {
    Format format;
    std::size_t len;
    ByteRange bytes[magic_max];
};

const Magic magics[] = {
    {Format::gzip, 2, {{0x1f, 0x1f}, {0x8b, 0x8b}}},
    // "BZh" and the block size digit.
    {Format::bzip2, 4, {{'B', 'B'}, {'Z', 'Z'}, {'h', 'h'}, {'1', '9'}}},
    {Format::xz, 6, {{0xfd, 0xfd}, {'7', '7'}, {'z', 'z'}, {'X', 'X'},
                     {'Z', 'Z'}, {0x00, 0x00}}},
    {Format::zstd, 4, {{0x28, 0x28}, {0xb5, 0xb5}, {0x2f, 0x2f}, {0xfd, 0xfd}}},
    // A zstd file may begin with a skippable frame.
    {Format::zstd, 4, {{0x50, 0x5f}, {0x2a, 0x2a}, {0x4d, 0x4d}, {0x18, 0x18}}},
};

// The length of the gzip member header at p, when all of it lies in
// p[0, len): 0 while it runs on past len, -1 when it is not a valid
// header.  The header CRC, when there is one, is checked.
long gzip_header_length(const unsigned char *p, std::size_t len)
{
    enum { fhcrc = 2, fextra = 4, fname = 8, fcomment = 16, reserved = 0xe0 };
    if (len < 10)
        return 0;
    if (p[0] != 0x1f || p[1] != 0x8b || p[2] != 8 || (p[3] & reserved) != 0)
        return -1;
    const unsigned flags = p[3];
    std::size_t n = 10;
    if (flags & fextra) {
        if (len < n + 2)
            return 0;
        n += 2 + (p[n] | p[n + 1] << 8);
        if (len < n)
            return 0;
    }
    for (unsigned field : {fname, fcomment}) {
        if (flags & field) {
            auto *end = static_cast<const unsigned char *>(memchr(p + n, 0, len - n));
            if (end == nullptr)
                return 0;
            n = static_cast<std::size_t>(end - p) + 1;
        }
    }
    if (flags & fhcrc) {
        if (len < n + 2)
            return 0;
        uint32_t crc = crc32_gzip_refl(0, const_cast<unsigned char *>(p), n);
        if ((crc & 0xffff) != static_cast<uint32_t>(p[n] | p[n + 1] << 8))
            return -1;
        n += 2;
    }
    return static_cast<long>(n);
}

// gzip through isa-l's inflater, which decodes about three times as fast
// as zlib's.  Members follow one another as bgzip and `cat a.gz b.gz`
// make them; zero bytes after a member are taken as padding, as gzip
// takes them.  The member header is read here, whole (isa-l checks a
// header CRC wrongly when the header comes in pieces); isa-l checks the
// deflate data and the CRC and length in the trailer.
class GzipCodec final : public Codec {
public:
    bool init()
    {
        state_ = new (std::nothrow) inflate_state;
        return state_ != nullptr;
    }
    ~GzipCodec() override { delete state_; }

    Step decode(const unsigned char *&in, std::size_t &in_len,
                unsigned char *&out, std::size_t &out_len, bool) override
    {
        if (!in_member_) {
            if (padding_ || (in_len > 0 && in[0] == 0)) {
                padding_ = true;
                for (; in_len > 0; ++in, --in_len)
                    if (*in != 0)
                        return Step::corrupt;
                return Step::boundary;
            }
            if (in_len == 0)
                return Step::boundary;
            // Wait for the whole header; the caller gathers the input.
            long header = gzip_header_length(in, in_len);
            if (header < 0)
                return Step::corrupt;
            if (header == 0)
                return Step::going;
            in += header;
            in_len -= static_cast<std::size_t>(header);
            isal_inflate_init(state_);
            state_->crc_flag = ISAL_GZIP_NO_HDR_VER;
            in_member_ = true;
        }
        state_->next_in = const_cast<unsigned char *>(in);
        state_->avail_in = static_cast<uint32_t>(clamp(in_len));
        state_->next_out = out;
        state_->avail_out = static_cast<uint32_t>(clamp(out_len));
        int status = isal_inflate(state_);
        in_len -= state_->next_in - in;
        in = state_->next_in;
        out_len -= state_->next_out - out;
        out = state_->next_out;
        if (status < 0 || status == ISAL_NEED_DICT)
            return Step::corrupt;
        if (state_->block_state == ISAL_BLOCK_FINISH) {
            in_member_ = false;
            return Step::boundary;
        }
        return Step::going;
    }

private:
    inflate_state *state_ = nullptr;
    bool in_member_ = false;
    bool padding_ = false;
};

// bzip2: each stream of a concatenation needs a decoder of its own.
class Bzip2Codec final : public Codec {
public:
    ~Bzip2Codec() override
    {
        if (in_stream_)
            BZ2_bzDecompressEnd(&bz_);
    }

    Step decode(const unsigned char *&in, std::size_t &in_len,
                unsigned char *&out, std::size_t &out_len, bool) override
    {
        if (!in_stream_) {
            if (in_len == 0)
                return Step::boundary;
            bz_ = bz_stream{};
            int status = BZ2_bzDecompressInit(&bz_, 0, 0);
            if (status != BZ_OK)
                return status == BZ_MEM_ERROR ? Step::no_memory : Step::corrupt;
            in_stream_ = true;
        }
        bz_.next_in = reinterpret_cast<char *>(const_cast<unsigned char *>(in));
        bz_.avail_in = static_cast<unsigned>(clamp(in_len));
        bz_.next_out = reinterpret_cast<char *>(out);
        bz_.avail_out = static_cast<unsigned>(clamp(out_len));
        int status = BZ2_bzDecompress(&bz_);
        in_len -= reinterpret_cast<const unsigned char *>(bz_.next_in) - in;
        in = reinterpret_cast<const unsigned char *>(bz_.next_in);
        out_len -= reinterpret_cast<unsigned char *>(bz_.next_out) - out;
        out = reinterpret_cast<unsigned char *>(bz_.next_out);
        switch (status) {
        case BZ_STREAM_END:
            BZ2_bzDecompressEnd(&bz_);
            in_stream_ = false;
            return Step::boundary;
        case BZ_OK:
            return Step::going;
        case BZ_MEM_ERROR:
            return Step::no_memory;
        default:
            return Step::corrupt;
        }
    }

private:
    bz_stream bz_{};
    bool in_stream_ = false;
};

// xz: liblzma reads concatenated streams and their padding itself, and
// needs to be told where the input ends.
class XzCodec final : public Codec {
public:
    bool init()
    {
        ready_ = lzma_stream_decoder(&lz_, UINT64_MAX, LZMA_CONCATENATED)
                 == LZMA_OK;
        return ready_;
    }
    ~XzCodec() override
    {
        if (ready_)
            lzma_end(&lz_);
    }

    Step decode(const unsigned char *&in, std::size_t &in_len,
                unsigned char *&out, std::size_t &out_len,
                bool input_ended) override
    {
        if (ended_)
            return in_len == 0 ? Step::boundary : Step::corrupt;
        lz_.next_in = in;
        lz_.avail_in = in_len;
        lz_.next_out = out;
        lz_.avail_out = out_len;
        lzma_ret status = lzma_code(&lz_, input_ended ? LZMA_FINISH : LZMA_RUN);
        in_len = lz_.avail_in;
        in = lz_.next_in;
        out_len = lz_.avail_out;
        out = lz_.next_out;
        switch (status) {
        case LZMA_STREAM_END:
            ended_ = true;
            return Step::boundary;
        case LZMA_OK:
        case LZMA_BUF_ERROR:  // cut short: no progress possible
            return Step::going;
        case LZMA_MEM_ERROR:
            return Step::no_memory;
        default:
            return Step::corrupt;
        }
    }

private:
    lzma_stream lz_ = LZMA_STREAM_INIT;
    bool ready_ = false;
    bool ended_ = false;
};

// zstd: the streaming decoder moves from frame to frame on its own.
class ZstdCodec final : public Codec {
public:
    bool init()
    {
        dctx_ = ZSTD_createDStream();
        return dctx_ != nullptr;
    }
    ~ZstdCodec() override { ZSTD_freeDStream(dctx_); }

    Step decode(const unsigned char *&in, std::size_t &in_len,
                unsigned char *&out, std::size_t &out_len, bool) override
    {
        ZSTD_inBuffer source{in, in_len, 0};
        ZSTD_outBuffer sink{out, out_len, 0};
        std::size_t hint = ZSTD_decompressStream(dctx_, &sink, &source);
        in += source.pos;
        in_len -= source.pos;
        out += sink.pos;
        out_len -= sink.pos;
        if (ZSTD_isError(hint))
            return ZSTD_getErrorCode(hint) == ZSTD_error_memory_allocation
                       ? Step::no_memory : Step::corrupt;
        // 0: a frame is complete and flushed.  A call that moved nothing
        // leaves the frame state as it was.
        if (source.pos > 0 || sink.pos > 0)
            at_frame_end_ = hint == 0;
        return at_frame_end_ ? Step::boundary : Step::going;
    }

private:
    ZSTD_DStream *dctx_ = nullptr;
    bool at_frame_end_ = true;
};

template <class C>
std::unique_ptr<Codec> make_ready()
{
    std::unique_ptr<C> codec(new (std::nothrow) C);
    if (!codec || !codec->init())
        return nullptr;
    return codec;
}

}  // namespace

Format sniff_format(const unsigned char *prefix, std::size_t len,
                    bool *decided)
{
    bool open_question = false;
    for (const Magic &magic : magics) {
        std::size_t i = 0;
        while (i < len && i < magic.len && prefix[i] >= magic.bytes[i].lo
               && prefix[i] <= magic.bytes[i].hi)
            ++i;
        if (i == magic.len) {
            *decided = true;
            return magic.format;
        }
        if (i == len)
            open_question = true;
    }
    *decided = !open_question;
    return Format::plain;
}

std::unique_ptr<Codec> make_codec(Format format)
{
    switch (format) {
    case Format::gzip:
        return make_ready<GzipCodec>();
    case Format::bzip2: {
        std::unique_ptr<Codec> codec(new (std::nothrow) Bzip2Codec);
        return codec;
    }
    case Format::xz:
        return make_ready<XzCodec>();
    case Format::zstd:
        return make_ready<ZstdCodec>();
    case Format::plain:
        break;
    }
    return nullptr;
}

}  // namespace quorix
