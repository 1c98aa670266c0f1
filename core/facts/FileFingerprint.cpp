#include "facts/FileFingerprint.h"

#include <algorithm>

#include "facts/FactCoding.h"
#include "platform/FileIdentity.h"

namespace qz {

std::uint64_t FileFingerprint(const std::string& path, std::uint64_t offset) {
    const std::uint64_t length = std::min<std::uint64_t>(offset, kFingerprintBytes);
    const std::string bytes = ReadFileBytes(path, offset - length, length);
    // The length taken is part of the fingerprint: a cut window never matches.
    return StableHash(bytes) ^ (bytes.size() == length ? 0 : ~std::uint64_t{0});
}

}  // namespace qz
