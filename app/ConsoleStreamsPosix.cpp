#include "app/ConsoleStreams.h"

void PrepareConsoleStreams() {}
