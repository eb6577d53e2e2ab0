#include "app/command_line.h"
#include "app/entry.h"

int main(int argc, char** argv) {
    if (const int status = app::answerCommandLine(argc, argv); status >= 0)
        return status;
    return app::run(argc, argv);
}
