#include "cli/batch_run.h"

#include <cerrno>
#include <ostream>
#include <sys/stat.h>
#include <system_error>

#include "cli/progress_line.h"
#include "collect/collection_run.h"
#include "collect/file_error.h"
#include "platform/program_directory.h"

namespace catalog {

namespace {

// The batch command shows no rows, the listing holds them; only its progress.
class BatchClient : public CollectionClient {
public:
    BatchClient(ListingTarget target, ProgressLine& progress)
        : m_target(std::move(target)), m_progress(progress) {}

    void appendRow(std::string_view) override {}
    ListingTarget listingTarget() override { return m_target; }
    void filesRead(std::size_t done, std::size_t total) override {
        m_progress.update(done, total, ProgressLine::Clock::now());
    }

private:
    ListingTarget m_target;
    ProgressLine& m_progress;
};

// A folder named on the command line must exist: a typo should not quietly give an empty
// listing, as the missing data folder beside the program does. Checked here to name the folder
// as typed; the run checks again, as the folder may go meanwhile.
std::string existingFolder(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        throwLastError("open data folder", folder);
    }
    if (!S_ISDIR(status.st_mode)) {
        throw FileError("open data folder", folder, ENOTDIR);
    }
    return folder.back() == '/' ? folder : folder + "/";
}

// The program's folder is looked up only for a default: a run given both a folder and an
// output works wherever the program lies, even where the system cannot say.
std::string dataFolderFor(const CommandLine& line) {
    return line.dataFolder ? existingFolder(*line.dataFolder) : dataFolderIn(programDirectory());
}

ListingTarget targetFor(const CommandLine& line) {
    if (!line.output) {
        return ListingTarget::file(outputPathIn(programDirectory(), kDefaultOutputName));
    }
    if (*line.output == "-") {
        return ListingTarget::standardOutputStream();
    }
    return ListingTarget::file(*line.output);
}

std::string counted(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

int runBatch(const CommandLine& line, const std::string& program, std::ostream& errors,
             bool showProgress) {
    ProgressLine progress(errors, program, showProgress, ProgressLine::Clock::now());
    try {
        const std::string dataFolder = dataFolderFor(line);
        BatchClient client(targetFor(line), progress);
        const RunSummary summary = runCollection(
            dataFolder, client,
            RunOptions{.threads = line.threads, .requireDataFolder = line.dataFolder.has_value()});
        progress.clear();
        if (summary.dataFolderMissing) {
            errors << program << ": no data folder at '" << printable(dataFolder)
                   << "'; the listing holds only the header\n";
        }
        errors << program << ": " << counted(summary.records, "record") << " from "
               << counted(summary.filesRead, "file") << ", listing written to "
               << printable(summary.target.describe()) << "\n";
        return 0;
    } catch (const std::exception& failure) {
        progress.clear();
        errors << program << ": " << failureText(failure) << "\n";
        return 1;
    }
}

}  // namespace catalog
