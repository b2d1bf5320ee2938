#include "AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "Crc32.h"

namespace {

std::atomic<unsigned> g_counter{0};
thread_local std::string g_lastFailure;

void noteFailure(int error)
{
    if (error != 0) g_lastFailure = std::strerror(error);
}

// The longest name the folder of path takes (255 where it cannot be asked).
std::size_t nameMaxOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : 255;
}

std::atomic<AtomicFileTesting::AfterRename> g_afterRename{nullptr};

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

// Temporary files of stem in folder whose process is gone: what a crash of
// an earlier save of the same name left. Those of a running process (this
// one included) may be a save under way and stay.
void removeStaleTemporaries(const std::string& folder, const std::string& stem)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return;
    const int fd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        long pid = 0;
        if (!AtomicFileWriter::isTemporaryOf(entry->d_name, stem, pid) || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        // Nothing to report when it went meanwhile: it is gone either way.
        ::unlinkat(fd, entry->d_name, 0);
    }
}

std::uint32_t fnv1a(const std::string& text)
{
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace

std::string AtomicFileWriter::temporaryStem(const std::string& fileName, std::size_t nameMax)
{
    if (fileName.size() + longestTemporarySuffix <= nameMax) return fileName;
    // Too long to take the suffix: a head of the name and a hash of all of
    // it, so that two long names sharing their head keep apart.
    char hash[10];
    std::snprintf(hash, sizeof hash, "~%08x", fnv1a(fileName));
    const std::size_t room = nameMax > longestTemporarySuffix + 9 ? nameMax - longestTemporarySuffix - 9 : 0;
    return fileName.substr(0, room) + hash;
}

const std::string& lastWriteFailure() { return g_lastFailure; }

bool AtomicFileWriter::isTemporaryOf(const std::string& name, const std::string& stem, long& pid)
{
    const std::string prefix = stem + ".tmp";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    const std::size_t underscore = name.find('_', prefix.size());
    if (underscore == std::string::npos || underscore == prefix.size() || underscore + 1 == name.size()) return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i)
        if (i != underscore && (name[i] < '0' || name[i] > '9')) return false;
    if (underscore - prefix.size() > 10) return false;
    pid = std::stol(name.substr(prefix.size(), underscore - prefix.size()));
    return pid > 0;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path))
{
    const std::string::size_type slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    const std::string stemName = temporaryStem(path_.substr(folder.size()), nameMaxOf(path_));
    removeStaleTemporaries(folder, stemName);
    const std::string stem = folder + stemName;
    // O_EXCL with a fresh name per attempt; the mode lets the umask decide as
    // for any file the program creates.
    for (int attempt = 0; attempt < 100 && stream_ == nullptr; ++attempt) {
        temporaryPath_ = stem + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(g_counter++);
        const int fd = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            // A name the system refuses is reported as the file's own.
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
    bytesWritten_ += size;
    crc_ = crc32Update(crc_, data, size);
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
    const AtomicFileTesting::AfterRename hook = g_afterRename.load();
    if (ok && hook != nullptr) hook(path_);
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

void AtomicFileTesting::setAfterRename(AfterRename hook) { g_afterRename = hook; }
