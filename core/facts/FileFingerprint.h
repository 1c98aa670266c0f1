#pragma once
// The fingerprint of a file's bytes before an offset: what tells a grown file
// (its old bytes still in place) from one rewritten since its facts were
// counted, without reading the file again.
//
// It is StableHash over the kFingerprintBytes before the offset (all of them
// when fewer). Record lines are about a hundred bytes and each starts with its
// date and time, so the window holds dozens of whole lines and their times: a
// file truncated and written anew, or rewritten in place, differs there even
// when its size grew past the offset. A hash rather than the bytes keeps each
// entry small; the window is read at one place, so checking costs one read.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qz {

inline constexpr std::size_t kFingerprintBytes = 4096;

// The fingerprint of the file at path before offset. Throws FileError; a file
// shorter than offset has a fingerprint of what it holds, which differs from
// one taken when it was long enough.
std::uint64_t FileFingerprint(const std::string& path, std::uint64_t offset);

}  // namespace qz
