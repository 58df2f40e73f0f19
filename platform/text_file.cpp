#include "platform/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace {

constexpr std::size_t SHOWN_CHARS = 60;

}  // namespace

bool read_text_file(const std::string& path, std::string& text, std::string& error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    struct stat info {};
    if (in && fstat(fileno(in), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(in);
        error = "cannot read \"" + path + "\": it is a directory";
        return false;
    }
    if (!in) {
        error = "cannot read \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    text.clear();
    char chunk[8192];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, n);
    const bool failed = std::ferror(in) != 0;
    const int reason = errno;
    std::fclose(in);
    if (failed) error = "cannot read \"" + path + "\": " + std::strerror(reason);
    return !failed;
}

std::string shown_word(std::string_view word) {
    static constexpr char HEX[] = "0123456789abcdef";
    std::string shown;
    for (std::size_t i = 0; i < word.size() && i < SHOWN_CHARS; ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (c == '\\') {
            shown += "\\\\";
        } else if (c >= 0x20 && c < 0x7f) {
            shown += static_cast<char>(c);
        } else {
            shown += "\\x";
            shown += HEX[c >> 4];
            shown += HEX[c & 15];
        }
    }
    if (word.size() > SHOWN_CHARS) shown += "...";
    return shown;
}

