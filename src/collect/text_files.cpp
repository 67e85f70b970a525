#include "collect/text_files.h"

#include "collect/csv_listing.h"
#include "collect/listing.h"
#include "collect/stop_flag.h"
#include "collect/workbook_listing.h"

namespace catalog {

namespace {

// Hands `write` the pieces of `listing` in `format`; returns the values cut.
template <typename Write>
std::size_t withPieces(const Listing& listing, ListingFormat format, const StopFlag* stop,
                       const Write& write) {
    switch (format) {
        case ListingFormat::Csv: {
            CsvListing csv(listing);
            write([&csv] { return csv.next(); });
            return 0;
        }
        case ListingFormat::Workbook: {
            WorkbookListing workbook(listing, stop);
            write([&workbook] { return workbook.next(); });
            return workbook.cutValues();
        }
        case ListingFormat::Text:
            break;
    }
    write(piecesOnce(listing.lines()));
    return 0;
}

}  // namespace

void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces,
                   const StopFlag* stop) {
    WriteTextFile(filename, piecesOnce(pieces), stop);
}

void WriteTextFile(const std::string& filename, const PieceSource& pieces, const StopFlag* stop) {
    try {
        writeOutputFile(filename, pieces, [stop] { return stop != nullptr && stop->requested(); });
    } catch (const WriteStopped&) {
        throw RunStopped();
    }
}

std::size_t writeListing(const std::string& filename, const Listing& listing, ListingFormat format,
                         const StopFlag* stop) {
    return withPieces(listing, format, stop,
                      [&](const PieceSource& pieces) { WriteTextFile(filename, pieces, stop); });
}

std::size_t writeListingToStandardOutput(const Listing& listing, ListingFormat format) {
    return withPieces(listing, format, nullptr,
                      [](const PieceSource& pieces) { writeStandardOutput(pieces); });
}

}  // namespace catalog
