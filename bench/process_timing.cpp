#include "process_timing.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double timeProcess(const std::vector<std::string>& arguments, std::optional<int> expectedStatus) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned == 0 && waitpid(child, &status, 0) != child)
        status = -1;
    const auto end = std::chrono::steady_clock::now();
    if (spawned != 0 || !WIFEXITED(status) ||
        (expectedStatus && WEXITSTATUS(status) != *expectedStatus)) {
        std::fprintf(stderr, "cannot time %s: %s\n", argv[0],
                     spawned != 0 ? std::strerror(spawned) : "unexpected exit status");
        std::exit(EXIT_FAILURE);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

long peakMemoryKiB(const std::vector<std::string>& arguments) {
    char report[] = "/tmp/quelmar-peak-XXXXXX";
    const int descriptor = mkstemp(report);
    if (descriptor < 0) {
        std::perror("mkstemp");
        std::exit(EXIT_FAILURE);
    }
    close(descriptor);
    std::vector<std::string> timed{"/usr/bin/time", "-f", "%M", "-o", report};
    timed.insert(timed.end(), arguments.begin(), arguments.end());
    timeProcess(timed, std::nullopt);
    long kib = 0;
    if (std::FILE* file = std::fopen(report, "r")) {
        // GNU time writes "Command exited with non-zero status N" first when it did.
        char line[256];
        while (std::fgets(line, sizeof line, file))
            kib = std::strtol(line, nullptr, 10);
        std::fclose(file);
    }
    std::remove(report);
    if (kib <= 0) {
        std::fprintf(stderr, "no peak memory for %s: install time (GNU time)\n",
                     arguments.front().c_str());
        std::exit(EXIT_FAILURE);
    }
    return kib;
}

} // namespace bench
