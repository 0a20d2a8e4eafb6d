// libFuzzer target over the reading of a Windows executable's headers: any file that qfpack is
// given and any image the customisation page copies. Input: the image, in an allocation of its
// exact size.
//
// Properties:
//   - a table found at the end lies inside the image, after its headers, and ends it;
//   - dropping it leaves a shorter image with no certificate table, whose checksum, when one was
//     set, is the one the headers should hold;
//   - nothing outside the image is read or written (AddressSanitizer).
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "fuzz_support.h"
#include "settings/pe_image.h"
#include "support/le_bytes.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
    if (size) std::memcpy(copy.get(), data, size);
    const std::span<std::uint8_t> image(copy.get(), size);
    qf::ComputePeChecksum(image);

    const qf::CertificateTable table = qf::FindCertificateTable(image);
    if (table.kind != qf::CertificateTableKind::AtEnd) return 0;
    const auto headers = qf::ReadPeHeaders(image);
    Check(headers.has_value() && table.size > 0 && table.offset < size && table.offset + table.size == size);

    const bool checksumSet = headers->checksumField + 4 <= size && support::Get32(image, headers->checksumField) != 0;
    const std::size_t length = qf::StripCertificateTable(image, table);
    Check(length == table.offset);
    const std::span<const std::uint8_t> stripped = image.first(length);
    Check(qf::FindCertificateTable(stripped).kind == qf::CertificateTableKind::None);
    if (checksumSet) {
        const auto expected = qf::ComputePeChecksum(stripped);
        Check(expected && *expected == support::Get32(image, headers->checksumField));
    }
    return 0;
}
