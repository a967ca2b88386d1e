// Whole files as bytes, for tests on both builds. A path is a std::string,
// or a std::wstring under Windows; the bytes a std::string or a vector of
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace TestSupport {

// The file's bytes; false, with bytes empty, when it cannot be opened.
template <class Path, class Bytes> bool ReadWholeFile(const Path& path, Bytes& bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.is_open();
}

// The file's bytes; empty when it cannot be opened.
template <class Bytes = std::string, class Path> Bytes WholeFile(const Path& path) {
    Bytes bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

// Replaces the file's content with the bytes; false when it cannot be written.
template <class Path> bool WriteWholeFile(const Path& path, const char* bytes, size_t size) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes, static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}
template <class Path> bool WriteWholeFile(const Path& path, const std::string& bytes) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
}
template <class Path> bool WriteWholeFile(const Path& path, const std::vector<uint8_t>& bytes) {
    return WriteWholeFile(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

} // namespace TestSupport
