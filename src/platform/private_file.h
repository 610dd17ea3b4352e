#pragma once
// Whole files written so that no one can slip anything in: not a link planted at the
// target (it is replaced, never followed), not a file made there beforehand, not a reader
// who catches the file half written.

#include <string>

// Writes `bytes` to the file at `utf8Path` (a host path), replacing any file or symbolic
// link there. The bytes go to a new file under a temporary name beside it, created
// exclusively and without following links (O_CREAT|O_EXCL|O_NOFOLLOW) with permission bits
// `mode` (less the umask), then renamed over the target: the target is the old file or the
// whole new one, never a mix, and a link there is itself replaced. With `flush` the bytes
// reach the disk before the rename; without, a crash may leave the file empty (for many
// small files that can be made again, such as icons). On Windows `mode` is not used: the
// file takes its folder's permissions. False with `*error` set when it cannot be written;
// the target is then left as it was.
bool WriteFileReplacing(const std::string& utf8Path, const std::string& bytes, unsigned mode, std::string* error,
                        bool flush = true);

// For data that holds passwords as plain text: mode 0600, so no other user ever sees a
// readable moment of it. On Windows the user's own folders are the user's alone.
inline bool WritePrivateFile(const std::string& utf8Path, const std::string& bytes, std::string* error) {
  return WriteFileReplacing(utf8Path, bytes, 0600, error);
}
