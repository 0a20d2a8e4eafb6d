#include "settings/settings_block.h"

#include <algorithm>
#include <functional>

namespace qf {

bool IsCustomised(SettingsBlock block) { return block[0] != NotCustomisedMark; }

namespace {

// Widens the bytes from pos up to the next NUL (or the block's end) into out; returns the
// position after that NUL.
std::size_t TakeText(SettingsBlock block, std::size_t pos, std::span<char16_t> out) {
    std::size_t n = 0;
    while (pos < block.size() && block[pos] != 0) {
        if (n + 1 < out.size()) out[n++] = block[pos];
        ++pos;
    }
    out[n] = u'\0';
    return pos + 1;
}

}  // namespace

DecodedSettings DecodeEmbeddedSettings(SettingsBlock block) {
    DecodedSettings settings;
    settings.mode = block[0];
    const std::size_t next = TakeText(block, 1, settings.server);
    TakeText(block, next, settings.docPath);
    return settings;
}

std::optional<std::size_t> FindEmbeddedSettings(std::span<const std::uint8_t> image,
                                                std::span<const std::uint8_t> key) {
    if (image.size() <= SettingsBlockSize || key.empty()) return std::nullopt;
    key = key.first(std::min(key.size(), SettingsKeySize));
    // strncmp semantics: with a NUL in the key, the match ends at (and includes) that NUL.
    if (const auto nul = std::find(key.begin(), key.end(), 0); nul != key.end()) {
        key = key.first(static_cast<std::size_t>(nul - key.begin()) + 1);
    }
    const std::size_t lastStart = image.size() - SettingsBlockSize - 1;
    const std::size_t haystackEnd = std::min(image.size(), lastStart + key.size());
    const auto begin = image.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(haystackEnd);
    const auto found = std::search(begin, end, std::boyer_moore_horspool_searcher(key.begin(), key.end()));
    if (found == end) return std::nullopt;
    return static_cast<std::size_t>(found - begin);
}

PatchResult PatchEmbeddedSettings(std::span<std::uint8_t> image, std::size_t offset, std::uint8_t mode,
                                  std::string_view server, std::string_view docPath) {
    if (server.size() > SettingsTextLimit) return PatchResult::ServerTooLong;
    if (docPath.size() > SettingsTextLimit) return PatchResult::DocPathTooLong;
    if (server.find('\0') != std::string_view::npos || docPath.find('\0') != std::string_view::npos)
        return PatchResult::TextHasNul;
    if (offset > image.size() || image.size() - offset < SettingsBlockSize) return PatchResult::NoRoom;
    auto out = image.begin() + static_cast<std::ptrdiff_t>(offset);
    *out++ = mode;
    out = std::copy(server.begin(), server.end(), out);
    *out++ = 0;
    out = std::copy(docPath.begin(), docPath.end(), out);
    *out = 0;
    return PatchResult::Patched;
}

}  // namespace qf
