// Merging an enumeration into a registry list: identity decides, older
// objects are kept, leavers are reported once and removed in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Core/DeviceListMerge.h"

namespace {

struct Device {
    std::string identity;
    bool open = false;
};

bool Same(const Device& a, const Device& b) {
    return a.identity == b.identity;
}

struct Merge {
    std::vector<Device*> left;
    void operator()(std::vector<Device*>& list, std::vector<Device*> found) {
        MergeDeviceList(list, found.data(), static_cast<int>(found.size()), Same,
                        [this](Device& device) { left.push_back(&device); });
    }
};

} // namespace

TEST(DeviceListMergeTest, NewDevicesAreAppendedInEnumerationOrder) {
    Device a{"a"}, b{"b"};
    std::vector<Device*> list;
    Merge merge;
    merge(list, {&a, &b});
    EXPECT_EQ(list, (std::vector<Device*>{&a, &b}));
    EXPECT_TRUE(merge.left.empty());
}

TEST(DeviceListMergeTest, DeviceAlreadyHeldKeepsItsOlderObject) {
    Device a{"a", true}, b{"b"};
    std::vector<Device*> list{&a, &b};
    Device a2{"a"}, b2{"b"}, c{"c"};
    Merge merge;
    merge(list, {&c, &b2, &a2});
    EXPECT_EQ(list, (std::vector<Device*>{&a, &b, &c}));
    EXPECT_TRUE(a.open);
    EXPECT_TRUE(merge.left.empty());
}

TEST(DeviceListMergeTest, DevicesThatLeftAreReportedAndLaterOnesMoveUp) {
    Device a{"a"}, b{"b"}, c{"c"};
    std::vector<Device*> list{&a, &b, &c};
    Device c2{"c"};
    Merge merge;
    merge(list, {&c2});
    EXPECT_EQ(list, (std::vector<Device*>{&c}));
    EXPECT_EQ(merge.left, (std::vector<Device*>{&a, &b}));
}

TEST(DeviceListMergeTest, EmptyEnumerationEmptiesTheList) {
    Device a{"a"}, b{"b"};
    std::vector<Device*> list{&a, &b};
    Merge merge;
    MergeDeviceList(list, static_cast<Device* const*>(nullptr), 0, Same,
                    [&merge](Device& device) { merge.left.push_back(&device); });
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(merge.left.size(), 2u);
}

TEST(DeviceListMergeTest, SameDeviceTwiceInOneEnumerationIsListedOnce) {
    Device a{"a"}, a2{"a"};
    std::vector<Device*> list;
    Merge merge;
    merge(list, {&a, &a2});
    EXPECT_EQ(list, (std::vector<Device*>{&a}));
}

TEST(DeviceListMergeTest, MissingEntriesInTheArrayAreIgnored) {
    Device a{"a"};
    std::vector<Device*> list{&a};
    Device b{"b"};
    Merge merge;
    merge(list, {nullptr, &b});
    EXPECT_EQ(list, (std::vector<Device*>{&b}));
    EXPECT_EQ(merge.left, (std::vector<Device*>{&a}));
}

TEST(DeviceListMergeTest, UnplugAndReplugGivesTheNewObject) {
    Device a{"a"};
    std::vector<Device*> list{&a};
    Merge merge;
    merge(list, {});
    Device a2{"a"};
    merge(list, {&a2});
    EXPECT_EQ(list, (std::vector<Device*>{&a2}));
}

// Heap objects as an enumeration makes them: the sanitizer's leak check fails
// the run when an object the merge left out is not deleted, and a deleted
// object that the list still holds is a use after free.
TEST(DeviceListMergeTest, ObjectsTheMergeLeftOutAreDeleted) {
    std::vector<Device*> list;
    Device* first[2] = {new Device{"a"}, new Device{"b"}};
    MergeDeviceList(list, first, 2, Same, [](Device&) {});
    DeleteUntaken(list, first, 2);
    EXPECT_EQ(first[0], list[0]);

    Device* again[3] = {new Device{"b"}, new Device{"a"}, new Device{"c"}};
    MergeDeviceList(list, again, 3, Same, [](Device&) {});
    DeleteUntaken(list, again, 3);
    EXPECT_EQ(again[0], nullptr);
    EXPECT_EQ(again[1], nullptr);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1]->identity, "b");
    EXPECT_EQ(list[2], again[2]);
    for (Device* device : list) {
        delete device;
    }
}
