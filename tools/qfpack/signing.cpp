#include "signing.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/product.h"
#include "run_program.h"

namespace qfpack {

namespace {

constexpr char SigningTool[] = "osslsigncode";
// What Windows shows of the signature besides the signer: the product's name and address.
constexpr char SignedDescription[] = "ORIN-6";
constexpr char SignedUrl[] = "https://www.quenfield.example/orin-6";

// Days from 1970-01-01 to a date of the Gregorian calendar.
constexpr std::int64_t DaysSinceEpoch(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

constexpr std::int64_t Number(std::u16string_view digits) {
    std::int64_t n = 0;
    for (char16_t c : digits) n = n * 10 + (c - u'0');
    return n;
}

// The release's date (its key name, YYYYMMDD) at midnight UTC, in seconds since 1970.
constexpr std::int64_t ReleaseTime() {
    constexpr std::u16string_view date = qf::ReleaseKeyName;
    return DaysSinceEpoch(Number(date.substr(0, 4)), Number(date.substr(4, 2)), Number(date.substr(6, 2))) * 86400;
}

std::string NotFound() { return std::string(SigningTool) + " not found on PATH (Debian package " + SigningTool + ")"; }

// The text after "label" and its colon on the first line that starts with label (blanks before it
// aside); nothing when no line does.
std::optional<std::string_view> Field(std::string_view report, std::string_view label) {
    for (std::size_t start = 0; start < report.size();) {
        const std::size_t end = std::min(report.find('\n', start), report.size());
        std::string_view line = report.substr(start, end - start);
        start = end + 1;
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (line.substr(0, label.size()) != label) continue;
        line.remove_prefix(label.size());
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || line.find_first_not_of(' ') != colon) continue;
        line.remove_prefix(colon + 1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) return std::string_view();
        const std::size_t last = line.find_last_not_of(" \t\r");
        return line.substr(first, last - first + 1);
    }
    return std::nullopt;
}

std::string_view FirstWord(std::string_view text) { return text.substr(0, text.find_first_of(" \t")); }

}  // namespace

bool TakeSigningOption(std::string_view option, const char* value, SigningOptions& options) {
    std::string* field = option == "--pkcs12"      ? &options.pkcs12
                         : option == "--cert"      ? &options.certificate
                         : option == "--key"       ? &options.key
                         : option == "--timestamp" ? &options.timestampUrl
                                                   : nullptr;
    if (!field) return false;
    *field = value;
    return true;
}

std::string SigningOptionsProblem(const SigningOptions& options) {
    const bool pem = !options.certificate.empty() || !options.key.empty();
    if (options.pkcs12.empty() == !pem) return "sign with either --pkcs12 FILE or --cert FILE --key FILE";
    if (pem && (options.certificate.empty() || options.key.empty())) return "--cert and --key go together";
    return {};
}

std::string SignFile(const std::string& path, const SigningOptions& options) {
    if (std::string problem = SigningOptionsProblem(options); !problem.empty()) return problem;
    const std::string signedPath = path + ".signing";
    std::vector<std::string> args{SigningTool, "sign", "-h", "sha256", "-n", SignedDescription, "-i", SignedUrl};
    if (!options.pkcs12.empty()) {
        args.insert(args.end(), {"-pkcs12", options.pkcs12});
    } else {
        args.insert(args.end(), {"-certs", options.certificate, "-key", options.key});
    }
    const char* password = std::getenv(SigningPasswordVariable);
    if (password) args.insert(args.end(), {"-readpass", "-"});
    // The signature's own signing time is the signer's word, not a trusted time: the release's
    // date keeps two signings alike. A time-stamp server's countersignature is the trusted time.
    if (!options.timestampUrl.empty()) args.insert(args.end(), {"-ts", options.timestampUrl});
    else args.insert(args.end(), {"-time", std::to_string(ReleaseTime())});
    args.insert(args.end(), {"-in", path, "-out", signedPath});

    std::filesystem::remove(signedPath);
    const ProgramRun run = RunProgram(args, password ? password : "");
    std::error_code error;
    if (run.started && run.status == 0) {
        const auto mode = std::filesystem::status(path, error).permissions();
        if (!error) std::filesystem::permissions(signedPath, mode, error);
        std::filesystem::rename(signedPath, path, error);
        if (!error) return {};
    }
    std::filesystem::remove(signedPath, error);
    if (!run.started) return NotFound();
    if (run.status != 0) return std::string(SigningTool) + " could not sign " + path + ":\n" + run.output;
    return path + ": the signed file could not replace it";
}

SignatureCheck CheckSignature(const std::string& path) {
    const ProgramRun run = RunProgram({SigningTool, "verify", "-in", path}, "");
    if (!run.started) return {};
    return ReadVerifyReport(run.output);
}

SignatureCheck ReadVerifyReport(std::string_view report) {
    SignatureCheck check;
    const auto stored = Field(report, "Current message digest");
    const auto calculated = Field(report, "Calculated message digest");
    const auto subject = Field(report, "Subject");
    if (subject) check.subject = *subject;
    if (!stored || !calculated || stored->empty()) {
        check.result = SignatureCheck::Result::Unreadable;
    } else {
        const bool same =
            FirstWord(*stored) == FirstWord(*calculated) && calculated->find("MISMATCH") == std::string_view::npos;
        check.result = same ? SignatureCheck::Result::Matches : SignatureCheck::Result::Mismatch;
    }
    return check;
}

}  // namespace qfpack
