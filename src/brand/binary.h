// Little-endian fields of the files the branding tool reads and writes, read
// with their bounds checked: a field that lies outside its bytes is a fault of
// the input, reported as a BrandError, never read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace embark::brand {

// What went wrong, as the one line the user sees.
struct BrandError {
    std::string message;
};

[[noreturn]] inline void fail(std::string message) {
    throw BrandError{std::move(message)};
}

class BytesView {
public:
    BytesView(std::string_view bytes, const char* what) : bytes_(bytes), what_(what) {}

    bool holds(uint64_t offset, uint64_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    std::string_view range(uint64_t offset, uint64_t size) const {
        if (!holds(offset, size)) fail(std::string(what_) + " is damaged: a part of it lies beyond its end");
        return bytes_.substr(offset, size);
    }
    uint16_t u16(uint64_t offset) const { return static_cast<uint16_t>(unsigned_field(offset, 2)); }
    uint32_t u32(uint64_t offset) const { return static_cast<uint32_t>(unsigned_field(offset, 4)); }
    uint8_t u8(uint64_t offset) const { return static_cast<uint8_t>(unsigned_field(offset, 1)); }
    size_t size() const { return bytes_.size(); }
    std::string_view bytes() const { return bytes_; }

private:
    uint64_t unsigned_field(uint64_t offset, int size) const {
        std::string_view field = range(offset, size);
        uint64_t value = 0;
        for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(field[i]);
        return value;
    }

    std::string_view bytes_;
    const char* what_;
};

inline void put_u16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}
inline void put_u32(std::string& out, uint32_t value) {
    put_u16(out, static_cast<uint16_t>(value & 0xFFFF));
    put_u16(out, static_cast<uint16_t>(value >> 16));
}
inline void set_u16(std::string& out, size_t offset, uint16_t value) {
    out[offset] = static_cast<char>(value & 0xFF);
    out[offset + 1] = static_cast<char>(value >> 8);
}
inline void set_u32(std::string& out, size_t offset, uint32_t value) {
    set_u16(out, offset, static_cast<uint16_t>(value & 0xFFFF));
    set_u16(out, offset + 2, static_cast<uint16_t>(value >> 16));
}
inline void pad_to(std::string& out, size_t alignment) {
    out.resize((out.size() + alignment - 1) / alignment * alignment, '\0');
}
inline uint64_t align_up(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

} // namespace embark::brand
