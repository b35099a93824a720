#include "corpus_manifest.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Lumarc::Reference {
namespace {

// A line is "FILE KIND ok" or "FILE KIND refused MESSAGE...", the message running to its end.
CorpusEntry ParseLine(const std::string& line) {
  std::istringstream fields(line);
  CorpusEntry entry;
  std::string verdict;
  fields >> entry.file >> entry.kind >> verdict;
  if (verdict == "refused") {
    entry.accepted = false;
    std::getline(fields >> std::ws, entry.message);
  } else if (verdict != "ok") {
    throw std::runtime_error("corpus.txt: malformed line: " + line);
  }
  return entry;
}

}  // namespace

std::vector<CorpusEntry> ReadCorpusManifest(const std::string& directory) {
  std::ifstream in(directory + "/corpus.txt");
  if (!in) throw std::runtime_error("no corpus.txt in " + directory);
  std::vector<CorpusEntry> entries;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) entries.push_back(ParseLine(line));
  }
  return entries;
}

}  // namespace Lumarc::Reference
