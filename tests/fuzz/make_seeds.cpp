// Writes the fuzz target's hand-made seed archives into a folder: the shapes the reader must
// take (nested directories, empty and Latin-1 names, oversized length fields) and a few it must
// call corrupted. The packed sample payload joins them at fuzz time.
#include <cstdio>
#include <string>
#include <vector>

#include "archive/archive_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_seeds DIR\n", stderr);
        return 2;
    }
    const std::vector<std::pair<const char*, Bytes>> seeds = {
        {"empty", qf::StartArchive()},
        {"tree", Tree()},
        {"oversized-lengths", OversizedLengths()},
        {"type-0", Corrupted({0, 5, 0, 'a', 0})},
        {"data-past-end", Corrupted({1, 9, 0, 9, 0, 0, 0, 'a', 0, 'x'})},
        {"dot-dot", Corrupted({3, 6, 0, '.', '.', 0})},
    };
    for (const auto& [name, bytes] : seeds) {
        const std::string path = std::string(argv[1]) + "/" + name;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
            std::fprintf(stderr, "make_seeds: %s cannot be written\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
