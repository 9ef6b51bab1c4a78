// dict_internal.h - an advisory lock on a dictionary file that saves replace,
// so that programs sharing the file read, merge and write it in turn.
#ifndef KH_DICT_FILE_LOCK_H
#define KH_DICT_FILE_LOCK_H

#include <string>

namespace kh {

// Locks the file for the life of the object, waiting up to 10 seconds for
// another holder, and creates it empty when it is missing.  Every program
// that takes the lock reads the file only once it holds it.
class FileLock {
public:
    explicit FileLock(const char *path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Empty while the lock is held, else why it could not be taken.
    const std::string &why() const { return why_; }

private:
    int fd_ = -1;
    std::string why_;
};

}  // namespace kh

#endif  // KH_DICT_FILE_LOCK_H
