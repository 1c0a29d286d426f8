// vexilo-sim: simulated converters on pseudo-terminals for the panel, scripts and benchmarks.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "sim/sim_pty_server.h"

namespace {

vexilo::CSimPtyServer* g_server = nullptr;

extern "C" void OnStopSignal(int) {
    if (g_server != nullptr) {
        g_server->Stop();
    }
}

extern "C" void OnToggleSignal(int) {
    if (g_server != nullptr) {
        g_server->RequestToggle();
    }
}

extern "C" void OnInputSignal(int) {
    if (g_server != nullptr) {
        g_server->RequestInputToggle();
    }
}

bool WritePortsFile(const std::string& file, const std::string& line, std::string* error) {
    const std::string tmp = file + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << line << '\n';
        if (!out.flush()) {
            *error = "cannot write " + tmp;
            return false;
        }
    }
    if (std::rename(tmp.c_str(), file.c_str()) != 0) {
        *error = "cannot rename " + tmp + " to " + file + ": " + std::strerror(errno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

bool MakeLink(const std::string& target, const std::string& link, std::string* error) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = link + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        *error = "cannot create " + link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vexilo;
    std::vector<std::string> args(argv + 1, argv + argc);
    SimServerOptions options;
    std::string error;
    if (!ParseSimServerArgs(args, &options, &error)) {
        std::cerr << "vexilo-sim: " << error << "\nTry 'vexilo-sim --help'.\n";
        return 2;
    }
    if (options.help) {
        std::cout << SimServerUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "vexilo-sim " << VEXILO_VERSION_TEXT << '\n';
        return 0;
    }

    std::ofstream log;
    if (!options.logFile.empty()) {
        log.open(options.logFile, std::ios::app);
        if (!log) {
            std::cerr << "vexilo-sim: cannot write " << options.logFile << '\n';
            return 1;
        }
    }

    CSimPtyServer server;
    if (!server.Ok()) {
        std::cerr << "vexilo-sim: " << server.Error() << '\n';
        return 1;
    }
    const auto models = MakeSimConverters(options);
    std::vector<std::string> paths;
    for (const auto& model : models) {
        const std::string path = server.AddConverter(model);
        if (path.empty()) {
            std::cerr << "vexilo-sim: cannot open a pseudo-terminal: " << server.Error() << '\n';
            return 1;
        }
        paths.push_back(path);
    }

    std::vector<std::string> links;
    int rc = 0;
    if (!options.linkDir.empty()) {
        if (::mkdir(options.linkDir.c_str(), 0755) != 0 && errno != EEXIST) {
            std::cerr << "vexilo-sim: cannot create " << options.linkDir << ": "
                      << std::strerror(errno) << '\n';
            return 1;
        }
        const auto names = SimLinkNames(options.kinds);
        for (size_t i = 0; i < names.size() && rc == 0; ++i) {
            const std::string link = options.linkDir + "/" + names[i];
            if (MakeLink(paths[i], link, &error)) {
                links.push_back(link);
            } else {
                std::cerr << "vexilo-sim: " << error << '\n';
                rc = 1;
            }
        }
    }

    const std::string line = "VEXILO_PORTS=" + FormatVexiloPorts(options.kinds, paths);
    bool portsFileWritten = false;
    if (rc == 0 && !options.portsFile.empty()) {
        portsFileWritten = WritePortsFile(options.portsFile, line, &error);
        if (!portsFileWritten) {
            std::cerr << "vexilo-sim: " << error << '\n';
            rc = 1;
        }
    }

    if (rc == 0) {
        struct sigaction sa {};
        sa.sa_handler = OnStopSignal;
        sigemptyset(&sa.sa_mask);
        g_server = &server;
        ::sigaction(SIGINT, &sa, nullptr);
        ::sigaction(SIGTERM, &sa, nullptr);
        sa.sa_handler = OnToggleSignal;
        ::sigaction(SIGUSR1, &sa, nullptr);
        sa.sa_handler = OnInputSignal;
        ::sigaction(SIGUSR2, &sa, nullptr);
        server.SetHotplug(options.hotplugPort, options.hotplugEveryMs);
        // A replugged converter gets a new terminal; its link follows, so its path stays.
        server.m_onPathChanged = [&](std::size_t i, const std::string& path) {
            std::cerr << "vexilo-sim: converter " << i
                      << (path.empty() ? " unplugged" : " plugged in on " + path) << '\n';
            if (i < links.size()) {
                ::unlink(links[i].c_str());
                if (!path.empty() && !MakeLink(path, links[i], &error)) {
                    std::cerr << "vexilo-sim: " << error << '\n';
                }
            }
        };

        if (log.is_open()) {
            server.m_onRequest = [&log](std::size_t i, std::uint8_t command) {
                char text[8];
                std::snprintf(text, sizeof text, "0x%02X", command);
                log << i << ' ' << text << std::endl;  // flushed: read while the server runs
            };
        }

        std::cout << line << std::endl;
        for (size_t i = 0; i < models.size(); ++i) {
            const SimConfig& c = models[i]->Config();
            std::cerr << "vexilo-sim: " << SimKindName(c.kind) << " on " << paths[i] << " (series "
                      << int{c.seriesCode} << ", firmware " << c.runningVersion << "/"
                      << c.secondVersion << ")\n";
        }
        std::cerr << "vexilo-sim: serving " << models.size()
                  << " converter(s); end with Ctrl+C or SIGTERM\n";
        rc = server.Run();
        if (rc != 0) {
            std::cerr << "vexilo-sim: " << server.Error() << '\n';
        }
        g_server = nullptr;
    }

    for (const std::string& link : links) {
        ::unlink(link.c_str());
    }
    if (portsFileWritten) {
        std::remove(options.portsFile.c_str());
    }
    return rc;
}
