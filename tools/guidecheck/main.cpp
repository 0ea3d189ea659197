// ostrilan-guidecheck: measures every screen and state the tour reaches, in each of the 18
// interface languages, against the guidance car makers follow for touch screens: touch target
// sizes and gaps, the distance between an action and its opposite, text heights, contrast, and
// texts that fit their places. It starts the simulator and the application once per language (the
// language is chosen at start), walks the screens, and reads each state through the automation's
// `windows` and `texts`. It prints a table and a summary line per check; exit 0 only when every
// row passes, or always with --report.
//
//   ostrilan-guidecheck [--report] [--shots] [--out DIR] [--app DIR] [--skin NAME] [--languages ger,eng,...]
//       [--mm-per-pixel X] [--target N] [--gap N] [--pair N] [--primary-text N] [--text N]
//       [--contrast X]
//
// The limits default to a 7-inch 800 x 480 panel's. The table goes to standard output and to
// guidecheck.txt in the output folder (default: guidecheck/ beside the application folder).

#include "GuideLimits.h"
#include "GuideMeasure.h"
#include "GuideReport.h"
#include "GuideWalk.h"
#include "Rig.h"
#include "platform/devices/Paths.h"
#include "ui/SkinChoice.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Language {
    const char* name;
    const char* id; // the identifier OSTRILAN_LANG takes
};
constexpr Language kLanguages[] = {
    { "cze", "0x0405" },
    { "dan", "0x0406" },
    { "ger", "0x0407" },
    { "gre", "0x0408" },
    { "eng", "0x0409" },
    { "spa", "0x040A" },
    { "fin", "0x040B" },
    { "fre", "0x040C" },
    { "hun", "0x040E" },
    { "ita", "0x0410" },
    { "dut", "0x0413" },
    { "pol", "0x0415" },
    { "rom", "0x0418" },
    { "rus", "0x0419" },
    { "slo", "0x041B" },
    { "swe", "0x041D" },
    { "euk", "0x0809" },
    { "por", "0x0816" },
};

const char* kUsage
    = "usage: ostrilan-guidecheck [--report] [--shots] [--out DIR] [--app DIR] [--skin NAME]\n"
      "    [--languages ger,eng,...]\n"
      "    [--mm-per-pixel X] [--target N] [--gap N] [--pair N] [--primary-text N] [--text N]\n"
      "    [--contrast X]\n";

int Usage(const std::string& why)
{
    std::fprintf(stderr, "ostrilan-guidecheck: %s\n%s", why.c_str(), kUsage);
    return 2;
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    GuideLimits limits;
    if (auto why = limits.Take(args))
        return Usage(*why);
    fs::path app = fs::read_symlink("/proc/self/exe").parent_path();
    fs::path out;
    std::string skinName;
    bool reportOnly = false;
    bool shots = false;
    std::vector<Language> languages(std::begin(kLanguages), std::end(kLanguages));
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--report") {
            reportOnly = true;
        } else if (a == "--shots") {
            shots = true;
        } else if ((a == "--out" || a == "--app") && i + 1 < args.size()) {
            (a == "--out" ? out : app) = args[++i];
        } else if (a == "--skin" && i + 1 < args.size()) {
            skinName = args[++i];
        } else if (a == "--languages" && i + 1 < args.size()) {
            const std::string wanted = "," + args[++i] + ",";
            std::erase_if(languages, [&](const Language& l) {
                return wanted.find("," + std::string(l.name) + ",") == std::string::npos;
            });
            if (languages.empty())
                return Usage("no known language in " + args[i]);
        } else {
            return Usage("unknown argument " + a);
        }
    }
    // The walk taps where the skin puts the controls: its places replace the device's here too.
    // The skin is chosen as the walked program chooses it, from the same application folder.
    if (!skinName.empty()) {
        OverrideModuleFolder(app);
        if (!skin::UseSkin(skinName))
            return Usage("skin " + skinName + " cannot be shown");
    }
    if (out.empty())
        out = app.parent_path() / "guidecheck";
    out = fs::absolute(out);
    std::error_code ignored;
    fs::remove_all(out, ignored);
    fs::create_directories(out, ignored);

    const GuideMeasure measure(limits);
    GuideReport report;
    for (const Language& language : languages) {
        RigOptions options;
        options.appDir = app;
        options.workDir = out / language.name;
        options.env["OSTRILAN_LANG"] = language.id;
        if (!skinName.empty())
            options.env["OSTRILAN_SKIN"] = skinName;
        // The simulator's own timers stay out of the way: the walk decides when calls are answered.
        options.simArgs = { "--answer-after", "-1", "--ring-timeout", "600000", "--alert-timeout", "600000",
            "--pair-timeout", "600000", "--contacts", (options.workDir / "device/data/contacts").string() };
        Rig rig(options);
        if (!rig.Start()) {
            report.Incomplete(language.name, "start-up: " + rig.Error());
            continue;
        }
        int taken = 0;
        GuideWalk walk(rig, [&](const std::string& state) {
            // What was measured stays beside the table, to look up a row's window.
            rig.Idle();
            const std::string windows = rig.App("windows"), texts = rig.App("texts");
            char name[16];
            std::snprintf(name, sizeof name, "%02d-", ++taken);
            std::string fileName = name + state + ".json";
            std::replace(fileName.begin(), fileName.end(), ' ', '-');
            // A picture of the state beside what was measured in it, to look at a failing row.
            if (shots)
                (void)rig.Screenshot(options.workDir / (fileName.substr(0, fileName.size() - 5) + ".png"));
            std::FILE* file = std::fopen((options.workDir / fileName).c_str(), "w");
            if (file) {
                std::fprintf(file, "%s\n%s\n", windows.c_str(), texts.c_str());
                std::fclose(file);
            }
            report.Add(language.name,
                measure.Screen(state, JsonValue::Parse(windows.substr(std::min<size_t>(3, windows.size()))),
                    JsonValue::Parse(texts.substr(std::min<size_t>(3, texts.size())))));
        });
        if (!walk.Run())
            report.Incomplete(language.name,
                "stopped after " + std::to_string(walk.Visited().size()) + " states: " + walk.Why());
        std::fprintf(stderr, "guidecheck: %s, %zu states\n", language.name, walk.Visited().size());
        rig.Stop();
    }

    report.Print(stdout, languages.size());
    if (std::FILE* file = std::fopen((out / "guidecheck.txt").c_str(), "w")) {
        report.Print(file, languages.size());
        std::fclose(file);
    }
    return reportOnly || report.AllPass() ? 0 : 1;
}
