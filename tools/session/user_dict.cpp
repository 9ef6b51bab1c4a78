// user_dict.cpp - reading pronouncing dictionaries line by line.
#include "session/user_dict.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

#include "platform/private_files.h"
#include "session/string_helpers.h"

namespace tool {

namespace {

// One pronunciation: the word, its output symbol ("[...]", kept as it is)
// and its phones.
struct Entry {
    std::string word, outsym;
    std::vector<std::string> phones;
};

bool IsComment(const std::string &line) { return line.empty() || line[0] == '#' || line.rfind(";;;", 0) == 0; }

bool IsPhoneSetLine(const std::string &line) {
    return line.rfind("!!PHONESET", 0) == 0 || line.rfind("!!PHONES", 0) == 0;
}

// Splits a line; false when it has no phones.
bool ReadEntry(const std::string &line, Entry *e) {
    std::istringstream in(line);
    if (!(in >> e->word)) return false;
    std::string rest, field;
    std::getline(in, rest);
    rest = Trim(rest);
    if (!rest.empty() && rest[0] == '[') {
        size_t close = rest.find(']');
        if (close == std::string::npos) return false;
        e->outsym = rest.substr(0, close + 1);
        rest = rest.substr(close + 1);
    }
    std::istringstream phones(rest);
    while (phones >> field) e->phones.push_back(field);
    return !e->phones.empty();
}

// "AH0" -> "AH": CMUdict marks the stress of a vowel with a digit.
std::string PlainPhone(std::string phone) {
    while (phone.size() > 1 && isdigit(static_cast<unsigned char>(phone.back()))) phone.pop_back();
    return Upper(phone);
}

}  // namespace

bool PhoneSet(const std::string &dict, std::vector<std::string> *phones, std::string *why) {
    std::ifstream in(dict, std::ios::binary);
    if (!in) return *why = "cannot read the dictionary " + dict, false;
    std::set<std::string> seen;
    std::string line;
    bool declared = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty()) continue;
        bool set_line = IsPhoneSetLine(line);
        if (declared && !set_line) break;  // the declared set comes before the first word
        Entry e;
        if (set_line) {
            declared = true;
            std::istringstream names(line);
            std::string name;
            names >> name;
            while (names >> name) e.phones.push_back(name);
        } else if (!ReadEntry(line, &e)) {
            continue;
        }
        for (const std::string &p : e.phones)
            if (seen.insert(p).second) phones->push_back(p);
    }
    return true;
}

std::string GarbageEntries(const std::vector<std::string> &phones) {
    std::string text;
    int n = 0;
    for (const std::string &p : phones)
        if (p != "SIL") text += kGarbageWord + (n++ ? "(" + std::to_string(n) + ")" : "") + " " + p + "\n";
    return text;
}

bool WriteUserDict(const std::vector<std::string> &files, const std::vector<std::string> &phones,
                   const std::string &extra, int out, std::string *why) {
    std::set<std::string> known(phones.begin(), phones.end());
    std::string text = "!!PHONESET";
    for (const std::string &p : phones) text += " " + p;
    text += "\n";
    for (const std::string &file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) return *why = "cannot read the dictionary " + file, false;
        std::string line;
        for (int number = 1; std::getline(in, line); number++) {
            line = Trim(line);
            if (IsComment(line) || IsPhoneSetLine(line)) continue;
            std::string where = file + ":" + std::to_string(number) + ": ";
            Entry e;
            if (!ReadEntry(line, &e)) return *why = where + "expected WORD and its phones", false;
            text += Upper(e.word) + (e.outsym.empty() ? "" : " " + e.outsym);
            for (const std::string &raw : e.phones) {
                std::string phone = PlainPhone(raw);
                if (!known.count(phone)) return *why = where + raw + " is not one of the model's phones", false;
                text += " " + phone;
            }
            text += "\n";
        }
    }
    if (!WriteAll(out, text + extra)) return *why = "cannot write the user dictionary", false;
    return true;
}

}  // namespace tool
