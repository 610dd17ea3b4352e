#pragma once
// Files with byte-range locks, as the record-file engine uses them (open shared, read and
// write at an offset, LockFile/UnlockFile): the Windows calls themselves on Windows, a
// POSIX stand-in elsewhere.
//
// Every call returns 0 or one of the engine's file error codes: generic -1, not found
// -3, bad path -4, too many open files -5, access denied -6, invalid file -7, removing
// the current directory -8, directory full -9, bad seek -10, hardware I/O error -11,
// sharing violation -12, lock violation -13, disk full -14, end of file -15.
//
// Locks are exclusive and belong to the open file, not to the process (POSIX OFD locks),
// so two opens of one file in one process exclude each other, as Windows locks do. On
// POSIX a file's own locks merge: unlocking a range drops every lock of that file inside
// it. Windows keeps each range apart, to be unlocked exactly as it was locked.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum FileError : int {
  kFileOk = 0,
  kFileGeneric = -1,
  kFileNotFound = -3,
  kFileBadPath = -4,
  kFileTooManyOpen = -5,
  kFileAccessDenied = -6,
  kFileInvalid = -7,
  kFileCurrentDirectory = -8,
  kFileDirectoryFull = -9,
  kFileBadSeek = -10,
  kFileHardware = -11,
  kFileSharingViolation = -12,
  kFileLockViolation = -13,
  kFileDiskFull = -14,
  kFileEndOfFile = -15,
};

// Lock() result when the file system cannot lock at all; callers treat it as taken.
constexpr int kLockUnsupported = 1;

#ifdef _WIN32
// The engine's code for a GetLastError() value.
int FileErrorFromWin32(unsigned long err);
#else
// The engine's code for an errno value.
int FileErrorFromErrno(int err);
#endif

class LockedFile {
 public:
  virtual ~LockedFile() = default;
  // Reads up to n bytes at offset; *got receives how many were read (short at the end).
  virtual int Read(std::int64_t offset, void* data, std::size_t n, std::size_t* got) = 0;
  // Writes all n bytes at offset (a short write is -14 when the disk is full, else -1).
  virtual int Write(std::int64_t offset, const void* data, std::size_t n) = 0;
  virtual int Length(std::int64_t* length) = 0;
  // Cuts (or extends with zeros) the file to `length` bytes.
  virtual int Truncate(std::int64_t length) = 0;
  // Waits until what was written has reached the disk (fdatasync, FlushFileBuffers).
  virtual int Sync() = 0;
  // The file's permission bits (POSIX mode & 0777; 0600 on Windows, where the folder's
  // access list decides).
  virtual int Permissions(unsigned* mode) = 0;
  // Tries once, without waiting, to lock [offset, offset + length) exclusively:
  // 0, -13 when someone else holds a part of it, kLockUnsupported, or another code.
  virtual int Lock(std::int64_t offset, std::int64_t length) = 0;
  virtual int Unlock(std::int64_t offset, std::int64_t length) = 0;
};

// Where files come from; tests put a fault-injecting one in front of the real one.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing file for reading and writing, shared; never creates one.
  // Null on failure with the code in *error.
  virtual std::unique_ptr<LockedFile> OpenExisting(const std::string& host_path, int* error) = 0;
  // Creates a new file holding `data` with exactly the permission bits `mode` (the umask
  // does not apply; ignored on Windows); fails (-6 or the mapped code) when it exists. The
  // file and its name are on the disk when this returns.
  virtual int CreateNew(const std::string& host_path, const void* data, std::size_t n, unsigned mode) = 0;
  // Removes a file's name. The removal is durable only after SyncDirectoryOf.
  virtual int Remove(const std::string& host_path) = 0;
  // Waits until the entries of the directory holding `host_path` (creations and removals)
  // have reached the disk. Windows cannot flush a directory: there it does nothing.
  virtual int SyncDirectoryOf(const std::string& host_path) = 0;
  // Names (not paths) of the entries of a directory; empty when it cannot be read.
  virtual std::vector<std::string> List(const std::string& host_dir) = 0;
};

// The system's files: CreateFileW and LockFile on Windows, PosixFileSystem elsewhere.
FileSystem& SystemFileSystem();

#ifndef _WIN32
// The POSIX implementation (open/pread/pwrite/ftruncate, fcntl F_OFD_SETLK).
FileSystem& PosixFileSystem();
#endif
