#include "shell/startup.h"

int RunConsole(HINSTANCE, HINSTANCE, const char*, int)
{
    return 0;
}
