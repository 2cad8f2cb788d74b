// The status report's columns, read from the lines the scan made so that no rule of the
// status pass is written twice.
#include "inventory/StatusReport.h"

#include "inventory/Scan.h"

#include <algorithm>
#include <cstring>

std::string StatusWordOf(const TLibraryEntry& entry, const std::string& line) {
    const std::string name = entry.Name.str();
    for (const char* status : {STATUS_DOWNLOAD, STATUS_UPDATE, STATUS_REGISTER, STATUS_OK}) {
        if (line != name + status) continue;
        // " - ¡WORD!": the word sits between the inverted and the closing exclamation mark.
        const std::string decorated = status;
        const std::size_t start = decorated.find('\xA1') + 1;
        return decorated.substr(start, decorated.size() - start - 1);
    }
    return {};
}

std::string FormatStatusReport(const std::string& osName, const std::vector<std::string>& lines) {
    std::string text = "Sistema Operativo:\t" + osName + "\r\n";
    const std::size_t count = std::min(lines.size(), LIBRARY_COUNT);
    for (std::size_t i = 0; i < count; ++i) {
        const TLibraryEntry& entry = Libraries[i];
        text += entry.Name.str() + '\t' + StatusWordOf(entry, lines[i]) + '\t' +
                entry.InstalledVersion.str() + '\t' + entry.RequiredVersion.str() + '\t' +
                entry.Path.str() + "\r\n";
    }
    return text;
}

bool EveryLineOk(const std::vector<std::string>& lines) {
    const std::size_t okLength = std::strlen(STATUS_OK);
    return std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() >= okLength &&
               line.compare(line.size() - okLength, okLength, STATUS_OK) == 0;
    });
}
