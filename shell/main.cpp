// The game program: everything happens in WinMain.
#include "shell/shell.h"

int main() { return WinMain(); }
