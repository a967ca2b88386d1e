// The per-camera store: what a damaged file still gives, and which remembered
// camera a device is taken for.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/CameraMemoryStore.h"

namespace {

CameraIdentity Camera(const std::string& path, const std::string& name, int ordinal = 0) {
    return CameraIdentity{path, name, ordinal};
}

// Two cameras with properties of both interfaces, a mirror and a frequency,
// and the last choice.
CameraMemoryStore Sample() {
    CameraMemoryStore store;
    std::vector<CameraIdentity> attached = {Camera("\\\\?\\usb#a#1", "Cam"),
                                            Camera("\\\\?\\usb#b#1", "Другая камера")};
    RememberedCamera& a = store.FindOrAdd(attached[0], attached);
    CameraMemoryStore::SetProperty(a, {PropertyInterface::VideoProcAmp, 0, -120, 2});
    CameraMemoryStore::SetProperty(a, {PropertyInterface::CameraControl, 6, 125, 1});
    a.mirror = 1;
    RememberedCamera& b = store.FindOrAdd(attached[1], attached);
    CameraMemoryStore::SetProperty(b, {PropertyInterface::VideoProcAmp, 7, 4650, 2});
    b.powerLine = 2;
    store.SetLastChosen(attached[1]);
    return store;
}

bool SameProperties(const RememberedCamera& x, const RememberedCamera& y) {
    if (x.properties.size() != y.properties.size() || x.mirror != y.mirror ||
        x.powerLine != y.powerLine) {
        return false;
    }
    for (std::size_t i = 0; i < x.properties.size(); ++i) {
        const RememberedProperty& p = x.properties[i];
        const RememberedProperty& q = y.properties[i];
        if (p.source != q.source || p.property != q.property || p.value != q.value ||
            p.flags != q.flags) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(CameraMemoryStoreTest, WhatIsWrittenIsReadBack) {
    CameraMemoryStore written = Sample();
    CameraMemoryStore read;
    read.Parse(written.Serialize());
    ASSERT_EQ(read.Cameras().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(read.Cameras()[i].identity.path, written.Cameras()[i].identity.path);
        EXPECT_EQ(read.Cameras()[i].identity.name, written.Cameras()[i].identity.name);
        EXPECT_TRUE(SameProperties(read.Cameras()[i], written.Cameras()[i]));
    }
    EXPECT_EQ(read.LastChosen({Camera("x", "Cam"), Camera("\\\\?\\usb#b#1", "Другая камера")}), 1);
}

// A file cut off anywhere (a crash while another program wrote it, a full
// disk) never gives a value that was not stored: "125" cut to "12" would put
// a wrong focus on the camera.
TEST(CameraMemoryStoreTest, ACutOffFileGivesOnlyWholeRecords) {
    const std::string text = Sample().Serialize();
    const CameraMemoryStore whole = Sample();
    for (std::size_t length = 0; length <= text.size(); ++length) {
        CameraMemoryStore read;
        read.Parse(text.substr(0, length));
        ASSERT_LE(read.Cameras().size(), 2u);
        for (std::size_t i = 0; i < read.Cameras().size(); ++i) {
            const RememberedCamera& camera = read.Cameras()[i];
            const RememberedCamera& original = whole.Cameras()[i];
            ASSERT_LE(camera.properties.size(), original.properties.size()) << length;
            for (std::size_t j = 0; j < camera.properties.size(); ++j)
                ASSERT_EQ(camera.properties[j].value, original.properties[j].value) << length;
            ASSERT_TRUE(camera.mirror < 0 || camera.mirror == original.mirror) << length;
            ASSERT_TRUE(camera.powerLine < 0 || camera.powerLine == original.powerLine) << length;
        }
    }
}

TEST(CameraMemoryStoreTest, UnsoundLinesArePassedOverAndTheRestIsRead) {
    CameraMemoryStore store;
    store.Parse("Orvana camera memory 1\r\n"
                "camera\t\\\\?\\usb#a#1\tCam\t0\r\n"
                "procamp\t0\t12x\t2\n"      // not a number
                "procamp\t3\t40\t7\n"       // no such mode
                "cameracontrol\t99\t1\t2\n" // no such property
                "mirror\t2\n"
                "camera\t\t\t0\n" // no name: its records have no owner
                "procamp\t1\t50\t2\n"
                "camera\tp2\tSecond\t0\n"
                "frobnicate\t1\n"
                "procamp\t1\t50\t2\n"
                "powerline\t1\n");
    ASSERT_EQ(store.Cameras().size(), 2u);
    EXPECT_TRUE(store.Cameras()[0].Empty());
    ASSERT_EQ(store.Cameras()[1].properties.size(), 1u);
    EXPECT_EQ(store.Cameras()[1].properties[0].value, 50);
    EXPECT_EQ(store.Cameras()[1].powerLine, 1);

    CameraMemoryStore otherVersion;
    otherVersion.Parse("Orvana camera memory 2\ncamera\tp\tCam\t0\nmirror\t1\n");
    EXPECT_TRUE(otherVersion.Cameras().empty());
}

TEST(CameraMemoryStoreTest, ACameraIsFoundByPathThenByNameWhenItMovedPorts) {
    CameraMemoryStore store = Sample();
    std::vector<CameraIdentity> attached = {Camera("\\\\?\\usb#a#7", "Cam")};
    RememberedCamera* moved = store.Find(attached[0], attached);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->mirror, 1);
    EXPECT_EQ(moved->identity.path, "\\\\?\\usb#a#7"); // found by its path from now on
    EXPECT_EQ(store.Find(attached[0], attached), moved);
}

TEST(CameraMemoryStoreTest, TwoCamerasOfOneModelKeepTwoSets) {
    CameraMemoryStore store;
    std::vector<CameraIdentity> attached = {Camera("port1", "Model"), Camera("port2", "Model")};
    store.FindOrAdd(attached[0], attached).mirror = 1;
    // The second one is not taken for the first just because it has the same name.
    EXPECT_EQ(store.Find(attached[1], attached), nullptr);
    store.FindOrAdd(attached[1], attached).mirror = 0;
    EXPECT_EQ(store.Find(attached[0], attached)->mirror, 1);
    EXPECT_EQ(store.Find(attached[1], attached)->mirror, 0);
    // Either moved to a third port: two remembered of that name, so neither is guessed.
    std::vector<CameraIdentity> later = {Camera("port3", "Model")};
    EXPECT_EQ(store.Find(later[0], later), nullptr);
}

TEST(CameraMemoryStoreTest, CamerasWithoutAPathAreKnownByNameAndPlace) {
    CameraMemoryStore store;
    std::vector<CameraIdentity> attached = {Camera("", "Model", 0), Camera("", "Model", 1)};
    store.FindOrAdd(attached[1], attached).powerLine = 1;
    EXPECT_EQ(store.Find(attached[0], attached), nullptr);
    ASSERT_NE(store.Find(attached[1], attached), nullptr);
    store.SetLastChosen(attached[1]);
    CameraMemoryStore read;
    read.Parse(store.Serialize());
    EXPECT_EQ(read.LastChosen(attached), 1);
    EXPECT_EQ(read.LastChosen({Camera("", "Other", 1)}), -1);
}
