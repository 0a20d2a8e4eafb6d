// libFuzzer target over everything that reads archive bytes: the checksum pass with its repaint
// offsets, the record walk, and the joining of each record's name into a target path. The
// input is libFuzzer's own exactly sized buffer, so AddressSanitizer stops any read past it.
#include <cstdint>
#include <cstring>
#include <span>

#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "base/product.h"
#include "base/text.h"
#include "fuzz_support.h"

namespace {

using fuzz::Check;

struct RepaintTrace {
    std::uint32_t last;
    std::size_t length;
};

void OnRepaint(void* context, std::uint32_t offset) {
    auto* trace = static_cast<RepaintTrace*>(context);
    Check(offset % qf::VerifyRepaintInterval == 0 && offset > trace->last && offset < trace->length);
    trace->last = offset;
}

void FuzzVerify(std::span<const std::uint8_t> archive) {
    RepaintTrace trace{0, archive.size()};
    const bool valid = qf::VerifyArchive(archive, OnRepaint, &trace);
    if (archive.size() < qf::ArchiveHeaderSize) {
        Check(!valid);
        return;
    }
    std::uint32_t sum = 0;
    for (std::size_t i = qf::ArchiveHeaderSize; i < archive.size(); ++i) sum += archive[i];
    Check(valid == (sum == qf::StoredChecksum(archive)));
}

bool Inside(std::span<const std::uint8_t> archive, const void* begin, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(begin);
    return p >= archive.data() && size <= archive.size() &&
           static_cast<std::size_t>(p - archive.data()) <= archive.size() - size;
}

void JoinName(std::string_view name) {
    constexpr std::u16string_view folder = u"C:\\Program Files\\Quenfield\\ORIN-6";
    char16_t path[qf::TargetPathCapacity];
    const bool fits = qf::JoinArchiveName(path, folder, name);
    Check(fits == (folder.size() + 1 + name.size() < qf::TargetPathCapacity));
    if (!fits) qf::JoinArchiveNameForMessage(path, folder, name);
    Check(qf::TextLength(path) < qf::TargetPathCapacity);
}

void FuzzWalk(std::span<const std::uint8_t> archive) {
    qf::ArchiveWalk walk{archive};
    qf::ArchiveRecord record;
    std::uint32_t position = walk.position;
    volatile std::uint8_t touched = 0;
    for (;;) {
        const qf::WalkStep step = qf::NextRecord(walk, record);
        if (step == qf::WalkStep::End) return;
        if (step == qf::WalkStep::Corrupted) {
            Check(qf::NextRecord(walk, record) == qf::WalkStep::End);
            return;
        }
        Check(record.offset == position);
        Check(walk.position > position && walk.position <= archive.size());
        Check(Inside(archive, record.name.data(), record.name.size() + 1));
        Check(record.data.empty() || Inside(archive, record.data.data(), record.data.size()));
        Check(std::memchr(record.name.data(), 0, record.name.size()) == nullptr);
        Check(qf::IsSafeArchiveName(record.name));
        for (const char c : record.name) touched = touched + static_cast<std::uint8_t>(c);
        for (const std::uint8_t b : record.data) touched = touched + b;
        JoinName(record.name);
        position = walk.position;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> archive(data, size);
    FuzzVerify(archive);
    FuzzWalk(archive);
    return 0;
}
