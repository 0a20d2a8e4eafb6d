#include "base/resource_win.h"

#include "base/product.h"

namespace qf {

MappedResource MapResource(HINSTANCE instance, int type, int id) {
    const HRSRC found =
        FindResourceExW(instance, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(id), static_cast<WORD>(ResourceLanguage));
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(instance, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const std::uint8_t*>(bytes), SizeofResource(instance, found)};
}

}  // namespace qf
