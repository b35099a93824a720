// Decodes the same in-memory files with our decoder (fast and reference paths), libjpeg-turbo
// (matched settings and defaults) and stb_image, times the menu's start and measures the peak
// memory of a decode. See README.md, "Benchmarks", for how to run it.
#include <array>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_files.h"
#include "libjpeg_decoder.h"
#include "lumarc/bitmap_image.h"
#include "lumarc/decode_path.h"
#include "lumarc/jpeg_decoder.h"
#include "peak_memory.h"
#include "picture_checksum.h"
#include "ratio_summary.h"
#include "stb_image_decoder.h"

namespace {

// Our decoder as the menu uses it, reused from one decode to the next like the others.
void DecodeOurs(benchmark::State& state, const BenchFile& file, Lumarc::DecodePath path) {
  Lumarc::SetDecodePath(path);
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage bitmap;
  for (auto _ : state) {
    decoder.ReadImage(file.bytes, bitmap);
    benchmark::DoNotOptimize(bitmap.PixelData());
  }
  Lumarc::SetDecodePath(Lumarc::DecodePath::kFast);
}

void DecodeLibjpeg(benchmark::State& state, const BenchFile& file,
                   LibjpegDecoder::Settings settings) {
  LibjpegDecoder decoder(settings);
  for (auto _ : state) {
    decoder.Decode(file.bytes);
    benchmark::DoNotOptimize(decoder.Pixels().data());
  }
}

void DecodeStbImage(benchmark::State& state, const BenchFile& file) {
  for (auto _ : state) {
    if (!DecodeWithStbImage(file.bytes)) state.SkipWithError("stb_image refused the file");
  }
}

// Every timing is reported in milliseconds.
template <typename Function>
void Register(const std::string& name, Function function) {
  benchmark::RegisterBenchmark(name.c_str(), function)->Unit(benchmark::kMillisecond);
}

void RegisterFile(const BenchFile& file) {
  const std::string group = "decode/" + file.name + "/";
  const BenchFile* f = &file;
  Register(group + "ours",
           [f](benchmark::State& state) { DecodeOurs(state, *f, Lumarc::DecodePath::kFast); });
  Register(group + "ours_reference",
           [f](benchmark::State& state) { DecodeOurs(state, *f, Lumarc::DecodePath::kReference); });
  Register(group + "libjpeg_matched", [f](benchmark::State& state) {
    DecodeLibjpeg(state, *f, LibjpegDecoder::Settings::kMatched);
  });
  Register(group + "libjpeg_defaults", [f](benchmark::State& state) {
    DecodeLibjpeg(state, *f, LibjpegDecoder::Settings::kDefaults);
  });
  Register(group + "stb_image", [f](benchmark::State& state) { DecodeStbImage(state, *f); });
}

// What the menu does before its first window: for each of the four pages, the sampled checksum
// and a decode of the file by the page's own decoder into the page's own bitmap.
void MenuStartOurs(benchmark::State& state, Lumarc::DecodePath path) {
  Lumarc::SetDecodePath(path);
  const std::vector<std::string> pictures = MenuStartPictures();
  for (auto _ : state) {
    std::array<std::unique_ptr<Lumarc::BitmapImage>, 4> pages;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      benchmark::DoNotOptimize(PictureChecksum::Compute(pictures[i]));
      Lumarc::JpegDecoder decoder;
      pages[i] = std::make_unique<Lumarc::BitmapImage>();
      decoder.ReadImageFile(pictures[i], *pages[i]);
    }
  }
  Lumarc::SetDecodePath(Lumarc::DecodePath::kFast);
}

// The same start with libjpeg-turbo decoding each file after the checksum.
void MenuStartLibjpeg(benchmark::State& state) {
  const std::vector<std::string> pictures = MenuStartPictures();
  for (auto _ : state) {
    std::array<std::unique_ptr<LibjpegDecoder>, 4> pages;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      benchmark::DoNotOptimize(PictureChecksum::Compute(pictures[i]));
      pages[i] = std::make_unique<LibjpegDecoder>(LibjpegDecoder::Settings::kMatched);
      pages[i]->Decode(ReadWholeFile(pictures[i]));
    }
  }
}

void RegisterMenuStart() {
  Register("menu_start/ours",
           [](benchmark::State& state) { MenuStartOurs(state, Lumarc::DecodePath::kFast); });
  Register("menu_start/ours_reference",
           [](benchmark::State& state) { MenuStartOurs(state, Lumarc::DecodePath::kReference); });
  Register("menu_start/libjpeg_matched", MenuStartLibjpeg);
}

// One decode each of the large files in a child process: peak resident memory added, in MB.
void PeakMemory(benchmark::State& state, const BenchFile& file) {
  constexpr double kMegabyte = 1024.0 * 1024.0;
  double ours = 0;
  double libjpeg = 0;
  for (auto _ : state) {
    ours = static_cast<double>(PeakMemoryOf([&file] {
             Lumarc::JpegDecoder decoder;
             Lumarc::BitmapImage bitmap;
             decoder.ReadImage(file.bytes, bitmap);
           })) /
           kMegabyte;
    libjpeg = static_cast<double>(PeakMemoryOf([&file] {
                LibjpegDecoder decoder(LibjpegDecoder::Settings::kMatched);
                decoder.Decode(file.bytes);
              })) /
              kMegabyte;
  }
  state.counters["ours_MB"] = ours;
  state.counters["libjpeg_MB"] = libjpeg;
}

void RegisterPeakMemory() {
  for (const char* name : {"baseline_420_4000x3000", "progressive_420_4000x3000"}) {
    const BenchFile* file = &BenchFileNamed(name);
    benchmark::RegisterBenchmark((std::string("peak_memory/") + name).c_str(),
                                 [file](benchmark::State& state) { PeakMemory(state, *file); })
        ->Iterations(1)
        ->Repetitions(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const BenchFile& file : BenchFiles()) RegisterFile(file);
  RegisterMenuStart();
  RegisterPeakMemory();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioSummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
