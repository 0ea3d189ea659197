#include "PtyLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

void MakeRaw(int fd)
{
    termios t {};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    cfsetispeed(&t, B115200);
    cfsetospeed(&t, B115200);
    tcsetattr(fd, TCSANOW, &t);
}

}

namespace ptyline {

std::string OpenPseudoTerminal(SimLine& line, std::string& error)
{
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = std::string("no pseudo-terminal: ") + strerror(errno);
        return {};
    }
    MakeRaw(slave);
    MakeRaw(master);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    // Holding the slave open keeps the terminal and its settings alive while the system reopens it.
    line.Attach(master, slave);
    return name;
}

bool OpenDevice(SimLine& line, const std::string& path, std::string& error)
{
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + strerror(errno);
        return false;
    }
    MakeRaw(fd);
    line.Attach(fd);
    return true;
}

bool MakeLink(const std::string& target, const std::string& link, std::string& error)
{
    std::string temporary = link + ".new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), link.c_str()) != 0) {
        error = "cannot link " + link + ": " + strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}
