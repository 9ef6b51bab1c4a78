// weak_forms.cpp - the weak forms of English function words.
#include "session/weak_forms.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "session/string_helpers.h"

namespace tool {

namespace {

// Each word's weak forms beside the strong ones the dictionary gives.  A
// word loses its vowel's quality or an edge consonant, never all but one
// phone of a longer word: AND keeps AH N rather than N alone, which would
// fit almost any speech.
const std::map<std::string, std::vector<const char *>> kWeakForms = {
    {"A", {"AH"}},
    {"AN", {"AH N"}},
    {"AND", {"AH N", "AE N"}},
    {"AM", {"AH M"}},
    {"ARE", {"ER"}},
    {"AS", {"AH Z"}},
    {"AT", {"AH T"}},
    {"BUT", {"B AH T"}},
    {"CAN", {"K AH N"}},
    {"DO", {"D AH"}},
    {"DOES", {"D AH Z"}},
    {"FOR", {"F ER"}},
    {"FROM", {"F R AH M"}},
    {"HAD", {"AH D", "HH AH D"}},
    {"HAS", {"AH Z", "HH AH Z"}},
    {"HAVE", {"AH V", "HH AH V"}},
    {"HE", {"IY"}},
    {"HER", {"ER", "HH ER"}},
    {"HIM", {"IH M"}},
    {"HIS", {"IH Z"}},
    {"OF", {"AH V"}},
    {"SHOULD", {"SH AH D"}},
    {"SOME", {"S AH M"}},
    {"THAN", {"DH AH N"}},
    {"THAT", {"DH AH T"}},
    {"THE", {"DH AH"}},
    {"THEM", {"AH M", "DH AH M"}},
    {"THERE", {"DH ER"}},
    {"TO", {"T AH"}},
    {"US", {"AH S"}},
    {"WAS", {"W AH Z"}},
    {"WERE", {"W ER"}},
    {"WOULD", {"W AH D"}},
    {"YOU", {"Y AH"}},
    {"YOUR", {"Y ER"}},
};

// A dictionary's head word without its "(2)" and in capitals.
std::string HeadWord(const std::string &line) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    size_t paren = word.find('(');
    return Upper(word.substr(0, paren));
}

bool AllIn(const std::string &phones, const std::set<std::string> &set) {
    std::istringstream in(phones);
    std::string p;
    while (in >> p)
        if (!set.count(p)) return false;
    return true;
}

}  // namespace

std::string WeakFormEntries(const std::string &sysdict, const std::vector<std::string> &phones) {
    std::set<std::string> have, set(phones.begin(), phones.end());
    std::ifstream in(sysdict, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::string word = HeadWord(line);
        if (kWeakForms.count(word)) have.insert(word);
    }
    std::string text;
    for (const std::string &word : have) {
        // Numbered past any the user is likely to give the word.
        int n = 11;
        for (const char *form : kWeakForms.at(word))
            if (AllIn(form, set)) text += word + "(" + std::to_string(n++) + ") " + form + "\n";
    }
    return text;
}

bool IsWeakWord(const std::string &word) { return kWeakForms.count(Upper(word)) > 0; }

}  // namespace tool
