// The trimora entry point: the console is standard output; the legacy form always exits 0.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "platform/system.h"
#include "platform/text_output.h"

int main(int argc, char** argv) {
    // Before any file is opened, so that none takes the number of a closed standard stream.
    trimora::prepare_standard_streams();
    trimora::prepare_console();
    // An interrupted run leaves every output as it was.
    trimora::handle_interruptions();
    const std::vector<std::string> arguments = trimora::command_line_arguments(argc, argv);
    std::vector<const char*> args;
    for (const std::string& argument : arguments) args.push_back(argument.c_str());
    trimora::TextOutput console(stdout);
    const int status = trimora::run_command_line(static_cast<int>(args.size()), args.data(), console);
    console.flush();
    return status;
}
