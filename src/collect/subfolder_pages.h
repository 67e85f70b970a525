// Pages put into a subfolder of the data folder are not read, which a user who moved them there
// (an archive of last year's pages) does not see: the run looks one level down for subfolders
// whose pages would give rows, to tell of them. A browser's `NAME_files` folder, which holds a
// page's images and styles, gives none and is not told of.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "collect/page_finding.h"
#include "collect/stop_flag.h"

namespace catalog {

class Folder;

// Named one by one up to this many; the rest are counted on one line.
inline constexpr std::size_t kMostSubfoldersNamed = 20;

struct SubfolderPages {
    std::string name;       // the subfolder's, in the data folder
    std::size_t pages = 0;  // its regular files that give a row
};

// Each of the subfolders `names` of `folder` with pages that give rows, in the byte order of the
// names. Their records are counted and their rows thrown away. A subfolder or a file that cannot be
// read is passed over: what is found only adds to what the user is told. Throws RunStopped once
// `stop` (may be null) is requested.
std::vector<SubfolderPages> subfoldersWithPages(const Folder& folder,
                                                std::vector<std::string> names, bool unwrap,
                                                const StopFlag* stop);

// The notes that tell of `found`, to follow those of the pages: each of the first
// kMostSubfoldersNamed by its name with a separator after it, then one for the rest.
std::vector<PageNote> subfolderNotes(const std::vector<SubfolderPages>& found);

}  // namespace catalog
