// httpRequest and httpGetBytes against a bare libcurl transfer in the same
// process, on the stand-in service: a small reply's round trip, and a large
// body read through the routine's 1024-byte loop, with the process's peak RSS.
//
//   bench_web                                   all of it
//   bench_web --benchmark_filter=Huge/httpRequest  one large body per process, for a clean peak RSS
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "lj_config.h"
#include "web/http_get.h"
#include "web/http_request.h"

namespace {

int port() {
    const char* p = std::getenv("LJ_BENCH_PORT");
    return p ? std::atoi(p) : LJ_STANDIN_PORT;
}

std::string url(const std::string& path) { return "http://127.0.0.1:" + std::to_string(port()) + path; }

constexpr long long hugeSize = 256LL * 1024 * 1024;

void setUpHugeBody() {
    lj::text noCookies;
    lj::httpRequest(
        url("/_standin/override?path=%2Fhuge&status=200&mode=hugebody&size=" + std::to_string(hugeSize)), 0,
        {}, &noCookies);
}

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

std::size_t discard(char*, std::size_t size, std::size_t count, void* total) {
    *static_cast<std::size_t*>(total) += size * count;
    return size * count;
}

std::size_t keep(char* data, std::size_t size, std::size_t count, void* body) {
    auto& all = *static_cast<lj::bytes*>(body);
    all.insert(all.end(), data, data + size * count);
    return size * count;
}

// A bare easy GET; with `body`, the bytes are kept there (space reserved up front), else counted.
std::size_t curlGet(const std::string& target, lj::bytes* body = nullptr) {
    std::size_t total = 0;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, target.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, body ? keep : discard);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, body ? static_cast<void*>(body) : &total);
    curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    return body ? body->size() : total;
}

void SmallReply_httpRequest(benchmark::State& state) {
    const std::string target = url("/echo/small");
    for (auto _ : state) benchmark::DoNotOptimize(lj::httpRequest(target));
}
BENCHMARK(SmallReply_httpRequest)->Unit(benchmark::kMicrosecond);

void SmallReply_curlEasy(benchmark::State& state) {
    const std::string target = url("/echo/small");
    for (auto _ : state) benchmark::DoNotOptimize(curlGet(target));
}
BENCHMARK(SmallReply_curlEasy)->Unit(benchmark::kMicrosecond);

void Huge_httpRequest(benchmark::State& state) {
    setUpHugeBody();
    for (auto _ : state) {
        const lj::bytes body = lj::httpRequest(url("/huge"));
        if (static_cast<long long>(body.size()) != hugeSize) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * hugeSize);
    state.counters["peak_rss_MB"] = peakRssMb();
    state.counters["body_MB"] = static_cast<double>(hugeSize) / (1024.0 * 1024.0);
}
BENCHMARK(Huge_httpRequest)->Unit(benchmark::kMillisecond)->Iterations(3);

void Huge_httpGetBytes(benchmark::State& state) {
    setUpHugeBody();
    for (auto _ : state) {
        lj::DownloadOutcome outcome;
        const lj::bytes body = lj::httpGetBytes(url("/huge"), &outcome);
        if (!outcome.complete) state.SkipWithError("incomplete");
    }
    state.SetBytesProcessed(state.iterations() * hugeSize);
    state.counters["peak_rss_MB"] = peakRssMb();
}
BENCHMARK(Huge_httpGetBytes)->Unit(benchmark::kMillisecond)->Iterations(3);

void Huge_curlEasy(benchmark::State& state) {
    setUpHugeBody();
    for (auto _ : state) {
        if (static_cast<long long>(curlGet(url("/huge"))) != hugeSize) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * hugeSize);
    state.counters["peak_rss_MB"] = peakRssMb();
}
BENCHMARK(Huge_curlEasy)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same transfer keeping the body in memory: the share of the cost that is holding 256 MB.
void Huge_curlEasyKeep(benchmark::State& state) {
    setUpHugeBody();
    for (auto _ : state) {
        lj::bytes body;
        body.reserve(hugeSize);
        if (static_cast<long long>(curlGet(url("/huge"), &body)) != hugeSize)
            state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * hugeSize);
    state.counters["peak_rss_MB"] = peakRssMb();
}
BENCHMARK(Huge_curlEasyKeep)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
