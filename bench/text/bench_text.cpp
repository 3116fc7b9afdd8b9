// Throughput of the text search and of UTF-8 -> code page 936 against the C
// library's memmem and iconv on the same buffers.
//
//   bench_text [benchmark flags]   the comparisons
//   bench_text --peak-memory       one utf8ToAnsi of 64 MB in this fresh process,
//                                  reporting the peak resident size (getrusage)
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <string.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "text/charset.h"
#include "text/text.h"

namespace {

constexpr std::size_t searchSize = 48u << 20;
constexpr std::size_t convertSize = 64u << 20;

// Code page 936 text of about `size` bytes: runs of GB2312 characters between
// ASCII words with JSON-like punctuation, so quotes and colons come often.
lj::text mixedGbk(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    static const char ascii[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ,.:{}\"";
    lj::text t;
    t.reserve(size + 64);
    while (t.size() < size) {
        const unsigned run = 1 + rng() % 12;
        if (rng() % 2) {
            for (unsigned i = 0; i < run; ++i) {
                t.push_back(static_cast<char>(0xB0 + rng() % 0x27));  // B0..D6: fully assigned rows
                t.push_back(static_cast<char>(0xA1 + rng() % 0x5E));
            }
        } else {
            for (unsigned i = 0; i < run; ++i) t.push_back(ascii[rng() % (sizeof ascii - 1)]);
        }
    }
    return t;
}

// The marker the note title is cut with, placed once at the very end.
const std::string leftMarker = "\"title\":\"";
const std::string rightMarker = "\",";

const lj::text& searchText() {
    static const lj::text t = [] {
        lj::text s = mixedGbk(searchSize, 1);
        // The generator never writes the left marker; make sure by breaking any "title".
        for (std::size_t at = s.find(leftMarker); at != std::string::npos; at = s.find(leftMarker, at))
            s[at] = '\'';
        return s + leftMarker + "\xC4\xE3\xBA\xC3.zip" + rightMarker;
    }();
    return t;
}

std::string mixedUtf8(std::size_t size) {
    std::string s;
    s.reserve(size + (4u << 20));  // room for the last chunk: no doubling reallocation
    unsigned seed = 2;
    while (s.size() < size) s += lj::ansiToUtf8(mixedGbk(1u << 20, seed++));
    s.resize(size);
    // Cut at a character boundary.
    while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
    if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.pop_back();
    return s;
}

const std::string& convertText() {
    static const std::string t = mixedUtf8(convertSize);
    return t;
}

void BM_memmem(benchmark::State& state) {
    const lj::text& t = searchText();
    for (auto _ : state) {
        const void* p = memmem(t.data(), t.size(), leftMarker.data(), leftMarker.size());
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t.size()));
}

void BM_findText(benchmark::State& state) {
    const lj::text& t = searchText();
    for (auto _ : state) {
        int p = lj::findText(t, leftMarker, std::nullopt, false);
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t.size()));
}

void BM_textBetween(benchmark::State& state) {
    const lj::text& t = searchText();
    const std::string quote = "#\xD2\xFD\xBA\xC5";
    const std::string left = quote + "title" + quote + ":" + quote;
    const std::string right = quote + ",";
    for (auto _ : state) {
        lj::text r = lj::textBetween(t, left, right);
        if (r != "\xC4\xE3\xBA\xC3.zip") state.SkipWithError("wrong title");
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t.size()));
}

void BM_iconvUtf8ToGbk(benchmark::State& state) {
    const std::string& in = convertText();
    std::string out(in.size(), '\0');
    iconv_t cd = iconv_open("GBK", "UTF-8");
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            state.SkipWithError("iconv failed");
        benchmark::DoNotOptimize(dst);
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// The same, returning a new text each time as utf8ToAnsi does (a fresh
// output buffer per call, without the huge-page advice).
void BM_iconvUtf8ToGbkNewText(benchmark::State& state) {
    const std::string& in = convertText();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    for (auto _ : state) {
        std::string out(in.size(), '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            state.SkipWithError("iconv failed");
        out.resize(out.size() - dstLeft);
        benchmark::DoNotOptimize(out);
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_utf8ToAnsi(benchmark::State& state) {
    const std::string& in = convertText();
    for (auto _ : state) {
        lj::text r = lj::utf8ToAnsi(in);
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

BENCHMARK(BM_memmem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_findText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_textBetween)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_iconvUtf8ToGbk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_iconvUtf8ToGbkNewText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_utf8ToAnsi)->Unit(benchmark::kMillisecond);

long maxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int peakMemory() {
    (void)lj::utf8ToAnsi("\xE4\xBD\xA0");  // tables filled before the measurement
    const std::string in = mixedUtf8(convertSize);
    const long before = maxRssKb();
    const lj::text out = lj::utf8ToAnsi(in);
    const long after = maxRssKb();
    const double inMb = static_cast<double>(in.size()) / (1 << 20);
    std::printf("input %.1f MB, output %.1f MB\n", inMb, static_cast<double>(out.size()) / (1 << 20));
    std::printf(
        "peak RSS before %.1f MB, after %.1f MB; utf8ToAnsi added %.1f MB (%.2fx input); whole process %.2fx "
        "input\n",
        before / 1024.0, after / 1024.0, (after - before) / 1024.0, (after - before) / 1024.0 / inMb,
        after / 1024.0 / inMb);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--peak-memory") == 0) return peakMemory();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
