// Thousands of calls in a seeded random order, each answer checked against
// a small model of the syntax registry (names, emptiness, inclusions) and
// of the recogniser status machine.  Handles already deleted, or of an
// exercise that is over, are thrown in along the way and must be refused.
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "recognition.h"

using namespace khtest;

namespace {

struct SyntaxModel {
    KhSyntax handle = nullptr;
    bool empty = true;
    std::map<std::string, int> includes;  // name -> times included
    std::set<std::string> included_by;
};

enum Status { IDLE, PREPARED, PROCESSING, COMPLETE };

class RandomSequence : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\n")), 1);
        // The first second of the packaged recording keeps each recognition short.
        std::ifstream in(GoForward(), std::ios::binary);
        std::string samples(32000, '\0');
        in.read(&samples[0], static_cast<std::streamsize>(samples.size()));
        WriteFile("short.raw", samples);
    }

    template <typename T>
    T Pick(const std::vector<T> &from) {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random_)];
    }
    int Roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // True when from includes target at any depth.
    bool Reaches(const std::string &from, const std::string &target) {
        if (from == target) return true;
        for (const auto &[child, count] : syntaxes_[from].includes)
            if (Reaches(child, target)) return true;
        return false;
    }

    // The calls made so far, the latest last, for the failure message.
    void Note(const std::string &call) {
        steps_.push_back(call);
        if (steps_.size() > 20) steps_.erase(steps_.begin());
    }

    void Forget(const std::string &name) {
        SyntaxModel &s = syntaxes_[name];
        for (const auto &[child, count] : s.includes)
            if (syntaxes_.count(child)) syntaxes_[child].included_by.erase(name);
        stale_syntaxes_.push_back(s.handle);
        syntaxes_.erase(name);
    }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto &[name, s] : syntaxes_) names.push_back(name);
        return names;
    }

    void CreateSyntax() {
        std::string name = Pick<std::string>({"A", "B", "C", "D", "E"});
        KhSyntax s = khSyntaxCreate(name.c_str(), nullptr);
        Note("create " + name);
        if (syntaxes_.count(name)) {
            EXPECT_EQ(s, nullptr) << name;
        } else {
            ASSERT_NE(s, nullptr) << name;
            syntaxes_[name].handle = s;
        }
        if (!syntaxes_.empty()) {
            std::string any = Pick(Names());
            EXPECT_EQ(khSyntaxReturn(any.c_str()), syntaxes_[any].handle);
        }
    }

    void AddOption() {
        if (syntaxes_.empty()) return;
        std::string name = Pick(Names());
        SyntaxModel &s = syntaxes_[name];
        if (Roll(3) > 0) {
            std::string option = Pick<std::string>({"YES", "NO | GO", "[STOP] FORWARD", "<GO> BACK"});
            Note("add " + name + ": " + option);
            EXPECT_EQ(khSyntaxAddOption(s.handle, option.c_str()), 1) << name << ": " << option;
            s.empty = false;
            return;
        }
        std::string other = Pick(Names());
        bool allowed = !syntaxes_[other].empty && !Reaches(other, name);
        Note("add " + name + ": GO $" + other);
        EXPECT_EQ(khSyntaxAddOption(s.handle, ("GO $" + other).c_str()), allowed ? 1 : -1) << name << " $" << other;
        if (!allowed) return;
        s.empty = false;
        s.includes[other]++;
        syntaxes_[other].included_by.insert(name);
    }

    void DeleteSyntax() {
        if (syntaxes_.empty()) return;
        std::string name = Pick(Names());
        bool free = syntaxes_[name].included_by.empty();
        bool shallow = Roll(2);
        Note((shallow ? "delete shallow " : "delete deep ") + name);
        if (shallow) {
            EXPECT_EQ(khSyntaxDeleteShallow(syntaxes_[name].handle), free ? 1 : -1) << name;
            if (free) Forget(name);
            return;
        }
        EXPECT_EQ(khSyntaxDeleteDeep(syntaxes_[name].handle), free ? 1 : -1) << name;
        if (!free) return;
        // The syntax goes, and each syntax it included that only deleted
        // syntaxes still include goes after it.
        std::vector<std::string> gone{name};
        for (size_t k = 0; k < gone.size(); k++) {
            std::vector<std::string> children;
            for (const auto &[child, count] : syntaxes_[gone[k]].includes) children.push_back(child);
            Forget(gone[k]);
            for (const std::string &child : children)
                if (syntaxes_.count(child) && syntaxes_[child].included_by.empty()) gone.push_back(child);
        }
    }

    void Recognise() {
        if (recognisers_.empty() || Roll(8) == 0) {
            KhRecogniser r = khRecCreate();
            ASSERT_NE(r, nullptr);
            recognisers_[r] = IDLE;
            return;
        }
        std::vector<KhRecogniser> live;
        for (const auto &[r, status] : recognisers_) live.push_back(r);
        KhRecogniser r = Pick(live);
        Status &status = recognisers_[r];
        char words[KH_MAX_TEXT];
        switch (Roll(6)) {
            case 0: {
                if (syntaxes_.empty()) return;
                std::string name = Pick(Names());
                bool ok = status == IDLE && !syntaxes_[name].empty;
                EXPECT_EQ(khRecPrepare(r, syntaxes_[name].handle, "short.raw", nullptr), ok ? 1 : -1) << name;
                if (ok) status = PREPARED;
                break;
            }
            case 1: {
                bool ok = status == PREPARED;
                EXPECT_EQ(khRecDoWholeSent(r), ok ? 1 : -1);
                if (ok) status = COMPLETE;
                break;
            }
            case 2: {
                int answer = khRecDoPartSent(r, 30);
                if (status == PREPARED || status == PROCESSING) {
                    EXPECT_GE(answer, 0);
                    status = answer == 1 ? PROCESSING : COMPLETE;
                } else {
                    EXPECT_EQ(answer, -1);
                }
                break;
            }
            case 3:
                EXPECT_EQ(khRecFinalise(r), status == COMPLETE ? 1 : -1);
                if (status == COMPLETE) status = IDLE;
                break;
            case 4:
                EXPECT_EQ(khRecGetWords(r, words) >= 0, status == PROCESSING || status == COMPLETE);
                break;
            case 5:
                EXPECT_EQ(khRecDelete(r), 1);
                stale_recognisers_.push_back(r);
                recognisers_.erase(r);
                break;
        }
    }

    void UseStaleHandle() {
        if (!stale_syntaxes_.empty()) {
            EXPECT_EQ(khSyntaxAddOption(Pick(stale_syntaxes_), "YES"), -1);
        }
        if (!stale_recognisers_.empty()) {
            EXPECT_EQ(khRecFinalise(Pick(stale_recognisers_)), -1);
        }
    }

    void NewExercise() {
        Note("new exercise");
        EXPECT_EQ(khSysNewExercise("ENGLISH"), 1);
        for (const std::string &name : Names()) Forget(name);
        for (const auto &[r, status] : recognisers_) stale_recognisers_.push_back(r);
        recognisers_.clear();
    }

    Workspace ws_;
    std::mt19937 random_{20261206};
    std::map<std::string, SyntaxModel> syntaxes_;
    std::map<KhRecogniser, Status> recognisers_;
    std::vector<KhSyntax> stale_syntaxes_;
    std::vector<KhRecogniser> stale_recognisers_;
    std::vector<std::string> steps_;
};

}  // namespace

TEST_F(RandomSequence, EveryAnswerMatchesTheModel) {
    for (int step = 0; step < 3000 && !HasFatalFailure() && !HasFailure(); step++) {
        int what = Roll(100);
        if (what < 15) CreateSyntax();
        else if (what < 35) AddOption();
        else if (what < 45) DeleteSyntax();
        else if (what < 90) Recognise();
        else if (what < 99) UseStaleHandle();
        else NewExercise();
        if (HasFailure()) {
            std::string log = Log();
            std::string steps;
            for (const std::string &call : steps_) steps += call + "\n";
            ADD_FAILURE() << "at step " << step << " after\n" << steps << "the log ending\n"
                          << log.substr(log.size() > 400 ? log.size() - 400 : 0);
        }
    }
}
