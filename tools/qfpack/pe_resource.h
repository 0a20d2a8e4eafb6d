// Finding a resource's bytes in a Windows executable file, so that qfpack can check the payload
// of a built installer. Reads only inside the image; anything malformed is "not found".
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace qfpack {

// The data of the first language of resource type/id (both integer ids).
std::optional<std::span<const std::uint8_t>> FindResource(std::span<const std::uint8_t> image, std::uint16_t type,
                                                          std::uint16_t id);

}  // namespace qfpack
