#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/app.h"
#include "zemoctln/zemoctln.h"

// The tests run the console's code in this process: its resources are linked
// into the test program, which stands for admin.exe.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    InitCommonControls();
    ZemoInitControls();
    AppInstance = GetModuleHandleA(nullptr);
    return RUN_ALL_TESTS();
}
