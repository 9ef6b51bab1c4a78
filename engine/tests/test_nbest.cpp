// test_nbest.cpp - alternatives over stretches of a recognised utterance,
// from a grammar that offers several words at each place.
#include "rec_fixture.h"

#include <set>

namespace {

class NBestTest : public RecognitionTest {
protected:
    void SetUp() override {
        RecognitionTest::SetUp();
        hapiOverrideConfInt("NBEST", &nbest_);
    }
    void TearDown() override {
        if (lat_) hapiDeleteLatObject(lat_);
        hapiDeleteResObject(res_);
        int one = 1;
        hapiOverrideConfInt("NBEST", &one);
        RecognitionTest::TearDown();
    }

    void recognise_go_forward(const std::vector<std::string> &between = {}) {
        std::vector<std::vector<std::string>> groups = {{"go"}, {"forward", "backward", "toward"}};
        if (!between.empty()) groups.push_back(between);
        groups.push_back({"ten", "two", "one", "then"});
        groups.push_back({"meters", "miles", "meter"});
        net_ = network(choices(groups));
        src_ = file_source(testdata("goforward.raw"));
        res_ = final_result(src_, net_);
        ASSERT_NE(res_, nullptr);
        lat_ = hapiResLatGenerate(res_, 0);
        ASSERT_NE(lat_, nullptr);
    }

    std::string route_text(int route) {
        int n = hapiLatRouteWordNames(lat_, nullptr, route);
        EXPECT_GT(n, 0);
        std::vector<const char *> names(n > 0 ? n : 0);
        EXPECT_EQ(hapiLatRouteWordNames(lat_, names.data(), route), n);
        std::string s;
        for (const char *w : names) s += (s.empty() ? "" : " ") + std::string(w);
        return s;
    }

    std::vector<std::string> alternatives(int start, int end, int nbest = 3) {
        int routes[5] = {0};
        int m = hapiLatWordAlternatives(lat_, start, end, 0, nbest, routes);
        EXPECT_GE(m, 1);
        std::vector<std::string> out;
        for (int i = 0; i < m; i++) out.push_back(route_text(routes[i]));
        return out;
    }

    int nbest_ = 3;
    hapiNetObject net_ = nullptr;
    hapiSourceObject src_ = nullptr;
    hapiResObject res_ = nullptr;
    hapiLatObject lat_ = nullptr;
};

}  // namespace

TEST_F(NBestTest, WholeUtteranceGivesTheRecognisedWordsFirstThenDistinctAlternatives) {
    recognise_go_forward();
    ASSERT_EQ(hapiResAllWordNames(res_, nullptr), 6);
    auto all = alternatives(1, 5);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], "GO_T FORWARD_T TEN_T METERS_T <s>");
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
    for (const auto &r : all) {
        EXPECT_EQ(r.rfind("GO_T ", 0), 0u) << r;
        EXPECT_EQ(r.substr(r.size() - 4), " <s>") << r;
    }
    // Asking again answers the same routes.
    EXPECT_EQ(alternatives(1, 5), all);
}

TEST_F(NBestTest, OneWordStretchOffersTheOtherWordsOfItsPlace) {
    recognise_go_forward();
    auto ten = alternatives(3, 3);
    ASSERT_GE(ten.size(), 2u);
    EXPECT_EQ(ten[0], "TEN_T");
    std::set<std::string> place = {"TWO_T", "ONE_T", "THEN_T"};
    for (size_t i = 1; i < ten.size(); i++) EXPECT_TRUE(place.count(ten[i])) << ten[i];
    // The word before a fixed place has no alternative.
    auto go = alternatives(1, 1);
    EXPECT_EQ(go, std::vector<std::string>{"GO_T"});
    // Fewer asked for, fewer given.
    EXPECT_EQ(alternatives(3, 3, 1), std::vector<std::string>{"TEN_T"});
}

TEST_F(NBestTest, BadStretchesAndRoutesFailCleanly) {
    recognise_go_forward();
    int routes[5];
    std::vector<int> refused = {hapiLatWordAlternatives(lat_, 0, 2, 0, 3, routes),
                                hapiLatWordAlternatives(lat_, 3, 2, 0, 3, routes),
                                hapiLatWordAlternatives(lat_, 1, 6, 0, 3, routes),
                                hapiLatWordAlternatives(lat_, 1, 2, 0, 0, routes),
                                hapiLatWordAlternatives(nullptr, 1, 2, 0, 3, routes),
                                hapiLatRouteWordNames(lat_, nullptr, 0),
                                hapiLatRouteWordNames(lat_, nullptr, 99)};
    EXPECT_EQ(refused, std::vector<int>(refused.size(), -1));
    EXPECT_EQ(hapiResLatGenerate(nullptr, 0), nullptr);
    EXPECT_EQ(hapiResLatGenerate(res_, 1), nullptr);
    // A lattice not made from a result has no routes.
    hapiLatObject plain = lattice("plain");
    EXPECT_EQ(hapiLatWordAlternatives(plain, 1, 1, 0, 3, routes), -1);
    EXPECT_EQ(hapiLatRouteWordNames(plain, nullptr, 1), -1);
}

TEST_F(NBestTest, WithoutNBestOnlyTheRecognisedRouteIsKept) {
    nbest_ = 1;
    hapiOverrideConfInt("NBEST", &nbest_);
    recognise_go_forward();
    auto all = alternatives(1, 5);
    EXPECT_EQ(all, std::vector<std::string>{"GO_T FORWARD_T TEN_T METERS_T <s>"});
}

// A silence word the grammar puts between words says nothing: routes that
// differ only in it are one alternative.
TEST_F(NBestTest, ASilenceBetweenWordsMakesNoOtherAlternative) {
    recognise_go_forward({"<s>"});
    auto all = alternatives(1, hapiResAllWordNames(res_, nullptr) - 1, 5);
    std::set<std::string> said;
    for (std::string r : all) {
        for (size_t at; (at = r.find(" <s>")) != std::string::npos;) r.erase(at, 4);
        said.insert(r);
    }
    EXPECT_EQ(said.size(), all.size());
    EXPECT_GE(all.size(), 3u);
}
