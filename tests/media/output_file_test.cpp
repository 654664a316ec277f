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
      {"device.png", nullptr, "device.png' (a link to '/dev/null'): it is a device"},
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

TEST(OutputFile, NamesAreQuotedOnOneLine) {
  EXPECT_EQ(QuoteName("a b.png"), "'a b.png'");
  EXPECT_EQ(QuoteName("it's\\x\n\t\x1b\x7f\xc3\xa9.png"),
            "'it\\'s\\\\x\\n\\t\\x1B\\x7F\xc3\xa9.png'");
}

// An existing file at the path: what it is before the run, and what the
// commit leaves there. Another owner can only be given by root.
struct ReplaceCase {
  const char* name;
  mode_t mode;
  bool otherOwner;   // owned by 1234:5678
  bool linked;       // has a second hard link
  mode_t keptMode;   // the new file's mode, 0 when refused
  const char* says;  // a part of the refusal
};

TEST(OutputFile, ReplacingKeepsModeAndOwnerOrRefusesBeforeAndAtCommit) {
  const ReplaceCase cases[] = {
      {"private", 0600, false, false, 0600, nullptr},
      {"set-id bits are the old content's", 06775, false, false, 0775, nullptr},
      {"another's file keeps its owner", 0640, true, false, 0640, nullptr},
      {"write-protected", 0444, false, false, 0, "it is write-protected (mode 0444)"},
      {"hard link", 0644, false, true, 0, "it has 2 hard links"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.otherOwner && geteuid() != 0) continue;
    Folder folder;
    const std::string path = folder / "old.png";
    auto makeOld = [&] {
      std::ofstream(path) << "old";
      ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
      if (c.otherOwner) {
        ASSERT_EQ(chown(path.c_str(), 1234, 5678), 0);
      }
      if (c.linked) fs::create_hard_link(path, folder / "other.png");
    };
    // Before the run: a refusal, or a commit that keeps what the file was.
    makeOld();
    OutputTarget target;
    OutputFile file;
    std::string error;
    ASSERT_EQ(CheckOutput(path, target, &error), c.keptMode != 0) << error;
    if (c.keptMode != 0) {
      ASSERT_TRUE(OpenOutput(target, file, &error) && WriteOutput(file, "new", 3, &error) &&
                  CommitOutput(file, &error))
          << error;
      struct stat info;
      ASSERT_EQ(stat(path.c_str(), &info), 0);
      EXPECT_EQ(Bytes(path), "new");
      EXPECT_EQ(info.st_mode & 07777, c.keptMode);
      EXPECT_EQ(info.st_uid, c.otherOwner ? 1234u : geteuid());
      EXPECT_EQ(info.st_gid, c.otherOwner ? 5678u : getegid());
      continue;
    }
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    // The same file appearing during the run is refused at the commit.
    fs::remove(path);
    fs::remove(folder / "other.png");
    ASSERT_TRUE(CheckOutput(path, target, &error) && OpenOutput(target, file, &error) &&
                WriteOutput(file, "new", 3, &error))
        << error;
    makeOld();
    EXPECT_FALSE(CommitOutput(file, &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_EQ(Bytes(path), "old");
    EXPECT_EQ(fs::hard_link_count(path), c.linked ? 2u : 1u);
  }
}

}  // namespace
}  // namespace life3d
