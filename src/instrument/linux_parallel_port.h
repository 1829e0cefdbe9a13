#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "instrument/parallel_port.h"

// First number of a base-addr file ("888\t1912\n" gives 888); nothing when
// the text does not start with a decimal number.
std::optional<std::uint32_t> ParseParportBaseAddress(std::string_view text);

// Name of the port folder under procRoot ("parport0") whose base-addr equals
// base; nothing when no listed port matches or procRoot cannot be read.
std::optional<std::string> FindParportByBase(const std::string& procRoot, std::uint16_t base);

// The parallel port through the kernel's ppdev driver: the port whose base
// I/O address equals the written address is looked up and claimed on the first
// write. When that fails the user gets one notice and the writes are dropped,
// so a missing port never stops the measurement cycle.
class LinuxParallelPort final : public ParallelPort {
public:
    explicit LinuxParallelPort(std::string procRoot = "/proc/sys/dev/parport",
                               std::string devRoot = "/dev");
    ~LinuxParallelPort() override;
    LinuxParallelPort(const LinuxParallelPort&) = delete;
    LinuxParallelPort& operator=(const LinuxParallelPort&) = delete;

    void Out(std::int16_t address, std::uint8_t value) override;
    std::string takeNotice() override;

    // The claimed device node ("/dev/parport0"), empty while none is claimed.
    const std::string& devicePath() const { return device_; }

private:
    void attach(std::uint16_t address);
    void release();
    void giveUp(std::string notice);

    std::string procRoot_;
    std::string devRoot_;
    std::optional<std::uint16_t> address_;  // the address the port was looked up for
    int fd_ = -1;
    std::string device_;
    std::string notice_;
};
