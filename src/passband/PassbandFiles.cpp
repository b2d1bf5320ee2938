#include "PassbandFiles.h"

#include <tinyxml.h>

#include "AtomicFile.h"
#include "ConfigurationFile.h"
#include "Log.h"
#include "Passband.h"

namespace PassbandFiles {

bool saveXml(const Passband& passband, const std::string& path)
{
    TiXmlDocument doc;
    auto* root = new TiXmlElement("Passband");
    doc.LinkEndChild(root);
    passband.save(*root);
    const bool ok = ConfigurationFile::printFile(path, doc);
    if (!ok) Log::warn("Can't write the passband result file %s\n", path.c_str());
    return ok;
}

bool saveText(const Passband& passband, const std::string& path)
{
    const bool ok = writeFileAtomically(path, passband.writeText());
    if (!ok) Log::warn("Can't write the passband text file %s\n", path.c_str());
    return ok;
}

bool loadXml(Passband& passband, const std::string& path)
{
    TiXmlDocument doc;
    if (!ConfigurationFile::parseFile(path, doc)) return false;
    const TiXmlElement* root = doc.FirstChildElement("Passband");
    if (root == nullptr) return false;
    passband.load(*root);
    return true;
}

}  // namespace PassbandFiles
