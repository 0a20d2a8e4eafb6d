// Whole files in one go: a file read as one view of memory, and a block written with one call
// whose count is checked. Each caller keeps its own messages; these say only what failed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstddef>
#include <span>

namespace qf {

// A whole file mapped copy-on-write: its bytes may be changed in place for a copy, and the file
// itself never is. A view rather than heap memory, so that a copy of the running installer
// takes no private memory beside the installer's own image, and its pages come from the file
// cache as the write takes them. Unmapped when it goes.
struct FileView {
    std::uint8_t* bytes = nullptr;
    DWORD size = 0;

    FileView() = default;
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    ~FileView();
    std::span<std::uint8_t> Bytes() const { return {bytes, size}; }
};

enum class ViewResult {
    Mapped,
    NotOpened,  // the error is the open's
    Unusable,   // empty, unmeasurable or 4 GiB and more: nothing sensible to copy
    NoMemory,   // the view could not be had, as an allocation fails
};

// Opens path for reading, shared for reading, and maps all of it. The open's error is left in
// openError.
ViewResult MapWholeFile(const wchar_t* path, FileView& view, DWORD& openError);

// A block of the process heap, freed when it goes; empty when it could not be had.
struct HeapBlock {
    std::uint8_t* bytes = nullptr;
    std::size_t size = 0;

    explicit HeapBlock(std::size_t wanted);
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    ~HeapBlock();
    std::span<std::uint8_t> Bytes() const { return {bytes, size}; }
};

enum class CopyResult {
    Copied,
    ReadFailed,
    WriteFailed,  // the error is the write's: a full disk, ...
};

// Copies size bytes from source to target, each at its current position, through buffer: a
// file of any size in the memory of one buffer.
CopyResult CopyData(HANDLE source, HANDLE target, std::uint32_t size, std::span<std::uint8_t> buffer);

// Writes the whole block with one call. ERROR_SUCCESS, or why it did not all go in.
DWORD WriteWhole(HANDLE file, std::span<const std::uint8_t> data);

struct NewFileResult {
    bool opened;
    DWORD error;  // ERROR_SUCCESS when the whole block went in
};

// Creates or replaces path (read and write access, the given sharing) and writes data into it.
NewFileResult WriteNewFile(const wchar_t* path, DWORD share, std::span<const std::uint8_t> data);

}  // namespace qf
