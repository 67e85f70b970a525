// The listing as a workbook a spreadsheet opens: one sheet of products, the header frozen above
// them, every value text but a price that is a plain number.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "collect/listing.h"
#include "collect/stored_zip.h"

namespace catalog {

class StopFlag;

// The most rows a sheet holds after its header: more go on further sheets.
inline constexpr std::size_t kRowsPerSheet = 1048575;

// The workbook's bytes, made as they are written (see StoredZip): the listing must keep its
// rows' fields (RowDetails::Fields or All) and stay as it is until the last piece is taken.
class WorkbookListing {
public:
    // A stop requested ends the making with RunStopped.
    WorkbookListing(const Listing& listing, const StopFlag* stop);
    ~WorkbookListing();

    std::span<const std::string_view> next() { return m_zip.next(); }
    // Once every piece is taken: the values cut to what a cell holds.
    std::size_t cutValues() const;

private:
    class Sheet;

    static std::vector<std::unique_ptr<ZipEntry>> entries(const Listing& listing,
                                                          std::vector<Sheet*>& sheets);

    std::vector<Sheet*> m_sheets;  // owned by m_zip's entries
    StoredZip m_zip;
};

}  // namespace catalog
