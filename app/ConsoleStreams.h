#pragma once
// Makes the standard streams carry a command's bytes as they are: on Windows, binary mode (a
// CSV's CR LF is not made CR CR LF) and UTF-8 on the console; nothing to do elsewhere.
void PrepareConsoleStreams();
