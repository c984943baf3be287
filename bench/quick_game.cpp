// The game as the benchmark needs it: Edit Map's script starts "armada2.exe", and this one ends at
// once, so each press of the button leaves nothing running behind it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
