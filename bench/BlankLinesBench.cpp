// Throughput of the two operations over a large realistic text and two adversarial ones, next
// to a plain copy of the same text into a fresh string measured in the same run. Ends with a
// table: median MB/s of UTF-16 input over the repetitions (3 unless --benchmark_repetitions
// says otherwise), the ratio to the copy and the spread (coefficient of variation). Rates are
// per CPU second, page faults included, so other load on the machine distorts them less than
// wall time. Inputs are made only when one of their rows runs (--benchmark_filter=_1MB runs
// the small one). Figures, but an inexact result fails its row and the run exits 1.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "LiteralModel.h"
#include "RealisticText.h"
#include "text/BlankLines.h"
#include "text/EnginePaths.h"

namespace {

using Transform = std::u16string (*)(std::u16string_view);

struct Input {
    const char* name;
    std::u16string (*make)();
    bool modelled;  // small enough for the step-by-step model
    std::u16string text;

    const std::u16string& Text() {
        if (text.empty()) text = make();
        return text;
    }
};

Input g_inputs[] = {
    {"realistic_100MB", [] { return RealisticTextMaker().Lines(50'000'000); }, false, {}},
    {"space_run_10MB",
     [] {
         const std::u16string half = RealisticTextMaker().Lines(2'500'000);
         return half + u"x" + std::u16string(100'000, u' ') + u"\r\n" + half;
     },
     false,
     {}},
    {"only_breaks_10MB", [] { return LineBreaks(2'500'000); }, false, {}},
    {"realistic_1MB", [] { return RealisticTextMaker().Lines(500'000); }, true, {}},
};

struct Op {
    const char* name;
    Transform run;
    Transform model;  // what an engine's result must equal; none for the copy and the models
};

std::u16string Copy(std::u16string_view text) {
    return std::u16string(text);
}

const Op kOps[] = {{"remove", RemoveBlankLines, model::RemoveBlankLines},
                   {"add", AddBlankLines, model::AddBlankLines},
                   {"copy", Copy, nullptr}};
// The first two's models on the small input only, to show what the one-pass engine saves.
const Op kModels[] = {{"model_remove", model::RemoveBlankLines, nullptr},
                      {"model_add", model::AddBlankLines, nullptr}};

bool g_inexact = false;

// Against the model on the small input; elsewhere (the model would take hours over a long run
// of spaces) against the portable path, which does without the vector instructions the timed
// path uses. Worked out apart from the timing.
bool Exact(Input& input, const Op& op) {
    const std::u16string& text = input.Text();
    if (!op.model) return true;
    if (input.modelled) return op.run(text) == op.model(text);
    const EnginePath& portable = *FindEnginePath("portable");
    const Transform slow = op.model == model::RemoveBlankLines ? portable.removeBlankLines
                                                                : portable.addBlankLines;
    return op.run(text) == slow(text);
}

void Time(benchmark::State& state, Input* input, const Op* op) {
    if (!Exact(*input, *op)) {
        g_inexact = true;
        state.SkipWithError("inexact result");
        return;
    }
    const std::u16string& text = input->Text();
    for (auto _ : state) {
        std::u16string out = op->run(text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size() * sizeof(char16_t)));
}

// Keeps each row's median rate and spread ("add/realistic_1MB") and prints the table after
// the run.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) continue;
            Figures& row = m_rows[run.run_name.function_name];
            // One repetition has no aggregates: its one rate stands for the median.
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                row.rate = it->second.value;
            else if (run.aggregate_name == "cv")
                row.cv = it->second.value;
        }
    }

    void PrintTable() {
        std::printf(
            "\nMB/s of input, median (ratio to the copy of the same input) and spread (cv)"
            "\n%-18s%20s%20s%20s\n",
            "input", "remove", "add", "copy");
        for (const Input& input : g_inputs) {
            bool ran = false;
            for (const Op& op : kOps) ran = ran || Row(op.name, input.name).rate > 0;
            if (!ran) continue;
            const Figures copy = Row("copy", input.name);
            std::printf("%-18s", input.name);
            for (const Op& op : kOps) {
                const Figures row = Row(op.name, input.name);
                char cell[64] = "-";
                if (row.rate > 0)
                    std::snprintf(cell, sizeof cell,
                                  row.cv < 0 ? "%.0f (%.2f)" : "%.0f (%.2f) %.0f%%", row.rate / 1e6,
                                  copy.rate > 0 ? row.rate / copy.rate : 0.0, row.cv * 100);
                std::printf("%20s", cell);
            }
            std::printf("\n");
        }
        for (size_t i = 0; i < std::size(kModels); ++i) {
            const double rate = Row(kModels[i].name, "realistic_1MB").rate;
            const double engine = Row(kOps[i].name, "realistic_1MB").rate;
            if (rate > 0 && engine > 0)
                std::printf("%s: %.0f MB/s on realistic_1MB; the engine is %.0fx faster\n",
                            kModels[i].name, rate / 1e6, engine / rate);
        }
    }

private:
    struct Figures {
        double rate = 0, cv = -1;  // no spread from one repetition
    };

    Figures Row(const std::string& op, const std::string& input) {
        const auto it = m_rows.find(op + "/" + input);
        return it == m_rows.end() ? Figures{} : it->second;
    }

    std::map<std::string, Figures> m_rows;
};

}  // namespace

int main(int argc, char** argv) {
    // Three repetitions, aggregates only on the console; flags given on the command line come
    // later, and the last of a flag wins.
    static char repetitions[] = "--benchmark_repetitions=3";
    static char aggregates[] = "--benchmark_display_aggregates_only=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, {repetitions, aggregates});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    for (Input& input : g_inputs)
        for (const Op& op : kOps)
            benchmark::RegisterBenchmark((std::string(op.name) + "/" + input.name).c_str(), Time,
                                         &input, &op);
    for (const Op& model : kModels)
        benchmark::RegisterBenchmark((std::string(model.name) + "/realistic_1MB").c_str(), Time,
                                     &g_inputs[3], &model);

    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable();
    benchmark::Shutdown();
    if (g_inexact)
        std::printf("\nFAILED: an operation gave an inexact result (rows marked ERROR)\n");
    return g_inexact ? 1 : 0;
}
