// qz-gen-records: writes a deterministic production record file.
//   qz-gen-records <path> <size in MiB> [seed]

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/RecordGenerator.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s <path> <size in MiB> [seed]\n", argv[0]);
        return 2;
    }
    try {
        const std::uint64_t mib = std::stoull(argv[2]);
        const std::uint64_t seed = argc == 4 ? std::stoull(argv[3]) : 1;
        const qz::RecordFileStats stats = qz::GenerateRecordFile(argv[1], mib << 20, seed);
        std::printf("%s: %llu bytes, %llu records\n", argv[1],
                    static_cast<unsigned long long>(stats.bytes),
                    static_cast<unsigned long long>(stats.records));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
