// Entry of every test program that runs under Wine: the framework knows its
// module, COM is up, then GoogleTest runs.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/TestOrder.h"
#include "ui/PaintManager.h"

int main(int argc, char** argv) {
    TestOrder::ShuffleUnlessChosen();
    ::testing::InitGoogleTest(&argc, argv);
    Ui::CResourceCache::SetInstance(::GetModuleHandleA(nullptr));
    Ui::CResourceCache::SetResourcePath(Ui::CResourceCache::GetInstancePath());
    ::CoInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    ::CoUninitialize();
    return result;
}
