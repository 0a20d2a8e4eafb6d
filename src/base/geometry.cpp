#include "base/geometry.h"

#include "base/product.h"

namespace qf {

PagePlacement CentrePage(int fullScreenWidth, int fullScreenHeight) {
    auto centred = [](int screen, int page) {
        const int position = screen / 2 - page / 2;
        return static_cast<std::uint16_t>(position < 0 ? 0 : position);
    };
    return {PageWidth, PageHeight, centred(fullScreenWidth, PageWidth), centred(fullScreenHeight, PageHeight)};
}

}  // namespace qf
