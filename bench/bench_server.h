#pragma once
// Our Subsonic test server (tests/server/subsonic_server.py) as a child process for the
// benchmarks: started on a free port with extra arguments, stopped by the destructor.
//   BenchServer server(home, { "--albums", "995" });
//   if (server.port.empty()) ...                       // it did not start within 60 s

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

class BenchServer {
public:
    BenchServer(const std::string& home, const std::vector<std::string>& extra)
    {
        const std::string portFile = home + "/port";
        std::filesystem::remove(portFile); // a kept home still has the last run's
        std::vector<std::string> args { "python3", std::string(SONARIA_SOURCE_DIR) + "/tests/server/subsonic_server.py",
                                        "--port", "0", "--port-file", portFile };
        args.insert(args.end(), extra.begin(), extra.end());
        m_pid = fork();
        if (m_pid == 0) {
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            if (!freopen("/dev/null", "w", stdout))
                _exit(126);
            execvp("python3", argv.data());
            _exit(127);
        }
        for (int i = 0; i < 600 && port.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::ifstream in(portFile);
            std::getline(in, port);
        }
    }
    ~BenchServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + port; }

    std::string port;

private:
    pid_t m_pid = -1;
};
