#pragma once
// The bytes a file's facts are kept in between runs: compact (numbers as
// variable-length integers, days as differences, texts once), and checked
// when read back, so that a damaged entry is refused rather than believed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dates/DateParser.h"
#include "records/FileFacts.h"

namespace qz {

std::string EncodeFacts(const FileFacts& facts);
// The facts encoded in bytes; nullopt when the bytes are not exactly what
// EncodeFacts writes (cut, altered, or of another layout).
std::optional<FileFacts> DecodeFacts(std::string_view bytes);

// Everything a date locale reads dates by, as bytes: two locales give the same
// key exactly when they read every date text alike (the current year included,
// which dates without a year take).
std::string LocaleKey(const DateLocale& locale);

// The 64-bit FNV-1a hash of bytes: stable across runs, builds and systems.
std::uint64_t StableHash(std::string_view bytes);

}  // namespace qz
