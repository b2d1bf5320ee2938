#include "ChartPageFiles.h"

#include <tinyxml.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ConfigurationFile.h"
#include "ScanFilePair.h"

namespace {

std::vector<std::string> filterParts(const std::string& filter)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (from <= filter.size()) {
        const std::size_t bar = filter.find('|', from);
        parts.push_back(filter.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
        if (bar == std::string::npos) break;
        from = bar + 1;
    }
    return parts;
}

std::string systemReason(int error) { return std::strerror(error); }

// The reason a file cannot be opened for reading, or none.
std::optional<std::string> openProblem(const std::string& fileName)
{
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec)) return systemReason(EISDIR);
    errno = 0;
    std::ifstream in(fileName, std::ios::binary);
    if (!in.is_open()) return systemReason(errno != 0 ? errno : ENOENT);
    return std::nullopt;
}

}  // namespace

std::vector<std::string> filterDescriptions(const std::string& filter)
{
    const std::vector<std::string> parts = filterParts(filter);
    std::vector<std::string> descriptions;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) descriptions.push_back(parts[i]);
    return descriptions;
}

std::string filterExtension(const std::string& filter, int index)
{
    const std::vector<std::string> parts = filterParts(filter);
    const auto at = static_cast<std::size_t>(index) * 2 - 1;
    if (index < 1 || at >= parts.size()) return {};
    const std::string& pattern = parts[at];
    const std::size_t dot = pattern.find('.');
    if (pattern.rfind("*.", 0) != 0 || dot == std::string::npos) return {};
    std::string extension = pattern.substr(dot);
    // One pattern per filter here; "*.a;*.b" keeps the first.
    if (const std::size_t semicolon = extension.find(';'); semicolon != std::string::npos)
        extension.resize(semicolon);
    return extension == ".*" ? std::string() : extension;
}

std::string withFilterExtension(const std::string& fileName, const std::string& filter, int index)
{
    const std::string base = baseNameOf(fileName);
    if (base.empty() || base.find('.') != std::string::npos) return fileName;
    return fileName + filterExtension(filter, index);
}

std::string folderOf(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

std::string baseNameOf(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::optional<std::string> scanFileReadProblem(const std::string& fileName)
{
    if (std::optional<std::string> problem = openProblem(fileName)) return problem;
    TiXmlDocument doc;
    if (!ConfigurationFile::parseFile(fileName, doc) || ConfigurationFile::findRoot(doc) == nullptr)
        return std::string(invalidFormatText);
    // A side file of another save would show its values on this file's grid.
    if (const TiXmlElement* scan = ConfigurationFile::findRoot(doc)->FirstChildElement("Scan")) {
        if (std::string problem = sideFilePairProblem(*scan, fileName + ".dat"); !problem.empty()) return problem;
    }
    return std::nullopt;
}

std::optional<std::string> sideFileReadProblem(const std::string& scanFileName)
{
    return openProblem(scanFileName + ".dat");
}

std::string fileWriteProblem(const std::string& fileName, const std::string& writerError)
{
    std::error_code ec;
    const std::filesystem::path path(fileName);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    if (std::filesystem::is_directory(path, ec)) return systemReason(EISDIR);
    if (!std::filesystem::exists(folder, ec)) return "The folder " + folder.string() + " does not exist";
    if (!std::filesystem::is_directory(folder, ec)) return folder.string() + ": " + systemReason(ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return folder.string() + ": " + systemReason(errno);
    if (std::filesystem::exists(path, ec) && ::access(path.c_str(), W_OK) != 0)
        return systemReason(errno);
    return writerError.empty() ? std::string("The file could not be written") : writerError;
}
