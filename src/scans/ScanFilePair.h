#pragma once

// A scan file and its side file are renamed into place one after the
// other: a stop between the two renames leaves the new side file beside the
// old scan file, whose curves and grid would then be read with the new
// values. The "Scan" element therefore records the size and the CRC-32 of
// the side file it was saved with, in attributes that older readers ignore;
// a reader compares them with the side file it finds. A file without the
// record (an older program's) is read as before.

#include <cstdint>
#include <string>

class TiXmlElement;

inline constexpr const char* sideFileSizeAttribute = "SideFileSize";
inline constexpr const char* sideFileCheckAttribute = "SideFileCrc32";

// Records the side file's size and CRC-32 (8 hexadecimal digits) in scan.
void recordSideFile(TiXmlElement& scan, std::uint64_t size, std::uint32_t crc);

// Why the side file at sidePath is not the one scan records ("the scan
// file and its side file belong to different saves ..."), or empty: it is,
// scan records none, or the side file cannot be read (said elsewhere).
std::string sideFilePairProblem(const TiXmlElement& scan, const std::string& sidePath);
