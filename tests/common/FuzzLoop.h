#pragma once
// A small in-process mutation fuzzer for the test programs: inputs are mutated from a seed corpus
// (bit flips, byte sets, truncation, splicing, insertion of random bytes or dictionary tokens,
// erasure, duplication) and handed to a target function, for a bounded number of iterations and
// a bounded time. A run is deterministic for a given seed, so a failure found in a long run can
// be replayed exactly.
//
// Environment (all optional):
//   VEXO_FUZZ_SECONDS     time budget in seconds (fractions allowed)
//   VEXO_FUZZ_ITERATIONS  iteration limit
//   VEXO_FUZZ_SEED        random seed (printed at the start of every run)
//   VEXO_FUZZ_SAVE_LAST   file that receives every input before it runs (slow)
//   VEXO_FUZZ_CRASH_FILE  file that receives the input being tried when the process crashes
//                         (default "fuzz-crash-input.bin" in the current folder)

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/CrashExit.h"

namespace vexo_fuzz {

using Bytes = std::vector<uint8_t>;

struct TFuzzOptions {
    unsigned long long iterations = 20000;
    double seconds = 5.0;
    uint64_t seed = 0x5EED1234ABCDull;
    size_t maxSize = 1 << 16;  // mutated inputs are cut to this size
    std::string saveLastPath;
};

struct TFuzzStats {
    unsigned long long iterations = 0;
    double seconds = 0.0;
    size_t largestInput = 0;
};

// Defaults overridden by the environment variables above.
inline TFuzzOptions OptionsFromEnvironment(unsigned long long iterations, double seconds) {
    TFuzzOptions options;
    options.iterations = iterations;
    options.seconds = seconds;
    if (const char* text = std::getenv("VEXO_FUZZ_SECONDS")) {
        options.seconds = std::strtod(text, nullptr);
        options.iterations = ~0ull;  // a time budget given by hand runs until the time is up
    }
    if (const char* text = std::getenv("VEXO_FUZZ_ITERATIONS"))
        options.iterations = std::strtoull(text, nullptr, 10);
    if (const char* text = std::getenv("VEXO_FUZZ_SEED")) options.seed = std::strtoull(text, nullptr, 0);
    if (const char* text = std::getenv("VEXO_FUZZ_SAVE_LAST")) options.saveLastPath = text;
    return options;
}

// xorshift64*: small, fast and reproducible on every compiler.
class CRandom {
public:
    explicit CRandom(uint64_t seed) : m_state(seed != 0 ? seed : 0x9E3779B97F4A7C15ull) {}
    uint64_t Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }
    size_t Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(Next() % bound); }
    bool OneIn(size_t n) { return Below(n) == 0; }

private:
    uint64_t m_state;
};

class CMutator {
public:
    CMutator(uint64_t seed, std::vector<Bytes> dictionary)
        : m_random(seed), m_dictionary(std::move(dictionary)) {}

    CRandom& Random() { return m_random; }

    // Applies one to four mutations to data; other is a second corpus input for splicing.
    void Mutate(Bytes& data, const Bytes& other, size_t maxSize) {
        size_t rounds = 1 + m_random.Below(4);
        for (size_t i = 0; i < rounds; ++i) MutateOnce(data, other);
        if (data.size() > maxSize) data.resize(maxSize);
    }

private:
    void MutateOnce(Bytes& data, const Bytes& other) {
        switch (m_random.Below(8)) {
            case 0: FlipBit(data); break;
            case 1: SetByte(data); break;
            case 2: Truncate(data); break;
            case 3: Splice(data, other); break;
            case 4: InsertRandom(data); break;
            case 5: InsertToken(data); break;
            case 6: Erase(data); break;
            default: Duplicate(data); break;
        }
    }
    size_t Position(const Bytes& data, bool end) {
        return m_random.Below(data.size() + (end ? 1 : 0));
    }
    void FlipBit(Bytes& data) {
        if (!data.empty()) data[Position(data, false)] ^= static_cast<uint8_t>(1u << m_random.Below(8));
    }
    void SetByte(Bytes& data) {
        static const uint8_t kInteresting[] = {0x00, 0x01, 0x20, 0x7F, 0x80, 0xFE, 0xFF};
        if (data.empty()) return;
        uint8_t value = m_random.OneIn(2) ? kInteresting[m_random.Below(sizeof(kInteresting))]
                                          : static_cast<uint8_t>(m_random.Next());
        data[Position(data, false)] = value;
    }
    void Truncate(Bytes& data) { data.resize(Position(data, true)); }
    void Splice(Bytes& data, const Bytes& other) {
        if (other.empty()) return;
        size_t from = m_random.Below(other.size());
        size_t count = 1 + m_random.Below(other.size() - from);
        size_t at = Position(data, true);
        data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), other.begin() + static_cast<std::ptrdiff_t>(from),
                    other.begin() + static_cast<std::ptrdiff_t>(from + count));
    }
    void InsertRandom(Bytes& data) {
        size_t count = 1 + m_random.Below(8);
        size_t at = Position(data, true);
        for (size_t i = 0; i < count; ++i)
            data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(m_random.Next()));
    }
    void InsertToken(Bytes& data) {
        if (m_dictionary.empty()) return InsertRandom(data);
        const Bytes& token = m_dictionary[m_random.Below(m_dictionary.size())];
        data.insert(data.begin() + static_cast<std::ptrdiff_t>(Position(data, true)), token.begin(), token.end());
    }
    void Erase(Bytes& data) {
        if (data.empty()) return;
        size_t at = Position(data, false);
        size_t count = 1 + m_random.Below(data.size() - at);
        if (count > 64 && !m_random.OneIn(4)) count = 1 + m_random.Below(64);
        data.erase(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + count));
    }
    void Duplicate(Bytes& data) {
        if (data.empty()) return;
        size_t at = Position(data, false);
        size_t count = 1 + m_random.Below(data.size() - at < 256 ? data.size() - at : 256);
        Bytes chunk(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + count));
        data.insert(data.begin() + static_cast<std::ptrdiff_t>(Position(data, true)), chunk.begin(), chunk.end());
    }

    CRandom m_random;
    std::vector<Bytes> m_dictionary;
};

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Reinterprets bytes as UTF-16LE code units (an odd last byte is dropped).
inline std::wstring AsWideText(const Bytes& data) {
    std::wstring text(data.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return text;
}

inline void SaveInput(const std::string& path, const Bytes& data) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        if (!data.empty()) std::fwrite(data.data(), 1, data.size(), file);
        std::fclose(file);
    }
}

// What the crash handler writes out: the input being tried and where the loop was.
struct TCrashState {
    const Bytes* input = nullptr;
    const char* name = "";
    unsigned long long iteration = 0;
    std::string path;
};
inline TCrashState& CrashState() {
    static TCrashState state;
    return state;
}

// Saves the input being tried, then ends the process with the exception's code.
inline LONG WINAPI SaveCrashInput(EXCEPTION_POINTERS* exception) {
    TCrashState& state = CrashState();
    if (state.input != nullptr) {
        SaveInput(state.path, *state.input);
        std::printf("[fuzz %s] crash 0x%08lx at iteration %llu; input saved to %s\n", state.name,
                    exception->ExceptionRecord->ExceptionCode, state.iteration, state.path.c_str());
        std::fflush(stdout);
    }
    return testcrash::ExitWithExceptionCode(exception);
}

// Runs target(const Bytes&) on every seed once, then on mutated inputs until the iteration or
// time budget runs out. Prints one line at the start (with the seed) and one at the end. An
// empty corpus ends the process with a failure: a run of zero iterations would pass unnoticed.
template <class Target>
TFuzzStats RunFuzzLoop(const char* name, const std::vector<Bytes>& seeds, const TFuzzOptions& options,
                       Target&& target, std::vector<Bytes> dictionary = {}) {
    using Clock = std::chrono::steady_clock;
    std::printf("[fuzz %s] seed=0x%llx iterations<=%llu seconds<=%.1f corpus=%u\n", name,
                static_cast<unsigned long long>(options.seed), options.iterations, options.seconds,
                static_cast<unsigned>(seeds.size()));
    std::fflush(stdout);
    if (seeds.empty()) {
        std::printf("[fuzz %s] no seed inputs: nothing would be fuzzed\n", name);
        std::fflush(stdout);
        std::exit(3);
    }
    TFuzzStats stats;
    Clock::time_point start = Clock::now();
    TCrashState& crash = CrashState();
    const char* crashPath = std::getenv("VEXO_FUZZ_CRASH_FILE");
    crash.path = crashPath != nullptr ? crashPath : "fuzz-crash-input.bin";
    crash.name = name;
    ::SetUnhandledExceptionFilter(SaveCrashInput);
    auto run = [&](const Bytes& input) {
        if (!options.saveLastPath.empty()) SaveInput(options.saveLastPath, input);
        crash.input = &input;
        crash.iteration = stats.iterations;
        target(input);
        if (input.size() > stats.largestInput) stats.largestInput = input.size();
    };
    for (const Bytes& seed : seeds) run(seed);
    CMutator mutator(options.seed, std::move(dictionary));
    Bytes input;
    while (stats.iterations < options.iterations) {
        if ((stats.iterations & 63) == 0 &&
            std::chrono::duration<double>(Clock::now() - start).count() >= options.seconds)
            break;
        input = seeds[mutator.Random().Below(seeds.size())];
        mutator.Mutate(input, seeds[mutator.Random().Below(seeds.size())], options.maxSize);
        run(input);
        ++stats.iterations;
    }
    crash.input = nullptr;
    stats.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("[fuzz %s] %llu iterations in %.2f s, largest input %u bytes\n", name, stats.iterations,
                stats.seconds, static_cast<unsigned>(stats.largestInput));
    std::fflush(stdout);
    return stats;
}

}  // namespace vexo_fuzz
