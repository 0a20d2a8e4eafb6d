#include "signing.h"

#include <gtest/gtest.h>

namespace {

using Result = qfpack::SignatureCheck::Result;

// Reports as osslsigncode 2.9 writes them, cut to the lines around what is read.
constexpr char Matching[] = R"(PE checksum   : 0002C65A

Signature Index: 0  (Primary Signature)

Message digest algorithm  : SHA256
Current message digest    : 3A9785148A1CAEAAA6C136F072802D6E72191A75F72FAE6216536B9CAD667FDE 
Calculated message digest : 3A9785148A1CAEAAA6C136F072802D6E72191A75F72FAE6216536B9CAD667FDE 

Signer's certificate:
	------------------
	Signer #0:
		Subject: /CN=Test Signer/O=Throwaway
		Issuer : /CN=Test Signer/O=Throwaway

Signing certificate chain verified using:
	------------------
	Signer #0:
		Subject: /CN=Someone Else
	Error: self-signed certificate

Signature verification: failed
Failed
)";

constexpr char Changed[] = R"(Signature verification: failed

Current PE checksum   : 0002C65A
Calculated PE checksum: 0002C659
Warning: invalid PE checksum

Signature Index: 0  (Primary Signature)

Message digest algorithm  : SHA256
Current message digest    : 3A9785148A1CAEAAA6C136F072802D6E72191A75F72FAE6216536B9CAD667FDE 
Calculated message digest : 63B78BDA06642BB7005B05E11AB6E5BEDC6C08C77FE46769C4C0007FAAD1622E     MISMATCH!!!

Number of verified signatures: 1
Failed
)";

constexpr char NoSignature[] = R"(PE checksum   : 0001F167
No signature found
Unable to extract existing signature
Failed
)";

TEST(Signing, ReadsTheVerifyReport) {
    struct Case {
        const char* report;
        Result result;
        const char* subject;
    };
    const Case cases[] = {
        {Matching, Result::Matches, "/CN=Test Signer/O=Throwaway"},  // the signer's, not the chain's
        {Changed, Result::Mismatch, ""},
        {NoSignature, Result::Unreadable, ""},
        {"", Result::Unreadable, ""},
        {"Current message digest    : \nCalculated message digest : \n", Result::Unreadable, ""},
    };
    for (const Case& c : cases) {
        const qfpack::SignatureCheck check = qfpack::ReadVerifyReport(c.report);
        EXPECT_EQ(check.result, c.result) << c.report;
        EXPECT_EQ(check.subject, c.subject) << c.report;
    }
}

TEST(Signing, TakesOneCertificateInOneOfTwoWays) {
    struct Case {
        qfpack::SigningOptions options;
        bool accepted;
    };
    const Case cases[] = {
        {{"site.p12", "", "", ""}, true},
        {{"", "cert.pem", "key.pem", "http://tsa.example"}, true},
        {{}, false},
        {{"site.p12", "cert.pem", "key.pem", ""}, false},
        {{"", "cert.pem", "", ""}, false},
        {{"", "", "key.pem", ""}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qfpack::SigningOptionsProblem(c.options).empty(), c.accepted)
            << c.options.pkcs12 << "|" << c.options.certificate << "|" << c.options.key;
}

}  // namespace
