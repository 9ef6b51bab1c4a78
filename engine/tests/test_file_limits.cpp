// Files the engine must refuse at once rather than wait on, or read until
// memory runs out: FIFOs and endless devices, sparse giants, recordings
// longer than MAXFILETIME.  Each is refused with a note saying why.
#include "hapi.h"
#include "notes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A file of the given size, all of it a hole: it takes no disk.
void make_sparse(const std::string &path, long long size, const std::string &head = "") {
    TempDir::write_to(path, head);
    std::filesystem::resize_file(path, static_cast<uintmax_t>(size));
}

// A 16-bit mono PCM WAV header for that many samples.
std::string wav_header(uint32_t rate, uint32_t samples, uint16_t format = 1, uint16_t bits = 16) {
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    uint32_t bytes = samples * (bits / 8);
    return "RIFF" + u32(36 + bytes) + "WAVEfmt " + u32(16) + u16(format) + u16(1) + u32(rate) + u32(rate * (bits / 8)) +
        u16(bits / 8) + u16(bits) + "data" + u32(bytes);
}

bool dictionary_loads(const std::string &path) {
    hapiDictObject d = hapiCreateDictObject();
    bool ok = hapiDictOverrideFileName(d, path.c_str()) == 0 && hapiDictInitialise(d) == 0;
    hapiDeleteDictObject(d);
    return ok;
}

bool lattice_loads(const std::string &path) {
    hapiDictObject d = hapiCreateDictObject();
    hapiDictModify(d);
    hapiLatObject l = hapiLoadLatObject(d, path.c_str(), nullptr);
    bool ok = l != nullptr;
    if (l) hapiDeleteLatObject(l);
    hapiDeleteDictObject(d);
    return ok;
}

bool audio_loads(const std::string &path) {
    hapiSourceObject s = hapiCreateSourceObject(HAPI_FILE_SOURCE);
    bool ok = hapiSourceOverrideFilename(s, path.c_str()) == 0 && hapiSourceInitialise(s) == 0;
    hapiDeleteSourceObject(s);
    return ok;
}

struct Refused {
    const char *name;
    const char *file;
    std::function<void(const std::string &)> make;
    bool (*load)(const std::string &);
    const char *why;
};

std::vector<Refused> refused() {
    std::vector<Refused> rows = {
        {"GiantDictionary", "big.dict", [](const std::string &p) { make_sparse(p, 300LL << 20, "a AH\n"); },
         dictionary_loads, "larger than 256 MB"},
        {"GiantLattice", "big.lat", [](const std::string &p) { make_sparse(p, 300LL << 20, "VERSION=1.0\n"); },
         lattice_loads, "larger than 256 MB"},
        // 601 s of silence at 16 kHz, headerless (a WAV is the mu-law row).
        {"LongRaw", "long.raw", [](const std::string &p) { make_sparse(p, 601LL * 16000 * 2); }, audio_loads,
         "longer than 600 s (MAXFILETIME)"},
        // 10 MB of mu-law at 1 kHz: under three hours, more than 160 million samples at the model's rate.
        {"SlowMuLaw", "slow.wav",
         [](const std::string &p) { make_sparse(p, 44 + 10000000LL, wav_header(1000, 10000000, 7, 8)); }, audio_loads,
         "longer than 600 s (MAXFILETIME)"},
        {"Folder", "folder.wav", [](const std::string &p) { std::filesystem::create_directory(p); }, audio_loads,
         "not a regular file"},
    };
#ifndef _WIN32
    auto fifo = [](const std::string &p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); };
    auto zero = [](const std::string &p) { ASSERT_EQ(symlink("/dev/zero", p.c_str()), 0); };
    rows.push_back({"FifoDictionary", "fifo.dict", fifo, dictionary_loads, "not a regular file"});
    rows.push_back({"FifoLattice", "fifo.lat", fifo, lattice_loads, "not a regular file"});
    rows.push_back({"FifoWav", "fifo.wav", fifo, audio_loads, "not a regular file"});
    rows.push_back({"EndlessRaw", "zero.raw", zero, audio_loads, "not a regular file"});
#endif
    return rows;
}

class FileLimit : public ::testing::TestWithParam<Refused> {};

TEST_P(FileLimit, IsRefusedAtOnceSayingWhy) {
    const Refused &r = GetParam();
    TempDir dir;
    std::string path = dir.file(r.file);
    ASSERT_NO_FATAL_FAILURE(r.make(path));
    Notes notes;
    EXPECT_FALSE(r.load(path));
    EXPECT_NE(notes.text().find(r.why), std::string::npos) << notes.text();
}

INSTANTIATE_TEST_SUITE_P(Table, FileLimit, ::testing::ValuesIn(refused()),
                         [](const ::testing::TestParamInfo<Refused> &info) { return std::string(info.param.name); });

// The limit is the key's: a shorter one refuses what the default takes.
TEST(FileLimitKey, MaxFileTimeSetsTheLongestRecording) {
    TempDir dir;
    std::string path = dir.file("two.raw");
    make_sparse(path, 2LL * 16000 * 2);
    EXPECT_TRUE(audio_loads(path));
    float one = 1.0f;
    hapiOverrideConfFlt("MAXFILETIME", &one);
    Notes notes;
    EXPECT_FALSE(audio_loads(path));
    EXPECT_NE(notes.text().find("longer than 1 s (MAXFILETIME)"), std::string::npos) << notes.text();
    float dflt = 600.0f;
    hapiOverrideConfFlt("MAXFILETIME", &dflt);
}

}  // namespace
