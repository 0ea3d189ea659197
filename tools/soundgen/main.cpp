// ostrilan-soundgen <description> <output.wav>: synthesises one sound of the application folder
// from its text description, at build time.

#include "SoundScript.h"
#include "Synthesizer.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <description> <output.wav>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    SoundScript script;
    std::string error;
    if (!ParseSoundScript(text.str(), script, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (!Synthesizer::WriteWave(script, Synthesizer::Render(script), argv[2])) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
