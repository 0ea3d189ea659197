// ostrilan-say: a caller's name said by espeak-ng, for the application. See kUsage.

#include "EspeakVoice.h"

#include "platform/devices/HelperProgram.h"
#include "platform/devices/WaveWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kUsage = R"(Usage: ostrilan-say VOICE [DATA_FOLDER]

Says the UTF-8 text on standard input (at most 256 bytes of it) in the espeak-ng voice VOICE
("en-us", "de" ...; English where the voice is missing) and writes the speech to standard output
as a WAVE file: mono, 16-bit, at the library's rate, at most 20 seconds. DATA_FOLDER holds
espeak-ng-data/ when it is not where the library looks by itself.

The application starts it for each ringing caller it says, so that the library's data is loaded
in a process that ends with the speech. Exit status 0 when the speech was written; otherwise 1,
with the reason on standard error (2 for a wrong command line).
)";

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += size_t(wrote);
    }
    return true;
}

}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2 || argc > 3 || argv[1][0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // The application never writes more than a pipe holds; the rest would not be said anyway.
    std::string text;
    char chunk[1024];
    for (ssize_t got; (got = ::read(STDIN_FILENO, chunk, sizeof chunk)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        if (text.size() < HelperProgram::kMaxInputBytes)
            text.append(chunk, size_t(got));
    }
    std::string error;
    std::optional<WaveData> wave = EspeakVoice::Say(text, argv[1], argc == 3 ? argv[2] : "", error);
    if (!wave) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!WriteAll(STDOUT_FILENO, WaveWriter::Bytes(wave->rate, wave->channels, wave->samples))) {
        std::fprintf(stderr, "ostrilan-say: cannot write the speech: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
