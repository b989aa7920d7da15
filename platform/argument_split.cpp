// The Windows command-line splitter, plain code so that every platform tests it.
#include "platform/argument_split.h"

#include <cstddef>

namespace trimora {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> split_command_line(const std::string& line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();

    // The program's name: quotes only group, backslashes are part of the path.
    std::string name;
    if (i < n && line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"') name += line[i++];
        if (i < n) ++i;
    } else {
        while (i < n && !is_blank(line[i])) name += line[i++];
    }
    arguments.push_back(name);

    for (;;) {
        while (i < n && is_blank(line[i])) ++i;
        if (i >= n) break;
        std::string argument;
        bool quoted = false;
        while (i < n && (quoted || !is_blank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += line[i++];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::string quote_argument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        // Backslashes count only before a quote: doubled there, and one more escapes the quote.
        quoted.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
        slashes = 0;
        quoted += c;
    }
    // The closing quote follows the last backslashes: double them.
    quoted.append(2 * slashes, '\\');
    return quoted + '"';
}

}  // namespace trimora
