#include "notes.h"

#include <fstream>

namespace standin {

bool Notes::load(const std::string& dir, std::string& error) {
    const std::string path = dir + "/notes.tsv";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    notes_.clear();
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (fields.size() != 4) {
            error = path + ":" + std::to_string(number) + ": expected 4 tab-separated fields";
            return false;
        }
        Note n{fields[0], fields[1], fields[2], fields[3]};
        if (!n.file.empty() && n.file.front() != '/') n.file = dir + "/" + n.file;
        notes_.push_back(std::move(n));
    }
    return true;
}

const Note* Notes::byKey(const std::string& key) const {
    for (const Note& n : notes_) {
        if (n.key == key) return &n;
    }
    return nullptr;
}

const Note* Notes::byFile(const std::string& fileId, const std::string& key) const {
    for (const Note& n : notes_) {
        if (n.fileId == fileId && n.key == key) return &n;
    }
    return nullptr;
}

}  // namespace standin
