#include "customise_options.h"

#include <cstring>
#include <string_view>

#include "base/texts.h"
#include "latin1.h"

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

}  // namespace

qf::CustomisationChoice CustomiseRequest::Choice() const {
    qf::CustomisationChoice choice;
    choice.serverChosen = server.has_value();
    if (server) choice.server = *server;
    choice.lockSelection = lock;
    choice.docPathChosen = docPath.has_value();
    if (docPath) choice.docPath = *docPath;
    return choice;
}

std::string ParseCustomiseOptions(int argc, const char* const* argv, CustomiseRequest& request) {
    request.input = argv[0];
    bool outputGiven = false, lockGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--sign") {
            request.sign = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) return "missing value after " + std::string(option);
        ++i;
        if (option == "-o") {
            request.output = value;
            outputGiven = true;
        } else if (option == "--server" || option == "--docpath") {
            auto latin1 = Utf8ToLatin1(value);
            if (!latin1) return std::string(option) + ": only characters of ISO 8859-1 can be carried";
            (option == "--server" ? request.server : request.docPath) = std::move(*latin1);
        } else if (option == "--lock" && std::strlen(value) == 1 && value[0] >= '0' && value[0] <= '2') {
            request.lock = static_cast<std::uint8_t>(value[0] - '0');
            lockGiven = true;
        } else if (!TakeSigningOption(option, value, request.signing)) {
            return "unknown option or value: " + std::string(option) + " " + value;
        }
    }
    if (!outputGiven) return "customize needs -o OUT";
    if (lockGiven && !request.server) return "--lock needs --server";
    const SigningOptions& signing = request.signing;
    const bool certificateGiven = !signing.pkcs12.empty() || !signing.certificate.empty() || !signing.key.empty();
    if (request.sign != certificateGiven) return "--sign and a certificate go together";
    if (request.sign) {
        if (std::string problem = SigningOptionsProblem(signing); !problem.empty()) return problem;
    }
    return RefusalText(qf::ValidateCustomisation(request.Choice()));
}

}  // namespace qfpack
