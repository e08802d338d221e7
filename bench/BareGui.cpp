// The common base of the start-up benchmark: a GUI program that does nothing but exit.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
