// tempdir.h - a scratch folder for tests that write files, removed with
// everything in it when the test ends.
#ifndef ENGINE_TESTS_TEMPDIR_H
#define ENGINE_TESTS_TEMPDIR_H

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "portable.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir() {
        path_ = make_temp_dir("hapi-test-");
    }
    ~TempDir() {
        if (!path_.empty()) remove_tree(path_);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

    // The names in the folder, "." and ".." left out.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        if (DIR *d = opendir(path_.c_str())) {
            while (dirent *e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
            closedir(d);
        }
        return names;
    }

    std::string write(const std::string &name, const std::string &text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }

private:
    static void remove_tree(const std::string &p) {
        struct stat st;
        if (link_stat(p.c_str(), &st) != 0) return;
        if (S_ISDIR(st.st_mode)) {
            chmod(p.c_str(), 0700);
            if (DIR *d = opendir(p.c_str())) {
                while (dirent *e = readdir(d)) {
                    std::string n = e->d_name;
                    if (n != "." && n != "..") remove_tree(p + "/" + n);
                }
                closedir(d);
            }
            rmdir(p.c_str());
        } else {
            unlink(p.c_str());
        }
    }

    std::string path_;
};

inline std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Where the hostile input files kept with the tests are.
inline std::string test_data(const std::string &name) {
    return std::string(ENGINE_SOURCE_DIR) + "/engine/tests/data/" + name;
}

#endif  // ENGINE_TESTS_TEMPDIR_H
