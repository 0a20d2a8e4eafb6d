#include "pack_tree.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "archive/archive_format.h"
#include "archive/archive_writer.h"
#include "base/text.h"
#include "latin1.h"

namespace fs = std::filesystem;

namespace qfpack {

namespace {

constexpr char ForbiddenOnWindows[] = "\\/:*?\"<>|";
constexpr std::uintmax_t FourGiB = 0x1'0000'0000ull;

bool Within(const fs::path& inner, const fs::path& outer) {
    const auto rel = inner.lexically_relative(outer);
    return !rel.empty() && *rel.begin() != "..";
}

struct Entry {
    std::string name;  // archive form of the file name
    fs::directory_entry entry;
};

struct Packer {
    fs::path root;  // canonical
    std::vector<std::uint8_t>& archive;
    std::string error;

    bool Fail(const fs::path& where, const std::string& why) {
        error = where.string() + ": " + why;
        return false;
    }

    bool Directory(const fs::path& dir, const std::string& prefix) {
        std::vector<Entry> entries;
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = ArchiveComponent(it->path().filename());
            if (name.empty() && qf::IsDeviceName(it->path().filename().string()))
                return Fail(it->path(), "is a Windows device name (CON, NUL, COM1, ...), not a file name");
            if (name.empty()) return Fail(it->path(), "name cannot be written on Windows as 8-bit text");
            if (prefix.empty() && qf::IsUninstallerName(name))
                return Fail(it->path(),
                            "is the name of the installer's uninstaller (or its temporary copy) at the top "
                            "of the tree; extraction would write over the uninstaller");
            entries.push_back({name, *it});
        }
        if (ec) return Fail(dir, ec.message());
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return qf::LessIgnoringAsciiCase(a.name, b.name); });
        for (std::size_t i = 1; i < entries.size(); ++i) {
            if (qf::EqualsIgnoringAsciiCase(entries[i].name, entries[i - 1].name))
                return Fail(entries[i].entry.path(), "differs from " + entries[i - 1].name + " only in case");
        }
        for (const Entry& e : entries) {
            const std::string name = prefix.empty() ? e.name : prefix + "\\" + e.name;
            if (name.size() > qf::MaxArchiveNameLength)
                return Fail(e.entry.path(), "name longer than " + std::to_string(qf::MaxArchiveNameLength) +
                                                " bytes does not fit the installer's paths");
            if (!Add(e.entry, name)) return false;
        }
        return true;
    }

    bool Add(const fs::directory_entry& entry, const std::string& name) {
        const fs::path path = entry.path();
        std::error_code ec;
        if (entry.is_symlink(ec)) {
            const fs::path target = fs::canonical(path, ec);
            if (ec) return Fail(path, "link cannot be resolved");
            if (!Within(target, root)) return Fail(path, "link leaves the tree");
            const fs::path parent = fs::canonical(path.parent_path(), ec);
            if (fs::is_directory(target) && (parent == target || Within(parent, target)))
                return Fail(path, "link to a directory above it would repeat forever");
        }
        if (entry.is_directory(ec)) {
            qf::AppendDirectoryRecord(archive, name);
            return Directory(path, name);
        }
        if (!entry.is_regular_file(ec)) return Fail(path, "neither a file nor a directory");
        const std::uintmax_t size = entry.file_size(ec);
        if (ec) return Fail(path, ec.message());
        if (size >= FourGiB) return Fail(path, "file of 4 GiB or more");
        std::ifstream in(path, std::ios::binary);
        std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
        if (!in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size)))
            return Fail(path, "cannot be read");
        qf::AppendFileRecord(archive, name, data);
        if (archive.size() >= FourGiB) return Fail(path, "archive would reach 4 GiB");
        return true;
    }
};

}  // namespace

std::string ArchiveComponent(const fs::path& fileName) {
    const std::u8string utf8 = fileName.u8string();
    const auto name = Utf8ToLatin1({reinterpret_cast<const char*>(utf8.data()), utf8.size()});
    if (!name || name->empty()) return {};
    for (const char c : *name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view(ForbiddenOnWindows).find(c) != std::string_view::npos)
            return {};
    }
    if (!qf::IsSafeArchiveComponent(*name)) return {};
    return *name;
}

std::string PackTree(const fs::path& root, std::vector<std::uint8_t>& archive) {
    std::error_code ec;
    Packer packer{fs::canonical(root, ec), archive, {}};
    if (ec || !fs::is_directory(packer.root)) return root.string() + ": not a directory";
    packer.Directory(packer.root, "");
    return packer.error;
}

}  // namespace qfpack
