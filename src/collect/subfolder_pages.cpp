#include "collect/subfolder_pages.h"

#include <algorithm>
#include <new>

#include "collect/folder_index.h"
#include "collect/record_reader.h"
#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/paths.h"

namespace catalog {

namespace {

// Takes each row and forgets it: only the count of records matters.
class DroppedRows final : public RowSink {
public:
    std::string& rowText() override {
        m_text.clear();
        return m_text;
    }
    void rowAdded(const FieldLengths&, const FieldMisses&) override {}
    void restartPage() override {}

private:
    std::string m_text;
};

// The regular files of the subfolder at `path` that give a row; 0 when it cannot be read.
std::size_t pagesWithRecords(const std::string& path, RecordReader& reader, const StopFlag* stop) {
    std::size_t pages = 0;
    try {
        const Folder folder = Folder::open(path);
        const FolderIndex files(folder, [] { return true; });
        DroppedRows rows;
        for (std::size_t file = 0; file < files.size(); ++file) {
            try {
                pages +=
                    reader.appendRows(folder, files.name(file), rows, stop, nullptr).holdsRecord();
            } catch (const FileError&) {
            } catch (const std::bad_alloc&) {
            }
        }
    } catch (const FileError&) {
    } catch (const std::bad_alloc&) {
    }
    return pages;
}

}  // namespace

std::vector<SubfolderPages> subfoldersWithPages(const Folder& folder,
                                                std::vector<std::string> names, bool unwrap,
                                                const StopFlag* stop) {
    if (names.empty()) {
        return {};  // most data folders: no reader, and its buffer, is made for them
    }
    std::sort(names.begin(), names.end());
    RecordReader reader(unwrap, nullptr, false);  // pages only counted: no kind is told
    std::vector<SubfolderPages> found;
    for (std::string& name : names) {
        const std::size_t pages =
            pagesWithRecords(folder.path() + name + kPathSeparator, reader, stop);
        if (pages > 0) {
            found.push_back({std::move(name), pages});
        }
    }
    return found;
}

std::vector<PageNote> subfolderNotes(const std::vector<SubfolderPages>& found) {
    std::vector<PageNote> notes;
    for (std::size_t i = 0; i < std::min(found.size(), kMostSubfoldersNamed); ++i) {
        PageNote& note = notes.emplace_back();
        note.file = found[i].name + kPathSeparator;
        note.kind = FileKind::Subfolder;
        note.kindCount = found[i].pages;
    }
    if (found.size() > kMostSubfoldersNamed) {
        PageNote& more = notes.emplace_back();
        more.kind = FileKind::MoreSubfolders;
        more.kindCount = found.size() - kMostSubfoldersNamed;
    }
    return notes;
}

}  // namespace catalog
