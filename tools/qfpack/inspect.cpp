// The report on a built installer or a customised copy: its settings, its payload checked, and
// its signature.
#include "inspect.h"

#include <cstdio>
#include <string>

#include "archive/archive_format.h"
#include "base/product.h"
#include "io.h"
#include "latin1.h"
#include "pe_resource.h"
#include "settings/customisation.h"
#include "settings/pe_image.h"
#include "settings/settings_block.h"
#include "signing.h"

namespace qfpack {

namespace {

std::string Quoted(std::string_view latin1) {
    std::string quoted = "\"";  // built piecewise: GCC 12 warns falsely about "\"" + text
    quoted += Latin1ToUtf8(latin1);
    quoted += '"';
    return quoted;
}

// The signature line of the report, and whether it is sound.
bool ReportSignature(const char* path, std::span<const std::uint8_t> image) {
    switch (qf::FindCertificateTable(image).kind) {
        case qf::CertificateTableKind::None: std::printf("signature: none\n"); return true;
        case qf::CertificateTableKind::Malformed:
            std::printf("signature: MALFORMED (the certificate table lies over other data or outside the file)\n");
            return false;
        case qf::CertificateTableKind::AtEnd: break;
    }
    const SignatureCheck check = CheckSignature(path);
    switch (check.result) {
        case SignatureCheck::Result::Matches:
            std::printf("signature: signed by %s\n", check.subject.c_str());
            return true;
        case SignatureCheck::Result::Mismatch:
            std::printf("signature: MISMATCH (the file has changed since it was signed)\n");
            return false;
        case SignatureCheck::Result::Unreadable: std::printf("signature: UNREADABLE by osslsigncode\n"); return false;
        case SignatureCheck::Result::NotChecked: break;
    }
    std::printf("signature: present, not checked (osslsigncode not found on PATH)\n");
    return true;
}

}  // namespace

int Inspect(const char* path) {
    Bytes image;
    if (!ReadWholeFile(path, image)) return Fail(std::string(path) + ": cannot be read");
    const auto offset = qf::LocateSettingsBlock(image, qf::SettingsMarker);
    if (!offset) return Fail(std::string(path) + ": no settings block found (not an installer of this release?)");
    const std::span<const std::uint8_t, qf::SettingsBlockSize> block(&image[*offset], qf::SettingsBlockSize);
    if (!qf::IsCustomised(block)) {
        std::printf("customised: no\n");
    } else {
        // The decoded texts are widened bytes; narrow them back for the report.
        const qf::DecodedSettings s = qf::DecodeEmbeddedSettings(block);
        std::string server, docPath;
        for (const char16_t* c = s.server; *c; ++c) server.push_back(static_cast<char>(*c));
        for (const char16_t* c = s.docPath; *c; ++c) docPath.push_back(static_cast<char>(*c));
        std::printf("customised: yes\nlock mode: %u\nserver: %s\ndocumentation path: %s\n", s.mode,
                    s.mode == qf::NoServerMode ? "(none)" : Quoted(server).c_str(),
                    docPath.empty() ? "(none)" : Quoted(docPath).c_str());
    }
    const auto payload = FindResource(image, qf::PayloadResourceType, qf::PayloadResourceId);
    if (!payload) return Fail(std::string(path) + ": no payload archive resource");
    const bool verified = qf::VerifyArchive(*payload, nullptr, nullptr);
    std::printf("payload: %zu bytes, checksum %s\n", payload->size(), verified ? "verified" : "MISMATCH (corrupted)");
    const bool signatureSound = ReportSignature(path, image);
    return verified && signatureSound ? 0 : 1;
}

}  // namespace qfpack
