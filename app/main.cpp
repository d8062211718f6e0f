#include "game/run_game.h"
#include "platform/posix/terminal_main.h"

int main() { return zumbrik::RunInTerminal(zumbrik::RunGame); }
