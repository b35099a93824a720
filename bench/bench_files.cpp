#include "bench_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

const std::string kFilesDir = LUMARC_BENCH_FILES_DIR;
const std::string kPicturesDir = std::string(LUMARC_DISC_DIR) + "/brivant";

std::vector<BenchFile> LoadBenchFiles() {
  std::vector<BenchFile> files;
  std::ifstream list(kFilesDir + "/bench.txt");
  if (!list) throw std::runtime_error("no bench.txt in " + kFilesDir);
  for (std::string file_name; list >> file_name;) {
    const std::string path = kFilesDir + "/" + file_name;
    files.push_back({file_name.substr(0, file_name.rfind('.')), path, ReadWholeFile(path)});
  }
  for (const char* page : {"1", "2", "3", "4", "5", "1l", "2l", "3l", "4l", "5l"}) {
    const std::string path = kPicturesDir + "/" + page + ".dat";
    files.push_back({std::string("disc_") + page, path, ReadWholeFile(path)});
  }
  return files;
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::vector<BenchFile>& BenchFiles() {
  static const std::vector<BenchFile> files = LoadBenchFiles();
  return files;
}

const BenchFile& BenchFileNamed(const std::string& name) {
  for (const BenchFile& file : BenchFiles()) {
    if (file.name == name) return file;
  }
  throw std::runtime_error("no bench file " + name);
}

std::vector<std::string> MenuStartPictures() {
  std::vector<std::string> paths;
  for (const char* page : {"1", "2", "3", "4"}) paths.push_back(kPicturesDir + "/" + page + ".dat");
  return paths;
}
