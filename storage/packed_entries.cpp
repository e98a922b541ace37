#include "storage/packed_entries.h"

namespace {

// A field's length goes in seven bits a byte, low bits first, the top bit
// set on every byte but the last: one byte for nearly every field.
void put_length(std::string& bytes, uint64_t length) {
    for (; length >= 0x80; length >>= 7) bytes += static_cast<char>(0x80 | (length & 0x7F));
    bytes += static_cast<char>(length);
}

std::string_view take_field(const std::string& bytes, uint64_t& at) {
    uint64_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        length |= uint64_t{byte & 0x7Fu} << shift;
        if (byte < 0x80) break;
    }
    const std::string_view field(bytes.data() + at, length);
    at += length;
    return field;
}

}  // namespace

void add_packed_entry(packed_entries& packed, const entry_fields& entry) {
    packed.starts.push_back(packed.bytes.size());
    for (std::string_view field : {entry.name, entry.author, entry.source, entry.file_name}) {
        put_length(packed.bytes, field.size());
        packed.bytes.append(field);
    }
}

entry_fields packed_entry(const packed_entries& packed, size_t i) {
    uint64_t at = packed.starts[i];
    entry_fields entry;
    entry.name = take_field(packed.bytes, at);
    entry.author = take_field(packed.bytes, at);
    entry.source = take_field(packed.bytes, at);
    entry.file_name = take_field(packed.bytes, at);
    return entry;
}

std::string_view packed_name(const packed_entries& packed, size_t i) {
    uint64_t at = packed.starts[i];
    return take_field(packed.bytes, at);
}
