// The sample notes the stand-in serves: notes.tsv in the notes folder, one
// note a line: key<TAB>fileId<TAB>title (UTF-8)<TAB>file path relative to the folder.
// Empty lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <vector>

namespace standin {

struct Note {
    std::string key;
    std::string fileId;
    std::string title;  // UTF-8, served verbatim
    std::string file;   // absolute or folder-relative path of the shared file
};

class Notes {
public:
    // Reads DIR/notes.tsv; false with a message in `error` when it cannot.
    bool load(const std::string& dir, std::string& error);

    const Note* byKey(const std::string& key) const;
    const Note* byFile(const std::string& fileId, const std::string& key) const;

private:
    std::vector<Note> notes_;
};

}  // namespace standin
