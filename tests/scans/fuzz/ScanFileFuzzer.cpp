// Feeds scan files (an XML file and its side file) and configuration files
// made from the fuzzer's bytes to the loaders, then uses what was loaded the
// way the window does: text exports, sync files, the passband analysis,
// saving it again.
//
// Input layout:
//   byte 0     what to do: bit 0 the side file exists, bit 1 load as a
//              configuration file only, bit 2 save the loaded scan and load
//              it again, bit 3 the external input is referenced, bit 4 the
//              side file's bytes are also analysed as the levels of a curve
//              on the 100 GHz grid (so that any value, NaN and infinities
//              included, reaches the engine whatever the loaders make of it)
//   bytes 1-4  length of the XML part, little-endian (cut to what follows)
//   then       the XML part, then the side file

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "About.h"
#include "Applicationconfig.h"
#include "ConfLaserView.h"
#include "ConfigurationFile.h"
#include "Passband.h"
#include "PassbandSection.h"
#include "ScanFile.h"
#include "ScanTextHeaders.h"
#include "ScanManagerCurves.h"
#include "Scanmanager.h"
#include "SelectedTraceCurves.h"
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

// Raw bytes as the levels of one curve, sampled every 2 pm from 1528 nm.
class RawCurve : public SelectedTraceCurves {
public:
    RawCurve(const std::uint8_t* data, std::size_t size) : levels_(size / sizeof(double))
    {
        if (!levels_.empty()) std::memcpy(levels_.data(), data, levels_.size() * sizeof(double));
        wavelengths_.reserve(levels_.size());
        for (std::size_t i = 0; i < levels_.size(); ++i) wavelengths_.push_back(1528.0 + 0.002 * static_cast<double>(i));
    }
    int curveCount() const override { return 1; }
    std::optional<CurveView> curve(int) const override
    {
        return CurveView{"raw", levels_.size(), wavelengths_.data(), levels_.data()};
    }

private:
    std::vector<double> levels_;
    std::vector<double> wavelengths_;
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

    if (mode & 16) {
        const RawCurve raw(data + xmlSize, size - xmlSize);
        Passband passband(raw);
        passband.analyse();
    }

    ScanManager manager(nullptr, nullptr, &view);
    const ScanManagerCurves curves(manager);
    Passband passband(curves);
    PassbandSection passbandSection(passband);
    const ConfigurationSections withPassband = ConfigurationSections::of(&section, &passbandSection);
    if (loadFromChartPage(xml, manager, settings, withPassband, &view) != 0) return 0;
    const ScanTrace& trace = manager.Current();
    // The analysis runs on the loaded trace with the parameters the file gave.
    passband.analyse();
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
