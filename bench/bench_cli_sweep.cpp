// One 6000-point sweep by zezizav-cli, end to end, against zezizav-sim --pace
// (the reply comes at the real wire rate: 24,000 bytes at 115200 baud take
// 2.083 s). Measures the CLI's wall time, from start to exit, and its CPU time
// (user + system, from wait4), which should stay a small share of the wall.

#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

double Seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

void CliSweep6000(benchmark::State& state, bool paced) {
    const std::string bin = ZEZIZAV_BIN_DIR;
    QProcess sim;
    sim.start(QString::fromStdString(bin + "/zezizav-sim"),
              paced ? QStringList{"--pace"} : QStringList{});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    const std::string device = sim.readLine().trimmed().toStdString();
    QTemporaryDir dir;
    const std::string output = dir.filePath(QStringLiteral("bench.vec")).toStdString();
    const std::string cli = bin + "/zezizav-cli";
    std::vector<std::string> args = {cli,      "sweep", "--device", device, "--start",  "1",
                                     "--stop", "180",   "--points", "6000", "--output", output};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    double wallTotal = 0.0;
    double cpuTotal = 0.0;
    double worstWall = 0.0;
    double worstShare = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, cli.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start zezizav-cli");
            break;
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("zezizav-cli failed");
            break;
        }
        const double cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
        state.SetIterationTime(wall);
        wallTotal += wall;
        cpuTotal += cpu;
        worstWall = std::max(worstWall, wall);
        worstShare = std::max(worstShare, cpu / wall);
    }
    const auto n = double(state.iterations());
    if (n > 0) {
        state.counters["wall_s"] = wallTotal / n;
        state.counters["wall_worst_s"] = worstWall;
        state.counters["cli_cpu_ms"] = 1000.0 * cpuTotal / n;
        state.counters["cpu_pct"] = 100.0 * cpuTotal / wallTotal;
        state.counters["cpu_pct_worst"] = 100.0 * worstShare;
        if (paced) {
            state.counters["wall_vs_wire"] = (wallTotal / n) / (24000.0 * 10.0 / 115200.0);
        }
    }
    sim.terminate();
    sim.waitForFinished(3000);
}

// The reply at the wire rate: what a user waits for.
void BM_CliSweep6000Paced(benchmark::State& state) {
    CliSweep6000(state, true);
}

// The reply at once: what the tool itself adds (start-up, the command lines,
// the quiet guard after the reply, the file, the exit).
void BM_CliSweep6000Unpaced(benchmark::State& state) {
    CliSweep6000(state, false);
}

}  // namespace

BENCHMARK(BM_CliSweep6000Paced)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_CliSweep6000Unpaced)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
