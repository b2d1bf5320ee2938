#pragma once

// The files behind the "save" and "load" buttons of the passband page.
// Writing is all or nothing: a failed write leaves any previous file as it
// was and returns false.

#include <string>

class Passband;

namespace PassbandFiles {

// "*.passband.xml": root "Passband" with the parameters and the results.
bool saveXml(const Passband& passband, const std::string& path);
// The text result file.
bool saveText(const Passband& passband, const std::string& path);
// Reads a result file; a file that is missing, malformed or has no
// "Passband" root changes nothing and returns false.
bool loadXml(Passband& passband, const std::string& path);

}  // namespace PassbandFiles
