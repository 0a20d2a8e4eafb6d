#include "pages/customisation.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "base/text.h"

namespace qf {

CustomisationRefusal ValidateCustomisation(const CustomisationChoice& choice) {
    if (choice.docPathChosen) {
        if (choice.docPath.empty()) return CustomisationRefusal::DocPathMissing;
        if (choice.docPath.size() > SettingsTextLimit) return CustomisationRefusal::DocPathTooLong;
    }
    if (choice.serverChosen) {
        if (choice.server.empty()) return CustomisationRefusal::ServerMissing;
        if (choice.server.size() > SettingsTextLimit) return CustomisationRefusal::ServerTooLong;
    }
    if (!choice.serverChosen && !choice.docPathChosen) return CustomisationRefusal::NothingChosen;
    return CustomisationRefusal::None;
}

std::uint8_t CustomisationMode(const CustomisationChoice& choice) {
    return choice.serverChosen && !choice.server.empty() ? choice.lockSelection : NoServerMode;
}

namespace {

// What fits of a path too long to use, for the message that refuses it.
void CopyWhatFits(std::span<char16_t> out, std::initializer_list<std::u16string_view> pieces) {
    if (out.empty()) return;
    std::size_t n = 0;
    for (const std::u16string_view piece : pieces)
        for (const char16_t c : piece)
            if (n + 1 < out.size()) out[n++] = c;
    out[n] = u'\0';
}

}  // namespace

bool CustomisationOwnPath(std::u16string_view commandLine, std::span<char16_t> out) {
    std::u16string_view path;
    if (!commandLine.empty() && commandLine.front() == u'"') {
        path = commandLine.substr(1);
        path = path.substr(0, path.find(u'"'));
    } else {
        path = commandLine.substr(0, commandLine.find(u' '));
    }
    const bool hasExe = EndsWithIgnoringAsciiCase(path, u".exe");
    if (CopyText(out, path) && (hasExe || AppendText(out, u".exe"))) return true;
    CopyWhatFits(out, {path, hasExe ? u"" : u".exe"});
    return false;
}

bool CustomisedCopyPath(std::u16string_view ownPath, std::span<char16_t> out) {
    const std::u16string_view stem = ownPath.substr(0, ownPath.size() - std::min<std::size_t>(ownPath.size(), 4));
    if (ownPath.size() >= 4 && CopyText(out, stem) && AppendText(out, u"-custom.exe")) return true;
    CopyWhatFits(out, {stem, u"-custom.exe"});
    return false;
}

bool CustomiseImage(std::span<std::uint8_t> image, std::span<const std::uint8_t> key,
                    const CustomisationChoice& choice) {
    const auto offset = FindEmbeddedSettings(image, key);
    if (!offset) return false;
    const std::string_view server = choice.serverChosen ? choice.server : std::string_view();
    const std::string_view docPath = choice.docPathChosen ? choice.docPath : std::string_view();
    return PatchEmbeddedSettings(image, *offset, CustomisationMode(choice), server, docPath) ==
           PatchResult::Patched;
}

std::optional<std::size_t> LocateSettingsBlock(std::span<const std::uint8_t> image,
                                                std::span<const std::uint8_t> marker) {
    const auto found = std::search(image.begin(), image.end(),
                                   std::boyer_moore_horspool_searcher(marker.begin(), marker.end()));
    if (found == image.end()) return std::nullopt;
    const auto offset = static_cast<std::size_t>(found - image.begin()) + marker.size();
    if (image.size() - offset < SettingsBlockSize) return std::nullopt;
    return offset;
}

}  // namespace qf
