// Holds the annotation program's single-instance name like a running DrawletApp, or hands over like a
// second start: prints "first" once it is the running instance and then waits; messages go to the
// standard error output.
#include "singleapplication.h"

#include <cstdio>

int main(int argc, char **argv)
{
    drawlet::application::SingleApplication application(argc, argv);
    if (application.isRunning())
        return 0;
    std::printf("%s\n", application.isGuarding() ? "first" : "unguarded");
    std::fflush(stdout);
    return application.exec();
}
