// Customised copies for scripts: the same choices, limits and patch as the installer's own
// customisation page, so that a deployment script and an administrator at the page make
// byte-identical copies; signed again on request with the administrator's certificate.
#include "customise.h"

#include <cstdio>
#include <string>

#include "base/texts.h"
#include "customise_options.h"
#include "io.h"
#include "latin1.h"
#include "settings/customisation.h"
#include "settings/pe_image.h"
#include "settings/settings_block.h"
#include "signing.h"

namespace qfpack {

namespace {

// Reads the installer, patches its block, writes the copy and signs it when asked.
int WriteCustomisedCopy(const CustomiseRequest& request) {
    const std::string& input = request.input;
    const std::string& output = request.output;
    Bytes image;
    if (!ReadWholeFile(input, image)) return Fail(input + ": cannot be read");
    const bool wasSigned = qf::FindCertificateTable(image).kind == qf::CertificateTableKind::AtEnd;
    const qf::CustomiseResult copy =
        qf::CustomiseImage(image, {qf::EmbeddedSettings, qf::SettingsKeySize}, request.Choice());
    if (copy.outcome == qf::CustomiseOutcome::SignatureNotDropped)
        return Fail(input +
                    ": its certificate table cannot be cut off cleanly, so the copy would carry a signature "
                    "that no longer matches it; no copy written");
    if (copy.outcome == qf::CustomiseOutcome::NoBlock) {
        const auto block = qf::LocateSettingsBlock(image, qf::SettingsMarker);
        if (block && image[*block] != qf::NotCustomisedMark)
            return Fail(input + ": " + Narrow(qf::text::AlreadyCustomisedCaption) +
                        ": already customised; customise a copy that never was");
        return Fail(input + ": no settings block of this release found");
    }
    image.resize(copy.length);
    if (!WriteWholeFile(output, image)) return Fail(output + ": cannot be written");
    if (request.sign) {
        // An unsigned copy left under the name of a signed one could be deployed by mistake.
        if (const std::string error = SignFile(output, request.signing); !error.empty()) {
            std::remove(output.c_str());
            return Fail(error);
        }
        std::printf("%s: customised copy written and signed\n", output.c_str());
    } else {
        std::printf("%s: customised copy written%s\n", output.c_str(),
                    wasSigned ? ", without the installer's signature, which would not match it" : "");
    }
    return 0;
}

}  // namespace

int Customise(int argc, char** argv) {
    CustomiseRequest request;
    if (const std::string problem = ParseCustomiseOptions(argc, argv, request); !problem.empty()) return Fail(problem);
    return WriteCustomisedCopy(request);
}

}  // namespace qfpack
