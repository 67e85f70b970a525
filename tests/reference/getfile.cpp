// Reference routines for the tests, the fuzzer and the benchmarks: see getfile.h.
#include "reference/getfile.h"

#include "platform/input_file.h"

namespace catalog {

std::string getfile(const std::string& filename) {
    // The size is only where to start: files in /proc say 0, and a file may grow while read.
    InputFile file(filename);
    std::string text(static_cast<std::size_t>(file.sizeHint()) + 1, '\0');
    std::size_t length = 0;
    for (;;) {
        if (length == text.size()) {
            text.resize(text.size() * 2);
        }
        const std::size_t got = file.read(text.data() + length, text.size() - length);
        if (got == 0) {
            break;
        }
        length += got;
    }
    text.resize(length);
    return text;
}

}  // namespace catalog
