// What the benchmarks of `zelk serve` share: the built zelk serve started on
// a new contest folder on an ephemeral loopback port, HTTP exchanges on
// connections of their own from chosen loopback addresses, an upload's
// request, and the server's memory and processor time from /proc.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zelk::bench {

std::string Read(const std::filesystem::path& path);

// One HTTP exchange on a connection of its own from `source` (any address of
// 127/8 is this machine); the whole answer, or empty when the connection
// failed.
std::string Exchange(const std::string& source, int port, const std::string& request);

// POST /api/logs of `log` as the upload page's form sends it.
std::string UploadRequest(const std::string& log);

// The example contest's Cabrillo logs.
std::vector<std::string> ExampleLogs(const std::filesystem::path& folder);

struct Server {
    pid_t pid = -1;
    int port = 0;
};
// `zelk serve CONTEST --listen 127.0.0.1:0`, its output in `output`; port 0
// when it did not start. It never outlives the benchmark.
Server StartServer(const char* zelk, const std::filesystem::path& contest,
                   const std::filesystem::path& output);
// SIGTERM, and waits for it.
void StopServer(const Server& server);

// The process's resident memory now, and at its peak, in kilobytes.
long ResidentKilobytes(pid_t pid);
long PeakKilobytes(pid_t pid);
// The processor time it has used, user and system, in seconds.
double ProcessorSeconds(pid_t pid);

double Percentile(std::vector<double> values, double share);

}  // namespace zelk::bench
