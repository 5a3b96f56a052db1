#include <windows.h>

#include "app/win_startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return velmora::RunVelmora(); }
