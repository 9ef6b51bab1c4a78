// files.h - whether a file can be opened, asked before the library or the
// engine opens it, so that a missing file gets its own message; and the
// folders and renames of the files the library writes.
#ifndef KH_FRAME_FILES_H
#define KH_FRAME_FILES_H

namespace kh {

// A regular file that opens for reading (never a folder, a FIFO or a
// device), asked without blocking.
bool FileReadable(const char *name);
bool FileAppendable(const char *name);

// Creates the missing folders above the file, open to their owner only
// (they hold a user's own data and state); true when they all exist.
// A name without a folder needs none.  False with errno set otherwise.
bool MakeParentFolders(const char *name);

// Renames a file, replacing what bears the new name; false with errno.
bool RenameReplacing(const char *from, const char *to);

}  // namespace kh

#endif  // KH_FRAME_FILES_H
