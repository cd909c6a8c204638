// Shared main of the GoogleTest executables. Gives every test the same quiet
// environment whether it runs under ctest or by hand: offscreen Qt, one OpenMP
// thread, a neutral locale, no real camera, and the build tree's data folder.
// Values already set in the environment win.

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("OMP_THREAD_LIMIT", "1", 0);
    setenv("LC_ALL", "C.UTF-8", 0);
    setenv("SCRIVA_CAMERA", "none", 0);
    setenv("SCRIVA_DATA_DIR", SCRIVA_TEST_DATA_DIR, 0);
    setenv("SCRIVA_SOURCE_DIR", SCRIVA_TEST_SOURCE_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
