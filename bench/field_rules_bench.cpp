// Micro-benchmarks of the four field rules as the programs apply them to a page held whole,
// and of the scan alone, which cuts a page into its records.
#include <benchmark/benchmark.h>
#include <string>

#include "collect/record_reader.h"
#include "collect/record_scan.h"

namespace {

constexpr std::size_t kHugeBytes = std::size_t{200} << 20;

std::string filler(std::size_t bytes) {
    const std::string line =
        "<div class=\"row\"><p>Sturdy, reliable and made to last; see the data sheet.</p></div>\n";
    std::string text;
    text.reserve(bytes + line.size());
    while (text.size() < bytes) {
        text += line;
    }
    return text;
}

std::string record(const std::string& name) {
    return "{ 'REFERENCE' => 'BIG-1', 'NAME' => '" + name +
           "', 'PRICE' => 9.99, 'MIN_QUANTITY_ORDERABLE' => 1, 'WEIGHT' => 0.5, "
           "'THUMBNAIL' => 'img/big-1-small.jpg',  }, \n";
}

// A product whose description runs 200 MB inside its NAME value.
const std::string& hugeName() {
    static const std::string text =
        "<html><body>\n" + record(filler(kHugeBytes)) + "</body></html>\n";
    return text;
}

// A record near the top of a 200 MB page: the scan crosses all of it.
const std::string& hugePage() {
    static const std::string text = "<html><body>\n" + record("Anchor") + filler(kHugeBytes);
    return text;
}

const std::string& typicalPage() {
    static const std::string text =
        "<!DOCTYPE html>\n<html><head><title>Anchor</title></head><body>\n" + record("Anchor") +
        filler(1900);
    return text;
}

// Many products, one after another, as a shop's dump lists them.
const std::string& manyRecords() {
    static const std::string text = [] {
        std::string page;
        for (int i = 0; page.size() < kHugeBytes; ++i) {
            page += record("Anchor " + std::to_string(i));
        }
        return page;
    }();
    return text;
}

// Keeps the rows in one string that keeps its memory from run to run.
class Rows final : public catalog::RowSink {
public:
    std::string text;

    std::string& rowText() override { return text; }
    void rowAdded(std::size_t, const catalog::FieldLengths&, const catalog::FieldMisses&) override {
        text.append(catalog::kLineEnd);
    }
    void restartPage() override { text.clear(); }
};

void setBytes(benchmark::State& state, const std::string& text) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The row appended to a listing that keeps its memory from record to record.
void rulesOn(benchmark::State& state, const std::string& text) {
    catalog::RecordReader reader;
    Rows rows;
    for (auto _ : state) {
        rows.text.clear();
        reader.appendRows(text, rows, nullptr);
        benchmark::DoNotOptimize(rows.text.data());
    }
    setBytes(state, text);
}

void scanOn(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        catalog::RecordScan scan;
        const catalog::OnRecord ignore = [](const catalog::RecordMatches&) {};
        scan.feed(text, ignore);
        scan.finish(ignore);
        benchmark::DoNotOptimize(scan.records());
    }
    setBytes(state, text);
}

void BM_FieldRules_200MBName(benchmark::State& state) {
    rulesOn(state, hugeName());
}
void BM_FieldRules_200MBPage(benchmark::State& state) {
    rulesOn(state, hugePage());
}
void BM_FieldRules_2KBPage(benchmark::State& state) {
    rulesOn(state, typicalPage());
}
void BM_FieldRules_200MBOfRecords(benchmark::State& state) {
    rulesOn(state, manyRecords());
}
void BM_Scan_200MBName(benchmark::State& state) {
    scanOn(state, hugeName());
}

BENCHMARK(BM_FieldRules_200MBName)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FieldRules_200MBPage)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FieldRules_2KBPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FieldRules_200MBOfRecords)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Scan_200MBName)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
