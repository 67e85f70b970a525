#include "platform/output_refusal.h"

namespace catalog {

std::string newFilesRefused(const std::string& folder) {
    return "the folder '" + folder +
           "' does not let this user make new files in it, which writing the listing needs (it is "
           "made anew, never written into the earlier file); "
           "save the listing in another folder, or get write permission on this one";
}

std::string readOnlyRefused(const std::string& name) {
    return name + " is read-only: clear its read-only flag, or save to another name";
}

}  // namespace catalog
