#pragma once

#include <string>
#include <vector>

namespace Lumarc::Reference {

// One file of the reference corpus, as make_corpus.sh lists it in corpus.txt.
struct CorpusEntry {
  std::string file;      // name inside the corpus folder
  std::string kind;      // which coding feature the file exercises
  bool accepted = true;  // false: the decoder must refuse it
  std::string message;   // the refusal's exact text, for a refused file
};

// Reads DIRECTORY/corpus.txt; throws std::runtime_error when it is missing or malformed.
std::vector<CorpusEntry> ReadCorpusManifest(const std::string& directory);

}  // namespace Lumarc::Reference
