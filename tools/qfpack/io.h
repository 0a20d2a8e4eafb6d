// Whole-file reading and writing, and the one way qfpack reports a failure.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qfpack {

using Bytes = std::vector<std::uint8_t>;

inline bool ReadWholeFile(const std::string& path, Bytes& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A file that could not be written whole is removed, so no half-written output is left.
inline bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return true;
    std::remove(path.c_str());
    return false;
}

inline int Fail(const std::string& message) {
    std::fprintf(stderr, "qfpack: %s\n", message.c_str());
    return 1;
}

}  // namespace qfpack
