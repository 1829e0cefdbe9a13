#include "instrument/linux_parallel_port.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#ifdef __linux__
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {
std::string HexAddress(std::uint16_t address) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(address));
    return text;
}

std::string ErrnoText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

std::string ReadSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    char buffer[64] = {};
    in.read(buffer, sizeof buffer);
    return std::string(buffer, static_cast<std::size_t>(in.gcount()));
}
}  // namespace

std::optional<std::uint32_t> ParseParportBaseAddress(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const char* const first = text.data() + start;
    const char* const last = text.data() + text.size();
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> FindParportByBase(const std::string& procRoot, std::uint16_t base) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator entry(procRoot, error);
    if (error) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (; entry != fs::directory_iterator(); entry.increment(error)) {
        if (error) {
            break;
        }
        names.push_back(entry->path().filename().string());
    }
    // parport0 before parport1, whatever order the folder lists them in.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const auto found =
            ParseParportBaseAddress(ReadSmallFile(fs::path(procRoot) / name / "base-addr"));
        if (found && *found == base) {
            return name;
        }
    }
    return std::nullopt;
}

LinuxParallelPort::LinuxParallelPort(std::string procRoot, std::string devRoot)
    : procRoot_(std::move(procRoot)), devRoot_(std::move(devRoot)) {}

LinuxParallelPort::~LinuxParallelPort() {
    release();
}

void LinuxParallelPort::Out(std::int16_t address, std::uint8_t value) {
    if (!ParallelPortConfigured(address)) {
        return;
    }
    // Addresses above 32767 arrive as negative 16-bit values.
    const auto base = static_cast<std::uint16_t>(address);
    if (address_ != base) {
        release();
        address_ = base;
        attach(base);
    }
    if (fd_ < 0) {
        return;
    }
#ifdef __linux__
    unsigned char data = value;
    if (::ioctl(fd_, PPWDATA, &data) != 0) {
        const int error = errno;
        giveUp("Parallel port at " + HexAddress(base) + " (" + device_ +
               ") stopped accepting writes: " + ErrnoText(error) +
               "; its further writes are skipped");
    }
#else
    (void)value;
#endif
}

std::string LinuxParallelPort::takeNotice() {
    return std::exchange(notice_, {});
}

void LinuxParallelPort::attach(std::uint16_t address) {
    const std::string where = "Parallel port at " + HexAddress(address);
#ifdef __linux__
    const auto name = FindParportByBase(procRoot_, address);
    if (!name) {
        giveUp(where + " not found; its writes are skipped");
        return;
    }
    const std::string device = devRoot_ + "/" + *name;
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        giveUp(where + " (" + device + ") cannot be opened: " + ErrnoText(error) +
               "; its writes are skipped");
        return;
    }
    if (::ioctl(fd, PPCLAIM) != 0) {
        const int error = errno;
        ::close(fd);
        giveUp(where + " (" + device + ") cannot be claimed: " + ErrnoText(error) +
               "; its writes are skipped");
        return;
    }
    fd_ = fd;
    device_ = device;
#else
    giveUp(where + " cannot be reached on this system; its writes are skipped");
#endif
}

void LinuxParallelPort::release() {
#ifdef __linux__
    if (fd_ >= 0) {
        ::ioctl(fd_, PPRELEASE);
        ::close(fd_);
    }
#endif
    fd_ = -1;
    device_.clear();
}

void LinuxParallelPort::giveUp(std::string notice) {
    release();
    notice_ = std::move(notice);
}
