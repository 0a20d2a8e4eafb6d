#include "manifest_check.h"

namespace qfpack {

namespace {

// The manifest without its <!-- --> comments; an unclosed comment runs to the end.
std::string WithoutComments(std::string_view xml) {
    std::string out;
    for (;;) {
        const auto open = xml.find("<!--");
        out.append(xml.substr(0, open));
        if (open == std::string_view::npos) return out;
        const auto close = xml.find("-->", open + 4);
        if (close == std::string_view::npos) return out;
        xml.remove_prefix(close + 3);
    }
}

}  // namespace

std::optional<std::string> ManifestScalingProblem(std::string_view manifest) {
    const std::string xml = WithoutComments(manifest);
    // dpiAware (2005 namespace) and dpiAwareness (2016 namespace) alike.
    if (xml.find("dpiAware") != std::string::npos)
        return "it declares DPI awareness; the pages are laid out for Windows to scale them whole";
    const auto start = xml.find("<gdiScaling");
    const auto end = start == std::string::npos ? start : xml.find("</gdiScaling>", start);
    if (end == std::string::npos) return "it lacks <gdiScaling>true</gdiScaling>";
    const auto content = xml.find('>', start);
    if (xml.compare(content + 1, end - content - 1, "true") != 0) return "its gdiScaling is not true";
    return std::nullopt;
}

}  // namespace qfpack
