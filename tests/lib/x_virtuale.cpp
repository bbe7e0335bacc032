// x_virtuale.cpp: linked into the test programs that open a window. With no
// DISPLAY given, the program starts an Xvfb of its own before the first test
// which stops when the program ends, so one label can run from a plain terminal;
// with DISPLAY set it uses that server.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

class XVirtuale : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char *d = std::getenv("DISPLAY");
        if (d && *d) return;
        int tubo[2];
        ASSERT_EQ(pipe(tubo), 0);
        const pid_t test = getpid(), server = fork();
        ASSERT_GE(server, 0);
        if (server == 0) {
            close(tubo[0]);
            const std::string fd = std::to_string(tubo[1]);
            // Dies with the test, even one that aborts; and holds none of
            // its output pipes, which CTest waits on. Quiet, too: Xvfb warns
            // about fonts and keymaps on every start.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != test) _exit(0);
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "+extension", "GLX", "-nolisten", "tcp", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(tubo[1]);
        // Xvfb writes the display number once it accepts clients; EOF means it died.
        std::string numero;
        for (char c; read(tubo[0], &c, 1) == 1 && c != '\n';) numero += c;
        close(tubo[0]);
        ASSERT_FALSE(numero.empty()) << "Xvfb did not start (is it installed?)";
        setenv("DISPLAY", (":" + numero).c_str(), 1);
    }

    // No TearDown: the window's X connection outlives the tests, and the
    // toolkit exits with an error if its server goes first. The server
    // stops when this process does.
};

[[maybe_unused]] ::testing::Environment *const x_virtuale =
    ::testing::AddGlobalTestEnvironment(new XVirtuale);

}  // namespace
