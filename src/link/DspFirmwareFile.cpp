#include "DspFirmwareFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "About.h"
#include "ByteOrder.h"
#include "NumberFormat.h"
#include "RegularFile.h"

namespace DspFirmwareFile {
namespace {

unsigned long long ull(std::size_t n) { return static_cast<unsigned long long>(n); }

// Why the bytes hold no complete image, empty when they do.
std::string imageProblem(const std::uint8_t* bytes, std::size_t size)
{
    if (size < imageHeaderBytes + 2 || std::memcmp(bytes, imageMagic, sizeof imageMagic) != 0)
        return "the image does not begin with an image header (an erased or foreign image)";
    const std::uint32_t length = byteorder::readU32le(bytes + imageLengthFieldOffset);
    if (length != size || (length & 1) != 0)
        return cformat("the image's own header gives %u bytes where the image has %llu", length, ull(size));
    if (byteorder::xorWords(bytes + imageHeaderBytes, size - imageHeaderBytes) !=
        byteorder::readU16le(bytes + imageCheckOffset))
        return "the image's check does not match its code: the code is damaged";
    return {};
}

// The release written after "VEMAR_DSP V" in the name field, or -1.
int releaseInName(const std::uint8_t* name)
{
    const std::size_t prefix = std::strlen(namePrefix);
    if (std::memcmp(name, namePrefix, prefix) != 0) return -1;
    int release = 0;
    std::size_t i = prefix;
    for (; i < nameBytes && name[i] >= '0' && name[i] <= '9' && release < 100000; ++i)
        release = release * 10 + (name[i] - '0');
    if (i == prefix || i == nameBytes || name[i] != 0) return -1;
    return release;
}

}  // namespace

std::optional<int> imageRelease(const std::uint8_t* bytes, std::size_t size)
{
    if (size < imageHeaderBytes + 2) return std::nullopt;
    const std::uint32_t length = byteorder::readU32le(bytes + imageLengthFieldOffset);
    if (length > size || !imageProblem(bytes, length).empty()) return std::nullopt;
    return byteorder::readU16le(bytes + imageReleaseOffset) & 0x7FFF;
}

Check checkBytes(const std::vector<std::uint8_t>& file, int requiredRelease)
{
    Check check;
    const std::size_t size = file.size();
    if (size == 0) {
        check.problem = "the file is empty";
        return check;
    }
    if (size > FlashZones::userCode.sizeBytes) {
        check.problem = cformat("the file has %llu bytes, more than the %u bytes of the user-code zone", ull(size),
                                FlashZones::userCode.sizeBytes);
        return check;
    }
    if (size < headerBytes) {
        check.problem = cformat("the file has %llu bytes: it ends inside its %llu-byte header", ull(size),
                                ull(headerBytes));
        return check;
    }
    const std::uint8_t* header = file.data();
    const int named = releaseInName(header);
    if (named < 0) {
        check.problem = std::string("its header does not name a DSP firmware (\"") + namePrefix + "...\")";
        return check;
    }
    const int release = byteorder::readU16le(header + releaseOffset);
    if (release != named) {
        check.problem = cformat("its header names release %d and gives release %d", named, release);
        return check;
    }
    check.release = release;
    const std::uint32_t announced = byteorder::readU32le(header + imageLengthOffset);
    const std::size_t held = size - headerBytes;
    if (announced != held) {
        check.problem = cformat("its header announces an image of %u bytes, the file holds %llu bytes after the header",
                                announced, ull(held));
        return check;
    }
    const std::uint8_t* image = header + headerBytes;
    if (std::string problem = imageProblem(image, held); !problem.empty()) {
        check.problem = std::move(problem);
        return check;
    }
    const int imageRelease = byteorder::readU16le(image + imageReleaseOffset);
    if (imageRelease != release) {
        check.problem = cformat("its header gives release %d, its image release %d", release, imageRelease);
        return check;
    }
    if (requiredRelease != anyRelease && release != requiredRelease) {
        check.problem = "it holds DSP release " + About::formatDspRelease(release) + ", this program needs " +
                        About::formatDspRelease(requiredRelease);
        return check;
    }
    check.image.assign(image, image + held);
    return check;
}

Check checkFile(const std::string& path, int requiredRelease)
{
    Check check;
    std::string why;
    std::uint64_t size = 0;
    int error = 0;
    FileHandle f = openRegularFile(path, &why, &size, &error);
    if (!f) {
        check.missing = error == ENOENT;
        if (!check.missing) check.problem = why;
        return check;
    }
    // Read no more than a zone holds: a longer file is refused by its size.
    const std::size_t wanted = size > FlashZones::userCode.sizeBytes ? FlashZones::userCode.sizeBytes + 1
                                                                     : static_cast<std::size_t>(size);
    std::vector<std::uint8_t> bytes(wanted);
    const std::size_t got = wanted == 0 ? 0 : std::fread(bytes.data(), 1, wanted, f.get());
    if (std::ferror(f.get()) != 0) {
        check.problem = "it cannot be read";
        return check;
    }
    bytes.resize(got);
    if (size > FlashZones::userCode.sizeBytes) {
        check.problem = cformat("the file has %llu bytes, more than the %u bytes of the user-code zone",
                                static_cast<unsigned long long>(size), FlashZones::userCode.sizeBytes);
        return check;
    }
    return checkBytes(bytes, requiredRelease);
}

}  // namespace DspFirmwareFile
