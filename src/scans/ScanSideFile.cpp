#include "ScanSideFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "AtomicFile.h"
#include "FreshMemory.h"
#include "RegularFile.h"

namespace {

constexpr bool hostIsLittleEndian = std::endian::native == std::endian::little;

[[maybe_unused]] std::uint64_t swapBytes(std::uint64_t v)
{
    std::uint64_t r = 0;
    for (int i = 0; i < 8; ++i) r |= ((v >> (8 * i)) & 0xFF) << (8 * (7 - i));
    return r;
}

// A big-endian host converts the values through this many at a time.
constexpr std::size_t conversionChunk = 8192;

}  // namespace

bool ScanSideFileWriter::writeBlock(std::span<const double> values)
{
    const auto count = static_cast<std::uint32_t>(values.size());
    const std::array<std::uint8_t, 4> prefix = {
        static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
        static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
    return file_.write(prefix.data(), prefix.size()) && writeValues(values);
}

bool ScanSideFileWriter::writeValues(std::span<const double> values)
{
    if constexpr (hostIsLittleEndian) {
        return file_.write(values.data(), values.size_bytes());
    } else {
        std::array<std::uint64_t, conversionChunk> chunk;
        for (std::size_t done = 0; done < values.size();) {
            const std::size_t n = std::min(conversionChunk, values.size() - done);
            for (std::size_t i = 0; i < n; ++i) chunk[i] = swapBytes(std::bit_cast<std::uint64_t>(values[done + i]));
            if (!file_.write(chunk.data(), n * sizeof(std::uint64_t))) return false;
            done += n;
        }
        return true;
    }
}

namespace {

constexpr std::uint64_t exponentBits = 0x7FF0000000000000ull;

// The doubles of a block, read where they lie in the mapped file (any
// alignment, little-endian), for a vector to copy in one pass. Each value
// read that is not a finite number sets the flag.
class StoredDoubles {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = double;
    using difference_type = std::ptrdiff_t;
    using pointer = const double*;
    using reference = double;

    StoredDoubles(const unsigned char* at, bool* nonFinite) : at_(at), nonFinite_(nonFinite) {}

    double operator*() const
    {
        std::uint64_t bits;
        std::memcpy(&bits, at_, sizeof bits);
        if constexpr (!hostIsLittleEndian) bits = swapBytes(bits);
        *nonFinite_ |= (bits & exponentBits) == exponentBits;
        return std::bit_cast<double>(bits);
    }
    StoredDoubles& operator++()
    {
        at_ += sizeof(double);
        return *this;
    }
    StoredDoubles operator++(int)
    {
        StoredDoubles before = *this;
        ++*this;
        return before;
    }
    StoredDoubles& operator--()
    {
        at_ -= sizeof(double);
        return *this;
    }
    StoredDoubles& operator+=(difference_type n)
    {
        at_ += n * static_cast<difference_type>(sizeof(double));
        return *this;
    }
    StoredDoubles operator+(difference_type n) const { return StoredDoubles(*this) += n; }
    difference_type operator-(const StoredDoubles& other) const
    {
        return (at_ - other.at_) / static_cast<difference_type>(sizeof(double));
    }
    double operator[](difference_type n) const { return *(*this + n); }
    bool operator==(const StoredDoubles& other) const { return at_ == other.at_; }
    bool operator!=(const StoredDoubles& other) const { return at_ != other.at_; }
    bool operator<(const StoredDoubles& other) const { return at_ < other.at_; }

private:
    const unsigned char* at_;
    bool* nonFinite_;
};

std::size_t firstNonFiniteOf(std::span<const double> values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!std::isfinite(values[i])) return i;
    return ScanSideFileReader::npos;
}

}  // namespace

ScanSideFileReader::ScanSideFileReader(const std::string& path)
{
    file_ = openRegularFile(path, &openProblem_, &size_);
    open_ = static_cast<bool>(file_);
}

ScanSideFileReader::~ScanSideFileReader() = default;

bool ScanSideFileReader::backs(std::uint64_t valueCount) const
{
    return isOpen() && !damaged_ && valueCount <= remaining() / sizeof(double);
}

bool ScanSideFileReader::fail()
{
    damaged_ = true;
    return false;
}

bool ScanSideFileReader::readAt(void* to, std::uint64_t bytes)
{
    if (!isOpen() || damaged_ || bytes > remaining()) return fail();
    auto* out = static_cast<unsigned char*>(to);
    const int fd = ::fileno(file_.get());
    while (bytes != 0) {
        const ::ssize_t got = ::pread(fd, out, static_cast<std::size_t>(std::min<std::uint64_t>(bytes, 1u << 30)),
                                      static_cast<::off_t>(position_));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return fail();
        out += got;
        bytes -= static_cast<std::uint64_t>(got);
        position_ += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool ScanSideFileReader::skipBlock(std::size_t& count)
{
    count = 0;
    std::uint8_t prefix[4];
    if (!readAt(prefix, sizeof prefix)) return false;
    const auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(prefix[0]) |
                                             (static_cast<std::uint32_t>(prefix[1]) << 8) |
                                             (static_cast<std::uint32_t>(prefix[2]) << 16) |
                                             (static_cast<std::uint32_t>(prefix[3]) << 24));
    if (n < 0 || !backs(static_cast<std::uint64_t>(n))) return fail();
    count = static_cast<std::size_t>(n);
    position_ += count * sizeof(double);
    return true;
}

bool ScanSideFileReader::readBlock(std::vector<double>& values)
{
    values.clear();
    firstNonFinite_ = npos;
    std::size_t count = 0;
    if (!skipBlock(count)) return false;
    if (count == 0) return true;
    const std::uint64_t start = position_ - count * sizeof(double);
    // The block's pages only, mapped for the copy and let go right after.
    static const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t mapStart = start - start % page;
    const auto mapBytes = static_cast<std::size_t>(start + count * sizeof(double) - mapStart);
    void* mapped = ::mmap(nullptr, mapBytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, ::fileno(file_.get()),
                          static_cast<::off_t>(mapStart));
    if (mapped == MAP_FAILED) {
        position_ = start;
        values.resize(count);
        if (!readAt(values.data(), count * sizeof(double))) {
            values.clear();
            return false;
        }
        if constexpr (!hostIsLittleEndian) {
            for (double& v : values) v = std::bit_cast<double>(swapBytes(std::bit_cast<std::uint64_t>(v)));
        }
        firstNonFinite_ = firstNonFiniteOf(values);
        return true;
    }
    bool nonFinite = false;
    const StoredDoubles first(static_cast<const unsigned char*>(mapped) + (start - mapStart), &nonFinite);
    values.reserve(count);
    prepareFreshMemory(values.data(), count * sizeof(double));
    values.assign(first, first + static_cast<std::ptrdiff_t>(count));
    ::munmap(mapped, mapBytes);
    if (nonFinite) firstNonFinite_ = firstNonFiniteOf(values);
    return true;
}

bool ScanSideFileReader::readValues(std::span<double> values)
{
    firstNonFinite_ = npos;
    if (!backs(values.size())) return fail();
    if (values.empty()) return true;
    if (!readAt(values.data(), values.size_bytes())) return false;
    bool nonFinite = false;
    if constexpr (!hostIsLittleEndian) {
        for (double& v : values) v = std::bit_cast<double>(swapBytes(std::bit_cast<std::uint64_t>(v)));
    }
    for (const double v : values) nonFinite |= (std::bit_cast<std::uint64_t>(v) & exponentBits) == exponentBits;
    if (nonFinite) firstNonFinite_ = firstNonFiniteOf(values);
    return true;
}
