// The one argument of the bench's reference programs: the target folder, which is the rest of
// the command line after the program name, as it stands.
#pragma once

#include <string_view>

// The command line after the program name, quoted or not.
inline std::u16string_view TargetArgument(std::u16string_view line) {
    std::size_t i = 0;
    if (!line.empty() && line[0] == u'"') {
        i = line.find(u'"', 1);
        i = i == std::u16string_view::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != u' ' && line[i] != u'\t') ++i;
    }
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
    return line.substr(i);
}
