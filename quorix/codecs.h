// The decompressors behind qx_fopen: one small class per format, each
// turning a window of compressed bytes into a window of text.
#ifndef QUORIX_CODECS_H
#define QUORIX_CODECS_H

#include <cstddef>
#include <memory>

namespace quorix {

enum class Format { plain, gzip, bzip2, xz, zstd };

// What a decode call leaves behind.
enum class Step {
    going,     // inside a member: more input or more output room is wanted
    boundary,  // all output so far is flushed and a member (or padding) is
               // complete, so the input may end here
    corrupt,   // the input is not a valid stream of the format
    no_memory,
};

class Codec {
public:
    virtual ~Codec() = default;

    // Decodes from in[0, in_len) into out[0, out_len), advancing both
    // windows past what was used.  input_ended says that no byte follows
    // in_len.  After a boundary, a call with more input begins the next
    // member: concatenated members read as one text.
    virtual Step decode(const unsigned char *&in, std::size_t &in_len,
                        unsigned char *&out, std::size_t &out_len,
                        bool input_ended) = 0;
};

// Which format the first bytes of a file announce.  prefix holds the
// first len bytes (len <= magic_max).  *decided is false while more
// bytes could still change the answer.
constexpr std::size_t magic_max = 6;
Format sniff_format(const unsigned char *prefix, std::size_t len,
                    bool *decided);

// A decoder ready for the first member, or null when memory ran out.
std::unique_ptr<Codec> make_codec(Format format);

}  // namespace quorix

#endif
