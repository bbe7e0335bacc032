// x_virtuale.cpp: linked into the test programs that open a window. With no
// DISPLAY given, the program starts an Xvfb of its own before the first test
// which stops when the program ends, so one label can run from a plain terminal;
// with DISPLAY set it uses that server.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class XVirtuale : public ::testing::Environment {
public:
    // No TearDown: the window's X connection outlives the tests, and the
    // toolkit exits with an error if its server goes first.
    void SetUp() override
    {
        const char *d = std::getenv("DISPLAY");
        if (d && *d) return;
        // The server dies with the test, even one that aborts; holds none of
        // its output streams, which CTest waits on; and is quiet (Xvfb warns
        // about fonts and keymaps on every start). It writes the display
        // number on the pipe once it accepts clients; EOF means it died.
        static FILE *xvfb = popen("exec setpriv --pdeathsig TERM Xvfb -displayfd 1 -screen 0 1280x1024x24 "
                                  "+extension GLX -nolisten tcp 2>/dev/null", "r");
        char numero[16] = "";
        ASSERT_TRUE(xvfb && std::fgets(numero, sizeof numero, xvfb)) << "Xvfb did not start (is it installed?)";
        numero[std::strcspn(numero, "\n")] = '\0';
        setenv("DISPLAY", (std::string(":") + numero).c_str(), 1);
    }
};

[[maybe_unused]] ::testing::Environment *const x_virtuale =
    ::testing::AddGlobalTestEnvironment(new XVirtuale);

}  // namespace
