#include "app/kept_file.h"

#include "platform/platform.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::array<char, KEPT_FILE_MAX + 1> read_buffer{};

using PathBuffer = std::array<char, KEPT_PATH_MAX + 32>;

bool with_suffix(PathBuffer& out, const char* path, const char* suffix, long number = -1) {
    const int n = number < 0 ? std::snprintf(out.data(), out.size(), "%s%s", path, suffix)
                             : std::snprintf(out.data(), out.size(), "%s%s%ld", path, suffix, number);
    return n > 0 && static_cast<std::size_t>(n) < out.size() && std::strlen(path) <= KEPT_PATH_MAX;
}

// The directory of path ("." for a bare name, "/" for a file in the root).
void directory_of(PathBuffer& dir, const char* path) {
    std::snprintf(dir.data(), dir.size(), "%s", path);
    char* slash = std::strrchr(dir.data(), '/');
    if (!slash)
        std::snprintf(dir.data(), dir.size(), ".");
    else
        slash[slash == dir.data() ? 1 : 0] = '\0';
}

}  // namespace

KeptRead read_kept_file(const char* path, const char*& text, std::size_t& length) {
    text = read_buffer.data();
    length = 0;
    read_buffer[0] = '\0';
    // Non-blocking, so a FIFO put in the file's place cannot stall the game.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? KeptRead::missing : KeptRead::failed;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return KeptRead::failed;
    }
    KeptRead result = KeptRead::read;
    for (;;) {
        const ssize_t n = ::read(fd, read_buffer.data() + length, read_buffer.size() - length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result = KeptRead::failed;
            break;
        }
        if (n == 0) break;
        length += static_cast<std::size_t>(n);
        if (length > KEPT_FILE_MAX) {
            result = KeptRead::too_large;
            break;
        }
    }
    ::close(fd);
    if (result != KeptRead::read) length = 0;
    read_buffer[length] = '\0';
    return result;
}

KeptFileLock::KeptFileLock(const char* path) {
    PathBuffer name{};
    if (!with_suffix(name, path, ".lock")) return;
    make_kept_dirs(path);
    fd = ::open(name.data(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        ::close(fd);
        fd = -1;
        return;
    }
}

KeptFileLock::~KeptFileLock() {
    // The lock file stays: removing it would let a waiting game lock a file no longer seen.
    if (fd >= 0) ::close(fd);
}

void make_kept_dirs(const char* path) {
    PathBuffer dir{};
    directory_of(dir, path);
    // One that cannot be made shows up as the open of the file failing.
    for (char* p = dir.data() + 1; *p; ++p) {
        if (*p != '/') continue;
        *p = '\0';
        ::mkdir(dir.data(), 0755);
        *p = '/';
    }
    ::mkdir(dir.data(), 0755);
}

bool replace_kept_file(const char* path, const char* text, std::size_t length) {
    PathBuffer temp{}, dir{};
    if (*path == '\0' || !with_suffix(temp, path, ".tmp.", static_cast<long>(::getpid()))) {
        errno = ENAMETOOLONG;
        return false;
    }
    directory_of(dir, path);
    make_kept_dirs(path);
    const int fd = ::open(temp.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < length;) {
        const ssize_t n = ::write(fd, text + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.data(), path) == 0;
    if (!ok) {
        const int error = errno;
        if (fd >= 0) ::unlink(temp.data());
        errno = error;
        return false;
    }
    // The rename itself reaches the disk with the directory.
    if (const int dir_fd = ::open(dir.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir_fd >= 0) {
        ::fsync(dir_fd);
        ::close(dir_fd);
    }
    // A web page copies the file into the browser's storage.
    plat_files_saved();
    return true;
}
