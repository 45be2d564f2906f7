// qx_fopen on a compressed file of any content: the file is given the
// format's magic bytes (when it does not begin with them already) so that
// the decoder for QX_FUZZ_FORMAT is the one exercised, then read to its end
// by fread and getc.  It must end or fail with an error (EIO, or ENOMEM),
// never crash or run on.
#include <unistd.h>

#include <string>

#include "fuzz_input.h"
#include "quorix.h"

namespace {

#define QX_FUZZ_MAGIC_gzip "\x1f\x8b"
#define QX_FUZZ_MAGIC_bzip2 "BZh"
#define QX_FUZZ_MAGIC_xz "\xfd" "7zXZ"
#define QX_FUZZ_MAGIC_zstd "\x28\xb5\x2f\xfd"
#define QX_FUZZ_MAGIC_OF(f) QX_FUZZ_MAGIC_##f
#define QX_FUZZ_MAGIC(f) QX_FUZZ_MAGIC_OF(f)

const std::string magic = QX_FUZZ_MAGIC(QX_FUZZ_FORMAT);

std::string scratch_path()
{
    const char *dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/qx-fuzz-" + std::to_string(getpid());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = scratch_path();
    FILE *file = fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    if (size < magic.size() || memcmp(data, magic.data(), magic.size()) != 0)
        fwrite(magic.data(), 1, magic.size(), file);
    fwrite(data, 1, size, file);
    FUZZ_CHECK(fclose(file) == 0);

    errno = 0;
    FILE *stream = qx_fopen(path.c_str(), "r");
    FUZZ_CHECK(stream != nullptr);
    // Half the inputs by large reads, half byte by byte.
    static char buffer[1 << 16];
    if (size % 2 == 0) {
        while (fread(buffer, 1, sizeof buffer, stream) == sizeof buffer) {
        }
    } else {
        while (getc(stream) != EOF) {
        }
    }
    FUZZ_CHECK(feof(stream) || ferror(stream));
    if (ferror(stream)) {
        FUZZ_CHECK(errno == EIO || errno == ENOMEM);
        // Once failed, the stream stays failed or at its end.
        FUZZ_CHECK(getc(stream) == EOF);
    }
    FUZZ_CHECK(qx_fclose(stream) == 0);
    unlink(path.c_str());
    return 0;
}
