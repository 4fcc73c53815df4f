// Throughput of the two operations over a large realistic text and two
// adversarial ones, each next to a plain copy of the same buffer measured in
// the same run. Figures only; nothing here passes or fails.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "RealisticText.h"
#include "LiteralModel.h"
#include "text/BlankLines.h"

namespace {

std::u16string RealisticText(size_t units) {
    return RealisticTextMaker().Lines(units);
}

std::u16string LongSpaceRun(size_t units) {
    std::u16string text = RealisticText(units / 2);
    text += u"x";
    text.append(100000, u' ');
    text += u"\r\n";
    text += RealisticText(units - text.size());
    return text;
}

std::u16string OnlyBreaks(size_t units) {
    std::u16string text;
    text.reserve(units);
    while (text.size() + 2 <= units) text += u"\r\n";
    return text;
}

struct Input {
    const char* name;
    std::u16string text;
};

std::vector<Input>& Inputs() {
    static std::vector<Input> inputs = {
        {"realistic_100MB", RealisticText(50'000'000)},
        {"space_run_10MB", LongSpaceRun(5'000'000)},
        {"only_breaks_10MB", OnlyBreaks(5'000'000)},
        {"realistic_1MB", RealisticText(500'000)},
    };
    return inputs;
}

void SetBytes(benchmark::State& state, const std::u16string& text) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size() * sizeof(char16_t)));
}

void CopyFresh(benchmark::State& state, const std::u16string* text) {
    for (auto _ : state) {
        std::u16string copy(*text);
        benchmark::DoNotOptimize(copy.data());
    }
    SetBytes(state, *text);
}

void CopyReused(benchmark::State& state, const std::u16string* text) {
    std::u16string buffer(*text);
    for (auto _ : state) {
        std::memcpy(buffer.data(), text->data(), text->size() * sizeof(char16_t));
        benchmark::ClobberMemory();
    }
    SetBytes(state, *text);
}

template <std::u16string (*Fn)(std::u16string_view)>
void Fresh(benchmark::State& state, const std::u16string* text) {
    for (auto _ : state) {
        std::u16string out = Fn(*text);
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state, *text);
}

template <void (*Fn)(std::u16string_view, std::u16string&)>
void Reused(benchmark::State& state, const std::u16string* text) {
    std::u16string out;
    Fn(*text, out);
    for (auto _ : state) {
        Fn(*text, out);
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state, *text);
}

constexpr std::u16string (*kRemoveFresh)(std::u16string_view) = &RemoveBlankLines;
constexpr std::u16string (*kAddFresh)(std::u16string_view) = &AddBlankLines;
constexpr void (*kRemoveReused)(std::u16string_view, std::u16string&) = &RemoveBlankLines;
constexpr void (*kAddReused)(std::u16string_view, std::u16string&) = &AddBlankLines;

// Collects bytes per second by name so the ratios to the copy can be printed
// after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) m_rates[run.benchmark_name()] = it->second.value;
        }
    }

    void PrintRatios() const {
        std::printf("\n%-44s %10s %10s\n", "benchmark", "MB/s", "x memcpy");
        for (const auto& [name, rate] : m_rates) {
            std::string input = name.substr(name.find('/') + 1);
            bool reused = name.find("reused") != std::string::npos;
            auto copy = m_rates.find((reused ? "copy_reused/" : "copy_fresh/") + input);
            double ratio = copy == m_rates.end() ? 0.0 : rate / copy->second;
            std::printf("%-44s %10.0f %10.2f\n", name.c_str(), rate / 1e6, ratio);
        }
    }

private:
    std::map<std::string, double> m_rates;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const Input& input : Inputs()) {
        const std::u16string* text = &input.text;
        std::string suffix = std::string("/") + input.name;
        benchmark::RegisterBenchmark(("copy_fresh" + suffix).c_str(), CopyFresh, text);
        benchmark::RegisterBenchmark(("copy_reused" + suffix).c_str(), CopyReused, text);
        benchmark::RegisterBenchmark(("remove_fresh" + suffix).c_str(), Fresh<kRemoveFresh>, text);
        benchmark::RegisterBenchmark(("remove_reused" + suffix).c_str(), Reused<kRemoveReused>,
                                     text);
        benchmark::RegisterBenchmark(("add_fresh" + suffix).c_str(), Fresh<kAddFresh>, text);
        benchmark::RegisterBenchmark(("add_reused" + suffix).c_str(), Reused<kAddReused>, text);
    }
    // The step-by-step model on the small input, to show what the one-pass
    // engine saves.
    const std::u16string* small = &Inputs().back().text;
    benchmark::RegisterBenchmark("model_remove/realistic_1MB", Fresh<&model::RemoveBlankLines>,
                                 small);
    benchmark::RegisterBenchmark("model_add/realistic_1MB", Fresh<&model::AddBlankLines>, small);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
