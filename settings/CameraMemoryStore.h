// What the user set on each camera, kept apart from setting.ini: its image
// properties (value and mode), its mirror state and its anti-flicker
// frequency, plus the camera the user chose last. Only what the user changed
// is held; everything else stays whatever the camera holds.
//
// The text form is small, versioned and readable (UTF-8, one record a line,
// fields separated by tabs):
//   Orvana camera memory 1
//   last    <path> <name> <ordinal>
//   camera  <path> <name> <ordinal>
//   procamp <property> <value> <flags>        (belongs to the camera above)
//   cameracontrol <property> <value> <flags>
//   mirror  <0|1>
//   powerline <value>
// A damaged or hand-edited text is read as far as it is sound: a line that
// does not parse, or the unterminated last line of a cut-off file, is passed
// over; a text of another version is not read at all.
#pragma once

#include <string>
#include <vector>

// How the program knows a camera: its device path, its name, and its place
// among the attached cameras of that name (for cameras without a path).
struct CameraIdentity {
    std::string path; // UTF-8; empty when the device has none
    std::string name; // UTF-8
    int ordinal = 0;
};

enum class PropertyInterface { VideoProcAmp, CameraControl };

struct RememberedProperty {
    PropertyInterface source = PropertyInterface::VideoProcAmp;
    long property = 0;
    long value = 0;
    long flags = 0;
};

struct RememberedCamera {
    CameraIdentity identity;
    std::vector<RememberedProperty> properties;
    int mirror = -1;     // -1 never set, else 0 normal or 1 mirrored
    long powerLine = -1; // -1 never set

    bool Empty() const { return properties.empty() && mirror < 0 && powerLine < 0; }
};

class CameraMemoryStore {
public:
    // Bounds on what a text may make the store hold.
    static constexpr std::size_t kMaxCameras = 64;
    static constexpr std::size_t kMaxProperties = 32;
    static constexpr std::size_t kMaxFieldBytes = 1024;

    // Replaces the content with what the text holds, as far as it is sound.
    void Parse(const std::string& text);
    std::string Serialize() const;

    // The remembered camera for `camera`, or null. `attached` is every camera
    // attached now (`camera` among them). A camera is found by its path; one
    // whose path changed (another USB port) by its name when exactly one
    // remembered camera has that name and its path is neither the new path
    // nor that of another attached camera (the entry then takes the new
    // path); one without a path by its name and ordinal.
    RememberedCamera* Find(const CameraIdentity& camera,
                           const std::vector<CameraIdentity>& attached);
    // The same, adding an empty entry when none is found.
    RememberedCamera& FindOrAdd(const CameraIdentity& camera,
                                const std::vector<CameraIdentity>& attached);

    // Records a property the user set (replacing an earlier record of it).
    static void SetProperty(RememberedCamera& camera, const RememberedProperty& property);

    // The position in `attached` of the camera the user chose last, or -1.
    int LastChosen(const std::vector<CameraIdentity>& attached) const;
    void SetLastChosen(const CameraIdentity& camera);

    const std::vector<RememberedCamera>& Cameras() const { return m_cameras; }
    // Drops entries that hold nothing any more.
    void DropEmpty();

private:
    std::vector<RememberedCamera> m_cameras;
    bool m_hasLast = false;
    CameraIdentity m_last;
};
