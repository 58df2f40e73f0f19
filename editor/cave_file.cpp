#include "editor/cave_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include "editor/cave_edit.h"
#include "sim/game_state.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace editor {

namespace {

std::string reason(const char* what, const std::string& path, int error) {
    return std::string(what) + " \"" + path + "\": " + std::strerror(error);
}

bool write_all(int fd, const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

OpenResult open_cave_file(const std::string& path, Loaded& loaded, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return OpenResult::missing;
        error = reason("cannot open", path, errno);
        return OpenResult::failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        error = "\"" + path + "\" is a directory, not a cave file";
        return OpenResult::failed;
    }
    std::string bytes;
    std::array<char, 4096> chunk{};
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            error = reason("cannot read", path, e);
            return OpenResult::failed;
        }
        if (n == 0) break;
        bytes.append(chunk.data(), static_cast<std::size_t>(n));
        if (bytes.size() > MAX_CAVE_FILE) {
            ::close(fd);
            error = "\"" + path + "\" is larger than any cave file (more than " + std::to_string(MAX_CAVE_FILE) +
                    " bytes)";
            return OpenResult::failed;
        }
    }
    ::close(fd);
    loaded = read_cave(bytes);
    return OpenResult::opened;
}

bool save_cave_file(const std::string& path, const CaveMap& cave, std::string& error) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    // A name of its own: two editors saving beside each other never share a temporary file.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = reason("cannot write beside", path, errno);
        return false;
    }
    // mkstemp makes the file private; a cave is as readable as any file the player writes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const CaveText text = cave_text(cave);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && write_all(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    int saved_errno = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        saved_errno = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = reason("cannot save", path, saved_errno);
        return false;
    }
    // The rename itself reaches the disk with the directory.
    if (const int dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir_fd >= 0) {
        ::fsync(dir_fd);
        ::close(dir_fd);
    }
    return true;
}

}  // namespace editor
