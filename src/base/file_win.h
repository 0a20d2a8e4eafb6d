// Whole files in one go: a file read with one call into a block of the heap, a file copied
// through a buffer, and a block written with one call whose count is checked. Each caller keeps
// its own messages; these say only what failed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstddef>
#include <span>

namespace qf {

// A block of the process heap, freed when it goes; empty when it could not be had.
struct HeapBlock {
    std::uint8_t* bytes = nullptr;
    std::size_t size = 0;

    HeapBlock() = default;
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    ~HeapBlock();
    std::span<std::uint8_t> Bytes() const { return {bytes, size}; }
    // False when the process heap has no room for it.
    bool Allocate(std::size_t wanted);
};

enum class ReadResult {
    Read,
    NotOpened,   // the error is the open's
    Unusable,    // empty, unmeasurable or 4 GiB and more: nothing sensible to copy
    NoMemory,    // no block of that size
    ReadFailed,  // the read itself failed (a network share gone, a bad sector)
};

// Opens path for reading, shared for reading, and reads all of it into block with one call.
// The open's error is left in openError.
ReadResult ReadWholeFile(const wchar_t* path, HeapBlock& block, DWORD& openError);

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
