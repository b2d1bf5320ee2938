#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace {
std::atomic<unsigned> g_counter{0};
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path))
{
    // O_EXCL with a fresh name per attempt; the mode lets the umask decide as
    // for any file the program creates.
    for (int attempt = 0; attempt < 100 && stream_ == nullptr; ++attempt) {
        temporaryPath_ = path_ + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(g_counter++);
        const int fd = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            break;
        }
        stream_ = ::fdopen(fd, "wb");
        if (stream_ == nullptr) {
            ::close(fd);
            ::unlink(temporaryPath_.c_str());
            break;
        }
    }
    if (stream_ == nullptr) temporaryPath_.clear();
}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

bool AtomicFileWriter::write(const void* data, std::size_t size)
{
    if (stream_ == nullptr || failed_) return false;
    if (size > 0 && std::fwrite(data, 1, size, stream_) != size) failed_ = true;
    return !failed_;
}

bool AtomicFileWriter::commit()
{
    if (stream_ == nullptr) return false;
    bool ok = !failed_ && std::ferror(stream_) == 0 && std::fflush(stream_) == 0;
    ok = ok && ::fsync(::fileno(stream_)) == 0;
    ok = (std::fclose(stream_) == 0) && ok;
    stream_ = nullptr;
    ok = ok && std::rename(temporaryPath_.c_str(), path_.c_str()) == 0;
    if (!ok) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    return ok;
}

void AtomicFileWriter::discard()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

bool writeFileAtomically(const std::string& path, std::string_view contents)
{
    AtomicFileWriter writer(path);
    return writer.write(contents) && writer.commit();
}
