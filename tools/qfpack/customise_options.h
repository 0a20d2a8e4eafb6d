// The arguments of `qfpack customize`, read and checked as far as they alone allow: with the
// same limits and refusals as the installer's customisation page, before any file is read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/customisation.h"
#include "signing.h"

namespace qfpack {

struct CustomiseRequest {
    std::string input, output;
    std::optional<std::string> server, docPath;  // ISO 8859-1
    std::uint8_t lock = 0;
    bool sign = false;
    SigningOptions signing;

    // The choice as the page would make it; it points into this request.
    qf::CustomisationChoice Choice() const;
};

// Reads INSTALLER [--server NAME [--lock 0|1|2]] [--docpath PATH] -o OUT
// [--sign (--pkcs12 FILE | --cert FILE --key FILE) [--timestamp URL]] into request. Empty when
// the arguments make a request; otherwise what is wrong with them, the first thing found.
std::string ParseCustomiseOptions(int argc, const char* const* argv, CustomiseRequest& request);

}  // namespace qfpack
