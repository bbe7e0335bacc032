// binari.h: the fixed-width values of binary files (STL, PLY, GLB, glTF
// buffers, ZIP headers), read byte by byte whatever the machine's order and
// alignment.
#ifndef SUPERFICIE_TEXT_BINARI_H
#define SUPERFICIE_TEXT_BINARI_H

#include <cstdint>
#include <cstring>

inline uint16_t u16_le(const void *p)
{
    const unsigned char *b = static_cast<const unsigned char *>(p);
    return (uint16_t)(b[0] | b[1] << 8);
}
inline uint32_t u32_le(const void *p)
{
    const unsigned char *b = static_cast<const unsigned char *>(p);
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}
inline uint32_t u32_be(const void *p)
{
    const unsigned char *b = static_cast<const unsigned char *>(p);
    return (uint32_t)b[3] | (uint32_t)b[2] << 8 | (uint32_t)b[1] << 16 | (uint32_t)b[0] << 24;
}
inline float f32_le(const void *p)
{
    const uint32_t u = u32_le(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}
inline float f32_be(const void *p)
{
    const uint32_t u = u32_be(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

#endif
