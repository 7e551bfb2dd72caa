#pragma once

// The directory cache (directory_cache.c) as built, carried inside navlor-arj.

#include <cstddef>

namespace navlor::arj {

extern const unsigned char kDirectoryCacheImage[];
extern const std::size_t kDirectoryCacheImageSize;

} // namespace navlor::arj
