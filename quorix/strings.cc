// Character translation and string lists.
#include "quorix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

// flags other than 0 are not defined: such a call changes nothing and
// sets errno to EINVAL.
extern "C" char *qx_strtr(char *string, const char *from, const char *to,
                          int flags)
{
    if (flags != 0) {
        errno = EINVAL;
        return string;
    }
    // One character for another (a tab for a space in every description)
    // needs no table.
    if (from[0] != '\0' && from[1] == '\0' && to[0] != '\0') {
        for (char *p = strchr(string, from[0]); p != nullptr; p = strchr(p + 1, from[0]))
            *p = to[0];
        return string;
    }
    unsigned char map[256];
    bool mapped[256] = {};
    for (int c = 0; c < 256; ++c)
        map[c] = static_cast<unsigned char>(c);
    // The first place of a character in from is the one that counts.
    for (std::size_t i = 0; from[i] != '\0' && to[i] != '\0'; ++i) {
        auto c = static_cast<unsigned char>(from[i]);
        if (!mapped[c]) {
            map[c] = static_cast<unsigned char>(to[i]);
            mapped[c] = true;
        }
    }
    for (auto *p = reinterpret_cast<unsigned char *>(string); *p != '\0'; ++p)
        *p = map[*p];
    return string;
}

// The list is one block: the array of string pointers, then the text
// itself with every line end turned into a terminator.  Sorting the list
// moves only pointers, and one free releases it all.
extern "C" int64_t qx_inhale_strings(FILE *stream, char ***list)
{
    *list = nullptr;
    char *text = nullptr;
    std::size_t len = 0, cap = 0;
    errno = 0;
    for (;;) {
        if (len == cap) {
            std::size_t new_cap = cap != 0 ? cap * 2 : 64 * 1024;
            char *grown = new_cap > cap
                ? static_cast<char *>(realloc(text, new_cap)) : nullptr;
            if (grown == nullptr) {
                free(text);
                errno = ENOMEM;
                return -1;
            }
            text = grown;
            cap = new_cap;
        }
        std::size_t want = cap - len;
        std::size_t got = fread(text + len, 1, want, stream);
        len += got;
        if (got < want)
            break;
    }
    if (ferror(stream)) {
        int err = errno != 0 ? errno : EIO;
        free(text);
        errno = err;
        return -1;
    }

    std::size_t count = 0;
    for (const char *p = text; (p = static_cast<const char *>(
             memchr(p, '\n', len - (p - text)))) != nullptr; ++p)
        ++count;
    if (len > 0 && text[len - 1] != '\n')
        ++count;  // a last line without its newline
    const std::size_t index_size = (count + 1) * sizeof(char *);
    char *block = index_size + len + 1 > len
        ? static_cast<char *>(realloc(text, index_size + len + 1)) : nullptr;
    if (block == nullptr) {
        free(text);
        errno = ENOMEM;
        return -1;
    }
    char *const begin = block + index_size;
    std::memmove(begin, block, len);
    char *const end = begin + len;
    *end = '\0';

    auto **strings = reinterpret_cast<char **>(block);
    std::size_t n = 0;
    for (char *line = begin; line < end;) {
        strings[n++] = line;
        auto *newline = static_cast<char *>(memchr(line, '\n', end - line));
        if (newline == nullptr)
            break;
        if (newline > line && newline[-1] == '\r')
            newline[-1] = '\0';
        *newline = '\0';
        line = newline + 1;
    }
    strings[n] = nullptr;
    *list = strings;
    return static_cast<int64_t>(n);
}

extern "C" void qx_free_strings(char **list)
{
    free(list);
}

extern "C" int qx_strptrcasecmp(const void *a, const void *b)
{
    return strcasecmp(*static_cast<char *const *>(a),
                      *static_cast<char *const *>(b));
}
