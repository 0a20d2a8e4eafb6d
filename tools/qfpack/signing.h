// Authenticode signatures of built installers and their customised copies. osslsigncode (Debian
// package osslsigncode) makes and reads them; qfpack runs it from PATH.
#pragma once

#include <string>
#include <string_view>

namespace qfpack {

// The environment variable that holds the password of the key or PKCS#12 file, if it has one.
inline constexpr char SigningPasswordVariable[] = "QF_SIGN_PASSWORD";

// The certificate and key: a PKCS#12 file, or a PEM certificate (with its chain) and its key.
struct SigningOptions {
    std::string pkcs12, certificate, key;
    std::string timestampUrl;  // an RFC 3161 time-stamp server, or none
};

// Takes option's value into options when it is one of --pkcs12, --cert, --key, --timestamp.
bool TakeSigningOption(std::string_view option, const char* value, SigningOptions& options);

// Empty when the options name a certificate and key in exactly one of the two ways.
std::string SigningOptionsProblem(const SigningOptions& options);

// Signs the file in place with SHA-256, the product's name and address. Without a time-stamp
// server the signing time is the release's date, so that the same bytes signed twice with the
// same certificate and an RSA key give the same file. Empty on success; otherwise what went
// wrong, and the file is as it was.
std::string SignFile(const std::string& path, const SigningOptions& options);

struct SignatureCheck {
    enum class Result {
        Matches,     // the signed digest is the file's
        Mismatch,    // the file has changed since it was signed
        Unreadable,  // osslsigncode found no signature it could read
        NotChecked,  // osslsigncode is not there to ask
    };
    Result result = Result::NotChecked;
    std::string subject;  // the signer's; osslsigncode names it only for a matching digest
};

// Asks osslsigncode about the signature of a file that carries one. Whether the certificate is
// trusted is Windows's question, not asked here.
SignatureCheck CheckSignature(const std::string& path);

// What `osslsigncode verify` reports about the primary signature: its signer and whether the
// digest it holds is the one calculated from the file.
SignatureCheck ReadVerifyReport(std::string_view report);

}  // namespace qfpack
