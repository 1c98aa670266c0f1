#pragma once
// Image files compiled into the program (res/EmbedFiles.cmake writes them).

#include <cstddef>

namespace qz::embedded {

extern const unsigned char kBannerPng[];  // 1200 x 60, RGBA
extern const std::size_t kBannerPngSize;
extern const unsigned char kIcon48Png[];
extern const std::size_t kIcon48PngSize;
extern const unsigned char kIcon256Png[];
extern const std::size_t kIcon256PngSize;

}  // namespace qz::embedded
