// qfpack: the release engineer's tool for payload archives and built installers.
//
//   qfpack customize INSTALLER [--server NAME [--lock 0|1|2]] [--docpath PATH] -o OUT [--sign CERT]
//                                   write a customised copy, as the installer's /custom does;
//                                   signed with --sign
//   qfpack inspect INSTALLER        whether an installer is customised, its payload checked and
//                                   its signature
//   qfpack sign EXE CERT            sign a built installer in place
//     CERT: --pkcs12 FILE | --cert FILE --key FILE, [--timestamp URL]; a password in QF_SIGN_PASSWORD
//   qfpack pack TREE OUT            pack a directory tree into an archive
//   qfpack list ARCHIVE             print the records in archive order
//   qfpack verify ARCHIVE           check the archive's checksum
//   qfpack check-licence FILE       check a licence text against the installer's rules
//   qfpack check-settings-key EXE   check that the settings block's key occurs exactly once
//   qfpack check-manifest EXE       check that the manifest leaves display scaling to Windows
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_format.h"
#include "archive/archive_writer.h"
#include "base/licence_text.h"
#include "customise.h"
#include "inspect.h"
#include "io.h"
#include "manifest_check.h"
#include "pack_tree.h"
#include "pe_resource.h"
#include "settings/settings_block.h"
#include "signing.h"

namespace {

using qfpack::Bytes;
using qfpack::Fail;

int Usage() {
    std::fputs(
        "usage: qfpack pack TREE OUT\n"
        "       qfpack list ARCHIVE\n"
        "       qfpack verify ARCHIVE\n"
        "       qfpack customize INSTALLER [--server NAME [--lock 0|1|2]] [--docpath PATH] -o OUT\n"
        "                        [--sign CERT]\n"
        "       qfpack inspect INSTALLER\n"
        "       qfpack sign EXE CERT\n"
        "       qfpack check-licence FILE\n"
        "       qfpack check-settings-key EXE\n"
        "       qfpack check-manifest EXE\n"
        "CERT: --pkcs12 FILE | --cert FILE --key FILE, and optionally --timestamp URL;\n"
        "      a password for the key in the environment variable QF_SIGN_PASSWORD\n",
        stderr);
    return 2;
}

bool ReadFile(const char* path, Bytes& out) { return qfpack::ReadWholeFile(path, out); }

int Pack(const char* tree, const char* output) {
    Bytes archive = qf::StartArchive();
    if (const std::string error = qfpack::PackTree(tree, archive); !error.empty()) return Fail(error);
    qf::FinishArchive(archive);
    if (!qfpack::WriteWholeFile(output, archive)) return Fail(std::string(output) + ": cannot be written");
    return 0;
}

int List(const char* path) {
    Bytes archive;
    if (!ReadFile(path, archive)) return Fail(std::string(path) + ": cannot be read");
    if (archive.size() < qf::ArchiveHeaderSize) return Fail(std::string(path) + ": corrupted (no header)");
    qf::ArchiveWalk walk{archive};
    qf::ArchiveRecord record;
    for (;;) {
        switch (qf::NextRecord(walk, record)) {
            case qf::WalkStep::End: return 0;
            case qf::WalkStep::Corrupted:
                return Fail(std::string(path) + ": corrupted record at offset " + std::to_string(record.offset));
            case qf::WalkStep::Record:
                if (record.type == qf::RecordType::Directory)
                    std::printf("dir  %.*s\n", static_cast<int>(record.name.size()), record.name.data());
                else
                    std::printf("file %.*s %zu\n", static_cast<int>(record.name.size()), record.name.data(),
                                record.data.size());
        }
    }
}

int Verify(const char* path) {
    Bytes archive;
    if (!ReadFile(path, archive)) return Fail(std::string(path) + ": cannot be read");
    if (!qf::VerifyArchive(archive, nullptr, nullptr))
        return Fail(std::string(path) + ": checksum mismatch, corrupted");
    std::printf("%s: checksum 0x%08x verified (%zu bytes)\n", path, qf::StoredChecksum(archive), archive.size());
    return 0;
}

int CheckLicence(const char* path) {
    Bytes text;
    if (!ReadFile(path, text)) return Fail(std::string(path) + ": cannot be read");
    const auto problem = qf::CheckLicenceText(text);
    if (!problem) return 0;
    static constexpr const char* Why[] = {"does not end with CR LF", "is longer than 89 bytes", "holds a NUL byte"};
    return Fail(std::string(path) + ": line " + std::to_string(problem->line) + " " +
                Why[static_cast<int>(problem->fault)]);
}

int CheckSettingsKey(const char* path) {
    Bytes image;
    if (!ReadFile(path, image)) return Fail(std::string(path) + ": cannot be read");
    auto occurrences = [&](std::span<const std::uint8_t> key) {
        std::size_t count = 0;
        for (auto it = image.begin(); (it = std::search(it, image.end(), key.begin(), key.end())) != image.end(); ++it)
            ++count;
        return count;
    };
    const std::size_t keys = occurrences({qf::EmbeddedSettings, qf::SettingsKeySize});
    const std::size_t markers = occurrences(qf::SettingsMarker);
    if (keys != 1 || markers != 1)
        return Fail(std::string(path) + ": the settings block's key occurs " + std::to_string(keys) +
                    " times and its marker " + std::to_string(markers) + " times; each must occur exactly once");
    return 0;
}

int Sign(int argc, char** argv) {
    qfpack::SigningOptions options;
    for (int i = 1; i + 1 < argc; i += 2)
        if (!qfpack::TakeSigningOption(argv[i], argv[i + 1], options)) return Usage();
    if (argc % 2 == 0) return Usage();
    if (const std::string error = qfpack::SignFile(argv[0], options); !error.empty()) return Fail(error);
    std::printf("%s: signed\n", argv[0]);
    return 0;
}

int CheckManifest(const char* path) {
    Bytes image;
    if (!ReadFile(path, image)) return Fail(std::string(path) + ": cannot be read");
    constexpr std::uint16_t ManifestType = 24,
                            ProcessManifestId = 1;  // RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID
    const auto manifest = qfpack::FindResource(image, ManifestType, ProcessManifestId);
    if (!manifest) return Fail(std::string(path) + ": no manifest resource");
    const auto problem =
        qfpack::ManifestScalingProblem({reinterpret_cast<const char*>(manifest->data()), manifest->size()});
    if (problem) return Fail(std::string(path) + ": manifest: " + *problem);
    std::printf("%s: the manifest leaves display scaling to Windows (GDI scaling, not DPI-aware)\n", path);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string_view command = argv[1];
    if (command == "pack" && argc == 4) return Pack(argv[2], argv[3]);
    if (command == "list" && argc == 3) return List(argv[2]);
    if (command == "verify" && argc == 3) return Verify(argv[2]);
    if (command == "customize" && argc >= 3) return qfpack::Customise(argc - 2, argv + 2);
    if (command == "inspect" && argc == 3) return qfpack::Inspect(argv[2]);
    if (command == "sign" && argc >= 3) return Sign(argc - 2, argv + 2);
    if (command == "check-licence" && argc == 3) return CheckLicence(argv[2]);
    if (command == "check-settings-key" && argc == 3) return CheckSettingsKey(argv[2]);
    if (command == "check-manifest" && argc == 3) return CheckManifest(argv[2]);
    return Usage();
}
