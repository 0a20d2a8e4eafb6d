#include "archive/archive_format.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/bytes.h"
#include "base/product.h"
#include "base/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qf {

std::uint32_t SumBytes(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    std::uint64_t sum = 0;
#if defined(__SSE2__)
    // PSADBW against zero adds 8 bytes into each 64-bit lane; four lanes of accumulators keep
    // the loads independent. A 64-bit lane cannot overflow for any 32-bit length.
    const __m128i zero = _mm_setzero_si128();
    __m128i a0 = zero, a1 = zero, a2 = zero, a3 = zero;
    for (; n >= 64; n -= 64, p += 64) {
        const auto* v = reinterpret_cast<const __m128i*>(p);
        a0 = _mm_add_epi64(a0, _mm_sad_epu8(_mm_loadu_si128(v + 0), zero));
        a1 = _mm_add_epi64(a1, _mm_sad_epu8(_mm_loadu_si128(v + 1), zero));
        a2 = _mm_add_epi64(a2, _mm_sad_epu8(_mm_loadu_si128(v + 2), zero));
        a3 = _mm_add_epi64(a3, _mm_sad_epu8(_mm_loadu_si128(v + 3), zero));
    }
    for (; n >= 16; n -= 16, p += 16) {
        a0 = _mm_add_epi64(a0, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), zero));
    }
    const __m128i total = _mm_add_epi64(_mm_add_epi64(a0, a1), _mm_add_epi64(a2, a3));
    std::uint64_t lanes[2];
    std::memcpy(lanes, &total, sizeof lanes);
    sum = lanes[0] + lanes[1];
#endif
    for (; n > 0; --n) sum += *p++;
    return static_cast<std::uint32_t>(sum);
}

std::uint32_t StoredChecksum(std::span<const std::uint8_t> archive) { return GetLe32(archive.data() + ChecksumOffset); }

bool VerifyArchive(std::span<const std::uint8_t> archive, VerifyProgressFn onRepaint, void* context) {
    if (archive.size() < ArchiveHeaderSize || archive.size() > UINT32_MAX) return false;
    const auto length = static_cast<std::uint32_t>(archive.size());
    std::uint32_t sum = 0;
    std::uint32_t offset = ArchiveHeaderSize;
    std::uint32_t next = VerifyRepaintInterval;
    // Repaint at each multiple of the interval below the length, then sum the whole stretch up
    // to the next one in one go.
    while (offset < length) {
        if (offset == next) {
            if (onRepaint) onRepaint(context, offset);
            next = next > UINT32_MAX - VerifyRepaintInterval ? UINT32_MAX : next + VerifyRepaintInterval;
        }
        const std::uint32_t stop = next < length ? next : length;
        sum += SumBytes(archive.subspan(offset, stop - offset));
        offset = stop;
    }
    return sum == StoredChecksum(archive);
}

bool IsDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    const auto is = [&](std::string_view device) { return EqualsIgnoringAsciiCase(base, device); };
    const auto startsAs = [&](std::string_view device) { return StartsWithIgnoringAsciiCase(base, device); };
    if (is("CON") || is("PRN") || is("AUX") || is("NUL") || is("CONIN$") || is("CONOUT$")) return true;
    if (base.size() != 4 || !(startsAs("COM") || startsAs("LPT"))) return false;
    // ISO 8859-1 superscript one, two and three count as digits here.
    const auto digit = static_cast<unsigned char>(base[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

bool IsSafeArchiveComponent(std::string_view component) {
    // Windows drops a component's trailing dots and blanks, so ".. " would become "..";
    // this also refuses "." and "..".
    return !component.empty() && component.back() != '.' && component.back() != ' ' &&
           component.find(':') == std::string_view::npos && !IsDeviceName(component);
}

bool IsUninstallerName(std::string_view component) {
    while (!component.empty() && (component.back() == '.' || component.back() == ' ')) component.remove_suffix(1);
    // Names are ISO 8859-1, where no letter but a-z folds to an ASCII one, so an ASCII fold finds
    // every spelling that Windows takes for these names.
    const auto is = [&](std::u16string_view own) {
        return component.size() == own.size() &&
               std::equal(component.begin(), component.end(), own.begin(), [](char c, char16_t o) {
                   return AsciiLower(static_cast<unsigned char>(c)) == AsciiLower(o);
               });
    };
    return is(UninstallerFileName) || is(UninstallerTemporaryName);
}

bool IsSafeArchiveName(std::string_view name) {
    if (name.empty()) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view component = name.substr(start, end - start);
        if (!IsSafeArchiveComponent(component) || (start == 0 && IsUninstallerName(component))) return false;
        start = end + 1;
    }
    return true;
}

namespace {

// Length of the name at from, scanned up to limit bytes and never past the archive. Sets
// terminated when a NUL ends it within both bounds.
std::uint32_t ScanName(std::span<const std::uint8_t> archive, std::uint32_t from, std::uint32_t limit,
                       bool& terminated) {
    const auto length = static_cast<std::uint32_t>(archive.size());
    const std::uint32_t available = from < length ? length - from : 0;
    const std::uint32_t bound = limit < available ? limit : available;
    const void* nul = std::memchr(archive.data() + from, 0, bound);
    terminated = nul != nullptr;
    return terminated ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - (archive.data() + from))
                      : bound;
}

// A file record at p, below the archive's end: its header, its name within the header length
// and its data within the archive. Sets end past its data.
bool ReadFileRecord(std::span<const std::uint8_t> archive, std::uint32_t p, ArchiveRecord& record, std::uint32_t& end) {
    const auto length = static_cast<std::uint32_t>(archive.size());
    if (length - p < FileNameOffset) return false;
    const std::uint8_t* header = archive.data() + p;
    const std::uint32_t headerLength = GetLe16(header + RecordLengthOffset);
    const std::uint32_t size = GetLe32(header + FileSizeOffset);
    bool terminated = false;
    const std::uint32_t n = ScanName(archive, p + FileNameOffset, headerLength, terminated);
    if (!terminated || headerLength < n + FileHeaderOverhead) return false;
    const std::uint32_t dataStart = p + FileNameOffset + n + 1;
    if (size > length - dataStart) return false;
    record.type = RecordType::File;
    record.name = {reinterpret_cast<const char*>(header + FileNameOffset), n};
    record.data = archive.subspan(dataStart, size);
    end = dataStart + size;
    return true;
}

// A directory record at p, below the archive's end: its stored length, at least a one-byte
// name and its NUL, within the archive, and the name ending inside it. Sets end past it.
bool ReadDirectoryRecord(std::span<const std::uint8_t> archive, std::uint32_t p, ArchiveRecord& record,
                         std::uint32_t& end) {
    const std::uint32_t remaining = static_cast<std::uint32_t>(archive.size()) - p;
    if (remaining < DirectoryNameOffset) return false;
    const std::uint8_t* header = archive.data() + p;
    const std::uint32_t recordLength = GetLe16(header + RecordLengthOffset);
    if (recordLength < DirectoryRecordOverhead + 1 || recordLength > remaining) return false;
    bool terminated = false;
    const std::uint32_t n = ScanName(archive, p + DirectoryNameOffset, recordLength - DirectoryNameOffset, terminated);
    if (!terminated || recordLength < n + DirectoryRecordOverhead) return false;
    record.type = RecordType::Directory;
    record.name = {reinterpret_cast<const char*>(header + DirectoryNameOffset), n};
    record.data = {};
    end = p + recordLength;
    return true;
}

}  // namespace

WalkStep NextRecord(ArchiveWalk& walk, ArchiveRecord& record) {
    const auto length = static_cast<std::uint32_t>(walk.archive.size());
    const std::uint32_t p = walk.position;
    if (length <= ArchiveHeaderSize || p >= length) return WalkStep::End;
    record.offset = p;
    std::uint32_t end = 0;
    bool read = false;
    switch (static_cast<RecordType>(walk.archive[p])) {
        case RecordType::File: read = ReadFileRecord(walk.archive, p, record, end); break;
        case RecordType::Directory: read = ReadDirectoryRecord(walk.archive, p, record, end); break;
    }
    if (!read || !IsSafeArchiveName(record.name)) {
        walk.position = length;  // a corrupted walk never goes on
        return WalkStep::Corrupted;
    }
    walk.position = end;
    return WalkStep::Record;
}

}  // namespace qf
