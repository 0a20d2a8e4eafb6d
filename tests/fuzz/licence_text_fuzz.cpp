// libFuzzer target over the licence text: the build's rule check and the licence page's split
// into list entries, for any bytes a release engineer might hand in.
//
// What is checked for every text: each entry is at most 89 units, terminated, and is text of
// the licence itself, found in it in order and after the previous entry (never bytes left over
// from an earlier, longer line); the split advances, so there are never more entries than
// bytes. A text that passes the rule check is split into exactly its lines: each entry followed
// by CR LF gives the text back.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "base/licence_text.h"

namespace {

using fuzz::Check;

void KeepLine(void* context, const char16_t* line) {
    std::u16string_view entry(line);  // reads up to the terminator: ASan stops it past the buffer
    Check(entry.size() < qf::LicenceLineCapacity);
    std::string bytes;
    for (const char16_t unit : entry) {
        Check(unit <= 0xFF);
        bytes.push_back(static_cast<char>(unit));
    }
    static_cast<std::vector<std::string>*>(context)->push_back(std::move(bytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> text(data, size);
    std::vector<std::string> lines;
    qf::SplitLicenceText(text, KeepLine, &lines);
    Check(lines.size() <= size);

    const std::string_view bytes = fuzz::Bytes(text);
    std::size_t from = 0;
    for (const std::string& line : lines) {
        const std::size_t at = bytes.find(line, from);
        Check(at != std::string_view::npos);
        from = at + line.size();
    }

    const auto problem = qf::CheckLicenceText(text);
    if (problem) {
        Check(problem->line >= 1 && problem->line <= lines.size() + 1);
        return 0;
    }
    std::string joined;
    for (const std::string& line : lines) joined += line + "\r\n";
    Check(joined == bytes);
    return 0;
}
