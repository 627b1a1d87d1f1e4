// zelk_bench: the plug-in's entry points on synthetic contest logs, beside
// the linear baseline. Loads (reset, N contacts, one result), single calls at
// 100 000 stored contacts, and results with and without the Cabrillo file.
//
//   zelk_bench [--smoke] [google benchmark flags]
//
// --smoke runs every benchmark once on small logs (for CI: it proves the
// binary and the paths through the plug-in work, not how fast they are).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "contacts.h"
#include "plugins.h"

namespace zelk::bench {
namespace {

bool g_smoke = false;
constexpr std::size_t kReferenceEntries = 100;

const ContactSet& Contacts(std::size_t count) {
    static std::map<std::size_t, std::unique_ptr<ContactSet>> sets;
    auto& set = sets[count];
    if (!set) {
        set = std::make_unique<ContactSet>(count, 20190512);
    }
    return *set;
}

using Factory = std::unique_ptr<Plugin> (*)(const std::string&);

std::unique_ptr<Plugin> Library(const std::string& referenceFile) {
    std::string why;
    return MakeLibraryPlugin(referenceFile, why);
}

// Resident memory of the process in bytes, with freed memory given back first.
double ResidentBytes() {
    malloc_trim(0);
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * 4096.0;
}

void Load(benchmark::State& state, Factory make, std::size_t count, bool measureMemory) {
    const ContactSet& contacts = Contacts(count);
    std::unique_ptr<Plugin> plugin = make(contacts.ReferenceFile(kReferenceEntries));
    if (!plugin) {
        state.SkipWithError("plug-in not available");
        return;
    }
    double bytesPerContact = 0;
    for (auto _ : state) {
        state.PauseTiming();
        plugin->Reset(0);
        const double before = measureMemory ? ResidentBytes() : 0;
        state.ResumeTiming();
        plugin->Reset(0);
        for (std::size_t i = 0; i < contacts.Size(); ++i) {
            plugin->Add(contacts.Args(contacts[i]));
        }
        if (measureMemory) {
            state.PauseTiming();
            bytesPerContact = (ResidentBytes() - before) / static_cast<double>(count);
            state.ResumeTiming();
        }
        int result = 0;
        benchmark::DoNotOptimize(plugin->Result(&result));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(count));
    if (measureMemory) {
        state.counters["bytes_per_contact"] = bytesPerContact;
    }
}

// Reset, then N contacts each followed by a result, as a host does that
// refreshes its score window after every contact.
void LoadWithResults(benchmark::State& state, Factory make, std::size_t count) {
    const ContactSet& contacts = Contacts(count);
    std::unique_ptr<Plugin> plugin = make(contacts.ReferenceFile(kReferenceEntries));
    for (auto _ : state) {
        plugin->Reset(0);
        int result = 0;
        for (std::size_t i = 0; i < contacts.Size(); ++i) {
            plugin->Add(contacts.Args(contacts[i]));
            benchmark::DoNotOptimize(plugin->Result(&result));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(count));
}

// Times `call` alone, once per iteration; `restore` puts the log back as it
// was, untimed. Reports the median and the 99th percentile of single calls.
template <class Call, class Restore>
void PerCall(benchmark::State& state, Call call, Restore restore) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        call();
        const auto stop = Clock::now();
        const double seconds = std::chrono::duration<double>(stop - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e9);
        restore();
    }
    if (!samples.empty()) {
        std::sort(samples.begin(), samples.end());
        state.counters["median_ns"] = samples[samples.size() / 2];
        state.counters["p99_ns"] = samples[samples.size() * 99 / 100];
    }
}

// A plug-in holding `count` contacts, with the bookkeeping the single-call
// benchmarks need to put the log back after each call.
struct LoadedLog {
    LoadedLog(Factory make, std::size_t count, int cabrilloWanted)
        : contacts(Contacts(count)), plugin(make(contacts.ReferenceFile(kReferenceEntries))) {
        if (!plugin) {
            return;
        }
        uniques = std::make_unique<ContactSet>(0, 1);
        for (uint32_t i = 0; i < 4096; ++i) {
            unique.push_back(uniques->MakeUnique(i));
        }
        plugin->Reset(cabrilloWanted);
        plugin->Fill(contacts);
        for (std::size_t i = 0; i < contacts.Size(); ++i) {
            keys[Key(contacts[i])].push_back(i);
        }
        for (const auto& [key, indices] : keys) {
            if (indices.size() >= 2) {
                shared.push_back(key);
            }
        }
    }
    std::string Key(const Contact& c) const {
        return std::string(contacts.Text(c.call)) + '|' + contacts.Group(c);
    }

    const ContactSet& contacts;
    std::unique_ptr<Plugin> plugin;
    std::unique_ptr<ContactSet> uniques;
    std::vector<Contact> unique;
    // Contacts of each call and group, in log order; keys with several.
    std::unordered_map<std::string, std::deque<std::size_t>> keys;
    std::vector<std::string> shared;
};

constexpr std::size_t kStoredContacts = 100000;

std::size_t StoredContacts() {
    return g_smoke ? 1000 : kStoredContacts;
}

void AddNew(benchmark::State& state, Factory make) {
    LoadedLog log(make, StoredContacts(), 0);
    std::size_t i = 0;
    PerCall(
        state, [&] { log.plugin->Add(log.uniques->Args(log.unique[i % log.unique.size()])); },
        [&] { log.plugin->Remove(log.uniques->Args(log.unique[i++ % log.unique.size()])); });
}

void AddDuplicate(benchmark::State& state, Factory make) {
    LoadedLog log(make, StoredContacts(), 0);
    std::size_t i = 0;
    PerCall(
        state, [&] { log.plugin->Add(log.contacts.Args(log.contacts[i % log.contacts.Size()])); },
        [&] { ++i; });
}

void CheckHit(benchmark::State& state, Factory make) {
    LoadedLog log(make, StoredContacts(), 0);
    std::size_t i = 0;
    char buffer[100] = {};
    PerCall(
        state,
        [&] {
            const int worked =
                log.plugin->Check(log.contacts.Args(log.contacts[i % log.contacts.Size()]), buffer);
            benchmark::DoNotOptimize(worked);
        },
        [&] { i += 7; });
}

void CheckMiss(benchmark::State& state, Factory make) {
    LoadedLog log(make, StoredContacts(), 0);
    std::size_t i = 0;
    char buffer[100] = {};
    PerCall(
        state,
        [&] {
            const int fresh =
                log.plugin->Check(log.uniques->Args(log.unique[i % log.unique.size()]), buffer);
            benchmark::DoNotOptimize(fresh);
        },
        [&] { ++i; });
}

// Removes the first contact of a call and group that has several; the
// contact is given back afterwards and so becomes the last of its key.
void RemoveFirstOfSeveral(benchmark::State& state, Factory make) {
    LoadedLog log(make, StoredContacts(), 0);
    std::size_t k = 0;
    std::size_t removed = 0;
    PerCall(
        state,
        [&] {
            std::deque<std::size_t>& indices = log.keys[log.shared[k % log.shared.size()]];
            removed = indices.front();
            log.plugin->Remove(log.contacts.Args(log.contacts[removed]));
        },
        [&] {
            std::deque<std::size_t>& indices = log.keys[log.shared[k++ % log.shared.size()]];
            indices.pop_front();
            indices.push_back(removed);
            log.plugin->Add(log.contacts.Args(log.contacts[removed]));
        });
}

// Removes the last contact of the log, the only one of its call and group.
void RemoveOnlyAtEnd(benchmark::State& state, Factory make) {
    LoadedLog log(make, StoredContacts(), 0);
    const ContactArgs last = log.uniques->Args(log.unique[0]);
    log.plugin->Add(last);
    PerCall(
        state, [&] { log.plugin->Remove(last); }, [&] { log.plugin->Add(last); });
}

void Result(benchmark::State& state, Factory make, int cabrilloWanted) {
    LoadedLog log(make, StoredContacts(), cabrilloWanted);
    int result = 0;
    log.plugin->Result(&result);  // the groups are in order from here on
    PerCall(
        state, [&] { benchmark::DoNotOptimize(log.plugin->Result(&result)); }, [] {});
}

struct Subject {
    const char* name;
    Factory make;
    std::size_t maxLoad;  // largest log loaded in one burst
    bool perCall;
};

void RegisterAll() {
    std::vector<Subject> subjects = {
        {"indexed", MakeIndexedPlugin, 1000000, true},
        {"baseline", MakeBaselinePlugin, 100000, true},
    };
    {
        std::string why;
        if (MakeLibraryPlugin("", why)) {
            subjects.push_back({"libStats.so", Library, 1000000, false});
        } else {
            std::fprintf(stderr, "zelk_bench: no library benchmarks: %s\n", why.c_str());
        }
    }
    const std::vector<std::size_t> sizes =
        g_smoke ? std::vector<std::size_t>{1000}
                : std::vector<std::size_t>{1000, 10000, 100000, 1000000};
    auto configure = [](benchmark::internal::Benchmark* b, bool manual) {
        b->Unit(manual ? benchmark::kMicrosecond : benchmark::kMillisecond);
        if (manual) {
            b->UseManualTime();
        }
        if (g_smoke) {
            b->Iterations(manual ? 50 : 1);
        }
    };
    for (const Subject& s : subjects) {
        for (std::size_t n : sizes) {
            if (n > s.maxLoad) {
                continue;
            }
            const bool memory = std::string(s.name) == "indexed";
            auto* b = benchmark::RegisterBenchmark(
                ("Load/" + std::string(s.name) + "/" + std::to_string(n)).c_str(),
                [s, n, memory](benchmark::State& st) { Load(st, s.make, n, memory); });
            configure(b, false);
            if (!g_smoke && n >= 100000) {
                b->Iterations(std::string(s.name) == "baseline" ? 1 : 3);
            }
        }
    }
    for (const Subject& s : subjects) {
        // The baseline is quadratic here; the library writes its settings
        // file at every result.
        const std::size_t n = g_smoke ? 100 : (std::string(s.name) == "indexed" ? 100000 : 10000);
        auto* b = benchmark::RegisterBenchmark(
            ("LoadWithResults/" + std::string(s.name) + "/" + std::to_string(n)).c_str(),
            [s, n](benchmark::State& st) { LoadWithResults(st, s.make, n); });
        configure(b, false);
        if (!g_smoke) {
            b->Iterations(1);
        }
    }
    using PerCallFn = void (*)(benchmark::State&, Factory);
    const std::pair<const char*, PerCallFn> calls[] = {
        {"AddData0/new", AddNew},
        {"AddData0/duplicate", AddDuplicate},
        {"CheckCall0/hit", CheckHit},
        {"CheckCall0/miss", CheckMiss},
        {"RemoveData0/first_of_several", RemoveFirstOfSeveral},
        {"RemoveData0/only_one_at_end", RemoveOnlyAtEnd},
    };
    for (const auto& [name, fn] : calls) {
        for (const Subject& s : subjects) {
            if (!s.perCall) {
                continue;
            }
            auto* b = benchmark::RegisterBenchmark(
                (std::string(name) + "/" + s.name).c_str(),
                [fn = fn, make = s.make](benchmark::State& st) { fn(st, make); });
            configure(b, true);
        }
    }
    for (const Subject& s : subjects) {
        if (!s.perCall) {
            continue;
        }
        for (int cabrillo : {0, 1}) {
            auto* b = benchmark::RegisterBenchmark(
                (std::string(cabrillo ? "GetResult0/cabrillo/" : "GetResult0/plain/") + s.name)
                    .c_str(),
                [make = s.make, cabrillo](benchmark::State& st) { Result(st, make, cabrillo); });
            configure(b, true);
        }
    }
}

}  // namespace
}  // namespace zelk::bench

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            zelk::bench::g_smoke = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    zelk::bench::RegisterAll();
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
