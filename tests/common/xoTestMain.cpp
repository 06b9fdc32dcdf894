// Entry point of every test program: headless Qt, then GoogleTest.
#include "platform/plMessages.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "C.UTF-8", 0);
    ::testing::InitGoogleTest(&argc, argv);
    TApplication::Initialize(argc, argv);
    Application();
    return RUN_ALL_TESTS();
}
