// Customised copies for scripts: the same choices, limits and patch as the installer's own
// customisation page, so that a deployment script and an administrator at the page make
// byte-identical copies.
#include "customize.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "archive/archive_format.h"
#include "base/product.h"
#include "base/texts.h"
#include "io.h"
#include "latin1.h"
#include "pages/customisation.h"
#include "pe_resource.h"
#include "startup/settings_block.h"

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

}  // namespace

int Customize(int argc, char** argv) {
    const char* input = argv[0];
    const char* output = nullptr;
    std::optional<std::string> server, docPath;
    int lock = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
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
        } else {
            return Fail("unknown option or value: " + std::string(option) + " " + value);
        }
    }
    if (!output) return Fail("customize needs -o OUT");
    if (lock >= 0 && !server) return Fail("--lock needs --server");

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
    if (!qf::CustomiseImage(image, {qf::EmbeddedSettings, qf::SettingsKeySize}, choice)) {
        const auto block = qf::LocateSettingsBlock(image, qf::SettingsMarker);
        if (block && image[*block] != qf::NotCustomisedMark)
            return Fail(std::string(input) + ": " + Narrow(qf::text::AlreadyCustomizedCaption) +
                        ": already customised; customise a copy that never was");
        return Fail(std::string(input) + ": no settings block of this release found");
    }
    if (!WriteWholeFile(output, image)) return Fail(std::string(output) + ": cannot be written");
    std::printf("%s: customised copy written\n", output);
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
    return verified ? 0 : 1;
}

}  // namespace qfpack
