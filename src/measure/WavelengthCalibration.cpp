#include "WavelengthCalibration.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "AtomicFile.h"
#include "CalibrationTools.h"
#include "Frequency.h"
#include "NumberFormat.h"
#include "RegularFile.h"
#include "ScanData.h"
#include "TabCalib.h"
#include "UnitIdentitySource.h"
#include "ValeursWLFile.h"

namespace WavelengthCalibration {

namespace {

constexpr std::string_view blanks = " \t\r\f\v";

// The next blank-separated token of text from at; empty at the end.
std::string_view nextToken(std::string_view text, std::size_t& at)
{
    at = text.find_first_not_of(blanks, at);
    if (at == std::string_view::npos) {
        at = text.size();
        return {};
    }
    const std::size_t end = std::min(text.find_first_of(blanks, at), text.size());
    const std::string_view token = text.substr(at, end - at);
    at = end;
    return token;
}

// A whole token read as a number; trailing characters make it none.
template <typename T>
std::optional<T> wholeNumber(std::string_view token)
{
    if (token.empty()) return std::nullopt;
    if (token.front() == '+') token.remove_prefix(1);
    T value{};
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc{} || end != token.data() + token.size()) return std::nullopt;
    return value;
}

std::string inFolder(const std::string& calibFolder, const std::string& name)
{
    return (std::filesystem::path(calibFolder) / name).string();
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

Message noSweepsIn(const std::string& path)
{
    return {errorCaption, "Aucune mesure utilisable dans le fichier " + path + "!"};
}

}  // namespace

std::optional<Sweep> parseSweepLine(std::string_view line)
{
    if (line.size() > longestLineBytes) return std::nullopt;
    std::size_t at = 0;
    int header[4] = {};
    for (int& field : header) {
        const std::optional<int> value = wholeNumber<int>(nextToken(line, at));
        if (!value || *value < 0) return std::nullopt;
        field = *value;
    }
    Sweep sweep;
    sweep.level9 = header[0];
    sweep.hops = header[1];
    sweep.marks = header[2];
    sweep.count = header[3];
    if (sweep.count > mostFrequencies) return std::nullopt;
    std::vector<double> all;
    all.reserve(static_cast<std::size_t>(sweep.count));
    for (int i = 0; i < sweep.count; ++i) {
        const std::optional<double> f = wholeNumber<double>(nextToken(line, at));
        if (!f || !std::isfinite(*f) || *f <= 0.0) return std::nullopt;
        all.push_back(*f);
    }
    if (!nextToken(line, at).empty()) return std::nullopt;
    if (!all.empty()) sweep.firstFrequency = all.front();
    if (all.size() > 2) sweep.frequencies.assign(all.begin() + 1, all.end() - 1);
    return sweep;
}

SweepFile readSweeps(const std::string& path)
{
    SweepFile out;
    const FileHandle file = openRegularFile(path);
    if (!file) return out;
    out.found = true;
    std::string line;
    bool overlong = false;
    auto endOfLine = [&]() {
        if (overlong) {
            ++out.damagedLines;
        } else if (line.find_first_not_of(blanks) != std::string::npos) {
            if (std::optional<Sweep> sweep = parseSweepLine(line))
                out.sweeps.push_back(std::move(*sweep));
            else
                ++out.damagedLines;
        }
        line.clear();
        overlong = false;
    };
    std::vector<char> buffer(std::size_t{1} << 16);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (got == 0) break;
        for (std::size_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                endOfLine();
            } else if (!overlong) {
                // A line this long was not written by a scan: its remainder
                // is dropped rather than held in memory.
                if (line.size() >= longestLineBytes) {
                    overlong = true;
                    line.clear();
                } else {
                    line.push_back(c);
                }
            }
        }
    }
    // The last line may lack its newline (a sweep cut short by a crash).
    if (overlong || !line.empty()) endOfLine();
    return out;
}

std::string sweepsPath(const std::string& calibFolder) { return inFolder(calibFolder, ValeursWLFile::fileName); }

std::string etalonPath(const std::string& calibFolder) { return inFolder(calibFolder, etalonFileName); }

std::string etalonSourcePath(const std::string& calibFolder, const std::string& etalonSerial)
{
    return inFolder(calibFolder, "Etalon_" + etalonSerial + ".txt");
}

Message notCreated(const std::string& path)
{
    return {errorCaption, "Fichier " + path + " n'a pas pu être créé!"};
}

bool copyFileAtomically(const std::string& from, const std::string& to, std::size_t maxBytes)
{
    std::uint64_t size = 0;
    const FileHandle in = openRegularFile(from, nullptr, &size);
    if (!in || size > maxBytes) return false;
    AtomicFileWriter out(to);
    if (!out.isOpen()) return false;
    std::vector<char> buffer(std::size_t{1} << 16);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (got == 0) break;
        if (!out.write(buffer.data(), got)) return false;
    }
    if (std::ferror(in.get()) != 0) return false;
    return out.commit();
}

namespace {

// The serial numbers go into file names in the Calib folder: one that holds
// a folder separator or is "." or ".." would name a file elsewhere.
bool servesAsFileNamePart(const std::string& serial)
{
    return serial.find_first_of(std::string("/\\\0", 3)) == std::string::npos && serial != "." && serial != "..";
}

}  // namespace

EtalonChoice chooseEtalon(const std::string& calibFolder, const std::string& etalonSerial)
{
    if (etalonSerial.empty()) return {false, {"", fillSerialText}};
    if (!servesAsFileNamePart(etalonSerial)) return {false, {errorCaption, invalidSerialText}};
    const std::string source = etalonSourcePath(calibFolder, etalonSerial);
    if (!fileExists(source)) return {false, {errorCaption, "Fichier " + source + " absent!"}};
    // A failed copy must not leave a previous etalon's lines to be used
    // under this etalon's name: the choice is refused instead.
    const std::string destination = etalonPath(calibFolder);
    if (!copyFileAtomically(source, destination)) return {false, notCreated(destination)};
    std::error_code ec;
    std::filesystem::remove(sweepsPath(calibFolder), ec);
    return {true, {}};
}

double detuningPm(double deviationGHz, double frequencyGHz)
{
    return deviationGHz * 2.99792458e11 / (frequencyGHz * frequencyGHz);
}

int bandTable(int level9, int minimum, double bandWidth, int tables)
{
    if (!(bandWidth != 0.0) || tables < 1) return 0;
    const double position = (level9 - minimum) / bandWidth - 0.5;
    const double nearest = std::floor(position + 0.5);
    return static_cast<int>(std::clamp(nearest, 0.0, static_cast<double>(tables - 1)));
}

PointColour tableColour(int table)
{
    if (table < 4) return PointColour::Green;
    if (table < 8) return PointColour::Blue;
    return PointColour::Red;
}

Archive archiveFor(const std::string& calibFolder, const char* prefix, const char* question, const std::string& unitSerial,
                   const std::string& etalonSerial)
{
    Archive a;
    // No archive rather than one written outside the Calib folder.
    if (unitSerial.empty() || !servesAsFileNamePart(unitSerial) || !servesAsFileNamePart(etalonSerial)) return a;
    a.path = inFolder(calibFolder, prefix + unitSerial + "_" + etalonSerial + ".txt");
    a.exists = fileExists(a.path);
    a.question = question + a.path;
    return a;
}

Message writeArchive(const std::string& calibFolder, const Archive& archive)
{
    if (archive.path.empty()) return {};
    if (!copyFileAtomically(sweepsPath(calibFolder), archive.path)) return notCreated(archive.path);
    return {};
}

CalibrationResult updateCalibration(const std::string& calibFolder, UnitIdentitySource& unit,
                                    const IdentityRecord& windowIdentity, const std::string& etalonSerial)
{
    CalibrationResult r;
    const IdentityRecord unitRecord = unit.ReadIdentity();
    const bool bandOne = unitRecord.isValid() && unitRecord.fibreBand() == 1;

    // Saving tables that were never loaded would replace the unit's
    // calibration with empty ones.
    CalibrationTools::CalibrationEdit edit = CalibrationTools::loadForEditing(calibFolder, windowIdentity);
    if (!edit.tables) {
        r.error = {errorCaption, edit.problem};
        return r;
    }
    TabCalib& calib = *edit.tables;
    const IdentityRecord& identity = edit.identity;
    const int tableCount = calib.TableCount();
    const int pointCount = calib.PointCount();

    const std::string path = sweepsPath(calibFolder);
    const SweepFile file = readSweeps(path);
    if (!file.found) {
        r.error = {errorCaption, missingFileText};
        return r;
    }
    r.damagedLines = file.damagedLines;

    // First pass: the first usable sweep sets the grid, the others give the
    // common table and the spread of the level-9 readings. Sweeps before the
    // grid's are left out of both passes: they lie outside the range the
    // tables cover.
    std::vector<const Sweep*> used;
    int lowest = 0;
    int highest = 0;
    for (const Sweep& sweep : file.sweeps) {
        if (sweep.hops != 0) continue;
        if (used.empty()) {
            if (!bandOne && !(sweep.firstFrequency < highestGridStartGHz)) continue;
            if (sweep.frequencies.empty()) continue;
            if (!calib.SetUniformGrid(sweep.frequencies.back(), sweep.frequencies.front())) continue;
            lowest = highest = sweep.level9;
        } else {
            lowest = std::min(lowest, sweep.level9);
            highest = std::max(highest, sweep.level9);
            calib.AccumulateLines(sweep.frequencies, sweep.level9, 0);
        }
        used.push_back(&sweep);
    }
    // Without a sweep the tables would be rebuilt from nothing.
    if (used.empty()) {
        r.error = noSweepsIn(path);
        return r;
    }
    r.sweepsUsed = static_cast<int>(used.size());

    calib.FillGaps();
    std::vector<double>& common = r.commonTable;
    calib.LineTable(0, common);
    calib.SetLineTables(common);

    int tables = tableCount;
    double bandWidth = 0.0;
    if (highest - lowest < smallestLevelSpread || tableCount < 2)
        tables = 1;
    else
        bandWidth = static_cast<double>(highest - lowest) / tables;
    r.tablesUsed = tables;

    for (const Sweep* sweep : used) {
        const int table = tables == 1 ? 0 : bandTable(sweep->level9, lowest, bandWidth, tables);
        calib.AccumulateLines(sweep->frequencies, sweep->level9, table);
    }
    calib.FillGaps();

    std::vector<int> references;
    calib.RoundedReferences(references);
    std::vector<double> deviations;
    std::vector<int> indexes;
    for (int t = 0; t < tableCount; ++t) {
        calib.LineDeviations(common, deviations, t, indexes);
        for (int j = 0; j + 1 < pointCount && static_cast<std::size_t>(j) < common.size(); ++j) {
            const double f = common[static_cast<std::size_t>(j)];
            if (!(f > 0.0)) continue;
            const double nm = gigahertzNm / f;
            const double pm = detuningPm(deviations[static_cast<std::size_t>(j)], f);
            r.testCurve.push_back({nm, pm, tableColour(t)});
            if (nm > 1500.0 && nm < 1520.0)
                r.chart1.push_back({static_cast<double>(references[static_cast<std::size_t>(t)]), pm, PointColour::Blue});
        }
    }

    std::string pics;
    for (const double f : common) pics += cformat("%lf %lf \n", f > 0.0 ? gigahertzNm / f : 0.0, f);
    const std::string picsPath = inFolder(calibFolder, picsFileName);
    if (!writeFileAtomically(picsPath, pics)) {
        r.error = notCreated(picsPath);
        return r;
    }
    r.calibrationPath = inFolder(calibFolder, calibrationFileName(identity));
    // Values the file cannot hold would be stored clipped: another scale
    // than the one measured.
    if (!CalibrationTools::lineTablesFitTheFile(calib)) {
        r.error = {errorCaption, CalibrationTools::lineTablesDoNotFitText};
        return r;
    }
    if (calib.Save(identity) != 0) {
        r.error = notCreated(r.calibrationPath);
        return r;
    }
    r.archive = archiveFor(calibFolder, calibrationArchivePrefix, calibrationArchiveQuestion, identity.serialNumber(),
                           etalonSerial);
    return r;
}

TestResult showResults(const std::string& calibFolder, const IdentityRecord& windowIdentity,
                       const std::string& etalonSerial)
{
    TestResult r;
    TabCalib calib(calibFolder, windowIdentity);
    std::vector<double> etalon;
    // An etalon file without a line is as good as none.
    if (calib.ReferenceFrequencies(etalon, -1) == 0) {
        r.error = {errorCaption, missingFileText};
        return r;
    }
    calib.SetLineTables(etalon);

    const SweepFile file = readSweeps(sweepsPath(calibFolder));
    if (!file.found) {
        r.error = {errorCaption, missingFileText};
        return r;
    }
    r.damagedLines = file.damagedLines;

    struct Sums {
        double negative = 0.0;
        int negativeCount = 0;
        double positive = 0.0;
        int positiveCount = 0;
    };
    std::vector<Sums> sums(etalon.size());
    std::vector<double> deviations;
    std::vector<int> indexes;
    for (const Sweep& sweep : file.sweeps) {
        if (sweep.hops > 1) continue;
        ++r.sweepsUsed;
        calib.LineDeviations(sweep.frequencies, deviations, 0, indexes);
        for (std::size_t k = 0; k < deviations.size(); ++k) {
            const auto line = static_cast<std::size_t>(indexes[k]);
            if (line >= sums.size()) continue;
            const double d = deviations[k];
            Sums& s = sums[line];
            if (d < 0.0) {
                s.negative += d * d;
                ++s.negativeCount;
            } else {
                s.positive += d * d;
                ++s.positiveCount;
            }
        }
    }
    for (std::size_t i = 0; i < etalon.size(); ++i) {
        const double f = etalon[i];
        const Sums& s = sums[i];
        if (!(f > 0.0)) continue;
        const double nm = gigahertzNm / f;
        if (s.negativeCount > 0)
            r.testCurve.push_back({nm, -detuningPm(std::sqrt(s.negative / s.negativeCount), f), PointColour::Green});
        if (s.positiveCount > 0)
            r.testCurve.push_back({nm, detuningPm(std::sqrt(s.positive / s.positiveCount), f), PointColour::Red});
    }
    r.archive =
        archiveFor(calibFolder, testArchivePrefix, testArchiveQuestion, windowIdentity.serialNumber(), etalonSerial);
    return r;
}

std::optional<std::vector<ChartPoint>> envelopeSpread(const ScanData& curve)
{
    if (curve.count() <= 10 || !curve.hasEnvelopeArrays()) return std::nullopt;
    std::vector<ChartPoint> points;
    points.reserve(static_cast<std::size_t>(curve.count() - 1));
    for (int j = 0; j + 1 < curve.count(); ++j)
        points.push_back({curve.XRef(j), curve.YMax(j) - curve.YMin(j), PointColour::Red});
    return points;
}

}  // namespace WavelengthCalibration
