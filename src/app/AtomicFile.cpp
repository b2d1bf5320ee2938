#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
std::atomic<unsigned> g_counter{0};
thread_local std::string g_lastFailure;

void noteFailure(int error)
{
    if (error != 0) g_lastFailure = std::strerror(error);
}
}  // namespace

const std::string& lastWriteFailure() { return g_lastFailure; }

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path))
{
    // O_EXCL with a fresh name per attempt; the mode lets the umask decide as
    // for any file the program creates.
    for (int attempt = 0; attempt < 100 && stream_ == nullptr; ++attempt) {
        temporaryPath_ = path_ + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(g_counter++);
        const int fd = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            // The temporary name is a few characters longer than the file's:
            // a name the system refuses is reported as the file's own.
            noteFailure(errno);
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
    if (size > 0 && std::fwrite(data, 1, size, stream_) != size) {
        failed_ = true;
        noteFailure(errno);
    }
    unflushed_ += size;
    // A large file goes to the disk while the rest is still being written,
    // so that the sync of commit() has little left to wait for.
    if (!failed_ && unflushed_ >= writeBehindBytes) {
        if (std::fflush(stream_) != 0) {
            failed_ = true;
            noteFailure(errno);
        } else {
            const auto end = static_cast<::off64_t>(::ftello(stream_));
            ::sync_file_range(::fileno(stream_), writtenBehind_, end - writtenBehind_, SYNC_FILE_RANGE_WRITE);
            writtenBehind_ = end;
            unflushed_ = 0;
        }
    }
    return !failed_;
}

bool AtomicFileWriter::commit()
{
    if (stream_ == nullptr) return false;
    bool ok = !failed_ && std::ferror(stream_) == 0 && std::fflush(stream_) == 0;
    ok = ok && ::fsync(::fileno(stream_)) == 0;
    if (!ok) noteFailure(errno);
    ok = (std::fclose(stream_) == 0) && ok;
    stream_ = nullptr;
    if (ok && std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        noteFailure(errno);
        ok = false;
    }
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
