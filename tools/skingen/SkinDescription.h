#pragma once

// The skin description: a small line-based text format. A line at the left margin opens an
// entry (a colour, a style, a group of drawing lines, or an image with its path and size); the
// indented lines below it form the entry's body. Each line is a word, positional arguments
// ("quoted" when they hold spaces) and key=value options; a word ending in @N applies to frame N
// only and replaces the lines of the same word for that frame. '#' followed by a space starts
// a comment.

#include <map>
#include <optional>
#include <string>
#include <vector>

struct Directive {
    std::string name;
    int frame = -1;
    std::vector<std::string> args;
    std::map<std::string, std::string> options;
    std::string where;

    std::optional<std::string> Option(const std::string& key) const;
    float Number(const std::string& key, float fallback) const;
    float Arg(size_t index) const;
};

struct ImageEntry {
    enum class Kind { Background, Button, Strip };
    Kind kind = Kind::Button;
    std::string path;
    int width = 0;
    int height = 0;
    int frames = 1;
    std::vector<Directive> body;
    std::string where;
};

class SkinDescription {
public:
    // Adds the entries of one file; false with a message naming file and line on a syntax error.
    bool Parse(const std::string& text, const std::string& fileName, std::string& error);

    std::map<std::string, std::string> colours;
    std::map<std::string, std::vector<Directive>> styles;
    std::map<std::string, std::vector<Directive>> groups;
    std::vector<ImageEntry> images;
    // What every screen shares and no image shows: the panel and its holes, the status and hint
    // lines, and the fonts and colours of texts drawn by more than one screen.
    std::vector<Directive> shared;
};

// The lines of a body that apply to frame f: frame-specific lines win over general lines of the
// same word; order is kept.
std::vector<const Directive*> LinesForFrame(const std::vector<Directive>& body, int frame);
