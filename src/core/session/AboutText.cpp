#include "core/session/AboutText.h"

#include "core/session/AppInfo.h"

namespace kb {

std::string AboutVersionLine(const std::string& catalogueVersion, bool pricesPresent,
                             const std::string& priceDate) {
    std::string line = std::string("Version ") + kProgramVersion + " / INI " + catalogueVersion;
    if (pricesPresent)
        line += " / Price " + priceDate;
    return line;
}

} // namespace kb
