#include "ValeursWLFile.h"

#include <filesystem>

ValeursWLFile::ValeursWLFile(const std::string& calibFolder)
    : path_((std::filesystem::path(calibFolder) / fileName).string()), file_(std::fopen(path_.c_str(), "ab"))
{
}

bool ValeursWLFile::append(std::string_view line)
{
    if (!file_) return false;
    return std::fwrite(line.data(), 1, line.size(), file_.get()) == line.size() && std::fflush(file_.get()) == 0;
}
