#include "SimulatorStart.h"

#include "TestEnv.h"

#include <cstdlib>

namespace testenv {

::testing::AssertionResult StartSimulator(ChildProgram& sim, LineSocket& control,
    const std::filesystem::path& dir, std::vector<std::string> args, std::chrono::milliseconds wait)
{
    const std::string socket = (dir / "ctl").string();
    args.insert(args.begin(), { "--no-console", "--control", socket });
    if (!sim.Start(AppDir() / "ostrilan-modsim", args))
        return ::testing::AssertionFailure() << "ostrilan-modsim did not start";
    const std::optional<std::string> first = sim.ReadLine(wait);
    if (!first || first->rfind("pty /dev/", 0) != 0)
        return ::testing::AssertionFailure() << "no terminal: " << (first ? *first : "no output");
    std::filesystem::create_symlink(first->substr(4), dir / "com2");
    setenv("OSTRILAN_COM2", (dir / "com2").c_str(), 1);
    if (!control.Connect(socket, wait))
        return ::testing::AssertionFailure() << "no control socket at " << socket;
    return ::testing::AssertionSuccess();
}

}
