#include "settings/CameraMemoryStore.h"

#include <cerrno>
#include <cstdlib>

namespace {

const char kHeader[] = "Orvana camera memory 1";

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

// A whole decimal number within [minimum, maximum], nothing else in the field.
bool ParseNumber(const std::string& field, long minimum, long maximum, long& value) {
    if (field.empty() || field.size() > 20)
        return false;
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(field.c_str(), &end, 10);
    if (errno != 0 || end != field.c_str() + field.size() || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

bool ParseIdentity(const std::vector<std::string>& fields, CameraIdentity& identity) {
    long ordinal = 0;
    if (fields.size() != 4 || fields[2].empty() ||
        fields[1].size() > CameraMemoryStore::kMaxFieldBytes ||
        fields[2].size() > CameraMemoryStore::kMaxFieldBytes ||
        fields[1].find('\r') != std::string::npos || fields[2].find('\r') != std::string::npos ||
        !ParseNumber(fields[3], 0, static_cast<long>(CameraMemoryStore::kMaxCameras), ordinal)) {
        return false;
    }
    identity.path = fields[1];
    identity.name = fields[2];
    identity.ordinal = static_cast<int>(ordinal);
    return true;
}

// Tabs and line ends would break the record; device names never hold them.
std::string Field(const std::string& text) {
    std::string field = text.substr(0, CameraMemoryStore::kMaxFieldBytes);
    for (char& c : field) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return field;
}

std::string IdentityFields(const CameraIdentity& identity) {
    return Field(identity.path) + "\t" + Field(identity.name) + "\t" +
           std::to_string(identity.ordinal);
}

bool PathOfAnotherAttached(const std::string& path, const std::vector<CameraIdentity>& attached) {
    if (path.empty())
        return false;
    for (const CameraIdentity& camera : attached) {
        if (camera.path == path)
            return true;
    }
    return false;
}

// One property record: interface, number, value, mode (automatic or manual).
bool ParseProperty(const std::vector<std::string>& fields, RememberedProperty& property) {
    long number = 0, value = 0, flags = 0;
    if (fields.size() != 4 || !ParseNumber(fields[1], 0, 63, number) ||
        !ParseNumber(fields[2], -2147483647L - 1, 2147483647L, value) ||
        !ParseNumber(fields[3], 1, 2, flags)) {
        return false;
    }
    property.source =
        fields[0] == "procamp" ? PropertyInterface::VideoProcAmp : PropertyInterface::CameraControl;
    property.property = number;
    property.value = value;
    property.flags = flags;
    return true;
}

} // namespace

void CameraMemoryStore::Parse(const std::string& text) {
    m_cameras.clear();
    m_hasLast = false;
    m_last = CameraIdentity{};

    std::size_t start = 0;
    bool headerSeen = false;
    RememberedCamera* current = nullptr;
    for (;;) {
        std::size_t end = text.find('\n', start);
        // Every line is written with its line feed: one without is a cut-off write.
        if (end == std::string::npos)
            return;
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!headerSeen) {
            if (line != kHeader)
                return; // another version, or not ours at all
            headerSeen = true;
            continue;
        }
        std::vector<std::string> fields = SplitFields(line);
        const std::string& key = fields[0];
        if (key == "camera") {
            CameraIdentity identity;
            current = nullptr;
            if (!ParseIdentity(fields, identity) || m_cameras.size() >= kMaxCameras)
                continue;
            m_cameras.push_back(RememberedCamera{identity, {}, -1, -1});
            current = &m_cameras.back();
        } else if (key == "last") {
            CameraIdentity identity;
            if (ParseIdentity(fields, identity)) {
                m_last = identity;
                m_hasLast = true;
            }
        } else if (!current) {
            continue; // a camera's record whose camera line was unsound
        } else if (key == "procamp" || key == "cameracontrol") {
            RememberedProperty property;
            if (ParseProperty(fields, property) &&
                (current->properties.size() < kMaxProperties ||
                 // a repeat replaces its earlier record, so it does not count against the bound
                 [&] {
                     for (const RememberedProperty& p : current->properties) {
                         if (p.source == property.source && p.property == property.property)
                             return true;
                     }
                     return false;
                 }())) {
                SetProperty(*current, property);
            }
        } else if (key == "mirror") {
            long mirror = 0;
            if (fields.size() == 2 && ParseNumber(fields[1], 0, 1, mirror))
                current->mirror = static_cast<int>(mirror);
        } else if (key == "powerline") {
            long value = 0;
            if (fields.size() == 2 && ParseNumber(fields[1], 0, 255, value))
                current->powerLine = value;
        }
    }
}

std::string CameraMemoryStore::Serialize() const {
    std::string text = std::string(kHeader) + "\n";
    if (m_hasLast)
        text += "last\t" + IdentityFields(m_last) + "\n";
    for (const RememberedCamera& camera : m_cameras) {
        if (camera.Empty())
            continue;
        text += "camera\t" + IdentityFields(camera.identity) + "\n";
        for (const RememberedProperty& property : camera.properties) {
            text += property.source == PropertyInterface::VideoProcAmp ? "procamp\t"
                                                                       : "cameracontrol\t";
            text += std::to_string(property.property) + "\t" + std::to_string(property.value) +
                    "\t" + std::to_string(property.flags) + "\n";
        }
        if (camera.mirror >= 0)
            text += "mirror\t" + std::to_string(camera.mirror) + "\n";
        if (camera.powerLine >= 0)
            text += "powerline\t" + std::to_string(camera.powerLine) + "\n";
    }
    return text;
}

RememberedCamera* CameraMemoryStore::Find(const CameraIdentity& camera,
                                          const std::vector<CameraIdentity>& attached) {
    if (camera.path.empty()) {
        for (RememberedCamera& entry : m_cameras) {
            if (entry.identity.path.empty() && entry.identity.name == camera.name &&
                entry.identity.ordinal == camera.ordinal) {
                return &entry;
            }
        }
        return nullptr;
    }
    for (RememberedCamera& entry : m_cameras) {
        if (entry.identity.path == camera.path)
            return &entry;
    }
    // Plugged into another port: the path changed, the name did not.
    RememberedCamera* byName = nullptr;
    int named = 0;
    for (RememberedCamera& entry : m_cameras) {
        if (entry.identity.name == camera.name) {
            byName = &entry;
            ++named;
        }
    }
    if (named != 1 || PathOfAnotherAttached(byName->identity.path, attached))
        return nullptr;
    byName->identity.path = camera.path;
    byName->identity.ordinal = camera.ordinal;
    return byName;
}

RememberedCamera& CameraMemoryStore::FindOrAdd(const CameraIdentity& camera,
                                               const std::vector<CameraIdentity>& attached) {
    if (RememberedCamera* found = Find(camera, attached))
        return *found;
    if (m_cameras.size() >= kMaxCameras) {
        DropEmpty();
        if (m_cameras.size() >= kMaxCameras)
            m_cameras.erase(m_cameras.begin()); // the oldest entry gives way
    }
    m_cameras.push_back(RememberedCamera{camera, {}, -1, -1});
    return m_cameras.back();
}

void CameraMemoryStore::SetProperty(RememberedCamera& camera, const RememberedProperty& property) {
    for (RememberedProperty& held : camera.properties) {
        if (held.source == property.source && held.property == property.property) {
            held = property;
            return;
        }
    }
    camera.properties.push_back(property);
}

int CameraMemoryStore::LastChosen(const std::vector<CameraIdentity>& attached) const {
    if (!m_hasLast)
        return -1;
    int byName = -1;
    int named = 0;
    for (std::size_t i = 0; i < attached.size(); ++i) {
        const CameraIdentity& camera = attached[i];
        if (!m_last.path.empty() && camera.path == m_last.path)
            return static_cast<int>(i);
        if (camera.name != m_last.name)
            continue;
        if (m_last.path.empty() && camera.path.empty() && camera.ordinal == m_last.ordinal)
            return static_cast<int>(i);
        ++named;
        byName = static_cast<int>(i);
    }
    // Moved to another port: only when no other camera could be meant.
    return !m_last.path.empty() && named == 1 ? byName : -1;
}

void CameraMemoryStore::SetLastChosen(const CameraIdentity& camera) {
    m_last = camera;
    m_hasLast = true;
}

void CameraMemoryStore::DropEmpty() {
    for (auto it = m_cameras.begin(); it != m_cameras.end();) {
        it = it->Empty() ? m_cameras.erase(it) : it + 1;
    }
}
