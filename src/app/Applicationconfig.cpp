#include "Applicationconfig.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <tinyxml.h>

#include "Log.h"
#include "NumberFormat.h"
#include "TiXmlElementCustom.h"
#include "UserMessages.h"

namespace {

constexpr std::array<const char*, 2> kBncUnits{"mW", "dBm"};
constexpr std::array<const char*, 2> kMeasurementTypes{"Single", "Continuous"};
constexpr std::array<const char*, 5> kFileTypes{"XML", "TXT", "BMP", "PNG", "CSV"};
constexpr std::array<const char*, 2> kZoomStatus{"WaveLength", "Static"};

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

struct Release {
    int major = 0, minor = 0, patch = 0;
};

// Reads "v <major>.<minor>.<patch>"; anything else is no release.
std::optional<Release> parseRelease(std::string_view text)
{
    if (text.empty() || text.front() != 'v') return std::nullopt;
    text.remove_prefix(1);
    Release r;
    int* parts[3] = {&r.major, &r.minor, &r.patch};
    for (int i = 0; i < 3; ++i) {
        const auto value = parseInt(text);
        if (!value) return std::nullopt;
        *parts[i] = *value;
        // Skip what was parsed: blanks, sign and digits.
        std::size_t k = 0;
        while (k < text.size() && (text[k] == ' ' || text[k] == '\t')) ++k;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
        text.remove_prefix(k);
        if (i < 2) {
            if (text.empty() || text.front() != '.') return std::nullopt;
            text.remove_prefix(1);
        }
    }
    return r;
}

}  // namespace

bool folderExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool createFolderTree(const std::string& path, std::string* why)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (folderExists(path)) return true;
    if (why != nullptr) *why = ec ? ec.message() : folderSettingProblem(path);
    return false;
}

std::string folderSettingProblem(const std::string& folder)
{
    if (folder.empty()) return "an empty name";
    // A relative folder would depend on where the program happens to be
    // started from.
    if (folder.front() != '/') return "a relative path";
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return "not a folder";
    return {};
}

void announceSetting(const std::string& text)
{
    Log::warn("%s\n", text.c_str());
    // A file read twice in a row (the settings, then the sources' drivers
    // from the same file) has the same things to say: once is enough.
    static std::mutex guard;  // protects lastSaid
    static std::string lastSaid;
    {
        std::lock_guard lock(guard);
        if (text == lastSaid) return;
        lastSaid = text;
    }
    UserMessages::show(UserMessages::Severity::Warning, "Settings", text);
}

std::string ApplicationConfig::defaultDocumentsFolder()
{
    if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg != nullptr && *xdg != '\0') {
        if (xdg[0] == '/') return xdg;
        // Such a setting is only valid as an absolute path; a relative one
        // would move with the working directory.
        announceSetting(std::string("XDG_DOCUMENTS_DIR \"") + xdg +
                        "\" is a relative path: the documents folder under the home folder is used instead");
    }
    const char* home = std::getenv("HOME");
    std::string homeFolder = home != nullptr ? home : "";
    if (homeFolder.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
            homeFolder = pw->pw_dir;
    }
    if (homeFolder.empty()) homeFolder = "/tmp";
    return withSlash(homeFolder) + "Documents";
}

ApplicationConfig::ApplicationConfig() : ApplicationConfig(defaultDocumentsFolder()) {}

ApplicationConfig::ApplicationConfig(const std::string& documentsFolder)
{
    rootFolder = withSlash(documentsFolder) + "Zelmora Optics/VEMAR/";
    dataFolder = rootFolder + "Data/";
    configFolder = rootFolder + "Config/";
    calibFolder = rootFolder + "Calib/";
    // Said at once: every file of the program lives in these folders.
    for (const std::string* folder : {&rootFolder, &dataFolder, &configFolder, &calibFolder}) {
        std::string why;
        if (!createFolderTree(*folder, &why)) {
            announceSetting("Can't create the folder " + *folder + ": " + why);
            break;  // the others lie inside it or beside it: the same reason
        }
    }
    scanFilesFolder = dataFolder;
}

void ApplicationConfig::readSamplingStep(const TiXmlElement& element)
{
    const char* text = element.Attribute("Value");
    if (text == nullptr) {
        samplingStep = 10;
        return;
    }
    const std::optional<int> parsed = parseInt(text);
    if (!parsed) return;  // not a number: the step stays as it was
    const int stored = *parsed;
    const int before = samplingStep;

    // Releases before 3.6.0 stored the step as a power-of-two exponent. The
    // release is the one of the About element under the same root; a file
    // without it is read as stored.
    std::optional<Release> release;
    const TiXmlNode* configuration = element.Parent() != nullptr ? element.Parent()->Parent() : nullptr;
    const TiXmlNode* root = configuration != nullptr ? configuration->Parent() : nullptr;
    if (const TiXmlElement* about = TiXmlElementCustom::child(root, "About")) {
        if (const TiXmlElement* rel = TiXmlElementCustom::child(about, "Release")) {
            if (const char* text = rel->Attribute("Value")) release = parseRelease(text);
        }
    }
    const bool exponent = release && (release->major < 3 || (release->major == 3 && release->minor < 6));
    if (!exponent) {
        // The bounds of the resolution edit (and of vemar-cli's --step).
        if (stored >= 1 && stored <= 250)
            samplingStep = stored;
        else
            refused("Sampling_Step Value \"" + std::string(text) + "\" is not a sampling step of 1 to 250 pm: " +
                    std::to_string(before) + " pm kept");
        return;
    }
    // 2^0 .. 2^7 are the steps an old release could store (1 to 128 pm); any
    // other exponent is damage and leaves the step as it was.
    if (stored >= 0 && stored <= 7) {
        samplingStep = 1 << stored;
    } else {
        Log::warn("Sampling_Step exponent %d out of range, kept %d pm\n", stored, before);
        samplingStep = before;
    }
}

void ApplicationConfig::refused(const std::string& text) const
{
    if (announceFallbacks)
        announceSetting(text);
    else
        Log::warn("%s\n", text.c_str());
}

void ApplicationConfig::readLevel(const TiXmlElement& element, const char* name, double& field,
                                  double defaultValue) const
{
    double value = field;
    TiXmlElementCustom(const_cast<TiXmlElement*>(&element)).readDouble(name, value, defaultValue);
    // An infinity ("1e99999") or a NaN would only print as nonsense.
    if (std::isfinite(value) && std::fabs(value) <= 1e6) {
        field = value;
        return;
    }
    refused(std::string(element.Value()) + " " + name + " \"" + element.Attribute(name) + "\" " +
            (std::isfinite(value) ? "is too large" : "is not a finite number") + ": " + cformat("%g", field) + " kept");
}

void ApplicationConfig::readApplication(const TiXmlElement* application)
{
    if (application == nullptr) return;
    auto view = [](const TiXmlElement* e) { return TiXmlElementAppConfig(const_cast<TiXmlElement*>(e)); };
    auto flag = [](std::uint8_t& field, bool value) { field = value ? 1 : 0; };
    ScanParameterBlock& block = scanParameters;

    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "Cursor")) {
        cursorVisible = view(e).getBool("Visible", false);
        cursorMode = view(e).getBool("Cursor", true);
        markerMode = view(e).getBool("Marker", false);
    }
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "Sampling_Step")) readSamplingStep(*e);
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "Trigger"))
        flag(block.trigger, view(e).getBool("Value", false));
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "External_Synchronization"))
        flag(block.externalSynchronization, view(e).getBool("Value", false));
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "Detector_Array")) {
        flag(block.enable2, view(e).getBool("Enable2", false));
        flag(block.enable3, view(e).getBool("Enable3", false));
        flag(block.enable4, view(e).getBool("Enable4", false));
        flag(block.enableExt, view(e).getBool("EnableExt", false));
        flag(block.enableOrl, view(e).getBool("EnableOrl", false));
    }
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "BNC_Input")) {
        flag(block.bncEnable, view(e).getBool("Enable", false));
        readLevel(*e, "Alpha", block.bncAlpha, 0.0);
        readLevel(*e, "Beta", block.bncBeta, 1.0);
        block.bncUnit = view(e).getKeyword("Unit", kBncUnits, 0);
    }
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "Measurement")) {
        measurementType = view(e).getKeyword("Type", kMeasurementTypes, 0);
        scanLimitEnabled = view(e).getBool("Is_Scan_Max_Used", false);
        view(e).readInt("Scan_Number", scanLimit, 10);
        minMaxResetEnabled = view(e).getBool("Reset_Min_Max", false);
        view(e).readInt("Reset_Modulo", minMaxResetModulo, 2);
        const int delay = scanDelay;
        view(e).readInt("Scan_Delay", scanDelay, 0);
        if (scanDelay < 0 || scanDelay > 3600) {
            refused("Measurement Scan_Delay " + std::to_string(scanDelay) + " is not a delay of 0 to 3600 s: " +
                    std::to_string(delay) + " s kept");
            scanDelay = delay;
        }
        scanSaveEnabled = view(e).getBool("Is_Scan_Save", false);
        const std::string folder = view(e).getText("Continuous_Scan_Files_Directory", dataFolder);
        if (const std::string problem = folderSettingProblem(folder); problem.empty()) {
            scanFilesFolder = folder;
        } else {
            scanFilesFolder = dataFolder;
            refused("Continuous_Scan_Files_Directory \"" + folder + "\" can't be used (" + problem +
                    "): the Data folder " + dataFolder + " is used instead");
        }
        fileType = view(e).getKeyword("File_Type", kFileTypes, 0);
        keepModeHop = view(e).getBool("KeepModeHope", false);
    }
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "MeasurementDisplay")) {
        readLevel(*e, "FWHM_Threshold", fwhmThreshold, -35.0);
        readLevel(*e, "FWHM_Power", fwhmPower, -3.0);
        readLevel(*e, "SideFrontTopPower", slopeTopLevel, -3.0);
        readLevel(*e, "SideFrontBottomPower", slopeBottomLevel, -40.0);
        showInfo = view(e).getBool("Show_Info", true);
        showInfoPreciseMode = view(e).getBool("Show_Info_PM", true);
    }
    if (const TiXmlElement* e = TiXmlElementCustom::child(application, "Zoom"))
        zoomStatus = view(e).getKeyword("Status", kZoomStatus, 1);
}

void ApplicationConfig::writeApplication(TiXmlElement& application) const
{
    auto add = [&application](const char* name) {
        return TiXmlElementAppConfig(application.LinkEndChild(new TiXmlElement(name))->ToElement());
    };
    const ScanParameterBlock& block = scanParameters;

    auto cursor = add("Cursor");
    cursor.setBool("Visible", cursorVisible);
    cursor.setBool("Cursor", cursorMode);
    cursor.setBool("Marker", markerMode);

    add("Sampling_Step").setInt("Value", samplingStep);
    add("Trigger").setBool("Value", block.trigger != 0);
    add("External_Synchronization").setBool("Value", block.externalSynchronization != 0);

    auto detectors = add("Detector_Array");
    detectors.setBool("Enable2", block.enable2 != 0);
    detectors.setBool("Enable3", block.enable3 != 0);
    detectors.setBool("Enable4", block.enable4 != 0);
    detectors.setBool("EnableExt", block.enableExt != 0);
    detectors.setBool("EnableOrl", block.enableOrl != 0);

    auto bnc = add("BNC_Input");
    bnc.setBool("Enable", block.bncEnable != 0);
    bnc.setDouble("Alpha", block.bncAlpha);
    bnc.setDouble("Beta", block.bncBeta);
    bnc.setKeyword("Unit", block.bncUnit, kBncUnits);

    auto measurement = add("Measurement");
    measurement.setKeyword("Type", measurementType, kMeasurementTypes);
    measurement.setBool("Is_Scan_Max_Used", scanLimitEnabled);
    measurement.setInt("Scan_Number", scanLimit);
    measurement.setBool("Reset_Min_Max", minMaxResetEnabled);
    measurement.setInt("Reset_Modulo", minMaxResetModulo);
    measurement.setInt("Scan_Delay", scanDelay);
    measurement.setBool("Is_Scan_Save", scanSaveEnabled);
    measurement.setText("Continuous_Scan_Files_Directory", scanFilesFolder);
    measurement.setKeyword("File_Type", fileType, kFileTypes);
    measurement.setBool("KeepModeHope", keepModeHop);

    auto display = add("MeasurementDisplay");
    display.setDouble("FWHM_Threshold", fwhmThreshold);
    display.setDouble("FWHM_Power", fwhmPower);
    display.setDouble("SideFrontTopPower", slopeTopLevel);
    display.setDouble("SideFrontBottomPower", slopeBottomLevel);
    display.setBool("Show_Info", showInfo);
    display.setBool("Show_Info_PM", showInfoPreciseMode);

    add("Zoom").setKeyword("Status", zoomStatus, kZoomStatus);
}
