// Customised copies for scripts: the same choices, limits and patch as the installer's own
// customisation page, so that a deployment script and an administrator at the page make
// byte-identical copies; signed again on request with the administrator's certificate.
// And the report on a built installer or copy: its settings, payload and signature.
#include "customise.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "archive/archive_format.h"
#include "base/product.h"
#include "base/texts.h"
#include "io.h"
#include "latin1.h"
#include "pe_resource.h"
#include "settings/customisation.h"
#include "settings/pe_image.h"
#include "settings/settings_block.h"
#include "signing.h"

namespace qfpack {

namespace {

std::string RefusalText(qf::CustomisationRefusal refusal) {
    switch (refusal) {
        case qf::CustomisationRefusal::DocPathMissing: return Narrow(qf::text::DocPathMissingMessage);
        case qf::CustomisationRefusal::DocPathTooLong: return Narrow(qf::text::DocPathTooLongMessage);
        case qf::CustomisationRefusal::ServerMissing: return Narrow(qf::text::ServerMissingMessage);
        case qf::CustomisationRefusal::ServerTooLong: return Narrow(qf::text::ServerTooLongMessage);
        case qf::CustomisationRefusal::NothingChosen: return "choose --server, --docpath or both";
        case qf::CustomisationRefusal::None: break;
    }
    return {};
}

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
        case SignatureCheck::Result::Matches: std::printf("signature: signed by %s\n", check.subject.c_str()); return true;
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

int Customise(int argc, char** argv) {
    const char* input = argv[0];
    const char* output = nullptr;
    std::optional<std::string> server, docPath;
    int lock = -1;
    bool sign = false;
    SigningOptions signing;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--sign") {
            sign = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) return Fail("missing value after " + std::string(option));
        ++i;
        if (option == "-o") {
            output = value;
        } else if (option == "--server" || option == "--docpath") {
            auto latin1 = Utf8ToLatin1(value);
            if (!latin1) return Fail(std::string(option) + ": only characters of ISO 8859-1 can be carried");
            (option == "--server" ? server : docPath) = std::move(*latin1);
        } else if (option == "--lock" && std::strlen(value) == 1 && value[0] >= '0' && value[0] <= '2') {
            lock = value[0] - '0';
        } else if (!TakeSigningOption(option, value, signing)) {
            return Fail("unknown option or value: " + std::string(option) + " " + value);
        }
    }
    if (!output) return Fail("customize needs -o OUT");
    if (lock >= 0 && !server) return Fail("--lock needs --server");
    const bool certificateGiven = !signing.pkcs12.empty() || !signing.certificate.empty() || !signing.key.empty();
    if (sign != certificateGiven) return Fail("--sign and a certificate go together");
    if (sign) {
        if (const std::string problem = SigningOptionsProblem(signing); !problem.empty()) return Fail(problem);
    }

    qf::CustomisationChoice choice;
    choice.serverChosen = server.has_value();
    if (server) choice.server = *server;
    choice.lockSelection = static_cast<std::uint8_t>(lock < 0 ? 0 : lock);
    choice.docPathChosen = docPath.has_value();
    if (docPath) choice.docPath = *docPath;
    if (const auto refusal = qf::ValidateCustomisation(choice); refusal != qf::CustomisationRefusal::None)
        return Fail(RefusalText(refusal));

    Bytes image;
    if (!ReadWholeFile(input, image)) return Fail(std::string(input) + ": cannot be read");
    const bool wasSigned = qf::FindCertificateTable(image).kind == qf::CertificateTableKind::AtEnd;
    const qf::CustomiseResult copy = qf::CustomiseImage(image, {qf::EmbeddedSettings, qf::SettingsKeySize}, choice);
    if (copy.outcome == qf::CustomiseOutcome::SignatureNotDropped)
        return Fail(std::string(input) +
                    ": its certificate table cannot be cut off cleanly, so the copy would carry a signature "
                    "that no longer matches it; no copy written");
    if (copy.outcome == qf::CustomiseOutcome::NoBlock) {
        const auto block = qf::LocateSettingsBlock(image, qf::SettingsMarker);
        if (block && image[*block] != qf::NotCustomisedMark)
            return Fail(std::string(input) + ": " + Narrow(qf::text::AlreadyCustomisedCaption) +
                        ": already customised; customise a copy that never was");
        return Fail(std::string(input) + ": no settings block of this release found");
    }
    image.resize(copy.length);
    if (!WriteWholeFile(output, image)) return Fail(std::string(output) + ": cannot be written");
    if (sign) {
        // An unsigned copy left under the name of a signed one could be deployed by mistake.
        if (const std::string error = SignFile(output, signing); !error.empty()) {
            std::remove(output);
            return Fail(error);
        }
        std::printf("%s: customised copy written and signed\n", output);
    } else {
        std::printf("%s: customised copy written%s\n", output,
                    wasSigned ? ", without the installer's signature, which would not match it" : "");
    }
    return 0;
}

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
