#include "collect/text_files.h"

#include "collect/stop_flag.h"
#include "platform/output_file.h"

namespace catalog {

void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces,
                   const StopFlag* stop) {
    try {
        writeOutputFile(filename, pieces, [stop] { return stop != nullptr && stop->requested(); });
    } catch (const WriteStopped&) {
        throw RunStopped();
    } catch (const BlockDeviceRefused& refused) {
        throw FileError(refused.operation(), refused.path(), refused.errorNumber(),
                        "a listing never overwrites a block device");
    }
}

}  // namespace catalog
