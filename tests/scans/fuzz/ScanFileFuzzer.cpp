// Feeds scan files (an XML file and its side file) and configuration files
// made from the fuzzer's bytes to the loaders, then uses what was loaded the
// way the window does: text exports, sync files, saving it again.
//
// Input layout:
//   byte 0     what to do: bit 0 the side file exists, bit 1 load as a
//              configuration file only, bit 2 save the loaded scan and load
//              it again, bit 3 the external input is referenced
//   bytes 1-4  length of the XML part, little-endian (cut to what follows)
//   then       the XML part, then the side file

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "About.h"
#include "Applicationconfig.h"
#include "ConfLaserView.h"
#include "ConfigurationFile.h"
#include "ScanFile.h"
#include "ScanTextHeaders.h"
#include "Scanmanager.h"
#include "SourcesSection.h"
#include "Sourceconfig.h"
#include "SynchronisationFiles.h"
#include "UserMessages.h"

namespace {

// A private folder for the files of every run, removed at exit.
class FuzzFolder {
public:
    FuzzFolder()
    {
        const char* shm = "/dev/shm";
        std::string base = ::access(shm, W_OK) == 0 ? shm : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/vemar-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
        settings_ = std::make_unique<ApplicationConfig>(path_);
        UserMessages::setPresenter([](UserMessages::Severity, const std::string&, const std::string&) {});
    }
    ~FuzzFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const char* name) const { return path_ + "/" + name; }
    const ApplicationConfig& pristineSettings() const { return *settings_; }

private:
    std::string path_;
    std::unique_ptr<ApplicationConfig> settings_;
};

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzFolder folder;
    if (size < 5) return 0;
    const std::uint8_t mode = data[0];
    std::size_t xmlSize = static_cast<std::size_t>(data[1]) | (static_cast<std::size_t>(data[2]) << 8)
                          | (static_cast<std::size_t>(data[3]) << 16) | (static_cast<std::size_t>(data[4]) << 24);
    data += 5;
    size -= 5;
    if (xmlSize > size) xmlSize = size;

    const std::string xml = folder.file("in.scan.xml");
    const std::string side = xml + ".dat";
    writeFile(xml, data, xmlSize);
    if (mode & 1)
        writeFile(side, data + xmlSize, size - xmlSize);
    else
        std::remove(side.c_str());

    ApplicationConfig settings = folder.pristineSettings();
    ConfLaser live;
    ConfLaserView view(live);
    SourcesSection section(live);
    const ConfigurationSections sections = ConfigurationSections::of(&section, nullptr);
    if (mode & 2) {
        ConfigurationFile::loadConfiguration(xml, settings, sections);
        return 0;
    }

    ScanManager manager(nullptr, nullptr, &view);
    if (loadFromChartPage(xml, manager, settings, sections, &view) != 0) return 0;
    const ScanTrace& trace = manager.Current();
    const bool bnc = (mode & 8) != 0;
    trace.result().WriteCsv(folder.file("out.csv"), chartPageTextHeader(trace, TextExportForm::Csv).c_str(), bnc);
    WritePowerSyncFile(folder.file("power.txt"), trace.result(), bnc);
    WriteWavelengthSyncFile(folder.file("wl.txt"), trace.result());
    if (mode & 4) {
        const About about(UnitIdentitySummary{}, 0);
        const std::string again = folder.file("again.scan.xml");
        if (saveScanFile(again, trace, {about, settings, sections})) {
            ScanTrace& reloaded = manager.NewTrace(&view);
            if (reloaded.LoadXml(again, &section) != 0) std::abort();  // a file this program wrote must load
        }
    }
    return 0;
}
