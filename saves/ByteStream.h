// Little-endian byte buffers for the player's binary files (quest saves, score
// tables, best results, trophies). Every file is built in memory field by field
// and written in one go, so a file on disk is either the old one or the new one;
// readers parse a buffer and report the first field that runs past its end.
// `long` is 64 bits here and structs have padding: never copy a struct raw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win32/types.h"

class CByteWriter
{
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        U32(bits);
    }
    void F64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        for (int i = 0; i < 8; ++i)
            m_bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    void Bytes(const void* data, size_t size)
    {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), p, p + size);
    }
    // A GUID as the original platform lays it out: Data1, Data2, Data3 little-endian, then Data4.
    void Guid(const GUID& g)
    {
        U32(g.Data1);
        U8(static_cast<uint8_t>(g.Data2));
        U8(static_cast<uint8_t>(g.Data2 >> 8));
        U8(static_cast<uint8_t>(g.Data3));
        U8(static_cast<uint8_t>(g.Data3 >> 8));
        Bytes(g.Data4, 8);
    }

    const std::vector<uint8_t>& Data() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
};

class CByteReader
{
public:
    CByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit CByteReader(const std::vector<uint8_t>& bytes) : CByteReader(bytes.data(), bytes.size()) {}

    // Each read either takes the whole field and returns true, or takes nothing.
    bool Bytes(void* out, size_t size)
    {
        if (size > m_size - m_pos)
            return false;
        if (size > 0)
            std::memcpy(out, m_data + m_pos, size);
        m_pos += size;
        return true;
    }
    bool U8(uint8_t& v) { return Bytes(&v, 1); }
    bool U32(uint32_t& v)
    {
        uint8_t b[4];
        if (!Bytes(b, 4))
            return false;
        v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool I32(int32_t& v)
    {
        uint32_t u;
        if (!U32(u))
            return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool F32(float& v)
    {
        uint32_t u;
        if (!U32(u))
            return false;
        std::memcpy(&v, &u, 4);
        return true;
    }
    bool F64(double& v)
    {
        uint8_t b[8];
        if (!Bytes(b, 8))
            return false;
        uint64_t u = 0;
        for (int i = 7; i >= 0; --i)
            u = (u << 8) | b[i];
        std::memcpy(&v, &u, 8);
        return true;
    }
    bool Guid(GUID& g)
    {
        uint8_t b[16];
        if (!Bytes(b, 16))
            return false;
        g.Data1 = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        g.Data2 = static_cast<uint16_t>(b[4] | b[5] << 8);
        g.Data3 = static_cast<uint16_t>(b[6] | b[7] << 8);
        std::memcpy(g.Data4, b + 8, 8);
        return true;
    }

    size_t Position() const { return m_pos; }
    size_t Remaining() const { return m_size - m_pos; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Reads a whole file (at most `limit` bytes; the game's files are a few kilobytes)
// into `out`. False when the file cannot be opened.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& out, size_t limit = 1 << 20);

// Writes `bytes` to `path` through a temporary file renamed over the old one.
bool WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes);
