// tempdir.h - a scratch folder for tests that write files, removed with
// everything in it when the test ends.
#ifndef ENGINE_TESTS_TEMPDIR_H
#define ENGINE_TESTS_TEMPDIR_H

#include "folders_and_env.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir() { path_ = make_temp_dir("hapi-test-"); }
    // Folders a test locked are opened up first, so that all of it goes.
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (path_.empty()) return;
        for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (it->symlink_status(ec).type() == fs::file_type::directory)
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

    // The names in the folder, "." and ".." left out.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto &e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
        return names;
    }

    std::string write(const std::string &name, const std::string &text) const { return write_to(file(name), text); }
    static std::string write_to(const std::string &path, const std::string &text) {
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

private:
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
