#include "ui/ResourceArchive.h"

#include <cstdio>

#include "ui/ZipArchive.h"

namespace Ui {

namespace {

const char kMemoryArchiveName[] = "membuffer";

struct ResourceState {
    CUiString path;
    CUiString archiveName; // "membuffer" once the program has handed over its archive
    CZipArchive archive;
};

ResourceState& State() {
    static ResourceState state;
    return state;
}

bool Fail(CUiString* error, const char* message, std::vector<unsigned char>& bytes) {
    bytes.clear();
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

bool ReadFromArchive(const char* name, std::vector<unsigned char>& bytes, CUiString* error,
                     std::size_t limit) {
    const CZipArchive& archive = State().archive;
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

bool ReadFromDisk(const char* name, std::vector<unsigned char>& bytes, CUiString* error,
                  std::size_t limit) {
    const CUiString path = State().path + name;
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

} // namespace

void SetResourcePath(const char* folder) {
    State().path = folder;
}

const char* GetResourcePath() {
    return State().path.GetData();
}

bool SetResourceZip(const void* data, std::size_t size) {
    ResourceState& state = State();
    if (data == nullptr || state.archiveName == kMemoryArchiveName) {
        return false;
    }
    state.archiveName = kMemoryArchiveName;
    return state.archive.Open(data, size);
}

bool HasResourceZip() {
    return !State().archiveName.IsEmpty();
}

const CZipArchive* GetResourceZip() {
    const ResourceState& state = State();
    return state.archive.IsOpen() ? &state.archive : nullptr;
}

bool ReadResourceFile(const char* name, std::vector<unsigned char>& bytes, CUiString* error,
                      std::size_t limit) {
    bytes.clear();
    if (name == nullptr) {
        return Fail(error, HasResourceZip() ? "Could not find ziped file" : "Error opening file",
                    bytes);
    }
    if (HasResourceZip()) {
        return ReadFromArchive(name, bytes, error, limit);
    }
    return ReadFromDisk(name, bytes, error, limit);
}

void ResetResourcesForTesting() {
    ResourceState& state = State();
    state.path.Empty();
    state.archiveName.Empty();
    state.archive.Close();
}

} // namespace Ui
