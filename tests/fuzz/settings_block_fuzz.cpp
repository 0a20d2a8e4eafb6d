// libFuzzer target over the settings block in any image: the search by key (the installer's
// /custom and `qfpack customize`), the search by marker and the decoding (`qfpack inspect`),
// and the patch, reached both through the administrator's choice and directly.
//
// Input: byte 0 the choice (bit 0 server chosen, bit 1 documentation path chosen, the rest
// modulo 3 the lock selection), byte 1 the server's length s, byte 2 the documentation path's
// length d, then s bytes of server, d bytes of documentation path, and the image. Each image
// is an exactly sized copy, so AddressSanitizer stops a write past it.
//
// What is checked:
//   - the key search finds the first place where the key matches like strncmp, among the
//     positions below size - 161, and nothing when there is none;
//   - the marker search returns the first marker's end, with a whole block after it;
//   - a decoded block is its own bytes widened, up to each NUL and never past the block;
//   - a patch either changes nothing and says why, or writes the mode, the texts and their
//     NULs and nothing else, and then decodes to what was written;
//   - a customised image's block no longer matches the key, so it is never customised twice;
//   - a copy is made only of an image with a block outside its signature, as long as the image
//     without its signature; one refused for a signature that cannot be dropped is told apart
//     from a missing block; a refused image is left as it was.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "fuzz_support.h"
#include "settings/customisation.h"
#include "settings/pe_image.h"
#include "settings/settings_block.h"

namespace {

using fuzz::Check;

// The image as an allocation of exactly its size, apart from the fuzzer's own buffer.
struct Image {
    explicit Image(std::span<const std::uint8_t> from) : bytes(new std::uint8_t[from.size()]), size(from.size()) {
        std::copy(from.begin(), from.end(), bytes.get());
    }
    std::span<std::uint8_t> Span() const { return {bytes.get(), size}; }
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size;
};

// Whether key matches at p like strncmp over at most 30 bytes.
bool KeyMatchesAt(std::span<const std::uint8_t> image, std::size_t p, std::span<const std::uint8_t> key) {
    const std::size_t n = std::min(key.size(), qf::SettingsKeySize);
    for (std::size_t i = 0; i < n; ++i) {
        if (image[p + i] != key[i]) return false;
        if (key[i] == 0) return true;
    }
    return true;
}

void CheckKeySearch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> key) {
    const std::optional<std::size_t> found = qf::FindEmbeddedSettings(image, key);
    std::optional<std::size_t> first;
    if (!key.empty() && image.size() > qf::SettingsBlockSize) {
        for (std::size_t p = 0; p < image.size() - qf::SettingsBlockSize && !first; ++p)
            if (KeyMatchesAt(image, p, key)) first = p;
    }
    Check(found == first);
}

void CheckMarkerSearch(std::span<const std::uint8_t> image) {
    const std::span<const std::uint8_t> marker(qf::SettingsMarker);
    const auto at = std::search(image.begin(), image.end(), marker.begin(), marker.end());
    const auto found = qf::LocateSettingsBlock(image, marker);
    if (at == image.end()) {
        Check(!found);
        return;
    }
    const std::size_t end = static_cast<std::size_t>(at - image.begin()) + marker.size();
    Check(found == (image.size() - end >= qf::SettingsBlockSize ? std::optional(end) : std::nullopt));
}

// The text that starts at pos, up to a NUL or the block's end; the position after that NUL.
std::string_view TextAt(qf::SettingsBlock block, std::size_t& pos) {
    const std::size_t start = std::min(pos, block.size());
    const auto* begin = reinterpret_cast<const char*>(block.data()) + start;
    const std::string_view rest(begin, block.size() - start);
    const std::string_view text = rest.substr(0, rest.find('\0'));
    pos = start + text.size() + 1;
    return text;
}

bool SameText(const char16_t (&decoded)[qf::DecodedTextCapacity], std::string_view bytes) {
    const std::u16string_view text(decoded, std::find(decoded, decoded + qf::DecodedTextCapacity, 0) - decoded);
    Check(text.size() < qf::DecodedTextCapacity);
    return text.size() == bytes.size() &&
           std::equal(text.begin(), text.end(), bytes.begin(),
                      [](char16_t unit, char byte) { return unit == static_cast<unsigned char>(byte); });
}

void CheckDecode(qf::SettingsBlock block) {
    const qf::DecodedSettings decoded = qf::DecodeEmbeddedSettings(block);
    Check(decoded.mode == block[0]);
    std::size_t pos = 1;
    Check(SameText(decoded.server, TextAt(block, pos)));
    Check(SameText(decoded.docPath, TextAt(block, pos)));
}

qf::SettingsBlock BlockAt(std::span<const std::uint8_t> image, std::size_t offset) {
    return qf::SettingsBlock(image.subspan(offset, qf::SettingsBlockSize));
}

// The image after a patch at offset: unchanged on a refusal; otherwise changed only in the
// mode, the texts and their NULs, decoding to what was written.
void CheckPatched(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after, std::size_t offset,
                  std::optional<qf::PatchResult> result, std::uint8_t mode, std::string_view server,
                  std::string_view docPath) {
    if (result && *result != qf::PatchResult::Patched) {
        Check(std::equal(before.begin(), before.end(), after.begin()));
        return;
    }
    const std::size_t written = 1 + server.size() + 1 + docPath.size() + 1;
    Check(written <= qf::SettingsBlockSize);
    Check(std::equal(before.begin(), before.begin() + offset, after.begin()));
    Check(std::equal(before.begin() + offset + written, before.end(), after.begin() + offset + written));
    const qf::DecodedSettings decoded = qf::DecodeEmbeddedSettings(BlockAt(after, offset));
    Check(decoded.mode == mode && SameText(decoded.server, server) && SameText(decoded.docPath, docPath));
}

void CheckDirectPatch(std::span<const std::uint8_t> image, std::size_t offset, std::uint8_t mode,
                      std::string_view server, std::string_view docPath) {
    const Image patched(image);
    const qf::PatchResult result = qf::PatchEmbeddedSettings(patched.Span(), offset, mode, server, docPath);
    const bool fits = offset <= image.size() && image.size() - offset >= qf::SettingsBlockSize;
    const bool textsFit = server.size() <= qf::SettingsTextLimit && docPath.size() <= qf::SettingsTextLimit &&
                          server.find('\0') == server.npos && docPath.find('\0') == docPath.npos;
    Check((result == qf::PatchResult::Patched) == (fits && textsFit));
    CheckPatched(image, patched.Span(), offset, result, mode, server, docPath);
}

void CheckCustomise(std::span<const std::uint8_t> image, std::span<const std::uint8_t> key,
                    const qf::CustomisationChoice& choice) {
    const Image customised(image);
    const qf::CertificateTable table = qf::FindCertificateTable(image);
    const bool isSigned = table.kind == qf::CertificateTableKind::AtEnd;
    const auto offset = qf::FindEmbeddedSettings(isSigned ? image.first(table.offset) : image, key);
    const qf::CustomiseResult result = qf::CustomiseImage(customised.Span(), key, choice);
    if (result.outcome != qf::CustomiseOutcome::Made) {
        Check(std::equal(image.begin(), image.end(), customised.bytes.get()));
        if (result.outcome == qf::CustomiseOutcome::SignatureNotDropped) {
            Check(table.kind == qf::CertificateTableKind::Malformed || (isSigned && offset));
            return;
        }
        Check(table.kind != qf::CertificateTableKind::Malformed);
        // The page and qfpack validate first; their texts never hold a NUL.
        auto hasNul = [](bool chosen, std::string_view text) { return chosen && text.find('\0') != text.npos; };
        const bool nul = hasNul(choice.serverChosen, choice.server) || hasNul(choice.docPathChosen, choice.docPath);
        Check(!offset || nul || qf::ValidateCustomisation(choice) != qf::CustomisationRefusal::None);
        return;
    }
    Check(offset.has_value() && result.length == (isSigned ? table.offset : image.size()));
    // A certificate table was dropped as well; the image reader's own target judges that.
    if (isSigned) return;
    CheckPatched(image, customised.Span(), *offset, std::nullopt, qf::CustomisationMode(choice),
                 choice.serverChosen ? choice.server : "", choice.docPathChosen ? choice.docPath : "");
    Check(qf::FindEmbeddedSettings(customised.Span(), key) != offset);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t flags = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    const fuzz::Exact exactServer(rest.substr(0, data[1]));
    rest.remove_prefix(exactServer.View().size());
    const fuzz::Exact exactDocPath(rest.substr(0, data[2]));
    rest.remove_prefix(exactDocPath.View().size());
    const std::string_view server = exactServer.View(), docPath = exactDocPath.View();
    const std::span<const std::uint8_t> image(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());

    const std::span<const std::uint8_t> ownKey(qf::EmbeddedSettings, qf::SettingsKeySize);
    CheckKeySearch(image, ownKey);
    // Any key, cut to the search's 30 bytes, taken from the server text.
    CheckKeySearch(image, {reinterpret_cast<const std::uint8_t*>(server.data()), server.size()});
    CheckMarkerSearch(image);

    if (const auto block = qf::LocateSettingsBlock(image, qf::SettingsMarker)) CheckDecode(BlockAt(image, *block));
    if (image.size() >= qf::SettingsBlockSize) CheckDecode(BlockAt(image, image.size() - qf::SettingsBlockSize));

    // The ends of the image: the last place a block fits, and the first ones it does not.
    for (const std::size_t back : {qf::SettingsBlockSize, qf::SettingsBlockSize - 1, std::size_t{0}})
        CheckDirectPatch(image, image.size() - back, flags, server, docPath);
    CheckDirectPatch(image, image.size() + 1, flags, server, docPath);

    qf::CustomisationChoice choice;
    choice.serverChosen = flags & 1;
    choice.server = server;
    choice.docPathChosen = flags & 2;
    choice.docPath = docPath;
    choice.lockSelection = static_cast<std::uint8_t>((flags >> 2) % 3);
    CheckCustomise(image, ownKey, choice);
    return 0;
}
