// The checksum pass over a payload of the shipped archive's shape, against a memchr scan of the
// same bytes: memchr is the C library's fastest read of every byte, so the ratio tells how far
// the sum is from reading memory.
//   verify_bench ARCHIVE [benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "archive/archive_format.h"

namespace {

std::vector<std::uint8_t> Archive;

void CountRepaint(void* context, std::uint32_t) { ++*static_cast<std::uint32_t*>(context); }

void VerifyArchive(benchmark::State& state) {
    for (auto _ : state) {
        std::uint32_t repaints = 0;
        benchmark::DoNotOptimize(qf::VerifyArchive(Archive, CountRepaint, &repaints));
        benchmark::DoNotOptimize(repaints);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Archive.size()));
}

// memchr stops at a match, so it looks for the byte value the archive holds least often and
// starts again after each one; the calls add a little to the reference's time, never less.
std::uint8_t RarestByte() {
    std::array<std::size_t, 256> counts{};
    for (const std::uint8_t b : Archive) ++counts[b];
    return static_cast<std::uint8_t>(std::min_element(counts.begin(), counts.end()) - counts.begin());
}

void MemchrScan(benchmark::State& state) {
    const std::uint8_t rare = RarestByte();
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        const auto* p = Archive.data() + qf::ArchiveHeaderSize;
        const auto* end = Archive.data() + Archive.size();
        while (p < end) {
            const void* hit = std::memchr(p, rare, static_cast<std::size_t>(end - p));
            if (!hit) break;
            ++matches;
            p = static_cast<const std::uint8_t*>(hit) + 1;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Archive.size()));
}

// memchr over a buffer of the same length that holds no match: one call, the floor of reading
// that many bytes. Not the same bytes, so only a second, stricter reference. The buffer is
// written first: untouched zeroed pages would all read from one shared page.
void MemchrNoMatch(benchmark::State& state) {
    const std::vector<std::uint8_t> blanks(Archive.size(), ' ');
    for (auto _ : state) benchmark::DoNotOptimize(std::memchr(blanks.data(), 0, blanks.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Archive.size()));
}

}  // namespace

BENCHMARK(VerifyArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(MemchrScan)->Unit(benchmark::kMillisecond);
BENCHMARK(MemchrNoMatch)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fputs("usage: verify_bench ARCHIVE [benchmark options]\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    Archive.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (Archive.size() < qf::ArchiveHeaderSize) {
        std::fprintf(stderr, "verify_bench: %s is no archive\n", argv[1]);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
