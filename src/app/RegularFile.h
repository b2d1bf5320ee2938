#pragma once

// Opening a file for reading when its name comes from a user, a setting or
// another file: it may name a directory, a FIFO whose open blocks until a
// writer comes, or a device that never ends. Only regular files are opened,
// and the kind is checked before the open (and again on the open file, in
// case the name changed in between).

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f != nullptr) std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Why path cannot be read as a regular file, empty when it can: the system's
// reason ("No such file or directory", "File name too long", "Permission
// denied") or "not a regular file (a directory)". errorNumber, when given,
// receives the errno of a failed look-up (0 otherwise).
std::string regularFileProblem(const std::string& path, int* errorNumber = nullptr);

// Opens a regular file for binary reading; null, with why set as above, for
// anything else. size, when given, receives the file's size.
FileHandle openRegularFile(const std::string& path, std::string* why = nullptr, std::uint64_t* size = nullptr,
                           int* errorNumber = nullptr);
