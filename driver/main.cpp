// The trimora entry point: the console is standard output, the exit code always 0.
#include <cstdio>

#include "driver/command_line.h"
#include "platform/text_output.h"

int main(int argc, char** argv) {
    trimora::TextOutput console(stdout);
    trimora::run_command_line(argc, argv, console);
    console.flush();
    return 0;
}
