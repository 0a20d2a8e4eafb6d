#include "pages/customisation.h"

#include <algorithm>
#include <functional>

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

bool CustomisationOwnPath(std::u16string_view commandLine, std::span<char16_t> out) {
    std::u16string_view path;
    if (!commandLine.empty() && commandLine.front() == u'"') {
        path = commandLine.substr(1);
        path = path.substr(0, path.find(u'"'));
    } else {
        path = commandLine.substr(0, commandLine.find(u' '));
    }
    const bool fits = CopyText(out, path) &&
                      (EndsWithIgnoringAsciiCase(path, u".exe") || AppendText(out, u".exe"));
    if (!fits && !out.empty()) {
        const std::size_t shown = std::min(path.size(), out.size() - 1);
        std::copy_n(path.begin(), shown, out.begin());
        out[shown] = u'\0';
    }
    return fits;
}

bool CustomisedCopyPath(std::u16string_view ownPath, std::span<char16_t> out) {
    if (ownPath.size() < 4) return false;
    return CopyText(out, ownPath.substr(0, ownPath.size() - 4)) && AppendText(out, u"-custom.exe");
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
