// libFuzzer target over what `qfpack inspect` does with any file: the settings block found by
// its marker and decoded, the payload resource found through the PE headers, the section table
// and the three levels of the resource directory, and its checksum verified. The input is the
// fuzzer's own exactly sized buffer, so AddressSanitizer stops any read past it; a resource
// found must lie wholly inside the file.
#include <cstdint>
#include <span>

#include "archive/archive_format.h"
#include "base/product.h"
#include "fuzz_support.h"
#include "settings/customisation.h"
#include "pe_resource.h"
#include "settings/settings_block.h"

namespace {

using fuzz::Check;

void CheckResource(std::span<const std::uint8_t> image, std::uint16_t type, std::uint16_t id) {
    const auto found = qfpack::FindResource(image, type, id);
    if (!found) return;
    const std::uint8_t* begin = image.data();
    Check(found->data() >= begin && found->size() <= image.size() &&
          static_cast<std::size_t>(found->data() - begin) <= image.size() - found->size());
    if (type == qf::PayloadResourceType) qf::VerifyArchive(*found, nullptr, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    if (const auto offset = qf::LocateSettingsBlock(image, qf::SettingsMarker)) {
        const qf::SettingsBlock block(image.subspan(*offset, qf::SettingsBlockSize));
        if (qf::IsCustomised(block)) qf::DecodeEmbeddedSettings(block);
    }
    CheckResource(image, qf::PayloadResourceType, qf::PayloadResourceId);
    CheckResource(image, qf::LicenceResourceType, qf::LicenceResourceId);
    return 0;
}
