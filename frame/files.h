// files.h - whether a file can be opened, asked before the library or the
// engine opens it, so that a missing file gets its own message.
#ifndef KH_FRAME_FILES_H
#define KH_FRAME_FILES_H

namespace kh {

bool FileReadable(const char *name);
bool FileAppendable(const char *name);

}  // namespace kh

#endif  // KH_FRAME_FILES_H
