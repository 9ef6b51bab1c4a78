// Where the engine's notes go: standard error by default, the program's
// sink once one is set.
#include "hapi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void collect(const char *note, void *context) { static_cast<std::vector<std::string> *>(context)->push_back(note); }

// A failing call: a live source started before it was initialised.
void fail_once() {
    hapiSourceObject src = hapiCreateSourceObject(HAPI_LIVE_SOURCE);
    EXPECT_EQ(hapiSourceStart(src), -1);
    hapiDeleteSourceObject(src);
}

}  // namespace

TEST(NotesTest, GoToTheSinkWhenOneIsSetAndToStandardErrorOtherwise) {
    std::vector<std::string> notes;
    hapiSetMessageSink(collect, &notes);
    ::testing::internal::CaptureStderr();
    fail_once();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(notes, std::vector<std::string>{"hapiSourceStart: source not initialised"});
    hapiSetMessageSink(nullptr, nullptr);
    ::testing::internal::CaptureStderr();
    fail_once();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "hapi: hapiSourceStart: source not initialised\n");
    EXPECT_EQ(notes.size(), 1u);
}

TEST(NotesTest, ALongNoteIsCutNotOverrun) {
    std::vector<std::string> notes;
    hapiSetMessageSink(collect, &notes);
    std::string name(5000, 'x');
    hapiSourceObject src = hapiCreateSourceObject(HAPI_FILE_SOURCE);
    hapiSourceOverrideFilename(src, name.c_str());
    EXPECT_EQ(hapiSourceInitialise(src), -1);
    hapiDeleteSourceObject(src);
    hapiSetMessageSink(nullptr, nullptr);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].size(), 1023u);
    EXPECT_EQ(notes[0].rfind("hapiSourceInitialise: cannot read xxx", 0), 0u);
}
