#pragma once

// Writing a file so that it is either complete or not there: the data goes
// to a temporary file in the destination's folder, which is renamed over the
// destination once everything has been written and flushed to disk. A crash
// or a full disk leaves the previous file as it was. The temporary name
// stays within the file system's limit for names, whatever the length of
// the destination's; the temporary files a crashed writer of the same name
// left behind are removed when the name is written again.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    // Removes the temporary file unless commit() succeeded.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The temporary file's stream, or nullptr when it could not be created.
    std::FILE* stream() const { return stream_; }
    bool isOpen() const { return stream_ != nullptr; }
    bool write(const void* data, std::size_t size);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // What write() was given so far (not what went through stream()): its
    // byte count and its CRC-32, for a file that records another's.
    std::uint64_t bytesWritten() const { return bytesWritten_; }
    std::uint32_t crc32() const { return crc_; }

    // Flushes, syncs and renames over the destination. False on any write,
    // flush or rename failure (the destination is then untouched).
    bool commit();
    // Gives up: the temporary file is removed, the destination untouched.
    void discard();

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporaryPath_; }

    // Temporary names are stem + ".tmp" + pid + "_" + counter, at most this
    // many characters after the stem.
    static constexpr std::size_t longestTemporarySuffix = 4 + 10 + 1 + 10;
    // The stem of the temporary names of a file name: the name itself when
    // the suffix fits within nameMax (the folder's longest name), else a head
    // of the name followed by "~" and a hash of the whole name, so that a
    // name the file system takes can always be written.
    static std::string temporaryStem(const std::string& fileName, std::size_t nameMax);
    // Whether a name in the folder is a temporary file of stem (stem +
    // ".tmp" + digits + "_" + digits), and the process it names.
    static bool isTemporaryOf(const std::string& name, const std::string& stem, long& pid);

private:
    std::string path_;
    std::string temporaryPath_;
    std::FILE* stream_ = nullptr;
    bool failed_ = false;
    std::uint64_t bytesWritten_ = 0;
    std::uint32_t crc_ = 0;
    std::size_t unflushed_ = 0;   // bytes written since the last write-behind
    long long writtenBehind_ = 0;  // offset up to which the disk was asked to write
    static constexpr std::size_t writeBehindBytes = std::size_t{4} << 20;
};

bool writeFileAtomically(const std::string& path, std::string_view contents);

// The system's reason for the last failure of an AtomicFileWriter of this
// thread ("File name too long", "No space left on device"), for the texts
// that say a file could not be written; empty when none failed yet.
const std::string& lastWriteFailure();

// For tests of an interrupted save only: called after each rename of a
// commit with the destination's path (null: nothing). A test that ends its
// process there sees what a power cut between two renames leaves.
namespace AtomicFileTesting {
using AfterRename = void (*)(const std::string& path);
void setAfterRename(AfterRename hook);
}  // namespace AtomicFileTesting
