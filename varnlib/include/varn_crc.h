#pragma once

#include <cstdint>

#include "varn_export.h"

/// CRC-32 (the ISO-HDLC/zlib polynomial, reflected, initial value and final
/// XOR FFFFFFFF) of the bytes of a zero-terminated text, terminator excluded.
/// Class identifiers are this value of the class name.
VARN_API int32_t gCRC32(const char* text);
/// CRC-32 of length bytes; a length of 0 or less gives 0.
VARN_API int32_t gCRC32(const void* data, int32_t length);
/// A 32-bit hash of length bytes (FNV-1a), faster than the CRC and as good
/// for telling contents apart in caches.
VARN_API int32_t gHash(const void* data, int32_t length);
