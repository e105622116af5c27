// drwa-tool: the library's codecs and converters for developers and plugin
// authors.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "tool_commands.h"
#include "tool_registry.h"

namespace drwa_tool {

std::string ReadInput(const std::string& path) {
    if (path.empty() || path == "-") {
        return std::string(std::istreambuf_iterator<char>(std::cin), {});
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteOutput(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

}  // namespace drwa_tool

int main(int argc, char** argv) {
    using namespace drwa_tool;
    auto usage = [](FILE* out) {
        std::fprintf(out, "usage: drwa-tool COMMAND [ARGS...]\n\ncommands:\n");
        for (const auto& c : kToolCommands) std::fprintf(out, "  %s\n", c.usage);
    };
    if (argc < 2 || std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help") {
        usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const auto& c : kToolCommands) {
        if (argv[1] != std::string(c.name)) continue;
        try {
            return c.run(Args(argv + 2, argv + argc));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "drwa-tool %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "drwa-tool: unknown command %s\n", argv[1]);
    usage(stderr);
    return 2;
}
