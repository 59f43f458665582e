// relight: loads the lighting module and runs it over image files.
#include "CommandLine.h"
#include "Commands.h"
#include "Interrupt.h"

#include <cstdio>
#include <new>

int main(int argc, char** argv) {
    InstallInterruptHandlers();
    try {
        RunCommand(ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
        return int(ExitStatus::ok);
    } catch (const HostError& error) {
        std::fprintf(stderr, "%s\n", error.Line().c_str());
        return int(error.Status());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "relight: out of memory\n");
        return int(ExitStatus::filterFailed);
    }
}
