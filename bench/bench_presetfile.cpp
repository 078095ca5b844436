// Reading a crafted preset file: N empty sections, then a complete preset, through the same steps a
// load takes (open and read the file, check every key into a scratch model). The time per section
// stays flat as N grows a hundredfold: reading is linear in the file size.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "editor/presetfile.h"

namespace {

std::string PresetFileWithSections(int nSections) {
    CSettingsModel m;
    m.WriteStartupDefaults();
    ZUtils::ZProfile preset;
    WritePresetKeys(preset, m, std::tm{});
    std::string text;
    text.reserve(static_cast<std::size_t>(nSections) * 4 + 20000);
    for (int i = 0; i < nSections; ++i)
        text += "[]\r\n";
    return text + preset.Text();
}

void BM_ReadManySections(benchmark::State& state) {
    const int nSections = static_cast<int>(state.range(0));
    char path[] = "/tmp/mlb8_bench_sections_XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    const std::string text = PresetFileWithSections(nSections);
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        state.SkipWithError("write");
    ::close(fd);
    for (auto _ : state) {
        ZUtils::ZProfile profile;
        if (!profile.LoadFile(path)) state.SkipWithError("not read");
        CSettingsModel scratch;
        SPresetReport report;
        ReadPresetKeys(profile, scratch, EPresetRead::File, &report);
        benchmark::DoNotOptimize(report.nKeys);
    }
    ::unlink(path);
    state.SetComplexityN(nSections);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadManySections)
    ->Arg(35000)
    ->Arg(350000)
    ->Arg(3500000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

BENCHMARK_MAIN();
