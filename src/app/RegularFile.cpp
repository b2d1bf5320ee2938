#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "of an unknown kind";
}

std::string notRegular(mode_t mode) { return "not a regular file (" + kindOf(mode) + ")"; }

void set(int* target, int value)
{
    if (target != nullptr) *target = value;
}

}  // namespace

std::string regularFileProblem(const std::string& path, int* errorNumber)
{
    set(errorNumber, 0);
    if (path.empty()) {
        set(errorNumber, ENOENT);
        return std::strerror(ENOENT);
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        set(errorNumber, error);
        return std::strerror(error);
    }
    if (!S_ISREG(info.st_mode)) return notRegular(info.st_mode);
    return {};
}

FileHandle openRegularFile(const std::string& path, std::string* why, std::uint64_t* size, int* errorNumber)
{
    auto fail = [why](std::string text) {
        if (why != nullptr) *why = std::move(text);
        return FileHandle{};
    };
    if (std::string problem = regularFileProblem(path, errorNumber); !problem.empty()) return fail(problem);
    // Non-blocking: should the name have become a FIFO since the check, the
    // open returns at once and the check below refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        set(errorNumber, error);
        return fail(std::strerror(error));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        set(errorNumber, error);
        return fail(std::strerror(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(notRegular(info.st_mode));
    }
    // Reads of a regular file never block; the flag only mattered for the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        set(errorNumber, error);
        return fail(std::strerror(error));
    }
    if (size != nullptr) *size = static_cast<std::uint64_t>(info.st_size);
    return FileHandle(file);
}
