#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "platform/console.h"
#include "platform/file_error.h"
#include "platform/memory_reserve.h"
#include "platform/write_limits.h"

namespace {

constexpr const char* kProgram = "catalog-collector-cli";

int runCommand(int argc, char** argv) {
    using catalog::CommandLine;
    const CommandLine line = catalog::parseCommandLine(catalog::programArguments(argc, argv));
    switch (line.action) {
        case CommandLine::Action::Help:
            std::cout << catalog::usageText(kProgram);
            return 0;
        case CommandLine::Action::Version:
            std::cout << kProgram << " " << CATALOG_COLLECTOR_VERSION << "\n";
            return 0;
        case CommandLine::Action::UsageError:
            std::cerr << kProgram << ": " << line.error << "\nTry '" << kProgram
                      << " --help' for more information.\n";
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    return catalog::runBatch(line, kProgram, std::cerr, catalog::standardErrorIsTerminal());
}

void reportOutOfMemory() {
    std::cerr << kProgram << ": ";
    catalog::writeOutOfMemory(std::cerr);
    std::cerr << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (!catalog::keepMemoryForFailures()) {
        reportOutOfMemory();
        return 1;
    }
    catalog::prepareConsole();
    catalog::reportOversizedWritesAsErrors();
    try {
        return runCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        // Out of memory outside the run, or while reporting it: one line, and never an abort.
        reportOutOfMemory();
        return 1;
    } catch (const std::exception& failure) {
        std::cerr << kProgram << ": " << failure.what() << "\n";
        return 1;
    }
}
