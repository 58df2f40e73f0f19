#include "tools/common/tool_io.h"

#include "platform/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace tool_io {

bool read_file(const std::string& path, std::string& text, std::string& error) {
    return read_text_file(path, text, error);
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

std::string shown_word(std::string_view word) { return ::shown_word(word); }

}  // namespace tool_io
