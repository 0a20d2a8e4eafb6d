#include "settings/customisation.h"

#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>

#include "base/install_paths.h"
#include "base/text.h"
#include "settings/pe_image.h"

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
    return WithExeSuffix(CommandProgram(commandLine), out);
}

bool CustomisedCopyPath(std::u16string_view ownPath, std::span<char16_t> out) {
    const std::u16string_view stem = ownPath.substr(0, ownPath.size() - std::min<std::size_t>(ownPath.size(), 4));
    if (ownPath.size() >= 4 && CopyText(out, stem) && AppendText(out, u"-custom.exe")) return true;
    CopyWhatFits(out, {stem, u"-custom.exe"});
    return false;
}

CustomiseResult CustomiseImage(std::span<std::uint8_t> image, std::span<const std::uint8_t> key,
                               const CustomisationChoice& choice) {
    const CertificateTable table = FindCertificateTable(image);
    if (table.kind == CertificateTableKind::Malformed) return {CustomiseOutcome::SignatureNotDropped};
    const bool isSigned = table.kind == CertificateTableKind::AtEnd;
    // The block is looked for in the image proper, never in its signature.
    const auto offset = FindEmbeddedSettings(isSigned ? image.first(table.offset) : image, key);
    if (!offset) return {CustomiseOutcome::NoBlock};
    std::array<std::uint8_t, SettingsBlockSize> before;
    const auto block = image.subspan(*offset, SettingsBlockSize);
    std::copy(block.begin(), block.end(), before.begin());
    const std::string_view server = choice.serverChosen ? choice.server : std::string_view();
    const std::string_view docPath = choice.docPathChosen ? choice.docPath : std::string_view();
    if (PatchEmbeddedSettings(image, *offset, CustomisationMode(choice), server, docPath) != PatchResult::Patched)
        return {CustomiseOutcome::NoBlock};
    if (!isSigned) return {CustomiseOutcome::Made, image.size()};
    // A block over the headers (never in a built installer) may have moved or hidden the table
    // with the choice; cutting the file at the old place would then cut the wrong bytes.
    const CertificateTable after = FindCertificateTable(image);
    if (after.kind != table.kind || after.offset != table.offset || after.size != table.size) {
        std::copy(before.begin(), before.end(), block.begin());
        return {CustomiseOutcome::SignatureNotDropped};
    }
    return {CustomiseOutcome::Made, StripCertificateTable(image, table)};
}

std::optional<std::size_t> LocateSettingsBlock(std::span<const std::uint8_t> image,
                                               std::span<const std::uint8_t> marker) {
    const auto found =
        std::search(image.begin(), image.end(), std::boyer_moore_horspool_searcher(marker.begin(), marker.end()));
    if (found == image.end()) return std::nullopt;
    const auto offset = static_cast<std::size_t>(found - image.begin()) + marker.size();
    if (image.size() - offset < SettingsBlockSize) return std::nullopt;
    return offset;
}

}  // namespace qf
