// The program's own resources, read in place: a resource is part of the mapped image, so
// "mapping" one copies nothing and needs no freeing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

namespace qf {

struct MappedResource {
    const std::uint8_t* bytes = nullptr;
    std::uint32_t size = 0;
    std::span<const std::uint8_t> Bytes() const { return {bytes, size}; }
};

// The resource of the given type and id in the program's one resource language; empty when
// the image holds none.
MappedResource MapResource(HINSTANCE instance, int type, int id);

}  // namespace qf
