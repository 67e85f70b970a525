#include "app/cli/batch_run.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "app/cli/progress_line.h"
#include "collect/collection_run.h"
#include "collect/failure_text.h"
#include "collect/held_page.h"
#include "collect/listing_run.h"
#include "collect/program_paths.h"
#include "collect/run_summary.h"
#include "platform/console.h"
#include "platform/folder.h"
#include "platform/paths.h"
#include "platform/program_directory.h"

namespace catalog {

namespace {

// The batch command shows no rows, the listing holds them; only its progress, which is cleared
// before the listing, as that may go to the same terminal.
class BatchClient : public CollectionClient, public ListingSteps {
public:
    explicit BatchClient(ProgressLine& progress) : m_progress(progress) {}

    void filesRead(std::size_t done, std::size_t total) override {
        if (m_progress.enabled()) {
            m_progress.update(done, total, ProgressLine::Clock::now());
        }
    }
    void slowPage(std::string_view name, std::uint64_t read, std::uint64_t size) override {
        if (m_progress.enabled()) {
            m_progress.slowPage(name, read, size, ProgressLine::Clock::now());
        }
    }
    void slowPageOver() override { m_progress.slowPageOver(); }
    bool mayWrite(const Collected&) override {
        m_progress.clear();
        return true;
    }

private:
    ProgressLine& m_progress;
};

// A folder named on the command line must exist: a typo should not quietly give an empty
// listing, as the missing data folder beside the program does. Checked here to name the folder
// as typed; the run checks again, as the folder may go meanwhile.
std::string existingFolder(const std::string& folder) {
    requireFolder(folder, "open data folder");
    return isPathSeparator(folder.back()) ? folder : folder + kPathSeparator;
}

// The program's folder is looked up only for a default: a run given both a folder and an
// output works wherever the program lies, even where the system cannot say.
std::string dataFolderFor(const CommandLine& line) {
    return line.dataFolder ? existingFolder(*line.dataFolder) : dataFolderIn(programDirectory());
}

// "-" is standard output; anything else a file, the default one beside the program.
std::string outputFor(const CommandLine& line) {
    return line.output ? *line.output : outputPathIn(programDirectory(), kDefaultOutputName);
}

bool toStandardOutput(const std::string& output) {
    return output == "-";
}

// The running program is still guarded where the system cannot say where it lies.
std::string knownProgramDirectory() {
    try {
        return programDirectory();
    } catch (const std::system_error&) {
        return {};
    }
}

std::string refusalText(const OutputRefusal& refusal, const std::string& output) {
    if (refusal.kind != OutputRefusal::Kind::Protected) {
        return "cannot write '" + printable(output) +
               "': a colon names a stream hidden inside a file; give a name without a colon";
    }
    if (toStandardOutput(output)) {
        return "cannot write standard output: " + printable(refusal.reason) +
               "; send standard output elsewhere, or name another output";
    }
    return "cannot write '" + printable(output) + "': " + printable(refusal.reason) +
           "; name another output";
}

// Where the summary says the listing went: a device takes it, but keeps no file of it; a file
// by the name Windows made, which drops the dots and blanks that end it.
std::string destinationOf(const std::string& output) {
    if (toStandardOutput(output)) {
        return "standard output";
    }
    if (kWindowsNameRules && isWindowsDeviceName(output)) {
        return "the device " + printable(output) + " (no file)";
    }
    return printable(nameAsMade(output));
}

// The form asked for, else the one the output's name asks for; standard output takes the text.
ListingFormat formatFor(const CommandLine& line, const std::string& output) {
    if (line.format) {
        return *line.format;
    }
    return toStandardOutput(output) ? ListingFormat::Text : formatOfName(output);
}

// One line, whatever the run found; for a data folder without pages, what to do about it.
void summarize(std::ostream& errors, const std::string& program, const Collected& collected,
               const RunCounts& counts, const std::string& dataFolder,
               const std::string& destination) {
    errors << program << ": ";
    if (collected.files == 0) {
        const std::string folder = printable(std::string(withoutEndSeparator(dataFolder)));
        errors << noPagesAdvice(collected.folderMissing, collected.leftovers) << "'" << folder
               << "'; only the header written to " << destination << "\n";
        return;
    }
    errors << summaryOf(counts, destination) << "\n";
}

// Standard error is unbuffered, and a page may hold millions of records to explain: the lines
// go out in pieces of many.
void explain(std::ostream& errors, const Collected& collected) {
    constexpr std::size_t kPieceBytes = 64 * 1024;
    std::string piece;
    for (const PageNote& note : collected.notes) {
        for (std::size_t line = 0; line < explanationLineCount(note); ++line) {
            piece.append(printable(explanationLine(note, line))).append("\n");
            if (piece.size() >= kPieceBytes) {
                errors << piece;
                piece.clear();
            }
        }
    }
    errors << piece;
}

}  // namespace

int runBatch(const CommandLine& line, const std::string& program, std::ostream& errors,
             bool showProgress) {
    ProgressLine progress(errors, program, showProgress, ProgressLine::Clock::now(),
                          standardErrorColumns, kConsoleTakesEscapes);
    std::string output;
    try {
        const std::string dataFolder = dataFolderFor(line);
        output = outputFor(line);
        const ListingFormat format = formatFor(line, output);
        const ListingTarget target{.path = output,
                                   .standardOutput = toStandardOutput(output),
                                   .dataFolder = dataFolder,
                                   .programDirectory = knownProgramDirectory(),
                                   .format = format};
        BatchClient client(progress);
        // The text is written as its lines lie; the other forms need each row's fields.
        const RowDetails details =
            format == ListingFormat::Text ? RowDetails::None : RowDetails::Fields;
        Collected collected;
        const std::optional<std::size_t> cutValues =
            collectAndWrite(target, client,
                            RunOptions{.threads = line.threads,
                                       .requireDataFolder = line.dataFolder.has_value(),
                                       .rowDetails = details,
                                       .pageNotes = line.explain,
                                       .unwrap = line.unwrap},
                            client, collected);
        RunCounts counts = countsOf(collected);
        counts.format = format;
        counts.cutValues = cutValues.value_or(0);
        summarize(errors, program, collected, counts, dataFolder, destinationOf(output));
        if (line.explain) {
            explain(errors, collected);
        }
        // These lines are the run's only report: when they cannot be written (a full disk, a
        // closed descriptor) the run fails, though nothing is left to say so on.
        return errors.flush() ? 0 : 1;
    } catch (const OutputRefusal& refusal) {
        errors << program << ": " << refusalText(refusal, output) << "\n";
        return 1;
    } catch (const std::exception& failure) {
        progress.clear();
        errors << program << ": " << failureText(failure) << "\n";
        if (const std::string advice = heldPageAdvice(failure, "run the command again");
            !advice.empty()) {
            errors << program << ": " << advice << "\n";
        }
        return 1;
    }
}

}  // namespace catalog
