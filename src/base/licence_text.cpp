#include "base/licence_text.h"

#include <algorithm>

namespace qf {

namespace {
constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t LF = 0x0A;
}  // namespace

std::optional<LicenceProblem> CheckLicenceText(std::span<const std::uint8_t> text) {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == 0) return LicenceProblem{line, LicenceFault::Nul};
        if (text[i] == LF) return LicenceProblem{line, LicenceFault::MissingCrLf};
        if (text[i] != CR) {
            if (i - lineStart >= LicenceLineLimit - 1) return LicenceProblem{line, LicenceFault::TooLong};
            continue;
        }
        if (i + 1 >= text.size() || text[i + 1] != LF) return LicenceProblem{line, LicenceFault::MissingCrLf};
        ++i;
        ++line;
        lineStart = i + 1;
    }
    if (lineStart != text.size()) return LicenceProblem{line, LicenceFault::MissingCrLf};
    return std::nullopt;
}

void SplitLicenceText(std::span<const std::uint8_t> text, LicenceLineFn onLine, void* context) {
    const std::size_t size = text.size();
    std::size_t pos = 0;
    char16_t line[LicenceLineCapacity];
    while (pos < size) {
        std::size_t i = 0;
        while (pos + i < size && i < LicenceLineLimit && text[pos + i] != CR) {
            if (i < LicenceLineCapacity - 1) line[i] = text[pos + i];
            ++i;
        }
        if (pos + i < size && i < LicenceLineLimit) {  // the CR; the byte after it is skipped
            line[i] = u'\0';
            onLine(context, line);
            pos += i + 2;
        } else if (pos + i >= size) {  // last line without CR LF
            line[std::min(i, LicenceLineCapacity - 1)] = u'\0';
            onLine(context, line);
            pos = size;
        } else {  // too long: show 89 bytes, skip the rest of the line
            line[LicenceLineCapacity - 1] = u'\0';
            onLine(context, line);
            const auto cr = std::find(text.begin() + static_cast<std::ptrdiff_t>(pos + i), text.end(), CR);
            pos = cr == text.end() ? size : static_cast<std::size_t>(cr - text.begin()) + 2;
        }
    }
}

}  // namespace qf
