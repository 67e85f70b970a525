#include <new>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/batch_run.h"
#include "app/cli/command_line.h"
#include "app/cli/error_stream.h"
#include "collect/failure_text.h"
#include "platform/console.h"
#include "platform/library_search.h"
#include "platform/memory_reserve.h"
#include "platform/output_file.h"
#include "platform/write_limits.h"

namespace {

constexpr const char* kProgram = "catalog-collector-cli";

// Help and version go out as a listing does, so that a write that fails (`>/dev/full`, `>&-`)
// is told and ends the program with status 1, as the coreutils do.
void writeText(const std::string& text) {
    const std::string lines = catalog::withTextLineEnds(text);
    const std::string_view whole = lines;
    catalog::writeStandardOutput(std::span(&whole, 1));
}

int runCommand(int argc, char** argv, std::ostream& errors) {
    using catalog::CommandLine;
    const CommandLine line = catalog::parseCommandLine(catalog::programArguments(argc, argv));
    switch (line.action) {
        case CommandLine::Action::Help:
            writeText(catalog::usageText(kProgram));
            return 0;
        case CommandLine::Action::Version:
            writeText(std::string(kProgram) + " " + CATALOG_COLLECTOR_VERSION + "\n");
            return 0;
        case CommandLine::Action::UsageError:
            errors << kProgram << ": " << line.error << "\nTry '" << kProgram
                   << " --help' for more information.\n";
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    return catalog::runBatch(line, kProgram, errors, catalog::standardErrorIsTerminal());
}

void reportOutOfMemory(std::ostream& errors) {
    errors << kProgram << ": ";
    catalog::writeOutOfMemory(errors);
    errors << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    catalog::loadLibrariesFromSystemOnly();
    // Every message goes through the platform, which writes a Windows console as characters.
    catalog::ErrorStreamBuffer errorBuffer;
    std::ostream errors(&errorBuffer);
    if (!catalog::keepMemoryForFailures()) {
        reportOutOfMemory(errors);
        return 1;
    }
    catalog::prepareConsole();
    catalog::reportOversizedWritesAsErrors();
    try {
        return runCommand(argc, argv, errors);
    } catch (const std::bad_alloc&) {
        // Out of memory outside the run, or while reporting it: one line, and never an abort.
        reportOutOfMemory(errors);
        return 1;
    } catch (const std::exception& failure) {
        errors << kProgram << ": " << catalog::failureText(failure) << "\n";
        return 1;
    }
}
