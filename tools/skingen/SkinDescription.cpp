#include "SkinDescription.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

std::optional<std::string> Directive::Option(const std::string& key) const
{
    auto it = options.find(key);
    if (it == options.end())
        return std::nullopt;
    return it->second;
}

float Directive::Number(const std::string& key, float fallback) const
{
    auto value = Option(key);
    return value ? std::strtof(value->c_str(), nullptr) : fallback;
}

float Directive::Arg(size_t index) const
{
    return index < args.size() ? std::strtof(args[index].c_str(), nullptr) : 0.f;
}

namespace {

// Splits a line into words; quotes group, '#' + space (or end of line) ends the line.
bool Tokenize(const std::string& line, std::vector<std::string>& words, std::string& error)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i >= line.size())
            break;
        if (line[i] == '#' && (i + 1 == line.size() || std::isspace(static_cast<unsigned char>(line[i + 1]))))
            break;
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || !std::isspace(static_cast<unsigned char>(line[i])))) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                word += line[i];
            ++i;
        }
        if (quoted) {
            error = "unclosed quote";
            return false;
        }
        words.push_back(word);
    }
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height)
{
    size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    width = std::atoi(text.substr(0, x).c_str());
    height = std::atoi(text.substr(x + 1).c_str());
    return width > 0 && height > 0;
}

Directive MakeDirective(const std::vector<std::string>& words, const std::string& where)
{
    Directive d;
    d.where = where;
    d.name = words[0];
    if (size_t at = d.name.find('@'); at != std::string::npos) {
        d.frame = std::atoi(d.name.substr(at + 1).c_str());
        d.name.resize(at);
    }
    for (size_t k = 1; k < words.size(); ++k) {
        size_t eq = words[k].find('=');
        if (eq != std::string::npos && eq > 0)
            d.options[words[k].substr(0, eq)] = words[k].substr(eq + 1);
        else
            d.args.push_back(words[k]);
    }
    return d;
}

}

bool SkinDescription::Parse(const std::string& text, const std::string& fileName, std::string& error)
{
    std::istringstream in(text);
    std::string line;
    int number = 0;
    std::vector<Directive>* body = nullptr;
    while (std::getline(in, line)) {
        ++number;
        std::string where = fileName + ":" + std::to_string(number);
        std::vector<std::string> words;
        if (!Tokenize(line, words, error)) {
            error = where + ": " + error;
            return false;
        }
        if (words.empty())
            continue;
        bool indented = std::isspace(static_cast<unsigned char>(line[0]));
        if (indented) {
            if (!body) {
                error = where + ": indented line outside an entry";
                return false;
            }
            body->push_back(MakeDirective(words, where));
            continue;
        }
        Directive head = MakeDirective(words, where);
        body = nullptr;
        if (head.name == "colour" && head.args.size() == 2) {
            colours[head.args[0]] = head.args[1];
        } else if (head.name == "shared" && head.args.empty()) {
            body = &shared;
        } else if ((head.name == "style" || head.name == "group") && head.args.size() == 1) {
            body = &(head.name == "style" ? styles : groups)[head.args[0]];
        } else if ((head.name == "background" || head.name == "button" || head.name == "strip")
            && head.args.size() == 2) {
            ImageEntry image;
            image.kind = head.name == "background" ? ImageEntry::Kind::Background
                : head.name == "button"            ? ImageEntry::Kind::Button
                                                   : ImageEntry::Kind::Strip;
            image.path = head.args[0];
            image.where = where;
            if (!ParseSize(head.args[1], image.width, image.height)) {
                error = where + ": size must read WIDTHxHEIGHT";
                return false;
            }
            // A button strip holds at least the four frames normal, pressed, unused, disabled.
            image.frames = int(head.Number("frames", image.kind == ImageEntry::Kind::Button ? 4.f : 1.f));
            images.push_back(image);
            body = &images.back().body;
        } else {
            error = where + ": unknown entry '" + head.name + "'";
            return false;
        }
    }
    return true;
}

std::vector<const Directive*> LinesForFrame(const std::vector<Directive>& body, int frame)
{
    std::vector<const Directive*> out;
    for (const Directive& d : body) {
        if (d.frame == frame) {
            out.push_back(&d);
            continue;
        }
        if (d.frame != -1)
            continue;
        bool replaced = false;
        for (const Directive& other : body)
            replaced = replaced || (other.frame == frame && other.name == d.name);
        if (!replaced)
            out.push_back(&d);
    }
    return out;
}
