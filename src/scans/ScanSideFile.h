#pragma once

// The binary side file of a scan file ("<name>.scan.xml.dat"): little-endian,
// no header, a sequence of counted blocks (int32 count, then that many
// doubles) followed by uncounted envelope arrays. The file is written and
// read in large blocks, never value by value.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

class AtomicFileWriter;

class ScanSideFileWriter {
public:
    explicit ScanSideFileWriter(AtomicFileWriter& file) : file_(file) {}

    // int32 count, then the values. False once anything failed to write.
    bool writeBlock(std::span<const double> values);
    // The values alone (envelope arrays).
    bool writeValues(std::span<const double> values);

private:
    AtomicFileWriter& file_;
};

// Reads a side file that may be missing, truncated or hostile. Nothing is
// read past the end of the file and nothing is allocated that the file does
// not back. After the first block that cannot be read the reader is damaged:
// the position of everything after it is unknown, so every later read fails.
class ScanSideFileReader {
public:
    // A missing or unreadable file gives a reader that is not open; its
    // reads fail and leave their arrays empty.
    explicit ScanSideFileReader(const std::string& path);
    ~ScanSideFileReader();
    ScanSideFileReader(const ScanSideFileReader&) = delete;
    ScanSideFileReader& operator=(const ScanSideFileReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool damaged() const { return damaged_; }
    // Bytes left to read.
    std::uint64_t remaining() const { return remaining_; }
    // True when the rest of the file holds at least valueCount doubles.
    bool backs(std::uint64_t valueCount) const;

    // Reads a counted block into values (cleared first). False, with values
    // empty, when the reader is not open or damaged, or the count is
    // negative or larger than the file holds; the reader is then damaged.
    bool readBlock(std::vector<double>& values);
    // Reads values.size() doubles into values; the same failure rule.
    bool readValues(std::span<double> values);
    // The caller found a count it cannot trust: nothing after it is read.
    void markDamaged() { damaged_ = true; }

private:
    bool fail();
    bool readBytes(void* data, std::size_t size);

    std::FILE* file_ = nullptr;
    std::uint64_t remaining_ = 0;
    bool damaged_ = false;
};
