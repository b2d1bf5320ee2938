#include "ContinuousScanSaving.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "Applicationconfig.h"
#include "Log.h"
#include "NumberFormat.h"
#include "ScanTextHeaders.h"
#include "ScanTrace.h"

ScanDateTime ScanDateTime::now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string continuousScanName(const ScanDateTime& when)
{
    return cformat("Continuous_Scan__y%d_m%02d_d%02d__h%02d_m%02d_s%02d", when.year, when.month, when.day, when.hour,
                   when.minute, when.second);
}

std::string startContinuousSeries(const std::string& directory, const ScanDateTime& when)
{
    std::string base = directory;
    if (!base.empty() && base.back() != '/') base += '/';
    base += continuousScanName(when);
    constexpr int maxSuffix = 10000;
    for (int n = 1; n <= maxSuffix; ++n) {
        const std::string folder = base + (n == 1 ? std::string() : "_" + std::to_string(n));
        if (::mkdir(folder.c_str(), 0777) == 0) return folder + '/';
        if (errno != EEXIST) {
            Log::warn("Can't create the series folder %s: %s\n", folder.c_str(), std::strerror(errno));
            return folder + '/';
        }
        // A folder of the same second is used again; a link standing there
        // is never followed (the files would land at its target), nor is a
        // file taken for a folder: the series gets the next free name.
        struct stat info {};
        if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return folder + '/';
        Log::warn("%s is not a folder (a symbolic link or a file): the series goes beside it\n", folder.c_str());
    }
    Log::warn("Every name of the form %s_N is taken: the series is not saved\n", base.c_str());
    return base + '/';
}

const char* continuousScanExtension(int fileType)
{
    switch (static_cast<ContinuousFileType>(fileType)) {
    case ContinuousFileType::Xml: return ".scan.xml";
    case ContinuousFileType::Text: return ".scan.txt";
    case ContinuousFileType::Bitmap: return ".scan.bmp";
    case ContinuousFileType::Png: return ".scan.png";
    case ContinuousFileType::Csv: return ".scan.csv";
    }
    return nullptr;
}

namespace {

bool taken(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The first of base + extension, base + "_2" + extension, ... that names no
// file (nor, for a scan file, a side file).
std::string freeFileName(const std::string& base, const std::string& extension, bool withSideFile)
{
    constexpr int maxSuffix = 10000;
    for (int n = 1; n <= maxSuffix; ++n) {
        const std::string name = base + (n == 1 ? std::string() : "_" + std::to_string(n)) + extension;
        if (!taken(name) && !(withSideFile && taken(name + ".dat"))) return name;
    }
    return {};
}

}  // namespace

ContinuousSaveResult saveContinuousScan(const std::string& baseName, int fileType, const ScanTrace& trace,
                                        const ScanFileFrame& frame)
{
    ContinuousSaveResult saved;
    const char* extension = continuousScanExtension(fileType);
    if (extension == nullptr) {
        saved.error = "Unknown file type " + std::to_string(fileType) + " for the continuous saving";
        Log::error("%s\n", saved.error.c_str());
        return saved;
    }
    const auto type = static_cast<ContinuousFileType>(fileType);
    // The series folder was created by the series: a link put there since
    // would send the files elsewhere.
    const std::string folder = std::filesystem::path(baseName).parent_path().string();
    struct stat info {};
    if (!folder.empty() && ::lstat(folder.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        saved.fileName = baseName + extension;
        saved.error = "The series folder " + folder + " is a symbolic link: it is not followed, nothing was saved";
        Log::error("%s\n", saved.error.c_str());
        return saved;
    }
    saved.fileName = freeFileName(baseName, extension, type == ContinuousFileType::Xml);
    if (saved.fileName.empty()) {
        saved.fileName = baseName + extension;
        saved.error = "Every name of the form " + baseName + "_N" + extension + " is taken";
        Log::error("%s\n", saved.error.c_str());
        return saved;
    }

    const bool bnc = frame.settings.scanParameters.bncEnable != 0;
    auto text = [&](TextExportForm form) {
        return saveTextExport(saved.fileName, trace, form, continuousScanTextHeader(trace, form), bnc, &saved.error);
    };
    switch (type) {
    case ContinuousFileType::Xml: saved.ok = saveScanFile(saved.fileName, trace, frame, &saved.error); break;
    case ContinuousFileType::Text: saved.ok = text(TextExportForm::Txt); break;
    case ContinuousFileType::Bitmap: saved.ok = trace.SaveBitmap(saved.fileName, &saved.error); break;
    case ContinuousFileType::Png: saved.ok = trace.SavePng(saved.fileName, &saved.error); break;
    case ContinuousFileType::Csv: saved.ok = text(TextExportForm::Csv); break;
    }
    return saved;
}
