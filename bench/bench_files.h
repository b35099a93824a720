#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The pictures the benchmarks decode, read into memory once: the generated files (bench.txt
// order) followed by the sample disc's page pictures.
struct BenchFile {
  std::string name;  // without folder or extension, e.g. "baseline_420_800x600" or "disc_1"
  std::string path;
  std::vector<std::uint8_t> bytes;
};

const std::vector<BenchFile>& BenchFiles();
const BenchFile& BenchFileNamed(const std::string& name);

// The four pictures the menu checks and decodes before its first window (large layout, no
// restore marker), as paths.
std::vector<std::string> MenuStartPictures();

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);
