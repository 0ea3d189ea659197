// Decoding the skin's images from memory, as the start-up does once per image: the PNG
// backgrounds and the BMP button strips of the built application folder, each set whole per
// iteration (the file reads are outside the timing).

#include "platform/draw/ImageCodec.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> SkinFiles(const std::string& extension)
{
    std::vector<Bytes> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(OSTRILAN_BENCH_APP_DIR "/images")) {
        if (entry.is_regular_file() && entry.path().extension() == extension) {
            std::ifstream in(entry.path(), std::ios::binary);
            files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return files;
}

void DecodeAll(benchmark::State& state, const std::string& extension)
{
    const std::vector<Bytes> files = SkinFiles(extension);
    if (files.empty()) {
        state.SkipWithError("no skin images: build the application folder first");
        return;
    }
    for (auto _ : state) {
        for (const Bytes& file : files) {
            auto surface = DecodeImage(file.data(), file.size());
            if (!surface)
                state.SkipWithError("a skin image did not decode");
            benchmark::DoNotOptimize(surface);
        }
    }
    state.counters["images"] = double(files.size());
}

void BM_DecodeSkin_PngBackgrounds(benchmark::State& state)
{
    DecodeAll(state, ".pbg");
}
BENCHMARK(BM_DecodeSkin_PngBackgrounds)->Unit(benchmark::kMicrosecond);

void BM_DecodeSkin_BmpStrips(benchmark::State& state)
{
    DecodeAll(state, ".bti");
}
BENCHMARK(BM_DecodeSkin_BmpStrips)->Unit(benchmark::kMicrosecond);

}
