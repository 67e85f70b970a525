#include "collect/workbook_listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <numeric>
#include <string>
#include <utility>

#include "collect/cell_text.h"
#include "collect/listing_format.h"
#include "collect/stop_flag.h"

namespace catalog {

namespace {

constexpr std::string_view kXmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
constexpr std::string_view kMainNamespace =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr std::string_view kRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::size_t kPriceColumn = 1;
// The cell styles: the default, the header's, then a price's with 0 to kMostDecimals decimals.
constexpr std::size_t kHeaderStyle = 1;
constexpr std::size_t kFirstPriceStyle = 2;
constexpr std::size_t kFirstOwnNumberFormat = 164;  // the first a workbook may define
// A column is as wide as its longest value among its sheet's first rows, within bounds.
constexpr std::size_t kRowsForWidths = 1000;
constexpr std::size_t kWidestColumn = 60;
// A width counts characters of the widest digit and then the cell's margins, 5 pixels of a
// 7-pixel digit in the default font, in 256ths: without them the longest value would not fit.
constexpr double kCellMargins = 182.0 / 256;
// How much of a sheet's rows one making step gives.
constexpr std::size_t kStepBytes = std::size_t{256} << 10;

// An entry whose text is known whole: the workbook's small parts.
class FixedEntry final : public ZipEntry {
public:
    FixedEntry(std::string_view name, std::string text) : m_name(name), m_text(std::move(text)) {}
    std::string_view name() const override { return m_name; }
    void restart() override { m_given = false; }
    bool more(std::string& out) override {
        if (std::exchange(m_given, true)) {
            return false;
        }
        out.append(m_text);
        return true;
    }

private:
    std::string m_name;
    std::string m_text;
    bool m_given = false;
};

std::string sheetName(std::size_t index) {
    return index == 0 ? "Products" : "Products " + std::to_string(index + 1);
}

std::string contentTypes(std::size_t sheets) {
    std::string text = std::string(kXmlDeclaration) +
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "content-types\"><Default Extension=\"rels\" ContentType=\"application/"
                       "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
                       "ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
                       "ContentType=\"application/"
                       "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                       "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
                       "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                       "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/"
                       "vnd.openxmlformats-officedocument.extended-properties+xml\"/>";
    for (std::size_t sheet = 1; sheet <= sheets; ++sheet) {
        text += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(sheet) +
                ".xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    }
    return text + "</Types>";
}

std::string packageRelationships() {
    return std::string(kXmlDeclaration) +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
           "relationships\"><Relationship Id=\"rId1\" Type=\"" +
           std::string(kRelationships) +
           "/officeDocument\" Target=\"xl/workbook.xml\"/><Relationship Id=\"rId2\" "
           "Type=\"" +
           std::string(kRelationships) +
           "/extended-properties\" Target=\"docProps/app.xml\"/></Relationships>";
}

std::string applicationProperties() {
    return std::string(kXmlDeclaration) +
           "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
           "extended-properties\"><Application>" +
           std::string(kWorkbookApplication) + "</Application></Properties>";
}

std::string workbook(std::size_t sheets) {
    std::string text = std::string(kXmlDeclaration) + "<workbook xmlns=\"" +
                       std::string(kMainNamespace) + "\" xmlns:r=\"" + std::string(kRelationships) +
                       "\"><sheets>";
    for (std::size_t sheet = 0; sheet < sheets; ++sheet) {
        const std::string number = std::to_string(sheet + 1);
        text += "<sheet name=\"" + sheetName(sheet) + "\" sheetId=\"" + number + "\" r:id=\"rId" +
                number + "\"/>";
    }
    return text + "</sheets></workbook>";
}

std::string workbookRelationships(std::size_t sheets) {
    std::string text = std::string(kXmlDeclaration) +
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\">";
    for (std::size_t sheet = 1; sheet <= sheets; ++sheet) {
        text += "<Relationship Id=\"rId" + std::to_string(sheet) + "\" Type=\"" +
                std::string(kRelationships) + "/worksheet\" Target=\"worksheets/sheet" +
                std::to_string(sheet) + ".xml\"/>";
    }
    text += "<Relationship Id=\"rId" + std::to_string(sheets + 1) + "\" Type=\"" +
            std::string(kRelationships) + "/styles\" Target=\"styles.xml\"/>";
    return text + "</Relationships>";
}

// A number format for each count of decimals a price may show, so that 12.50 shows as 12.50.
std::string styles() {
    std::string formats;
    std::string cells;
    for (std::size_t decimals = 0; decimals <= kMostDecimals; ++decimals) {
        const std::string id = std::to_string(kFirstOwnNumberFormat + decimals);
        const std::string code = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
        formats += "<numFmt numFmtId=\"" + id + "\" formatCode=\"" + code + "\"/>";
        cells += "<xf numFmtId=\"" + id +
                 "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>";
    }
    const std::string count = std::to_string(kMostDecimals + 1);
    return std::string(kXmlDeclaration) + "<styleSheet xmlns=\"" + std::string(kMainNamespace) +
           "\"><numFmts count=\"" + count + "\">" + formats +
           "</numFmts><fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
           "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts><fills count=\"2\">"
           "<fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
           "patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border><left/><right/>"
           "<top/><bottom/><diagonal/></border></borders><cellStyleXfs count=\"1\"><xf "
           "numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs "
           "count=\"" +
           std::to_string(kMostDecimals + 1 + kFirstPriceStyle) +
           "\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/><xf "
           "numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
           "applyFont=\"1\"/>" +
           cells +
           "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
           "builtinId=\"0\"/></cellStyles></styleSheet>";
}

// A number as a cell's value holds it: without a plus or the zeros that lead its digits, which
// some readers would otherwise take for a number of thousands of digits.
std::string plainNumber(std::string_view text) {
    std::string number(text.starts_with('-') ? "-" : "");
    text.remove_prefix(text.starts_with('-') || text.starts_with('+') ? 1 : 0);
    const std::size_t digits = std::min(text.find_first_not_of('0'), text.find('.') - 1);
    return number.append(text.substr(std::min(digits, text.size() - 1)));
}

}  // namespace

// A sheet of rows [m_first, m_end) of the listing, made a step at a time.
class WorkbookListing::Sheet final : public ZipEntry {
public:
    Sheet(const Listing& listing, std::size_t index, std::size_t first, std::size_t end)
        : m_listing(listing),
          m_name("xl/worksheets/sheet" + std::to_string(index + 1) + ".xml"),
          m_first(first),
          m_end(end) {}

    std::string_view name() const override { return m_name; }
    void restart() override {
        m_next = m_first;
        m_step = Step::Start;
        m_cut = 0;
    }
    bool more(std::string& out) override {
        if (m_step == Step::Done) {
            return false;
        }
        if (std::exchange(m_step, Step::Rows) == Step::Start) {
            appendStart(out);
        } else {
            appendRows(out);
        }
        return true;
    }
    std::size_t cut() const { return m_cut; }

private:
    enum class Step { Start, Rows, Done };

    void appendStart(std::string& out) const {
        out.append(kXmlDeclaration)
            .append("<worksheet xmlns=\"")
            .append(kMainNamespace)
            .append(
                "\"><sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" "
                "topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/><selection "
                "pane=\"bottomLeft\"/></sheetView></sheetViews><cols>");
        const std::array<std::size_t, kFieldCount> widths = columnWidths();
        for (std::size_t column = 0; column < kFieldCount; ++column) {
            const std::string number = std::to_string(column + 1);
            std::array<char, 32> width{};
            const auto end = std::to_chars(width.data(), width.data() + width.size(),
                                           static_cast<double>(widths[column]) + kCellMargins)
                                 .ptr;
            out.append("<col min=\"" + number + "\" max=\"" + number + "\" width=\"")
                .append(width.data(), end)
                .append("\" customWidth=\"1\"/>");
        }
        out.append("</cols><sheetData><row r=\"1\">");
        for (std::size_t column = 0; column < kFieldCount; ++column) {
            out.append("<c r=\"").append(1, static_cast<char>('A' + column)).append("1\" s=\"");
            out.append(std::to_string(kHeaderStyle)).append("\" t=\"inlineStr\"><is><t>");
            out.append(kFieldNames[column]).append("</t></is></c>");
        }
        out.append("</row>");
    }

    std::array<std::size_t, kFieldCount> columnWidths() const {
        std::array<std::size_t, kFieldCount> widths{};
        std::ranges::transform(kFieldNames, widths.begin(),
                               [](std::string_view name) { return name.size(); });
        for (std::size_t row = m_first; row < std::min(m_end, m_first + kRowsForWidths); ++row) {
            for (std::size_t column = 0; column < kFieldCount; ++column) {
                widths[column] = std::max(widths[column],
                                          shownLength(m_listing.field(row, column), kWidestColumn));
            }
        }
        return widths;
    }

    void appendRows(std::string& out) {
        const std::size_t stepEnd = out.size() + kStepBytes;
        for (; m_next < m_end && out.size() < stepEnd; ++m_next) {
            appendRow(out, std::to_string(m_next - m_first + 2));
        }
        if (m_next == m_end) {
            out.append("</sheetData></worksheet>");
            m_step = Step::Done;
        }
    }

    void appendRow(std::string& out, const std::string& number) {
        out.append("<row r=\"").append(number).append("\">");
        for (std::size_t column = 0; column < kFieldCount; ++column) {
            const std::string_view value = m_listing.field(m_next, column);
            if (value.empty()) {
                continue;  // an empty cell is no cell
            }
            out.append("<c r=\"").append(1, static_cast<char>('A' + column)).append(number);
            const std::optional<std::size_t> decimals =
                column == kPriceColumn ? numberDecimals(value) : std::nullopt;
            if (decimals) {
                out.append("\" s=\"").append(std::to_string(kFirstPriceStyle + *decimals));
                out.append("\"><v>").append(plainNumber(value));
                out.append("</v></c>");
                continue;
            }
            out.append("\" t=\"inlineStr\"><is><t xml:space=\"preserve\">");
            m_cut += appendCellXml(out, value) ? 1 : 0;
            out.append("</t></is></c>");
        }
        out.append("</row>");
    }

    const Listing& m_listing;
    std::string m_name;
    std::size_t m_first;
    std::size_t m_end;
    std::size_t m_next = 0;
    Step m_step = Step::Start;
    std::size_t m_cut = 0;
};

// The application's properties first: they name this program where a window looks for them.
std::vector<std::unique_ptr<ZipEntry>> WorkbookListing::entries(const Listing& listing,
                                                                std::vector<Sheet*>& sheets) {
    const std::size_t rows = listing.rowCount();
    const std::size_t sheetCount =
        std::max<std::size_t>(1, (rows + kRowsPerSheet - 1) / kRowsPerSheet);
    std::vector<std::unique_ptr<ZipEntry>> entries;
    entries.push_back(std::make_unique<FixedEntry>(kWorkbookFirstEntry, applicationProperties()));
    entries.push_back(
        std::make_unique<FixedEntry>("[Content_Types].xml", contentTypes(sheetCount)));
    entries.push_back(std::make_unique<FixedEntry>("_rels/.rels", packageRelationships()));
    entries.push_back(std::make_unique<FixedEntry>("xl/workbook.xml", workbook(sheetCount)));
    entries.push_back(std::make_unique<FixedEntry>("xl/_rels/workbook.xml.rels",
                                                   workbookRelationships(sheetCount)));
    entries.push_back(std::make_unique<FixedEntry>("xl/styles.xml", styles()));
    for (std::size_t sheet = 0; sheet < sheetCount; ++sheet) {
        const std::size_t first = sheet * kRowsPerSheet;
        auto entry =
            std::make_unique<Sheet>(listing, sheet, first, std::min(rows, first + kRowsPerSheet));
        sheets.push_back(entry.get());
        entries.push_back(std::move(entry));
    }
    return entries;
}

WorkbookListing::WorkbookListing(const Listing& listing, const StopFlag* stop)
    : m_zip(entries(listing, m_sheets), [stop] { stopIfRequested(stop); }) {}

WorkbookListing::~WorkbookListing() = default;

std::size_t WorkbookListing::cutValues() const {
    return std::transform_reduce(m_sheets.begin(), m_sheets.end(), std::size_t{0}, std::plus<>(),
                                 [](const Sheet* sheet) { return sheet->cut(); });
}

}  // namespace catalog
