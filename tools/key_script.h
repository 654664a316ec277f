// The key scripts life3d-render reads: --keys checked with a reason a person
// can act on, and --keys-file read from a file or standard input. The
// notation itself, and the decoding a run does pass by pass, are the core's
// (app/key_script.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/key_script.h"

namespace life3d {

// Checks every key of a script; source names it in the reason ("--keys").
// False with a one-line reason that quotes the bad escape and gives its byte
// (counted from 1).
bool CheckKeyScript(std::string_view text, std::string_view source, std::string& error);

// Reads and checks the script of --keys-file: the file name, or standard
// input for "-". One final line feed is dropped, as a file written by echo or
// an editor ends with one; a line feed wanted as the last key is written
// \x0A. False with a one-line reason when the file cannot be read, is longer
// than maxBytes (the line feed aside) or has a bad escape.
bool ReadKeyScriptFile(const std::string& name, size_t maxBytes, std::string& text,
                       std::string& error);

}  // namespace life3d
