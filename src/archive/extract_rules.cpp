#include "archive/extract_rules.h"

#include "archive/archive_format.h"
#include "base/product.h"
#include "base/text.h"

namespace qf {

namespace {

constexpr std::u16string_view CutMark = u"...";

}  // namespace

bool RepaintsBeforeFile(std::uint32_t filesBefore) { return filesBefore % FileRepaintInterval == 0; }

bool IsClientExecutable(std::u16string_view path) { return EndsWithIgnoringAsciiCase(path, ExecutableSuffix); }

std::u16string_view ContainingFolder(std::u16string_view path) {
    const std::size_t last = path.rfind(u'\\');
    return last == std::u16string_view::npos ? std::u16string_view() : path.substr(0, last);
}

bool JoinArchiveName(std::span<char16_t> out, std::u16string_view folder, std::string_view name) {
    // No path buffer of the installer is larger, so a name that does not widen into this one
    // would not fit any of them either.
    char16_t widened[DirectoryPathCapacity];
    if (!WidenBytes(widened, name)) {
        if (!out.empty()) out[0] = u'\0';
        return false;
    }
    return JoinPath(out, folder, std::u16string_view(widened, name.size()));
}

void JoinArchiveNameForMessage(std::span<char16_t> out, std::u16string_view folder, std::string_view name) {
    if (JoinArchiveName(out, folder, name) || out.size() <= CutMark.size()) return;
    const std::size_t keep = out.size() - CutMark.size() - 1;
    std::size_t used = 0;
    const auto put = [&](char16_t unit) {
        if (used < keep) out[used++] = unit;
    };
    for (const char16_t unit : folder) put(unit);
    put(u'\\');
    for (const char byte : name) put(static_cast<unsigned char>(byte));
    for (const char16_t unit : CutMark) out[used++] = unit;
    out[used] = u'\0';
}

}  // namespace qf
