#include "ui/ResourceArchive.h"

#include <cstdio>

namespace Ui {

namespace {

const char kMemoryArchiveName[] = "membuffer";

bool Fail(CUiString* error, const char* message, std::vector<unsigned char>& bytes) {
    bytes.clear();
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

} // namespace

bool ResourceSource::ReadFromArchive(const char* name, std::vector<unsigned char>& bytes,
                                     CUiString* error, std::size_t limit) const {
    const CZipArchive& archive = m_archive;
    if (!archive.IsOpen()) {
        return Fail(error, "Error opening zip file", bytes);
    }
    const int index = archive.FindEntry(name);
    if (index < 0) {
        return Fail(error, "Could not find ziped file", bytes);
    }
    const std::size_t size = archive.GetEntrySize(index);
    if (size == 0) {
        return Fail(error, "File is empty", bytes);
    }
    // Checked before inflating so an oversized entry costs no memory.
    if (size > limit) {
        return Fail(error, "File too large", bytes);
    }
    if (!archive.ReadEntry(index, bytes)) {
        return Fail(error, "Could not unzip file", bytes);
    }
    return true;
}

bool ResourceSource::ReadFromDisk(const char* name, std::vector<unsigned char>& bytes,
                                  CUiString* error, std::size_t limit) const {
    const CUiString path = m_path + name;
    std::FILE* file = std::fopen(path.GetData(), "rb");
    if (file == nullptr) {
        return Fail(error, "Error opening file", bytes);
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        size = std::ftell(file);
    }
    const char* message = nullptr;
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        message = "Could not read file";
    } else if (size == 0) {
        message = "File is empty";
    } else if (static_cast<unsigned long>(size) > limit) {
        message = "File too large";
    } else {
        bytes.resize(static_cast<std::size_t>(size));
        if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            message = "Could not read file";
        }
    }
    std::fclose(file);
    if (message != nullptr) {
        return Fail(error, message, bytes);
    }
    return true;
}

bool ResourceSource::SetZip(const void* data, std::size_t size) {
    if (data == nullptr || m_archiveName == kMemoryArchiveName) {
        return false;
    }
    m_archiveName = kMemoryArchiveName;
    return m_archive.Open(data, size);
}

bool ResourceSource::Read(const char* name, std::vector<unsigned char>& bytes, CUiString* error,
                          std::size_t limit) const {
    bytes.clear();
    if (name == nullptr) {
        return Fail(error, HasZip() ? "Could not find ziped file" : "Error opening file", bytes);
    }
    if (HasZip()) {
        return ReadFromArchive(name, bytes, error, limit);
    }
    return ReadFromDisk(name, bytes, error, limit);
}

ResourceSource& ProcessResources() {
    static ResourceSource resources;
    return resources;
}

void SetResourcePath(const char* folder) {
    ProcessResources().SetPath(folder);
}

const char* GetResourcePath() {
    return ProcessResources().Path();
}

bool SetResourceZip(const void* data, std::size_t size) {
    return ProcessResources().SetZip(data, size);
}

bool HasResourceZip() {
    return ProcessResources().HasZip();
}

const CZipArchive* GetResourceZip() {
    return ProcessResources().Zip();
}

bool ReadResourceFile(const char* name, std::vector<unsigned char>& bytes, CUiString* error,
                      std::size_t limit) {
    return ProcessResources().Read(name, bytes, error, limit);
}

} // namespace Ui
