// The Uninstall program: no window of its own, only its two message boxes.
#include "uninstall/uninstall.h"

int main() { return RunUninstall(); }
