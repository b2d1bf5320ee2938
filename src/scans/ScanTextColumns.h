#pragma once

// The number columns shared by the text exports of a scan and the power
// synchronisation file: the output level, the insertion loss of every
// measured detector and the Ext column.

#include <array>
#include <cstddef>
#include <string>

#include "AtomicFile.h"
#include "ScanRes.h"

namespace ScanTextColumns {

// Appends value as printf's "%4.<decimals>f" does in the "C" locale
// (decimals 0 to 9), without going through the user's locale.
void appendFixed(std::string& text, double value, int decimals);

// The channels a text file shows, for arrays of one value per row. Rows end
// with the shortest of the row-defining array and the output array; a
// present channel with fewer values than rows (a damaged result) is left out
// rather than read past its end.
class ChannelColumns {
public:
    ChannelColumns(const ScanRes::ChannelArrays& values, const std::array<bool, ScanChannel::Count>& present,
                   std::size_t rowArraySize, bool extReferenced);

    std::size_t rows() const { return rows_; }

    // Appends, each after separator: output "%4.2f"; per shown detector in
    // channel order "%4.2f" of detector minus output; when Ext is shown,
    // "%4.4f" of Ext minus output when extReferenced, else of Ext itself.
    void append(std::string& line, char separator, std::size_t row) const;

private:
    const ScanRes::ChannelArrays& values_;
    std::array<bool, ScanChannel::Count> shown_{};
    std::size_t rows_ = 0;
    bool extReferenced_;
};

// Logs that fileName could not be written; returns -1.
int reportWriteFailure(const std::string& fileName);

// Writes the header line (none when header is null) and rows lines, each
// made by appendLine(text, row) without its line end, into fileName: in
// blocks of about a megabyte, to a temporary file renamed when complete.
// 0, or -1 when the file cannot be written (nothing is then left behind).
template <typename AppendLine>
int writeTextFile(const std::string& fileName, const char* header, std::size_t rows, AppendLine&& appendLine)
{
    AtomicFileWriter file(fileName);
    std::string text;
    if (header != nullptr) {
        text += header;
        text += '\n';
    }
    constexpr std::size_t blockSize = 1 << 20;
    bool ok = file.isOpen();
    for (std::size_t row = 0; ok && row < rows; ++row) {
        appendLine(text, row);
        text += '\n';
        if (text.size() >= blockSize) {
            ok = file.write(text);
            text.clear();
        }
    }
    ok = ok && file.write(text) && file.commit();
    return ok ? 0 : reportWriteFailure(fileName);
}

}  // namespace ScanTextColumns
