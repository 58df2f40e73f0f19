#include "tools/common/tool_io.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace tool_io {

namespace {

constexpr std::size_t SHOWN_CHARS = 60;

}  // namespace

bool read_file(const std::string& path, std::string& text, std::string& error) {
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
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, n);
    const bool failed = std::ferror(in) != 0;
    const int reason = errno;
    std::fclose(in);
    if (failed) error = "cannot read \"" + path + "\": " + std::strerror(reason);
    return !failed;
}

bool finish_output(std::FILE* out, std::string& error) {
    bool ok = std::fflush(out) == 0 && std::ferror(out) == 0;
    int reason = ok ? 0 : errno;
    if (out != stdout && std::fclose(out) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (!ok) error = reason != 0 ? std::strerror(reason) : "write error";
    return ok;
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

}  // namespace tool_io
