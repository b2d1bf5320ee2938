// The text exports of a scan result: the resampled grid, one line per grid
// point, semicolon-separated (".csv") or tab-separated (".txt").

#include "ScanRes.h"
#include "ScanTextColumns.h"

namespace {

int writeTextExport(const ScanRes& result, const std::string& fileName, const char* header, bool extReferenced,
                    char separator)
{
    const ScanTextColumns::ChannelColumns columns(result.resampledValues, result.present,
                                                  result.resampledWavelength.size(), extReferenced);
    return ScanTextColumns::writeTextFile(fileName, header, columns.rows(), [&](std::string& line, std::size_t row) {
        ScanTextColumns::appendFixed(line, result.resampledWavelength[row], 3);
        columns.append(line, separator, row);
    });
}

}  // namespace

int ScanRes::WriteCsv(const std::string& fileName, const char* header, bool extReferenced) const
{
    return writeTextExport(*this, fileName, header, extReferenced, ';');
}

int ScanRes::WriteTxt(const std::string& fileName, const char* header, bool extReferenced) const
{
    return writeTextExport(*this, fileName, header, extReferenced, '\t');
}
