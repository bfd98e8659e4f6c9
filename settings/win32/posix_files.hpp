#pragma once

// The few POSIX file calls the atomic save makes, in their Windows form.
#include <io.h>
#include <sys/types.h>

// Flushes the file's data to the disk.
inline int fsync(int fd) {
  return ::_commit(fd);
}

// Windows files carry no POSIX mode; the new file takes the folder's access rules.
inline int fchmod(int, mode_t) {
  return 0;
}
