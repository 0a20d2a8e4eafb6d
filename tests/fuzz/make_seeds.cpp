// Writes the seeds that are easier built than kept as files into DIR/TARGET/: hand-made archives
// (nested directories, empty and Latin-1 names, oversized length fields, and a few the reader
// must call corrupted), images that carry the settings block, and small Windows executables
// with a payload resource. They are built with the program's own writers and its own block, so
// they follow the formats as the program has them. scripts/fuzz.sh adds the packed sample
// payload and the licence text.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_writer.h"
#include "base/product.h"
#include "settings/customisation.h"
#include "settings/settings_block.h"
#include "support/pe_image_builder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes Cat(std::initializer_list<std::span<const std::uint8_t>> parts) {
    Bytes all;
    for (const auto part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// --- Archives -------------------------------------------------------------------------------

Bytes Tree() {
    Bytes a = qf::StartArchive();
    qf::AppendDirectoryRecord(a, "docs");
    qf::AppendDirectoryRecord(a, "docs\\img");
    qf::AppendFileRecord(a, "docs\\img\\caf\xE9.gif", Text("GIF89a"));
    qf::AppendFileRecord(a, "docs\\empty.html", {});
    qf::AppendFileRecord(a, "qfmgr.exe", Text("MZ"));
    qf::FinishArchive(a);
    return a;
}

Bytes OversizedLengths() {
    Bytes a = qf::StartArchive();
    qf::AppendFileRecord(a, "a", Text("xyz"));
    a[6] = 200;  // header length far above n + 8
    qf::AppendDirectoryRecord(a, "d");
    a[a.size() - 4] = 7;  // record length 5 -> 7, two bytes to skip
    a.push_back(0xEE);
    a.push_back(0xEE);
    qf::FinishArchive(a);
    return a;
}

Bytes Corrupted(std::initializer_list<std::uint8_t> record) {
    Bytes a = qf::StartArchive();
    qf::AppendFileRecord(a, "ok", Text("1"));
    a.insert(a.end(), record);
    qf::FinishArchive(a);
    return a;
}

// --- Images with a settings block -----------------------------------------------------------

// Filler, the marker, the never-customised block and more filler.
Bytes ImageWithBlock(std::size_t before, std::size_t after) {
    return Cat({Bytes(before, 0xCC), qf::SettingsMarker, qf::EmbeddedSettings, Bytes(after, 0xCC)});
}

Bytes Customised(Bytes image) {
    qf::CustomisationChoice choice;
    choice.serverChosen = true;
    choice.server = "orin.example";
    choice.lockSelection = 2;
    choice.docPathChosen = true;
    choice.docPath = "\\\\docs\\orin";
    qf::CustomiseImage(image, {qf::EmbeddedSettings, qf::SettingsKeySize}, choice);
    return image;
}

// The settings target's input: the choice, both texts with their lengths, then the image.
Bytes SettingsInput(std::uint8_t flags, std::string_view server, std::string_view docPath, const Bytes& image) {
    Bytes input{flags, static_cast<std::uint8_t>(server.size()), static_cast<std::uint8_t>(docPath.size())};
    return Cat({input, Text(server), Text(docPath), image});
}

// --- Windows executables --------------------------------------------------------------------

using support::Put16;
using support::Put32;

// A PE32 (or PE32+) file with one section, .rsrc, holding the payload and licence resources
// under language 1033, and the settings block between the headers and the section.
Bytes Executable(bool plus, const Bytes& payload, const Bytes& block) {
    constexpr std::uint32_t sectionRva = 0x1000, rawOffset = 0x400;
    const support::PeLayout layout{plus};

    // Root with two types; each type one id; each id one language; then the data entries.
    const Bytes licence = Text("Licence line one.\r\nLine two.\r\n");
    Bytes rsrc(160, 0);
    const std::uint16_t types[] = {qf::PayloadResourceType, qf::LicenceResourceType};
    const Bytes* data[] = {&payload, &licence};
    Put16(rsrc, 14, 2);
    for (std::uint32_t i = 0; i < 2; ++i) {
        const std::uint32_t typeDir = 32 + 24 * i, languageDir = 80 + 24 * i, entry = 128 + 16 * i;
        Put32(rsrc, 16 + 8 * i, types[i]);
        Put32(rsrc, 16 + 8 * i + 4, 0x80000000u | typeDir);
        Put16(rsrc, typeDir + 14, 1);
        Put32(rsrc, typeDir + 16, types[i]);
        Put32(rsrc, typeDir + 20, 0x80000000u | languageDir);
        Put16(rsrc, languageDir + 14, 1);
        Put32(rsrc, languageDir + 16, qf::ResourceLanguage);
        Put32(rsrc, languageDir + 20, entry);
        Put32(rsrc, entry, sectionRva + static_cast<std::uint32_t>(rsrc.size()));
        Put32(rsrc, entry + 4, static_cast<std::uint32_t>(data[i]->size()));
        rsrc.insert(rsrc.end(), data[i]->begin(), data[i]->end());
        rsrc.resize((rsrc.size() + 3) & ~std::size_t{3});
    }
    const auto size = static_cast<std::uint32_t>(rsrc.size());
    Bytes file = support::PeHeaders(layout, rawOffset, {".rsrc", sectionRva, size, rawOffset});
    support::SetDirectory(file, layout, support::ResourceDirectory, sectionRva, size);
    std::copy(block.begin(), block.end(), file.begin() + 0x200);
    return Cat({file, rsrc});
}

// The executable as signed: an 8-byte certificate table after it, which directory 4 names,
// followed by `after` bytes more (then the table cannot be cut off cleanly).
Bytes Signed(bool plus, Bytes file, std::size_t after) {
    const support::PeLayout layout{plus};
    Put32(file, layout.DirectoryCountField(), 16);
    support::AppendCertificateTable(file, layout, 8);
    return Cat({file, Bytes(after, 0)});
}

struct Seed {
    const char* target;
    const char* name;
    Bytes bytes;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fuzz_seeds DIR\n", stderr);
        return 2;
    }
    const Bytes block = Cat({qf::SettingsMarker, qf::EmbeddedSettings});
    const Bytes customisedBlock = Customised(Cat({block, Bytes(1, 0)}));
    const std::vector<Seed> seeds = {
        {"archive", "empty", qf::StartArchive()},
        {"archive", "tree", Tree()},
        {"archive", "oversized-lengths", OversizedLengths()},
        {"archive", "type-0", Corrupted({0, 5, 0, 'a', 0})},
        {"archive", "data-past-end", Corrupted({1, 9, 0, 9, 0, 0, 0, 'a', 0, 'x'})},
        {"archive", "dot-dot", Corrupted({3, 6, 0, '.', '.', 0})},

        {"settings_block", "server-and-docpath",
         SettingsInput(1 | 2 | 1 << 2, "srv1", "\\\\docs\\orin", ImageWithBlock(64, 32))},
        {"settings_block", "longest-texts",
         SettingsInput(3, std::string(79, 's'), std::string(79, 'd'), ImageWithBlock(8, 8))},
        {"settings_block", "server-too-long", SettingsInput(1, std::string(80, 's'), "", ImageWithBlock(8, 8))},
        {"settings_block", "nothing-chosen", SettingsInput(0, "", "", ImageWithBlock(8, 8))},
        {"settings_block", "block-at-the-end", SettingsInput(2, "", "C:\\Docs", ImageWithBlock(8, 0))},
        {"settings_block", "customised", SettingsInput(1, "other", "", Customised(ImageWithBlock(40, 40)))},
        {"settings_block", "signed", SettingsInput(1, "srv1", "", Signed(false, Executable(false, Tree(), block), 0))},
        {"settings_block", "signed-followed",
         SettingsInput(1, "srv1", "", Signed(true, Executable(true, Tree(), block), 1))},

        {"pe_resource", "pe32", Executable(false, Tree(), block)},
        {"pe_resource", "pe32-plus-customised", Executable(true, Tree(), customisedBlock)},
    };
    for (const Seed& seed : seeds) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / seed.target;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::string path = (folder / seed.name).string();
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(seed.bytes.data(), 1, seed.bytes.size(), out) != seed.bytes.size() ||
            std::fclose(out) != 0) {
            std::fprintf(stderr, "fuzz_seeds: %s cannot be written\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
