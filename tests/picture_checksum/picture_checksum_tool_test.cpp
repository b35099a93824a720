// Runs picture-checksum as a process, the way the disc's picture script uses it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"
#include "picture_checksum.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct ToolRun {
  int exit_code;
  std::string out;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::string ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Everything a decoded picture shows, to compare two decodings.
struct Decoded {
  std::uint32_t width, height, bit_count;
  Bytes pixels;
  bool operator==(const Decoded&) const = default;
};

Decoded Decode(const fs::path& path) {
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage image;
  decoder.ReadImageFile(path.string(), image);
  const std::uint8_t* pixels = image.PixelData();
  return {image.Width(), image.Height(), image.BitCount(),
          Bytes(pixels, pixels + std::size_t{image.BytesPerRow()} * image.Height())};
}

class PictureChecksumToolTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("picture_checksum_tool_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  ToolRun Run(const std::vector<std::string>& args) {
    // A tool stuck waiting on a FIFO fails the test instead of hanging it.
    std::string command = "timeout 60 " + ShellQuoted(PICTURE_CHECKSUM_TOOL);
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command +=
        " >" + ShellQuoted((dir_ / "out").string()) + " 2>" + ShellQuoted((dir_ / "err").string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(dir_ / "out"),
            ReadText(dir_ / "err")};
  }

  // A copy of a fixture in the test's own folder, free to be rewritten.
  fs::path Fixture(const std::string& name) {
    const fs::path copy = dir_ / name;
    fs::copy_file(fs::path(std::getenv("LUMARC_TEST_DATA")) / name, copy,
                  fs::copy_options::overwrite_existing);
    return copy;
  }

  fs::path dir_;
};

TEST_F(PictureChecksumToolTest, WrongUsageExitsWithTwo) {
  const struct {
    std::vector<std::string> args;
    const char* complaint;
  } cases[] = {
      {{}, "no FILE given"},
      {{"--verbose", "a.jpg"}, "unknown option --verbose"},
      {{"--set", "27642"}, "--set takes a VALUE and one FILE"},
      {{"--set", "27642", "a.jpg", "b.jpg"}, "--set takes a VALUE and one FILE"},
      {{"--set", "27642x", "a.jpg"}, "VALUE must be a whole number"},
      {{"--set", "99999999999", "a.jpg"}, "VALUE must be a whole number"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.exit_code, 2) << c.complaint;
    EXPECT_NE(run.err.find(c.complaint), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: picture-checksum"), std::string::npos) << run.err;
  }
}

TEST_F(PictureChecksumToolTest, HelpExplainsBothModes) {
  const ToolRun run = Run({"--set", "1", "--help"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.out.find("picture-checksum FILE..."), std::string::npos);
  EXPECT_NE(run.out.find("--set VALUE FILE"), std::string::npos);
}

TEST_F(PictureChecksumToolTest, PrintsEveryReadableFileAndFailsForTheOthers) {
  const fs::path small = Fixture("colour.jpg");
  const fs::path missing = dir_ / "missing.dat";
  Bytes ones(18192, 0);
  for (int k = 0; k < PictureChecksum::kSampleCount; ++k)
    ones[PictureChecksum::SampleOffset(k)] = 1;
  const fs::path sampled = dir_ / "ones.dat";
  WriteBytes(sampled, ones);

  const ToolRun run = Run({small.string(), missing.string(), sampled.string()});

  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "-200  " + small.string() + "\n200  " + sampled.string() + "\n");
  EXPECT_EQ(run.err, "picture-checksum: cannot read " + missing.string() + "\n");
}

TEST_F(PictureChecksumToolTest, SetGivesTheValueAndKeepsThePicture) {
  for (const char* name : {"colour.jpg", "grey.jpg", "progressive.jpg"}) {
    for (const std::int32_t value : {0, 27642, 25480, 50800}) {
      const fs::path file = Fixture(name);
      const Decoded before = Decode(file);

      const ToolRun run = Run({"--set", std::to_string(value), file.string()});

      ASSERT_EQ(run.exit_code, 0) << name << " " << value << ": " << run.err;
      EXPECT_EQ(run.out, std::to_string(value) + "  " + file.string() + "\n");
      EXPECT_EQ(PictureChecksum::Compute(file.string()), value) << name;
      EXPECT_EQ(Decode(file), before) << name << " " << value;
    }
  }
}

TEST_F(PictureChecksumToolTest, SetAgainReplacesItsOwnCommentInsteadOfAddingOne) {
  const fs::path file = Fixture("colour.jpg");
  const Decoded before = Decode(file);
  ASSERT_EQ(Run({"--set", "30504", file.string()}).exit_code, 0);
  const auto first_size = fs::file_size(file);

  ASSERT_EQ(Run({"--set", "26456", file.string()}).exit_code, 0);

  EXPECT_EQ(fs::file_size(file), first_size);
  EXPECT_EQ(PictureChecksum::Compute(file.string()), 26456);
  EXPECT_EQ(Decode(file), before);
}

// Damages a copy of the colour fixture.
using Damage = std::function<void(Bytes&)>;

TEST_F(PictureChecksumToolTest, RefusesWhatItCannotDoAndLeavesTheFileAlone) {
  const struct {
    const char* what;
    Damage damage;
    std::int32_t value;
    const char* complaint;
  } cases[] = {
      {"odd value", nullptr, 27643, "is odd"},
      {"above the reach of 100 bytes of 254", nullptr, 50802, "out of reach"},
      {"negative value", nullptr, -2, "out of reach"},
      {"plain text",
       [](Bytes& b) {
         b.assign({'h', 'e', 'l', 'l', 'o'});
       },
       200, "not a JFIF file"},
      {"Exif segment first", [](Bytes& b) { b[3] = 0xE1; }, 200, "not a JFIF file"},
      {"JFIF header cut short", [](Bytes& b) { b.resize(12); }, 200, "not a JFIF file"},
      {"cut inside the picture data", [](Bytes& b) { b.resize(b.size() * 2 / 3); }, 200,
       "the image library cannot read it"},
      {"header runs past the first sample",
       [](Bytes& b) {
         // Stretch the APP0 segment to 9000 bytes; the decoder skips what it does not know.
         const std::size_t length = 9000;
         b.insert(b.begin() + 20, length - 16, 0);
         b[4] = static_cast<std::uint8_t>(length >> 8);
         b[5] = static_cast<std::uint8_t>(length & 0xFF);
       },
       200, "too close to byte 8192"},
  };
  for (const auto& c : cases) {
    const fs::path file = Fixture("colour.jpg");
    Bytes bytes = ReadBytes(file);
    if (c.damage) c.damage(bytes);
    WriteBytes(file, bytes);

    const ToolRun run = Run({"--set", std::to_string(c.value), file.string()});

    EXPECT_EQ(run.exit_code, 1) << c.what;
    EXPECT_NE(run.err.find(c.complaint), std::string::npos) << c.what << ": " << run.err;
    EXPECT_EQ(ReadBytes(file), bytes) << c.what;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3)
        << c.what << ": only the picture and the captured output may be left";
  }
}

TEST_F(PictureChecksumToolTest, RefusesAMissingFile) {
  const ToolRun run = Run({"--set", "200", (dir_ / "missing.jpg").string()});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("cannot open it"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_ / "missing.jpg"));
}

// --set rewrites a file in place: through a symbolic link the file it names, and nothing that
// has no contents of its own to keep. Nothing refused may wait for a writer or be touched.
TEST_F(PictureChecksumToolTest, SetRewritesOnlyAFile) {
  const fs::path picture = Fixture("colour.jpg");
  const Decoded before = Decode(picture);
  const fs::path link = dir_ / "link.jpg";
  fs::create_symlink(picture.filename(), link);
  const ToolRun through_link = Run({"--set", "27642", link.string()});
  EXPECT_EQ(through_link.exit_code, 0) << through_link.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(PictureChecksum::Compute(picture.string()), 27642);
  EXPECT_EQ(Decode(picture), before);

  const fs::path fifo = dir_ / "fifo", folder = dir_ / "folder", device = dir_ / "null";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  fs::create_directory(folder);
  const bool have_device = ::mknod(device.c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0;
  const struct {
    fs::path file;
    const char* complaint;
  } refusals[] = {
      {fifo, "it is a FIFO, not a file that can be rewritten"},
      {folder, "it is a folder"},
      {have_device ? device : fs::path(),
       "it is a character device, not a file that can be rewritten"},
  };
  for (const auto& c : refusals) {
    if (c.file.empty()) continue;
    const fs::file_type type = fs::symlink_status(c.file).type();
    const ToolRun run = Run({"--set", "200", c.file.string()});
    EXPECT_EQ(run.exit_code, 1) << c.file;
    EXPECT_EQ(run.err, "picture-checksum: " + c.file.string() + ": " + c.complaint +
                           "; file left unchanged\n");
    EXPECT_EQ(fs::symlink_status(c.file).type(), type) << c.file;
  }
  EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
