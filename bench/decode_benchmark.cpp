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
#include "lumarc/jpeg_reader.h"
#include "peak_memory.h"
#include "picture_checksum.h"
#include "ratio_summary.h"
#include "stb_image_decoder.h"

namespace {

// Whether each decode gets a new decoder and bitmap (decompressor and buffer), as a caller that
// decodes one picture does, or reuses those of the last decode.
enum class Reuse { kFresh, kReused };

// The decoder's option to reconstruct finished MCU rows on a worker thread, where the decoder
// has it. Benchmarks of it register themselves once it exists.
template <typename Decoder>
concept HasWorkerOption = requires(Decoder& decoder) {
  decoder.SetThreads(2u);
};
constexpr bool kWorkerOption = HasWorkerOption<Lumarc::JpegDecoder>;

template <typename Decoder>
void UseThreads(Decoder& decoder, unsigned threads) {
  if constexpr (HasWorkerOption<Decoder>) decoder.SetThreads(threads);
}

struct OursSettings {
  Lumarc::DecodePath path = Lumarc::DecodePath::kFast;
  Reuse reuse = Reuse::kReused;
  unsigned threads = 1;
};

void DecodeOnce(const BenchFile& file, const OursSettings& settings, Lumarc::JpegDecoder& decoder,
                Lumarc::BitmapImage& bitmap) {
  UseThreads(decoder, settings.threads);
  Lumarc::ReaderOf(decoder).SetDecodePath(settings.path);
  decoder.ReadImage(file.bytes, bitmap);
  benchmark::DoNotOptimize(bitmap.PixelData());
}

void DecodeOurs(benchmark::State& state, const BenchFile& file, OursSettings settings) {
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage bitmap;
  for (auto _ : state) {
    if (settings.reuse == Reuse::kReused) {
      DecodeOnce(file, settings, decoder, bitmap);
    } else {
      Lumarc::JpegDecoder fresh_decoder;
      Lumarc::BitmapImage fresh_bitmap;
      DecodeOnce(file, settings, fresh_decoder, fresh_bitmap);
    }
  }
}

void DecodeLibjpeg(benchmark::State& state, const BenchFile& file,
                   LibjpegDecoder::Settings settings, Reuse reuse) {
  LibjpegDecoder decoder(settings);
  for (auto _ : state) {
    if (reuse == Reuse::kReused) {
      decoder.Decode(file.bytes);
      benchmark::DoNotOptimize(decoder.Pixels().data());
    } else {
      LibjpegDecoder fresh(settings);
      fresh.Decode(file.bytes);
      benchmark::DoNotOptimize(fresh.Pixels().data());
    }
  }
}

// stb_image allocates its output anew on every decode: it is the same fresh or reused.
void DecodeStbImage(benchmark::State& state, const BenchFile& file) {
  for (auto _ : state) {
    if (!DecodeWithStbImage(file.bytes)) state.SkipWithError("stb_image refused the file");
  }
}

// Every timing is reported in milliseconds, with the CPU time of the whole process: a decoder
// that works on a second thread is charged for it.
template <typename Function>
void Register(const std::string& name, Function function) {
  benchmark::RegisterBenchmark(name.c_str(), function)
      ->Unit(benchmark::kMillisecond)
      ->MeasureProcessCPUTime();
}

void RegisterOurs(const std::string& name, const BenchFile& file, OursSettings settings) {
  const BenchFile* f = &file;
  Register(name, [f, settings](benchmark::State& state) { DecodeOurs(state, *f, settings); });
}

void RegisterLibjpeg(const std::string& name, const BenchFile& file,
                     LibjpegDecoder::Settings settings, Reuse reuse) {
  const BenchFile* f = &file;
  Register(name, [f, settings, reuse](benchmark::State& state) {
    DecodeLibjpeg(state, *f, settings, reuse);
  });
}

void RegisterFile(const BenchFile& file) {
  using Lumarc::DecodePath;
  using Settings = LibjpegDecoder::Settings;
  const std::string group = "decode/" + file.name + "/";
  RegisterOurs(group + "ours", file, {});
  RegisterOurs(group + "ours_fresh", file, {.reuse = Reuse::kFresh});
  RegisterOurs(group + "ours_reference", file, {.path = DecodePath::kReference});
  if (kWorkerOption) {
    RegisterOurs(group + "ours_threads", file, {.threads = 2});
    RegisterOurs(group + "ours_fresh_threads", file, {.reuse = Reuse::kFresh, .threads = 2});
  }
  RegisterLibjpeg(group + "libjpeg_matched", file, Settings::kMatched, Reuse::kReused);
  RegisterLibjpeg(group + "libjpeg_matched_fresh", file, Settings::kMatched, Reuse::kFresh);
  RegisterLibjpeg(group + "libjpeg_defaults", file, Settings::kDefaults, Reuse::kReused);
  const BenchFile* f = &file;
  Register(group + "stb_image", [f](benchmark::State& state) { DecodeStbImage(state, *f); });
}

// What the menu does before its first window: for each of the four pages, the sampled checksum
// and a decode of the file by the page's own decoder into the page's own bitmap.
void MenuStartOurs(benchmark::State& state, Lumarc::DecodePath path) {
  const std::vector<std::string> pictures = MenuStartPictures();
  for (auto _ : state) {
    std::array<std::unique_ptr<Lumarc::BitmapImage>, 4> pages;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      benchmark::DoNotOptimize(PictureChecksum::Compute(pictures[i]));
      Lumarc::JpegDecoder decoder;
      Lumarc::ReaderOf(decoder).SetDecodePath(path);
      pages[i] = std::make_unique<Lumarc::BitmapImage>();
      decoder.ReadImageFile(pictures[i], *pages[i]);
    }
  }
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

// One decode each of the large files in a child process, each with a fresh decoder and bitmap
// (decompressor and buffer): peak resident memory added, in MB.
void PeakMemory(benchmark::State& state, const BenchFile& file) {
  constexpr double kMegabyte = 1024.0 * 1024.0;
  const auto ours_peak = [&file](unsigned threads) {
    return static_cast<double>(PeakMemoryOf([&file, threads] {
             Lumarc::JpegDecoder decoder;
             Lumarc::BitmapImage bitmap;
             DecodeOnce(file, {.threads = threads}, decoder, bitmap);
           })) /
           kMegabyte;
  };
  for (auto _ : state) {
    state.counters["ours_MB"] = ours_peak(1);
    if (kWorkerOption) state.counters["ours_threads_MB"] = ours_peak(2);
    state.counters["libjpeg_MB"] = static_cast<double>(PeakMemoryOf([&file] {
                                     LibjpegDecoder decoder(LibjpegDecoder::Settings::kMatched);
                                     decoder.Decode(file.bytes);
                                   })) /
                                   kMegabyte;
  }
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
