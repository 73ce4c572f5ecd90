// The speaker database with 20,000 records: a folder import of .spk files
// (read, de-duplicate, sort), de-duplicating and sorting a list in memory, and
// loading the database file.

#include "Sonbex/BoxDesign/YSpeakerData.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using sonbex::boxdesign::DriverRecord;
using sonbex::boxdesign::YSpeakerData;

constexpr int kRecords = 20000;

// 20,000 records of 2,000 makers; every fourth one repeats an earlier record
// with another case and comment, so a quarter are duplicates.
DriverRecord Record(int i) {
    const int base = (i % 4 == 3) ? i - 3 : i;
    DriverRecord r;
    r.manufacturer = "Maker " + std::to_string(base % 2000);
    r.model = "Model " + std::to_string(base);
    if (i != base)
        for (char& c : r.manufacturer) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    r.comment = "comment " + std::to_string(i);
    r.fs = 20 + base % 100;
    r.vas = 0.01 + base * 1e-6;
    r.qes = 0.4;
    r.qms = 4;
    r.re = 6;
    r.le = 0.0005;
    r.sd = 0.013;
    r.xmax = 0.004;
    return r;
}

const fs::path& Folder() {
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / ("sonbex-bench-spk-" + std::to_string(::getpid()));
        fs::create_directories(d);
        for (int i = 0; i < kRecords; ++i) {
            std::ofstream out(d / ("d" + std::to_string(i) + ".spk"), std::ios::binary);
            out << YSpeakerData::OldDriverFileBytes(Record(i));
        }
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(fs::temp_directory_path() / ("sonbex-bench-spk-" + std::to_string(::getpid())),
                           ec);
        });
        return d;
    }();
    return dir;
}

void BM_ImportFolder20k(benchmark::State& state) {
    const fs::path& dir = Folder();
    for (auto _ : state) {
        YSpeakerData db;
        db.Import(dir, true, false);
        benchmark::DoNotOptimize(db.Count());
        if (db.Count() != kRecords * 3 / 4) state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_ImportFolder20k)->Unit(benchmark::kMillisecond);

void BM_RemoveDuplicatesAndSort20k(benchmark::State& state) {
    YSpeakerData filled;
    for (int i = 0; i < kRecords; ++i) filled.AddOrReplace(Record(i), false, false);
    for (auto _ : state) {
        state.PauseTiming();
        YSpeakerData db = filled;
        state.ResumeTiming();
        benchmark::DoNotOptimize(db.RemoveDuplicates());
        db.SortByName();
    }
}
BENCHMARK(BM_RemoveDuplicatesAndSort20k)->Unit(benchmark::kMillisecond);

void BM_LoadDatabase20k(benchmark::State& state) {
    YSpeakerData filled;
    for (int i = 0; i < kRecords; ++i) filled.AddOrReplace(Record(i), false, false);
    const fs::path file = fs::temp_directory_path() / ("sonbex-bench-" + std::to_string(::getpid()) + ".SDB");
    std::ofstream(file, std::ios::binary) << filled.FileBytes({});
    for (auto _ : state) {
        YSpeakerData db;
        db.Load(file);
        benchmark::DoNotOptimize(db.Count());
    }
    fs::remove(file);
}
BENCHMARK(BM_LoadDatabase20k)->Unit(benchmark::kMillisecond);

}  // namespace
