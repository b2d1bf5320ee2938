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

#include "RegularFile.h"

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
//
// Each block is copied once, straight into the array that keeps it: a
// counted block through a mapping of its part of the file (a vector filled
// from it is never zeroed first), uncounted values by one read into their
// array. Only the block being copied is mapped, so the file does not count
// twice in the program's memory.
class ScanSideFileReader {
public:
    // A missing file, or anything but a regular file, gives a reader that
    // is not open; its reads fail and leave their arrays empty.
    explicit ScanSideFileReader(const std::string& path);
    ~ScanSideFileReader();
    ScanSideFileReader(const ScanSideFileReader&) = delete;
    ScanSideFileReader& operator=(const ScanSideFileReader&) = delete;

    bool isOpen() const { return open_; }
    bool damaged() const { return damaged_; }
    // Why the file could not be opened (empty when it was).
    const std::string& openProblem() const { return openProblem_; }
    // Bytes left to read.
    std::uint64_t remaining() const { return size_ - position_; }
    // True when the rest of the file holds at least valueCount doubles.
    bool backs(std::uint64_t valueCount) const;

    // Reads a counted block into values (replaced). False, with values
    // empty, when the reader is not open or damaged, or the count is
    // negative or larger than the file holds; the reader is then damaged.
    bool readBlock(std::vector<double>& values);
    // Steps over a counted block, giving its count; the same failure rule.
    bool skipBlock(std::size_t& count);
    // Reads values.size() doubles into values; the same failure rule.
    bool readValues(std::span<double> values);
    // The caller found a count it cannot trust: nothing after it is read.
    void markDamaged() { damaged_ = true; }

    // Index of the first value of the last read that is not a finite
    // number (NaN or an infinity), or npos when all were.
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    std::size_t firstNonFinite() const { return firstNonFinite_; }

private:
    bool fail();
    // Reads bytes at the position into to and moves on.
    bool readAt(void* to, std::uint64_t bytes);

    FileHandle file_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    std::size_t firstNonFinite_ = npos;
    bool open_ = false;
    bool damaged_ = false;
    std::string openProblem_;
};
