// An output file written safely, shared by the PNG and video writers:
//   - checked before a run: the end of a symlink chain is the file written
//     (the link stays a link); a folder, device, FIFO or socket is refused, and
//     the folder must exist and be writable;
//   - written into an unnamed file in the target's folder (O_TMPFILE), so a
//     crash, a kill or a power loss leaves nothing; only where the file system
//     refuses unnamed files, into a hidden name ".NAME.XXXXXX" beside it;
//   - committed only when complete: made durable, then given the target's name
//     in one step, replacing a regular file there;
//   - created 0666 less the umask, as other tools create files; a replaced
//     file's permission bits, owner and group pass to the new one (owner and
//     group as far as the process may set them);
//   - never replacing a file the process may not write, one without any write
//     bit (even for root), or one with more than one hard link, before the
//     run or at the commit.
// Messages name files quoted, control bytes escaped, so one stays one line.
// The name "-" stands for standard output, which is written as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace life3d {

// Where an output goes, found before the run.
struct OutputTarget {
  std::string given;   // the name as given
  std::string path;    // the file written: given, or the end of its symlink chain
  std::string folder;  // the folder that holds path
  bool toStdout = false;
};

// A file being written, from OpenOutput to CommitOutput or AbandonOutput.
struct OutputFile {
  OutputTarget target;
  int fd = -1;             // -1 once committed or abandoned
  std::string hiddenPath;  // the fallback's temporary name; empty for an unnamed file
};

enum class OutputNaming {
  kUnnamedFirst,  // an unnamed file, the hidden name where that is refused
  kHiddenName,    // the hidden name only: the path a file system without O_TMPFILE takes
};

// Checks that name can be written and fills target. "-" is standard output,
// refused when that is a terminal or closed. False with a one-line reason.
bool CheckOutput(const std::string& name, OutputTarget& target, std::string* error);
// A file name for a message: in single quotes, with \\, \', \n, \t and \xHH
// for the backslash, the quote and the other control bytes.
std::string QuoteName(std::string_view name);
// The name target is known by in messages: the name given, and the file
// written when a link led elsewhere, quoted.
std::string DescribeOutput(const OutputTarget& target);

// Opens a file in target's folder to write the output into, for reading
// too (a muxer may read back what it wrote); nothing appears at target's
// path yet. False with a reason, and nothing left, on failure.
bool OpenOutput(const OutputTarget& target, OutputFile& file, std::string* error,
                OutputNaming naming = OutputNaming::kUnnamedFirst);
// Writes all of size bytes to fd, again after an interruption: 0, or the
// errno of the failure.
int WriteAll(int fd, const void* bytes, size_t size);
// Writes all of bytes at the file's current end. False with a reason.
bool WriteOutput(OutputFile& file, const void* bytes, size_t size, std::string* error);
// Makes the file durable and puts it at target's path. On failure returns
// false with a reason, leaves the path as it was and abandons the file.
bool CommitOutput(OutputFile& file, std::string* error);
// Closes the file and removes what it left; nothing for a closed one.
void AbandonOutput(OutputFile& file);

}  // namespace life3d
