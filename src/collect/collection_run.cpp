#include "collect/collection_run.h"

#include <algorithm>
#include <array>
#include <new>
#include <thread>

#include "collect/record_collection.h"
#include "platform/file_error.h"
#include "platform/paths.h"
#include "platform/system_error.h"

namespace catalog {

namespace {

unsigned workersFor(const RunOptions& options) {
    if (options.threads > 0) {
        return options.threads;
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

std::string grouped(std::size_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

std::string counted(std::size_t count, const char* noun) {
    return grouped(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string readableBytes(std::uint64_t bytes) {
    constexpr std::array kUnits{"KB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1000) {
        return counted(bytes, "byte");
    }
    std::uint64_t unit = 1000;
    for (std::size_t index = 0;; ++index, unit *= 1000) {
        // In tenths of the unit, rounded half up, without a product that could overflow; a
        // figure that rounds to 1,000 is given in the next unit.
        const std::uint64_t tenth = unit / 10;
        const std::uint64_t tenths = bytes / tenth + (bytes % tenth >= tenth / 2 ? 1 : 0);
        if (tenths < 10000 || index + 1 == kUnits.size()) {
            std::string text = std::to_string(tenths / 10);
            if (tenths % 10 != 0) {
                text.append(".").append(std::to_string(tenths % 10));
            }
            return text.append(" ").append(kUnits[index]);
        }
    }
}

std::string dataFolderIn(const std::string& programDirectory) {
    return programDirectory + kPathSeparator + "data" + kPathSeparator;
}

std::string outputPathIn(const std::string& programDirectory, std::string_view outputName) {
    if (isFullPathHere(outputName)) {
        return std::string(outputName);
    }
    return programDirectory + kPathSeparator + std::string(outputName);
}

Collected runCollection(const std::string& dataFolder, CollectionClient& client,
                        const RunOptions& options) {
    try {
        Collected collected = collectRecords(dataFolder, client, workersFor(options), options);
        if (collected.folderMissing && options.requireDataFolder) {
            throw FileError("open data folder", dataFolder, errorNumberOf(Condition::NoSuchFile));
        }
        return collected;
    } catch (const std::bad_alloc&) {
        // Out of memory for the run's own bookkeeping, not for any one file, which names its
        // own path.
        throw FileError("collect", dataFolder, errorNumberOf(Condition::OutOfMemory));
    }
}

}  // namespace catalog
