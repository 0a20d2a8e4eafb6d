// The manifest check that keeps the installer scaled by Windows: any form of DPI awareness or a
// missing GDI scaling fails it; what comments say does not count.
#include <gtest/gtest.h>

#include <string>

#include "manifest_check.h"

namespace {

struct ManifestCase {
    std::string settings;
    bool accepted;
};

std::string Manifest(const char* settings) {
    return std::string(R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">)"
                       R"(<application xmlns="urn:schemas-microsoft-com:asm.v3"><windowsSettings>)") +
           settings + "</windowsSettings></application></assembly>";
}

constexpr const char* GdiScaling =
    R"(<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings">true</gdiScaling>)";

TEST(ManifestScaling, AcceptsOnlyUnawareWithGdiScaling) {
    const std::string aware =
        R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>)";
    const std::string awareness =
        R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2</dpiAwareness>)";
    const std::string commented = "<!-- no dpiAware here: Windows scales the pages -->";
    const ManifestCase cases[] = {
        {GdiScaling, true},
        {commented + GdiScaling, true},
        {"", false},
        {aware, false},
        {aware + GdiScaling, false},
        {awareness + GdiScaling, false},
        {R"(<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings">false</gdiScaling>)", false},
        {R"(<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings"/>)", false},
        {"<!-- " + std::string(GdiScaling) + " -->", false},
    };
    for (const ManifestCase& c : cases)
        EXPECT_EQ(!qfpack::ManifestScalingProblem(Manifest(c.settings.c_str())), c.accepted) << c.settings;
}

}  // namespace
