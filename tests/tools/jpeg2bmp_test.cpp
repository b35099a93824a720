// Runs the built jpeg2bmp as a process, as a user would, and checks its exit status, its
// messages, and the BMP file it leaves (or does not leave) behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "lumarc/jpeg_decoder.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

const fs::path kTool = JPEG2BMP_PATH;
const fs::path kCorpus = LUMARC_CORPUS_DIR;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct ToolRun {
  int status = -1;
  std::string out, err;
};

// A fresh, empty folder per test, so that anything the tool leaves behind can be seen.
class Jpeg2BmpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test->name();
    std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests: Test/Case
    dir_ = fs::temp_directory_path() / ("jpeg2bmp_test_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "out");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Standard input is `input` when given, else empty.
  ToolRun Jpeg2Bmp(const std::vector<std::string>& args, const fs::path& input = "/dev/null") {
    std::string command = "'" + kTool.string() + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " <'" + input.string() + "'";
    command += " >'" + (dir_ / "stdout").string() + "' 2>'" + (dir_ / "stderr").string() + "'";
    ToolRun run;
    int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadAll(dir_ / "stdout");
    run.err = ReadAll(dir_ / "stderr");
    return run;
  }

  std::vector<std::string> OutputFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / "out")) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path dir_;
};

uint32_t U32(const std::string& b, size_t at) {
  auto byte = [&](size_t i) { return uint32_t{static_cast<uint8_t>(b[at + i])}; };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// The file must be the decoder's own bitmap, byte for byte, behind standard headers.
void ExpectBmpOfDecodedPicture(const fs::path& bmp, const fs::path& jpeg) {
  Lumarc::JpegDecoder decoder;
  Lumarc::BitmapImage image;
  decoder.ReadImageFile(jpeg.string(), image);
  const std::string file = ReadAll(bmp);
  const uint32_t colours = image.ColorCount();
  const uint32_t offset = 14 + 40 + 4 * colours;
  const size_t pixel_bytes = size_t{image.BytesPerRow()} * image.Height();
  ASSERT_EQ(file.size(), offset + pixel_bytes);
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 10), offset);
  EXPECT_EQ(U32(file, 18), image.Width());
  EXPECT_EQ(U32(file, 22), image.Height());
  EXPECT_EQ(U32(file, 28) & 0xFFFF, image.BitCount());
  EXPECT_EQ(U32(file, 46), colours);
  for (uint32_t i = 0; i < colours; ++i) {
    const Lumarc::PaletteColor& c = image.PaletteEntry(i);
    EXPECT_EQ(file.substr(54 + 4 * i, 4),
              std::string({char(c.blue), char(c.green), char(c.red), 0}))
        << "palette entry " << i;
  }
  EXPECT_TRUE(file.compare(offset, pixel_bytes, reinterpret_cast<const char*>(image.PixelData()),
                           pixel_bytes) == 0)
      << "pixel rows differ from the decoder's bitmap";
}

struct SuccessCase {
  const char* name;
  std::vector<std::string> options;  // before INPUT and OUTPUT
  const char* corpus_file;
  uint32_t bit_count;
};

void PrintTo(const SuccessCase& c, std::ostream* os) {
  *os << c.name;
}

class Jpeg2BmpSuccess : public Jpeg2BmpTest, public ::testing::WithParamInterface<SuccessCase> {};

TEST_P(Jpeg2BmpSuccess, WritesTheDecodedBitmap) {
  const SuccessCase& c = GetParam();
  fs::path input = kCorpus / c.corpus_file, output = dir_ / "out" / "picture.bmp";
  std::vector<std::string> args = c.options;
  args.insert(args.end(), {input.string(), output.string()});

  ToolRun run = Jpeg2Bmp(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_THAT(OutputFolder(), ::testing::ElementsAre("picture.bmp"));
  EXPECT_EQ(U32(ReadAll(output), 28) & 0xFFFF, c.bit_count);
  ExpectBmpOfDecodedPicture(output, input);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Jpeg2BmpSuccess,
    ::testing::Values(SuccessCase{"Colour", {}, "baseline_q75_100x75.jpg", 24},
                      SuccessCase{"OddWidthColour", {}, "sampling_2x2_17x17.jpg", 24},
                      SuccessCase{"Grey", {}, "grayscale_q75_100x75.jpg", 8},
                      SuccessCase{"Progressive", {}, "progressive_q75_100x75.jpg", 24},
                      SuccessCase{
                          "StrictOnJfifNumbering", {"--strict"}, "baseline_q75_17x17.jpg", 24},
                      SuccessCase{"OptionsEndAtDoubleDash", {"--"}, "grayscale_q75_17x17.jpg", 8},
                      SuccessCase{"WorkerThread", {"--threads", "2"}, "baseline_q75_100x75.jpg", 24}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Jpeg2BmpTest, VerboseTracesTheMarkersOnStandardOutput) {
  fs::path output = dir_ / "out" / "picture.bmp";
  ToolRun run =
      Jpeg2Bmp({"--verbose", (kCorpus / "grayscale_q75_17x17.jpg").string(), output.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, StartsWith("{ Start Of Image }\n"));
  EXPECT_THAT(run.out, HasSubstr("{ End Of Image }\n"));
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(fs::exists(output));
}

TEST_F(Jpeg2BmpTest, WithoutVerboseStandardOutputStaysQuiet) {
  ToolRun run = Jpeg2Bmp(
      {(kCorpus / "grayscale_q75_17x17.jpg").string(), (dir_ / "out" / "picture.bmp").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
}

// A grey picture whose one component is numbered 0 instead of 1, in its frame and its scan.
fs::path ComponentNumberedZero(const fs::path& dir) {
  std::string bytes = ReadAll(kCorpus / "grayscale_q75_17x17.jpg");
  size_t frame = bytes.find("\xFF\xC0"), scan = bytes.find("\xFF\xDA");
  EXPECT_NE(frame, std::string::npos);
  EXPECT_NE(scan, std::string::npos);
  bytes[frame + 10] = 0;  // FF C0, length, precision, height, width, count, then the identifier
  bytes[scan + 5] = 0;    // FF DA, length, count, then the identifier
  fs::path path = dir / "component_zero.jpg";
  WriteAll(path, bytes);
  return path;
}

TEST_F(Jpeg2BmpTest, StrictRefusesWhatTheDefaultAccepts) {
  fs::path input = ComponentNumberedZero(dir_), output = dir_ / "out" / "picture.bmp";

  ToolRun lenient = Jpeg2Bmp({input.string(), output.string()});
  EXPECT_EQ(lenient.status, 0) << lenient.err;
  fs::remove(output);

  ToolRun strict = Jpeg2Bmp({"--strict", input.string(), output.string()});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.err, "jpeg2bmp: Component ID not 1\n");
  EXPECT_THAT(OutputFolder(), ::testing::IsEmpty());
}

struct FailureCase {
  const char* name;
  const char* input;  // a corpus file, or a name that exists nowhere
  const char* error_regex;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class Jpeg2BmpFailure : public Jpeg2BmpTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Jpeg2BmpFailure, ReportsTheDecodersMessageAndWritesNothing) {
  const FailureCase& c = GetParam();
  ToolRun run = Jpeg2Bmp({(kCorpus / c.input).string(), (dir_ / "out" / "picture.bmp").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, MatchesRegex(c.error_regex));
  EXPECT_THAT(OutputFolder(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Jpeg2BmpFailure,
    ::testing::Values(
        FailureCase{"ArithmeticCoding", "arithmetic_100x75.jpg",
                    "jpeg2bmp: Cannot read image - Arithmetic Coding covered by patents\n"},
        FailureCase{"SixteenBitTables", "sixteen_bit_tables_q10_100x75.jpg",
                    "jpeg2bmp: Only 8-bit Data is Supported\n"},
        FailureCase{"MissingInput", "no_such_file.jpg", "jpeg2bmp: Can't open input file\n"},
        FailureCase{"NotAJpegFile", "corpus.txt", "jpeg2bmp: Missing SOI Marker\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Jpeg2BmpTest, TruncatedInputFailsWithoutOutput) {
  std::string bytes = ReadAll(kCorpus / "baseline_q75_100x75.jpg");
  fs::path input = dir_ / "truncated.jpg";
  WriteAll(input, bytes.substr(0, bytes.size() / 2));
  ToolRun run = Jpeg2Bmp({input.string(), (dir_ / "out" / "picture.bmp").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, MatchesRegex("jpeg2bmp: Premature end of (file|stream)\n"));
  EXPECT_THAT(OutputFolder(), ::testing::IsEmpty());
}

// Read as a file, a folder would be an empty one: the message must say what it is.
TEST_F(Jpeg2BmpTest, FolderAsInputIsNamedAsAFolder) {
  ToolRun run = Jpeg2Bmp({dir_.string(), (dir_ / "out" / "picture.bmp").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "jpeg2bmp: Can't open input file: " + dir_.string() + " is a folder\n");
  EXPECT_THAT(OutputFolder(), ::testing::IsEmpty());
}

// SOI, a JFIF APP0 segment and EOI: a valid stream that the decoder reads without error, but
// with no frame there is no picture, and a BMP of nothing would be a failure passed off as one.
TEST_F(Jpeg2BmpTest, StreamWithoutFrameIsNoPicture) {
  const std::string no_frame(
      "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x02\x00\x00\x01\x00\x01"
      "\x00\x00\xFF\xD9",
      22);
  fs::path input = dir_ / "no_frame.jpg";
  WriteAll(input, no_frame);
  ToolRun run = Jpeg2Bmp({input.string(), (dir_ / "out" / "picture.bmp").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "jpeg2bmp: " + input.string() + " holds no picture\n");
  EXPECT_THAT(OutputFolder(), ::testing::IsEmpty());
}

TEST_F(Jpeg2BmpTest, FailedDecodeKeepsAnExistingOutputAsItWas) {
  fs::path output = dir_ / "out" / "picture.bmp";
  WriteAll(output, "earlier picture");
  ToolRun run = Jpeg2Bmp({(kCorpus / "arithmetic_100x75.jpg").string(), output.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadAll(output), "earlier picture");
  EXPECT_THAT(OutputFolder(), ::testing::ElementsAre("picture.bmp"));
}

TEST_F(Jpeg2BmpTest, UnwritableOutputIsAnError) {
  const std::string input = (kCorpus / "baseline_q75_17x17.jpg").string();
  ToolRun missing_folder = Jpeg2Bmp({input, (dir_ / "out" / "absent" / "picture.bmp").string()});
  EXPECT_EQ(missing_folder.status, 1);
  EXPECT_EQ(missing_folder.err, "jpeg2bmp: cannot create " +
                                    (dir_ / "out" / "absent" / "picture.bmp").string() +
                                    ": No such file or directory\n");

  fs::create_directory(dir_ / "out" / "folder");
  ToolRun onto_folder = Jpeg2Bmp({input, (dir_ / "out" / "folder").string()});
  EXPECT_EQ(onto_folder.status, 1);
  EXPECT_THAT(onto_folder.err, StartsWith("jpeg2bmp: cannot write "));
  EXPECT_THAT(OutputFolder(), ::testing::ElementsAre("folder"));  // no partial file left
}

// One kind of thing that OUTPUT.bmp can name, made in an empty folder `out`.
struct OutputKindCase {
  const char* name;
  // Makes the output and returns the name to give the tool; an empty path when this system
  // does not let the test make it (device nodes need privileges).
  std::function<fs::path(const fs::path& out)> make;
  int status;
  const char* error;  // what follows "jpeg2bmp: cannot write NAME: ", or "" for no message
  // Where the picture must end up, relative to `out`; "" for nowhere. A FIFO's reader keeps
  // what it received in "../received".
  const char* picture_at;
  std::vector<std::string> folder_after;  // everything in `out` afterwards, sorted
  std::function<void(const fs::path& out)> also = {};
};

void PrintTo(const OutputKindCase& c, std::ostream* os) {
  *os << c.name;
}

fs::path DeviceNode(const fs::path& path, mode_t type, unsigned major, unsigned minor) {
  if (::mknod(path.c_str(), type | 0644, makedev(major, minor)) != 0) return {};
  return path;
}

fs::path Socket(const fs::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return {};
  text.copy(address.sun_path, text.size());
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const bool bound =
      ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(socket);  // the socket file stays
  return bound ? path : fs::path();
}

void ExpectKind(const fs::path& path, fs::file_type type) {
  EXPECT_EQ(fs::symlink_status(path).type(), type) << path;
}

class Jpeg2BmpOutputKind : public Jpeg2BmpTest,
                           public ::testing::WithParamInterface<OutputKindCase> {};

TEST_P(Jpeg2BmpOutputKind, WritesToWhatTheOutputIs) {
  const OutputKindCase& c = GetParam();
  const fs::path out = dir_ / "out", input = kCorpus / "baseline_q75_100x75.jpg";
  const fs::path output = c.make(out);
  if (output.empty()) GTEST_SKIP() << "cannot make " << c.name << " here";

  // The reader is there before the tool starts; the picture fits the pipe's buffer, so it can be
  // read once the tool has ended.
  int reader = -1;
  if (fs::is_fifo(output)) reader = ::open(output.c_str(), O_RDONLY | O_NONBLOCK);
  const ToolRun run = Jpeg2Bmp({input.string(), output.string()});
  if (reader >= 0) {
    std::string received;
    char chunk[4096];
    for (long n; (n = ::read(reader, chunk, sizeof chunk)) > 0;) received.append(chunk, n);
    ::close(reader);
    WriteAll(dir_ / "received", received);
  }

  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.err,
            *c.error ? "jpeg2bmp: cannot write " + output.string() + ": " + c.error + "\n" : "");
  std::vector<std::string> after = OutputFolder();
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, c.folder_after) << "no temporary file is left, nothing else changes";
  if (*c.picture_at) ExpectBmpOfDecodedPicture(out / c.picture_at, input);
  if (c.also) c.also(out);
}

const std::string kLongestName = std::string(251, 'n') + ".bmp";

INSTANTIATE_TEST_SUITE_P(
    Cases, Jpeg2BmpOutputKind,
    ::testing::Values(
        OutputKindCase{"RegularFile",
                       [](const fs::path& out) {
                         WriteAll(out / "picture.bmp", "earlier picture");
                         fs::permissions(out / "picture.bmp", fs::perms(0640));
                         return out / "picture.bmp";
                       },
                       0,
                       "",
                       "picture.bmp",
                       {"picture.bmp"},
                       [](const fs::path& out) {
                         EXPECT_EQ(fs::status(out / "picture.bmp").permissions(), fs::perms(0640));
                       }},
        OutputKindCase{"Missing",
                       [](const fs::path& out) { return out / "picture.bmp"; },
                       0,
                       "",
                       "picture.bmp",
                       {"picture.bmp"}},
        OutputKindCase{"SymbolicLink",
                       [](const fs::path& out) {
                         WriteAll(out / "target.bmp", "earlier picture");
                         fs::create_symlink("target.bmp", out / "link.bmp");
                         return out / "link.bmp";
                       },
                       0,
                       "",
                       "target.bmp",
                       {"link.bmp", "target.bmp"},
                       [](const fs::path& out) {
                         ExpectKind(out / "link.bmp", fs::file_type::symlink);
                         EXPECT_EQ(fs::read_symlink(out / "link.bmp"), "target.bmp");
                       }},
        OutputKindCase{"SymbolicLinkToNothing",
                       [](const fs::path& out) {
                         fs::create_symlink("nothing.bmp", out / "link.bmp");
                         return out / "link.bmp";
                       },
                       1,
                       "it is a symbolic link to nothing",
                       "",
                       {"link.bmp"}},
        OutputKindCase{
            "CharacterDevice",
            [](const fs::path& out) { return DeviceNode(out / "null", S_IFCHR, 1, 3); },
            0,
            "",
            "",
            {"null"},
            [](const fs::path& out) { ExpectKind(out / "null", fs::file_type::character); }},
        // The device that is always full shows that the device itself was written, and why
        // writing failed.
        OutputKindCase{
            "FullCharacterDevice",
            [](const fs::path& out) { return DeviceNode(out / "full", S_IFCHR, 1, 7); },
            1,
            "No space left on device",
            "",
            {"full"},
            [](const fs::path& out) { ExpectKind(out / "full", fs::file_type::character); }},
        OutputKindCase{"FifoWithAReader",
                       [](const fs::path& out) {
                         return ::mkfifo((out / "fifo").c_str(), 0644) == 0 ? out / "fifo"
                                                                            : fs::path();
                       },
                       0,
                       "",
                       "../received",
                       {"fifo"},
                       [](const fs::path& out) { ExpectKind(out / "fifo", fs::file_type::fifo); }},
        OutputKindCase{"Folder",
                       [](const fs::path& out) {
                         fs::create_directory(out / "folder");
                         return out / "folder";
                       },
                       1,
                       "it is a folder",
                       "",
                       {"folder"},
                       [](const fs::path& out) { EXPECT_TRUE(fs::is_empty(out / "folder")); }},
        OutputKindCase{"BlockDevice",
                       [](const fs::path& out) { return DeviceNode(out / "disk", S_IFBLK, 7, 0); },
                       1,
                       "it is a block device",
                       "",
                       {"disk"}},
        OutputKindCase{"Socket",
                       [](const fs::path& out) { return Socket(out / "socket"); },
                       1,
                       "it is a socket",
                       "",
                       {"socket"}},
        OutputKindCase{"NameOf255Bytes",
                       [](const fs::path& out) { return out / kLongestName; },
                       0,
                       "",
                       kLongestName.c_str(),
                       {kLongestName}}),
    [](const auto& info) { return std::string(info.param.name); });

// "-" is standard input as INPUT and standard output as OUTPUT.bmp: the same picture as through
// files, and the trace never mixed into a picture on standard output.
TEST_F(Jpeg2BmpTest, DashStandsForStandardInputAndOutput) {
  const fs::path jpeg = kCorpus / "progressive_q75_100x75.jpg";
  const fs::path file = dir_ / "out" / "picture.bmp", written = dir_ / "stdout";
  const struct {
    std::vector<std::string> args;
    fs::path input, bmp;
  } cases[] = {
      {{"-", file.string()}, jpeg, file},
      {{jpeg.string(), "-"}, "/dev/null", written},
      {{"--verbose", "-", "-"}, jpeg, written},
  };
  for (const auto& c : cases) {
    fs::remove(file);
    ToolRun run = Jpeg2Bmp(c.args, c.input);
    ASSERT_EQ(run.status, 0) << c.args.back() << ": " << run.err;
    ExpectBmpOfDecodedPicture(c.bmp, jpeg);
    if (c.args.front() == "--verbose") {
      EXPECT_THAT(run.err, StartsWith("{ Start Of Image }\n"));
    } else {
      EXPECT_EQ(run.err, "");
    }
  }
}

// Standard output gets a picture only once it has been decoded whole.
TEST_F(Jpeg2BmpTest, FailureThroughStandardStreamsWritesNothing) {
  const std::string bytes = ReadAll(kCorpus / "baseline_q75_100x75.jpg");
  WriteAll(dir_ / "truncated.jpg", bytes.substr(0, bytes.size() / 2));
  WriteAll(dir_ / "no_frame.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x02\x00\x00\x01"
                                              "\x00\x01\x00\x00\xFF\xD9",
                                              22));
  const struct {
    std::vector<std::string> args;
    fs::path input;
    const char* error_regex;
  } cases[] = {
      {{(kCorpus / "arithmetic_100x75.jpg").string(), "-"}, "/dev/null",
       "jpeg2bmp: Cannot read image - Arithmetic Coding covered by patents\n"},
      {{"-", "-"}, dir_ / "truncated.jpg", "jpeg2bmp: Premature end of (file|stream)\n"},
      {{"-", (dir_ / "out" / "picture.bmp").string()}, dir_ / "no_frame.jpg",
       "jpeg2bmp: standard input holds no picture\n"},
  };
  for (const auto& c : cases) {
    ToolRun run = Jpeg2Bmp(c.args, c.input);
    EXPECT_EQ(run.status, 1) << c.error_regex;
    EXPECT_THAT(run.err, MatchesRegex(c.error_regex));
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(OutputFolder(), ::testing::IsEmpty());
  }
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* os) {
  *os << c.name;
}

class Jpeg2BmpUsage : public Jpeg2BmpTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(Jpeg2BmpUsage, WrongUsageExitsTwoWithTheUsageLine) {
  ToolRun run = Jpeg2Bmp(GetParam().args);
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, StartsWith("jpeg2bmp: "));
  EXPECT_THAT(run.err, HasSubstr("usage: jpeg2bmp [--verbose] [--strict] [--threads N] INPUT OUTPUT.bmp\n"));
  EXPECT_EQ(run.out, "");
  EXPECT_THAT(OutputFolder(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, Jpeg2BmpUsage,
                         ::testing::Values(UsageCase{"NoArguments", {}},
                                           UsageCase{"InputOnly", {"a.jpg"}},
                                           UsageCase{"ThreeFiles", {"a.jpg", "b.bmp", "c.bmp"}},
                                           UsageCase{"OptionsOnly", {"--verbose", "--strict"}},
                                           UsageCase{"UnknownOption", {"--fast", "a.jpg", "b.bmp"}},
                                           UsageCase{"SingleDashOption", {"-v", "a.jpg", "b.bmp"}},
                                           UsageCase{"ThreadsWithoutCount", {"a.jpg", "b.bmp", "--threads"}},
                                           UsageCase{"ThreadsZero", {"--threads", "0", "a.jpg", "b.bmp"}},
                                           UsageCase{"ThreadsNotANumber", {"--threads", "2x", "a.jpg", "b.bmp"}},
                                           UsageCase{"ThreadsNegative", {"--threads", "-1", "a.jpg", "b.bmp"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// "-1" starts like an option, but after --threads it is a count, and a wrong one.
TEST_F(Jpeg2BmpTest, NegativeThreadCountIsNamedAsTheWrongCount) {
  ToolRun run = Jpeg2Bmp({"--threads", "-1", "a.jpg", "b.bmp"});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, StartsWith("jpeg2bmp: --threads needs a number of threads, 1 or more, not -1\n"));
}

TEST_F(Jpeg2BmpTest, HelpExplainsTheToolAndSucceeds) {
  for (const auto& args : {std::vector<std::string>{"--help"},
                           std::vector<std::string>{"--verbose", "--help", "x.jpg"}}) {
    ToolRun run = Jpeg2Bmp(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.out, StartsWith("usage: jpeg2bmp [--verbose] [--strict] [--threads N] INPUT OUTPUT.bmp\n"));
    EXPECT_THAT(run.out, HasSubstr("--strict"));
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
