#include "media/output_file.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/media/video_decode.h"

namespace life3d {
namespace {

namespace fs = std::filesystem;
using Folder = testing::ScratchFolder;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder holding one of each kind of path an output may be given.
void Populate(const Folder& f) {
  std::ofstream(f / "old.png") << "old";
  fs::create_directory(f / "dir.png");
  mkfifo((f / "fifo.png").c_str(), 0600);
  fs::create_symlink("/dev/null", f / "device.png");
  fs::create_symlink("old.png", f / "link.png");
  fs::create_symlink("link.png", f / "chain.png");
  fs::create_symlink("new.png", f / "dangling.png");
  fs::create_symlink("none/new.png", f / "nowhere.png");
  fs::create_symlink("loop.png", f / "loop.png");
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = f / "socket.png";
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(s);
}

struct CheckCase {
  const char* name;
  const char* writes;  // the file written, or null when refused
  const char* says;    // a part of the refusal
};

TEST(OutputFile, CheckFollowsLinksAndRefusesWhatIsNoRegularFile) {
  const CheckCase cases[] = {
      {"new.png", "new.png", nullptr},
      {"old.png", "old.png", nullptr},
      {"chain.png", "old.png", nullptr},  // a chain of links, relative to each link's folder
      {"dangling.png", "new.png", nullptr},
      {"dir.png", nullptr, "it is a folder"},
      {"fifo.png", nullptr, "it is a FIFO"},
      {"device.png", nullptr, "device.png (a link to /dev/null): it is a device"},
      {"socket.png", nullptr, "it is a socket"},
      {"nowhere.png", nullptr, "there is no folder"},
      {"none/new.png", nullptr, "there is no folder"},
      {"loop.png", nullptr, "Too many levels of symbolic links"},
      {"old.png/x.png", nullptr, "Not a directory"},
  };
  Folder folder;
  Populate(folder);
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    OutputTarget target;
    std::string error;
    const bool ok = CheckOutput(folder / c.name, target, &error);
    ASSERT_EQ(ok, c.writes != nullptr) << error;
    if (ok) {
      EXPECT_EQ(fs::path(target.path), fs::path(folder / c.writes).lexically_normal());
    } else {
      EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(OutputFile, FileAppearsWholeOnlyAtCommitInEitherNaming) {
  const mode_t mask = umask(0);
  umask(mask);
  for (const OutputNaming naming : {OutputNaming::kUnnamedFirst, OutputNaming::kHiddenName}) {
    SCOPED_TRACE(naming == OutputNaming::kHiddenName ? "hidden name" : "unnamed");
    Folder folder;
    Populate(folder);
    const auto before = folder.Names().size();
    for (const char* name : {"new.png", "link.png"}) {
      SCOPED_TRACE(name);
      OutputTarget target;
      OutputFile file;
      std::string error;
      ASSERT_TRUE(CheckOutput(folder / name, target, &error)) << error;
      ASSERT_TRUE(OpenOutput(target, file, &error, naming)) << error;
      ASSERT_TRUE(WriteOutput(file, "fresh", 5, &error)) << error;
      // Only the fallback shows while writing, and under a hidden name.
      const size_t shown = naming == OutputNaming::kHiddenName;
      EXPECT_EQ(folder.Names().size(), before + shown + (name == std::string("link.png")));
      ASSERT_TRUE(CommitOutput(file, &error)) << error;
      EXPECT_EQ(Bytes(target.path), "fresh");
      EXPECT_EQ(fs::status(target.path).permissions(), static_cast<fs::perms>(0666 & ~mask));
    }
    EXPECT_TRUE(fs::is_symlink(folder / "link.png"));  // the link stays, its target is new
    EXPECT_EQ(folder.Names().size(), before + 1);      // new.png, and nothing hidden

    OutputTarget target;
    OutputFile file;
    std::string error;
    ASSERT_TRUE(CheckOutput(folder / "old.png", target, &error));
    ASSERT_TRUE(OpenOutput(target, file, &error, naming));
    ASSERT_TRUE(WriteOutput(file, "partial", 7, &error));
    AbandonOutput(file);
    EXPECT_EQ(Bytes(folder / "old.png"), "fresh");
    EXPECT_EQ(folder.Names().size(), before + 1);
  }
}

TEST(OutputFile, CommitRefusesAPathThatBecameAFifoDuringTheRun) {
  Folder folder;
  OutputTarget target;
  OutputFile file;
  std::string error;
  ASSERT_TRUE(CheckOutput(folder / "run.png", target, &error));
  ASSERT_TRUE(OpenOutput(target, file, &error));
  mkfifo((folder / "run.png").c_str(), 0600);
  EXPECT_FALSE(CommitOutput(file, &error));
  EXPECT_NE(error.find("it has become a FIFO"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_fifo(folder / "run.png"));
  EXPECT_EQ(folder.Names().size(), 1u);
}

}  // namespace
}  // namespace life3d
