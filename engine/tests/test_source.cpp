// test_source.cpp - models, waveform files and coders: what loads, what
// is refused, and the samples a coder hands back.
#include "notes.h"
#include "rec_fixture.h"
#include "tempdir.h"

#include <cstdint>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 16 kHz to 22.05 kHz by linear interpolation: plenty for speech.
std::vector<short> to_22050(const std::vector<short> &in) {
    std::vector<short> out;
    double step = 16000.0 / 22050.0;
    for (double t = 0; t + 1 < in.size(); t += step) {
        size_t i = static_cast<size_t>(t);
        double f = t - i;
        out.push_back(static_cast<short>(in[i] * (1 - f) + in[i + 1] * f));
    }
    return out;
}

hapiHMMSetObject hmmset_from(const std::string &mdef, const char *background = "SIL") {
    for (const char *key : {"MMF", "HMMLIST"}) hapiOverrideConfStr(key, mdef.c_str());
    hapiOverrideConfStr("BKHMMNAME", background);
    return hapiCreateHMMSetObject();
}

}  // namespace

class SourceTest : public RecognitionTest {};

// A binary model definition of one phone, "SIL", whose header gives the
// silence phone's index.
std::string binary_mdef(int32_t silence) {
    int32_t counts[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0, silence};
    return std::string("BMDF\1\0\0\0\0\0\0\0", 12) + std::string(reinterpret_cast<char *>(counts), sizeof counts) +
        std::string("SIL\0", 4);
}

TEST_F(SourceTest, ModelThatCannotBeLoadedFailsInitialisation) {
    TempDir dir;
    std::string good = std::string(ENGINE_MODEL_DIR) + "/mdef";
    const std::pair<std::string, const char *> bad[] = {
        {dir.file("missing/mdef"), "cannot read"},
        {dir.write("mdef", "garbage that is no model\n"), "not a model definition file"},
        {dir.write("short", "BMDF\1\0\0\0"), "truncated header"},
        {dir.write("silence", binary_mdef(1)), "implausible phone count"},  // no phone 1 of 1
    };
    for (const auto &[path, why] : bad) {
        Notes notes;
        hapiHMMSetObject h = hmmset_from(path);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(hapiHMMSetInitialise(h), -1) << path;
        EXPECT_NE(notes.text().find(why), std::string::npos) << path << ": " << notes.text();
        hapiDeleteHMMSetObject(h);
    }
    // A real model with a background unit it lacks still loads.
    hapiHMMSetObject h = hmmset_from(good, "bckgrd");
    EXPECT_EQ(hapiHMMSetInitialise(h), 0);
    hapiDeleteHMMSetObject(h);
    hapiDeleteHMMSetObject(hmmset_from(good));  // leave the keys as the other tests expect
}

TEST_F(SourceTest, UnreadableAndMalformedFilesFailInitialisation) {
    TempDir dir;
    write_wav(dir.file("slow.wav"), std::vector<short>(100, 0), 500);  // no plausible rate
    std::vector<std::string> bad = {dir.file("absent.wav"),
                                    dir.path(),
                                    dir.file("slow.wav"),
                                    dir.write("noise.wav", std::string(4000, '\x7f')),
                                    dir.write("odd.raw", std::string(101, '\0')),
                                    dir.write("cut.wav", "RIFF\x24\x08\0\0WAVEfmt ")};
    // A file named only ".raw" has no extension: it is no headerless recording.
    dir.write(".raw", std::string(100, '\0'));
    char *here = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ASSERT_EQ(make_dir("folder.raw"), 0);  // opens, but reading it fails
    bad.insert(bad.end(), {".raw", "folder.raw", std::string(5000, 'x')});
    Notes notes;
    for (const auto &path : bad) {
        hapiSourceObject src = source(HAPI_FILE_SOURCE);
        ASSERT_EQ(hapiSourceOverrideFilename(src, path.c_str()), 0);
        EXPECT_EQ(hapiSourceInitialise(src), -1) << path;
        EXPECT_EQ(hapiSourceStart(src), -1) << path;
    }
    EXPECT_EQ(chdir(here), 0);
    free(here);
    // The note on the long name is cut at 1023 characters, not overrun.
    const std::string cut = "hapiSourceInitialise: cannot read " + std::string(1023 - 34, 'x');
    EXPECT_NE(notes.text().find(cut + "\n"), std::string::npos);
    EXPECT_EQ(notes.text().find(cut + "x"), std::string::npos);
}

TEST_F(SourceTest, WaveformAtAnotherRateIsConvertedToTheModelRate) {
    TempDir dir;
    std::vector<short> raw = read_raw(testdata("goforward.raw"));
    std::string path = dir.file("goforward22k.wav");
    write_wav(path, to_22050(raw), 22050);
    hapiSourceObject src = file_source(path);
    EXPECT_NEAR(hapiSourceSamplePeriod(src, nullptr), 1.0 / 22050, 1e-12);
    hapiNetObject net = network(sequence({"go", "forward", "ten", "meters"}));
    EXPECT_EQ(names(recognise(src, net)), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
    // The coder holds the utterance at 16 kHz.
    EXPECT_NEAR(last_samples_, static_cast<int>(raw.size()), 20);
}

// Floating-point samples at the scale of 16-bit integers (as some programs
// write them) go far beyond full scale: they are scaled down to fit, not
// clipped into a square wave, and the words are still heard.
TEST_F(SourceTest, FloatSamplesBeyondFullScaleAreScaledDown) {
    TempDir dir;
    std::vector<short> raw = read_raw(testdata("goforward.raw"));
    std::vector<float> loud(raw.begin(), raw.end());
    SF_INFO info{0, 16000, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
    SNDFILE *f = sf_open(dir.file("loud.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_command(f, SFC_SET_NORM_FLOAT, nullptr, SF_FALSE);
    sf_write_float(f, loud.data(), static_cast<sf_count_t>(loud.size()));
    sf_close(f);
    hapiSourceObject src = file_source(dir.file("loud.wav"));
    hapiCoderObject coder = this->coder(src);
    ASSERT_EQ(hapiCoderPrepare(coder), 0);
    std::vector<short> heard(static_cast<size_t>(hapiCoderAccessWave(coder, 1, -1, nullptr)));
    ASSERT_EQ(heard.size(), raw.size());
    hapiCoderAccessWave(coder, 1, -1, heard.data());
    auto peak = [](const std::vector<short> &v) {
        int p = 0;
        for (short x : v) p = std::max(p, std::abs(static_cast<int>(x)));
        return p;
    };
    EXPECT_EQ(peak(heard), 32767);
    double ratio = 32767.0 / peak(raw);
    for (size_t i = 0; i < raw.size(); i += 997) EXPECT_NEAR(heard[i], raw[i] * ratio, 1.0) << i;
    EXPECT_EQ(
        names(recognise(file_source(dir.file("loud.wav")), network(sequence({"go", "forward", "ten", "meters"})))),
        "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
}

// Every frame digital silence (a gated card): the cepstra are normalised
// by the mean of all of them, so the silence word still takes the time
// before the word forced on it.
TEST_F(SourceTest, DigitalSilenceAloneIsHeardAsSilence) {
    TempDir dir;
    write_wav(dir.file("zeros.wav"), std::vector<short>(16000, 0), 16000);
    auto ws = recognise(file_source(dir.file("zeros.wav")), network(sequence({"go"})));
    ASSERT_EQ(names(ws), "<s> GO_T");
    EXPECT_GT(ws[0].end, 0.5);
}

// Fewer samples than a frame still make an utterance.
TEST_F(SourceTest, AnUtteranceShorterThanAFrameIsCoded) {
    TempDir dir;
    write_wav(dir.file("short.wav"), std::vector<short>(100, 1000), 16000);
    hapiCoderObject coder = this->coder(file_source(dir.file("short.wav")));
    EXPECT_EQ(hapiCoderPrepare(coder), 0);
    EXPECT_EQ(hapiCoderAccessWave(coder, 1, -1, nullptr), 100);
}

TEST_F(SourceTest, CoderHandsBackTheSamplesOfFrames) {
    std::vector<short> raw = read_raw(testdata("goforward.raw"));
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    hapiCoderObject coder = this->coder(src);
    EXPECT_DOUBLE_EQ(hapiCoderObservationWindowAdvance(coder), 0.01);
    EXPECT_EQ(hapiCoderAccessWave(coder, 1, -1, nullptr), -1);  // nothing before preparation
    ASSERT_EQ(hapiCoderPrepare(coder), 0);
    EXPECT_EQ(hapiCoderAccessWave(coder, 1, -1, nullptr), static_cast<int>(raw.size()));
    // Frames 3 to 4 are samples 320 to 639.
    std::vector<short> two(hapiCoderAccessWave(coder, 3, 4, nullptr));
    ASSERT_EQ(two.size(), 320u);
    EXPECT_EQ(hapiCoderAccessWave(coder, 3, 4, two.data()), 320);
    EXPECT_TRUE(std::equal(two.begin(), two.end(), raw.begin() + 320));
    for (int first : {0, 5}) EXPECT_EQ(hapiCoderAccessWave(coder, first, 4, nullptr), -1) << first;
    EXPECT_EQ(hapiCoderAccessWave(coder, 100000, -1, nullptr), 0);
    // Saved and read back, the utterance is the same samples.
    TempDir dir;
    ASSERT_EQ(hapiCoderSaveSource(coder, dir.file("saved.wav").c_str()), 0);
    hapiCoderObject reader = this->coder(file_source(dir.file("saved.wav")));
    ASSERT_EQ(hapiCoderPrepare(reader), 0);
    std::vector<short> again(raw.size());
    ASSERT_EQ(hapiCoderAccessWave(reader, 1, -1, nullptr), static_cast<int>(raw.size()));
    hapiCoderAccessWave(reader, 1, -1, again.data());
    EXPECT_EQ(again, raw);
    EXPECT_EQ(hapiCoderComplete(coder), 0);
    EXPECT_EQ(hapiCoderAccessWave(coder, 1, -1, nullptr), -1);
    // A source in use pointed at a name it cannot read is unusable until it
    // is pointed at a readable file again.
    EXPECT_EQ(hapiSourceOverrideFilename(src, "missing.raw"), -1);
    EXPECT_EQ(hapiCoderPrepare(coder), -1);
    ASSERT_EQ(hapiSourceOverrideFilename(src, testdata("goforward.raw").c_str()), 0);
    EXPECT_EQ(hapiCoderPrepare(coder), 0);
}

TEST_F(SourceTest, CoderOfAnUnknownModelFails) {
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    hapiCoderObject coder = hapiCreateCoderObject(src);
    hapiOverrideConfStr("ChildMMF", "/nonexistent/mdef");
    EXPECT_EQ(hapiCoderInitialise(coder, "Child"), -1);
    EXPECT_EQ(hapiCoderPrepare(coder), -1);
    hapiDeleteCoderObject(coder);
}
