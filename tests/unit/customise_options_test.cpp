#include "customise_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What `qfpack customize` says of its arguments (after the installer's name), or "" for none.
std::string Problem(std::vector<const char*> args, qfpack::CustomiseRequest* request = nullptr) {
    args.insert(args.begin(), "setup.exe");
    qfpack::CustomiseRequest own;
    return qfpack::ParseCustomiseOptions(static_cast<int>(args.size()), args.data(), request ? *request : own);
}

// The first thing wrong is the one told: the arguments in their order, then the output, the
// lock, the signing, and last the choice itself, in the customisation page's own order.
TEST(CustomiseOptions, TellsTheFirstProblem) {
    const std::string s80(80, 's');
    struct Case {
        std::vector<const char*> args;
        std::string problem;
    };
    const Case cases[] = {
        {{"--server", "srv", "-o"}, "missing value after -o"},
        {{"--lock", "3", "--server", "srv", "-o", "x.exe"}, "unknown option or value: --lock 3"},
        {{"--lock", "11", "--server", "srv", "-o", "x.exe"}, "unknown option or value: --lock 11"},
        {{"--server", "\xe2\x82\xac", "-o", "x.exe"}, "--server: only characters of ISO 8859-1 can be carried"},
        {{"--docpath", "\xff", "-o", "x.exe"}, "--docpath: only characters of ISO 8859-1 can be carried"},
        {{"--server", "srv"}, "customize needs -o OUT"},
        {{"--lock", "1", "--docpath", "d", "-o", "x.exe"}, "--lock needs --server"},
        {{"--server", "srv", "-o", "x.exe", "--sign"}, "--sign and a certificate go together"},
        {{"--server", "srv", "-o", "x.exe", "--pkcs12", "p.p12"}, "--sign and a certificate go together"},
        {{"--server", "srv", "-o", "x.exe", "--sign", "--cert", "c.pem"}, "--cert and --key go together"},
        {{"--server", "srv", "-o", "x.exe", "--sign", "--pkcs12", "p.p12", "--key", "k.pem"},
         "sign with either --pkcs12 FILE or --cert FILE --key FILE"},
        {{"-o", "x.exe"}, "choose --server, --docpath or both"},
        {{"--server", "", "-o", "x.exe"},
         "Server name or IP address must be provided when setting the default server."},
        {{"--server", s80.c_str(), "--docpath", "", "-o", "x.exe"},  // the documentation path first
         "You have selected to change the documentation path yet have not provided a new path specification.  You "
         "must enter the path to locate the documentation in the window provided."},
    };
    for (const Case& c : cases) EXPECT_EQ(Problem(c.args), c.problem) << c.problem;
}

TEST(CustomiseOptions, MakesTheChoiceThePageWould) {
    qfpack::CustomiseRequest request;
    ASSERT_EQ(Problem({"--server", "caf\xc3\xa9", "--lock", "0", "--lock", "2", "-o", "out.exe", "--sign", "--pkcs12",
                       "p.p12"},
                      &request),
              "");
    EXPECT_EQ(request.input, "setup.exe");
    EXPECT_EQ(request.output, "out.exe");
    EXPECT_TRUE(request.sign);
    EXPECT_EQ(request.signing.pkcs12, "p.p12");
    const qf::CustomisationChoice choice = request.Choice();
    EXPECT_TRUE(choice.serverChosen);
    EXPECT_EQ(choice.server, "caf\xe9");  // carried as ISO 8859-1
    EXPECT_EQ(choice.lockSelection, 2);   // the last --lock counts
    EXPECT_FALSE(choice.docPathChosen);
    EXPECT_EQ(qf::CustomisationMode(choice), 2);

    qfpack::CustomiseRequest docsOnly;
    ASSERT_EQ(Problem({"--docpath", "\\\\fs\\docs", "-o", "out.exe"}, &docsOnly), "");
    EXPECT_FALSE(docsOnly.sign);
    EXPECT_FALSE(docsOnly.Choice().serverChosen);
    EXPECT_EQ(docsOnly.Choice().docPath, "\\\\fs\\docs");
    EXPECT_EQ(qf::CustomisationMode(docsOnly.Choice()), qf::NoServerMode);
}

}  // namespace
